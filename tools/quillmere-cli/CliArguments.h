#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <optional>

namespace cli {

enum class Source { Profile, PstFile, Staged, Dbx, Eml, Mailbox, Thunderbird };
enum class Rule { AllData, Containing, NotContaining, LineNumbers, Between, TextSets, Addresses, Pattern };
// Besides running a rule: list the converted messages, or find the Outlook Express stores.
enum class Task { RunRule, ListMessages, FindDbx };
enum class Format { Lines, Aligned, Comma, Tsv, Xlsx };

// Inbox, Outbox, Drafts, Sent Items, Deleted Items, as the window's folder boxes.
inline constexpr std::array<const char*, 5> kFolderNames = {"inbox", "outbox", "drafts", "sent", "deleted"};
inline constexpr std::array<const char*, 5> kFolderCaptions = {"Inbox", "Outbox", "Drafts", "Sent Items",
                                                               "Deleted Items"};

struct Arguments
{
    Task task = Task::RunRule;
    Source source = Source::Profile;
    QString sourceFile;      // the PST file or the staged text
    QStringList sourceFiles; // the DBX files, the EML files and folders, or the mailboxes
    QString winePrefix;      // the registry searched by --find-dbx
    QString registryHive;
    bool from = true;
    bool body = false;
    std::array<bool, 5> folders = {true, true, false, true, true};
    Rule rule = Rule::AllData;
    QString ruleText;  // the search text, the number list or the pattern
    QString startText; // between X ...
    QString endText;   // ... and Y
    bool includeStart = true;
    bool includeEnd = true;
    QStringList textSets;
    QStringList textSetFiles;
    bool caseSensitive = false;
    bool dedupe = false;
    bool showSource = false;
    int jobs = 0; // workers staging stores, converting them, reading bodies; 0: one per core, -1: not a number
    Format format = Format::Lines;
    bool nullEnded = false; // records end with NUL instead of LF
    QString output;         // empty: standard output
    bool help = false;
    bool version = false;
};

// The arguments, or the reason they make no command (a usage error).
struct Parsed
{
    std::optional<Arguments> arguments;
    QString error;
};

Parsed parseArguments(const QStringList& args);
QString usageText();

} // namespace cli
