#include "CliArguments.h"

namespace cli {

namespace {

std::optional<std::array<bool, 5>> parseFolders(const QString& list)
{
    std::array<bool, 5> folders{};
    for (const QString& name : list.split(u',', Qt::SkipEmptyParts)) {
        const auto* it = std::find_if(kFolderNames.begin(), kFolderNames.end(),
                                      [&](const char* known) { return name.trimmed() == QLatin1String(known); });
        if (it == kFolderNames.end())
            return std::nullopt;
        folders[size_t(it - kFolderNames.begin())] = true;
    }
    return folders;
}

std::optional<Format> parseFormat(const QString& name)
{
    static const std::pair<const char*, Format> formats[] = {{"lines", Format::Lines},
                                                             {"aligned", Format::Aligned},
                                                             {"comma", Format::Comma},
                                                             {"tsv", Format::Tsv},
                                                             {"xlsx", Format::Xlsx}};
    for (const auto& [text, format] : formats) {
        if (name == QLatin1String(text))
            return format;
    }
    return std::nullopt;
}

// Why the fields and folders, which choose what is staged from an Outlook store, do not apply to a source;
// empty when they do.
QString whyNotStaged(Source source, bool folders)
{
    switch (source) {
    case Source::Staged:
        return QStringLiteral("the staged text is read as it was staged");
    case Source::Eml:
        return folders ? QStringLiteral("every message given is read")
                       : QStringLiteral("the rules always read each message's body");
    case Source::Dbx:
        return folders ? QStringLiteral("every message in the stores given is read")
                       : QStringLiteral("the rules always read each message's body");
    default:
        return {};
    }
}

} // namespace

Parsed parseArguments(const QStringList& args)
{
    Arguments a;
    int rules = 0;
    QString sourceOption;              // as given, for messages
    QString fieldOption, folderOption; // the last given of each, checked against the source at the end
    auto fail = [](const QString& why) { return Parsed{std::nullopt, why}; };
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        // The options that take a value read the next argument.
        auto value = [&]() -> std::optional<QString> {
            if (i + 1 >= args.size())
                return std::nullopt;
            return args[++i];
        };
        auto ruleWithText = [&](Rule rule) -> bool {
            const auto text = value();
            if (!text)
                return false;
            a.rule = rule;
            a.ruleText = *text;
            ++rules;
            return true;
        };
        if (arg == u"--help" || arg == u"-h") {
            a.help = true;
        } else if (arg == u"--version") {
            a.version = true;
        } else if (arg == u"--profile") {
            a.source = Source::Profile;
        } else if (arg == u"--pst" || arg == u"--staged") {
            const auto file = value();
            if (!file)
                return fail(arg + QStringLiteral(" needs a file"));
            a.source = arg == u"--pst" ? Source::PstFile : Source::Staged;
            a.sourceFile = *file;
            sourceOption = arg;
        } else if (arg == u"--dbx" || arg == u"--eml") {
            // Every following argument up to the next option is a file.
            QStringList files;
            while (i + 1 < args.size() && !args[i + 1].startsWith(u'-'))
                files << args[++i];
            if (files.isEmpty())
                return fail(arg + QStringLiteral(" needs at least one file"));
            a.source = arg == u"--dbx" ? Source::Dbx : Source::Eml;
            a.sourceFiles = files;
            sourceOption = arg;
        } else if (arg == u"--list-messages") {
            a.task = Task::ListMessages;
        } else if (arg == u"--find-dbx") {
            a.task = Task::FindDbx;
        } else if (arg == u"--wine-prefix" || arg == u"--registry-hive") {
            const auto path = value();
            if (!path)
                return fail(arg + QStringLiteral(" needs a path"));
            (arg == u"--wine-prefix" ? a.winePrefix : a.registryHive) = *path;
        } else if (arg == u"--between") {
            const auto x = value();
            const auto y = value();
            if (!x || !y || x->isEmpty() || y->isEmpty())
                return fail(QStringLiteral("--between needs a start text and an end text, neither empty"));
            a.rule = Rule::Between;
            a.startText = *x;
            a.endText = *y;
            ++rules;
        } else if (arg == u"--exclude-x" || arg == u"--exclude-y") {
            (arg == u"--exclude-x" ? a.includeStart : a.includeEnd) = false;
        } else if (arg == u"--text-set" || arg == u"--text-sets-file") {
            const auto text = value();
            if (!text || text->isEmpty())
                return fail(arg + QStringLiteral(" needs a value"));
            (arg == u"--text-set" ? a.textSets : a.textSetFiles) << *text;
            if (a.rule != Rule::TextSets) {
                a.rule = Rule::TextSets;
                ++rules;
            }
        } else if (arg == u"--from" || arg == u"--no-from") {
            a.from = arg == u"--from";
            fieldOption = arg;
        } else if (arg == u"--body" || arg == u"--no-body") {
            a.body = arg == u"--body";
            fieldOption = arg;
        } else if (arg == u"--folders") {
            const auto list = value();
            const auto folders = list ? parseFolders(*list) : std::nullopt;
            if (!folders)
                return fail(QStringLiteral("--folders takes a comma list of inbox,outbox,drafts,sent,deleted"));
            a.folders = *folders;
            folderOption = arg;
        } else if (arg == u"--all-folders") {
            a.folders = {true, true, true, true, true};
            folderOption = arg;
        } else if (arg == u"--all-data") {
            a.rule = Rule::AllData;
            ++rules;
        } else if (arg == u"--containing" || arg == u"--not-containing" || arg == u"--lines") {
            const Rule rule = arg == u"--containing"       ? Rule::Containing
                              : arg == u"--not-containing" ? Rule::NotContaining
                                                           : Rule::LineNumbers;
            if (!ruleWithText(rule))
                return fail(arg + QStringLiteral(" needs a value"));
        } else if (arg == u"--case-sensitive") {
            a.caseSensitive = true;
        } else if (arg == u"--dedupe") {
            a.dedupe = true;
        } else if (arg == u"--show-source") {
            a.showSource = true;
        } else if (arg == u"--format") {
            const auto name = value();
            const auto format = name ? parseFormat(*name) : std::nullopt;
            if (!format)
                return fail(QStringLiteral("--format takes lines, aligned, comma, tsv or xlsx"));
            a.format = *format;
        } else if (arg == u"--null") {
            a.nullEnded = true;
        } else if (arg == u"-o" || arg == u"--output") {
            const auto file = value();
            if (!file)
                return fail(arg + QStringLiteral(" needs a file"));
            a.output = *file;
        } else {
            return fail(QStringLiteral("unknown argument: ") + arg);
        }
    }
    if (a.help || a.version)
        return {a, {}};
    for (const auto& [option, folders] : {std::pair(fieldOption, false), std::pair(folderOption, true)}) {
        const QString why = whyNotStaged(a.source, folders);
        if (!option.isEmpty() && !why.isEmpty())
            return fail(option + QStringLiteral(" does not apply to ") + sourceOption + QStringLiteral(": ") + why);
    }
    if (a.task == Task::ListMessages && a.source != Source::Dbx && a.source != Source::Eml)
        return fail(QStringLiteral("--list-messages needs --dbx or --eml"));
    if (a.task == Task::RunRule && rules != 1)
        return fail(QStringLiteral("give exactly one rule: --all-data, --containing, --not-containing, --lines, "
                                   "--between or --text-set/--text-sets-file"));
    if (a.nullEnded && a.task == Task::RunRule && a.format != Format::Lines)
        return fail(
            QStringLiteral("--null goes with --format lines only: the other formats separate rows their own way"));
    if (a.format == Format::Xlsx && a.output.isEmpty())
        return fail(QStringLiteral("--format xlsx needs -o FILE"));
    return {a, {}};
}

QString usageText()
{
    return QStringLiteral(
        "Usage: quillmere-cli [SOURCE] [FIELDS] [FOLDERS] RULE [OPTIONS] [OUTPUT]\n"
        "\n"
        "Extracts e-mail text from Outlook and Outlook Express stores, as the Quillmere windows do.\n"
        "\n"
        "SOURCE (one of)\n"
        "  --profile            the stores of the profile (default): the files listed in the window's\n"
        "                       \"Profile Stores\", or every *.pst/*.ost where Outlook keeps data files\n"
        "  --pst FILE           one PST or OST file\n"
        "  --staged FILE        an already staged text file, read as the staging file\n"
        "  --dbx FILE...        Outlook Express stores, converted to messages first\n"
        "  --eml PATH...        message files (.eml), or folders of them\n"
        "FIELDS (--profile and --pst only; elsewhere a usage error)\n"
        "  --from | --no-from   stage each message's sender (default --from)\n"
        "  --body | --no-body   stage each message's body (default --no-body)\n"
        "FOLDERS (--profile and --pst only; elsewhere a usage error)\n"
        "  --folders LIST       comma list of inbox,outbox,drafts,sent,deleted\n"
        "                       (default inbox,outbox,sent,deleted)\n"
        "  --all-folders        every folder, whatever its name\n"
        "RULE (exactly one)\n"
        "  --all-data           every staged line\n"
        "  --containing TEXT    lines containing TEXT\n"
        "  --not-containing TEXT  lines not containing TEXT\n"
        "  --lines LIST         lines by number, for example 1,3,4\n"
        "  --between X Y        the text between X and Y, repeatedly (X and Y included unless\n"
        "                       --exclude-x / --exclude-y)\n"
        "  --text-set TEXT      lines containing any of the texts (repeat the option for more texts),\n"
        "  --text-sets-file FILE  and/or the texts listed in a file, one per line\n"
        "OPTIONS\n"
        "  --case-sensitive     compare letter case exactly (default: ignore it)\n"
        "  --dedupe             remove duplicate results\n"
        "  --show-source        put the source file before each result\n"
        "OUTPUT\n"
        "  --format FORMAT      lines (default): each result ended by a line feed, after its source file\n"
        "                       and a TAB with --show-source; a result that spans lines (--between) spans\n"
        "                       output lines too, so scripts split results safely with --null or tsv;\n"
        "                       aligned (the aligned text file), comma (the comma-delimited line),\n"
        "                       tsv (the clipboard text, one line a row: cells TAB-separated and padded,\n"
        "                       trailing spaces cut, CR LF at the end; CR, LF, TAB and backslash in a\n"
        "                       cell written as \\r, \\n, \\t and \\\\) or xlsx (a workbook; needs -o)\n"
        "  --null               with lines: end each result with a NUL byte instead of a line feed, the\n"
        "                       result whole and unescaped, as find -print0 does (read it with xargs -0);\n"
        "                       also ends the lines of --list-messages and --find-dbx\n"
        "  -o FILE              write to FILE instead of standard output\n"
        "OTHER TASKS\n"
        "  --list-messages      with --dbx or --eml: list the messages (From, To, Subject, Date, TAB-separated)\n"
        "  --find-dbx           list the Outlook Express stores (DBX files) found through the registry of\n"
        "                       the Wine prefix ($WINEPREFIX, else ~/.wine), or of:\n"
        "  --wine-prefix DIR    another Wine prefix\n"
        "  --registry-hive FILE a Windows user's registry hive (NTUSER.DAT)\n"
        "  --help               this text\n"
        "  --version            the program's version\n"
        "\n"
        "Exit status: 0 on success (also with no results), 1 when the run failed, 2 for a usage error.\n"
        "When the reader of the output stops reading (head, a pager), the program ends at once and quietly,\n"
        "by SIGPIPE as grep does (status 141 in the shell).\n"
        "\n"
        // "Examples:" is the heading help2man makes the manual page's EXAMPLES section of; it comes last, as
        // everything after it goes into that section.
        "Examples:\n"
        "  Every sender of an archive, once each, as the aligned text file of the window:\n"
        "    $ quillmere-cli --pst archive.pst --all-folders --all-data --dedupe --format aligned -o senders.txt\n"
        "  Lines of the bodies of Inbox and Sent Items that mention an invoice, into a workbook:\n"
        "    $ quillmere-cli --pst archive.pst --folders inbox,sent --no-from --body --containing invoice "
        "--format xlsx -o invoices.xlsx\n"
        "  Every web address in the bodies of an archive, up to the next \">\":\n"
        "    $ quillmere-cli --pst archive.pst --all-folders --no-from --body --between 'https://' '>' --exclude-y "
        "--dedupe\n"
        "  Each address block of the bodies, whole where it spans lines, NUL-ended for xargs -0:\n"
        "    $ quillmere-cli --pst archive.pst --no-from --body --between 'Address:' 'Phone:' --null | xargs -0 "
        "-n 1 printf '[%s]\\n'\n"
        "  The messages of an Outlook Express store, then every line of their bodies that contains \"meeting\":\n"
        "    $ quillmere-cli --dbx Inbox.dbx --list-messages\n"
        "    $ quillmere-cli --dbx Inbox.dbx --containing meeting\n"
        "  Which Outlook Express stores a Wine prefix, or a Windows user's registry hive, knows of:\n"
        "    $ quillmere-cli --find-dbx --wine-prefix ~/.wine\n"
        "    $ quillmere-cli --find-dbx --registry-hive /mnt/windows/Users/ada/NTUSER.DAT\n");
}

} // namespace cli
