#include "CliArguments.h"

#include "rules/PatternRule.h"

#include <QCommandLineParser>
#include <algorithm>

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

// An option by its names, aliases joined by '|', and the name of its value, none for a switch.
QCommandLineOption option(const char* names, const char* value = "")
{
    return QCommandLineOption(QString::fromLatin1(names).split(u'|'), {}, QLatin1String(value));
}

// Every option, grouped as in the help. The help is usageText(), written by hand for help2man, so the parser's own
// descriptions would never be shown.
const QList<QCommandLineOption>& options()
{
    static const QList<QCommandLineOption> options = {
        // source
        option("profile"),
        option("pst", "FILE"),
        option("staged", "FILE"),
        option("dbx"), // and the files after it, see walk()
        option("eml"),
        option("mailbox"), // and the paths after it, see walk()
        option("thunderbird"),
        // fields and folders
        option("from"),
        option("no-from"),
        option("body"),
        option("no-body"),
        option("folders", "LIST"),
        option("all-folders"),
        // rules
        option("all-data"),
        option("containing", "TEXT"),
        option("not-containing", "TEXT"),
        option("lines", "LIST"),
        option("between", "X"), // and Y, see walk()
        option("exclude-x"),
        option("exclude-y"),
        option("text-set", "TEXT"),
        option("text-sets-file", "FILE"),
        option("addresses"),
        option("matching", "PATTERN"),
        // options and output
        option("case-sensitive"),
        option("dedupe"),
        option("show-source"),
        option("jobs", "N"),
        option("format", "FORMAT"),
        option("null"),
        option("o|output", "FILE"),
        // other tasks
        option("list-messages"),
        option("find-dbx"),
        option("wine-prefix", "DIR"),
        option("registry-hive", "FILE"),
        option("h|help"),
        option("version"),
    };
    return options;
}

// The option an argument names as "--name" or "-o", either with "=value"; null for anything else.
const QCommandLineOption* optionNamedBy(const QString& arg)
{
    const bool isLong = arg.startsWith(u"--");
    const QString name = arg.mid(isLong ? 2 : 1).section(u'=', 0, 0);
    if (!arg.startsWith(u'-') || isLong == (name.size() == 1))
        return nullptr;
    const auto it = std::find_if(options().begin(), options().end(),
                                 [&](const QCommandLineOption& option) { return option.names().contains(name); });
    return it == options().end() ? nullptr : &*it;
}

// The usage error for an option, as given, that lacks its value or has an unusable one.
QString needsValue(const QString& option)
{
    if (option == u"--between")
        return QStringLiteral("--between needs a start text and an end text, neither empty");
    if (option == u"--folders")
        return QStringLiteral("--folders takes a comma list of inbox,outbox,drafts,sent,deleted");
    if (option == u"--format")
        return QStringLiteral("--format takes lines, aligned, comma, tsv or xlsx");
    if (option == u"--wine-prefix" || option == u"--registry-hive")
        return option + QStringLiteral(" needs a path");
    if (option == u"--pst" || option == u"--staged" || option == u"-o" || option == u"--output")
        return option + QStringLiteral(" needs a file");
    return option + QStringLiteral(" needs a value");
}

// QCommandLineParser gives an option one value and keeps no place for the other arguments, but --between takes
// two values and --dbx, --eml and --mailbox every argument up to the next that begins with a dash, however empty. This
// walk takes those out of the parser's way. It returns the usage error of the first argument that is no option or lacks
// its value, else nothing.
struct Walk
{
    QStringList forParser{QStringLiteral("quillmere-cli")};
    QString betweenEnd; // of the last --between
    QStringList files;  // of the last --dbx, --eml or --mailbox
};

QString walk(const QStringList& args, Walk& w)
{
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        const QCommandLineOption* option = optionNamedBy(arg);
        const bool takesValue = option && !option->valueName().isEmpty();
        const bool valueAttached = arg.contains(u'=');
        if (!option || (valueAttached && !takesValue))
            return QStringLiteral("unknown argument: ") + arg;
        w.forParser << arg;
        if (takesValue && !valueAttached) {
            if (i + 1 == args.size())
                return needsValue(arg);
            w.forParser << args[++i];
        }
        const QString& name = option->names().constLast();
        if (name == u"between") {
            if (i + 1 == args.size() || args[i + 1].isEmpty())
                return needsValue(QStringLiteral("--between"));
            w.betweenEnd = args[++i];
        } else if (name == u"dbx" || name == u"eml" || name == u"mailbox") {
            w.files.clear();
            while (i + 1 < args.size() && !args[i + 1].startsWith(u'-'))
                w.files << args[++i];
            if (w.files.isEmpty())
                return arg + QStringLiteral(" needs at least one file");
        }
    }
    return {};
}

// The first unusable value, any of those given counting, not just the last; empty when all are usable.
QString unusableValue(const QCommandLineParser& parser)
{
    auto any = [&](const QString& name, auto&& unusable) {
        const QStringList values = parser.values(name);
        return std::any_of(values.begin(), values.end(), unusable);
    };
    for (const QString& name :
         {QStringLiteral("between"), QStringLiteral("text-set"), QStringLiteral("text-sets-file")}) {
        if (any(name, [](const QString& value) { return value.isEmpty(); }))
            return needsValue(QStringLiteral("--") + name);
    }
    if (any(QStringLiteral("folders"), [](const QString& list) { return !parseFolders(list); }))
        return needsValue(QStringLiteral("--folders"));
    if (any(QStringLiteral("format"), [](const QString& name) { return !parseFormat(name); }))
        return needsValue(QStringLiteral("--format"));
    return {};
}

bool isOneOf(const QString& name, std::initializer_list<QStringView> names)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

// Of options that override each other, the last given; empty when none was.
QString lastOf(const QStringList& given, std::initializer_list<QStringView> names)
{
    const auto it =
        std::find_if(given.crbegin(), given.crend(), [&](const QString& name) { return isOneOf(name, names); });
    return it == given.crend() ? QString() : *it;
}

Arguments argumentsFrom(const QCommandLineParser& parser, const Walk& walked)
{
    const QStringList given = parser.optionNames();
    auto last = [&](std::initializer_list<QStringView> names) { return lastOf(given, names); };
    auto valueOf = [&](const QString& name) { return name.isEmpty() ? QString() : parser.value(name); };
    auto isSet = [&](const char* name) { return parser.isSet(QLatin1String(name)); };
    Arguments a;
    const QString source = last({u"profile", u"pst", u"staged", u"dbx", u"eml", u"mailbox", u"thunderbird"});
    a.source = source == u"pst"           ? Source::PstFile
               : source == u"staged"      ? Source::Staged
               : source == u"dbx"         ? Source::Dbx
               : source == u"eml"         ? Source::Eml
               : source == u"mailbox"     ? Source::Mailbox
               : source == u"thunderbird" ? Source::Thunderbird
                                          : Source::Profile;
    a.sourceFile = valueOf(last({u"pst", u"staged"}));
    a.sourceFiles = walked.files;
    const QString task = last({u"list-messages", u"find-dbx"});
    a.task = task == u"list-messages" ? Task::ListMessages : task == u"find-dbx" ? Task::FindDbx : Task::RunRule;
    a.winePrefix = parser.value(QStringLiteral("wine-prefix"));
    a.registryHive = parser.value(QStringLiteral("registry-hive"));

    a.from = last({u"from", u"no-from"}) != u"no-from";
    a.body = last({u"body", u"no-body"}) == u"body";
    const QString folders = last({u"folders", u"all-folders"});
    if (folders == u"all-folders")
        a.folders = {true, true, true, true, true};
    else if (folders == u"folders")
        a.folders = *parseFolders(parser.value(folders));

    const QString rule = last({u"all-data", u"containing", u"not-containing", u"lines", u"between", u"text-set",
                               u"text-sets-file", u"addresses", u"matching"});
    a.rule = rule == u"addresses"        ? Rule::Addresses
             : rule == u"matching"       ? Rule::Pattern
             : rule == u"containing"     ? Rule::Containing
             : rule == u"not-containing" ? Rule::NotContaining
             : rule == u"lines"          ? Rule::LineNumbers
             : rule == u"between"        ? Rule::Between
             : rule.startsWith(u"text-") ? Rule::TextSets
                                         : Rule::AllData;
    a.ruleText = valueOf(last({u"containing", u"not-containing", u"lines", u"matching"}));
    a.startText = parser.value(QStringLiteral("between"));
    a.endText = walked.betweenEnd;
    a.includeStart = !isSet("exclude-x");
    a.includeEnd = !isSet("exclude-y");
    a.textSets = parser.values(QStringLiteral("text-set"));
    a.textSetFiles = parser.values(QStringLiteral("text-sets-file"));
    a.caseSensitive = isSet("case-sensitive");
    a.dedupe = isSet("dedupe");
    a.showSource = isSet("show-source");
    if (isSet("jobs")) {
        bool number = false;
        a.jobs = parser.value(QStringLiteral("jobs")).toInt(&number);
        if (!number || a.jobs < 1)
            a.jobs = -1;
    }
    a.format = parseFormat(parser.value(QStringLiteral("format"))).value_or(Format::Lines);
    a.nullEnded = isSet("null");
    a.output = parser.value(QStringLiteral("output"));
    a.help = isSet("help");
    a.version = isSet("version");
    return a;
}

// Why the options given make no command together; empty when they do.
QString combinationError(const Arguments& a, const QStringList& given)
{
    const QString source = QStringLiteral("--") + lastOf(given, {u"pst", u"staged", u"dbx", u"eml"});
    for (const auto& [option, folders] : {std::pair(lastOf(given, {u"from", u"no-from", u"body", u"no-body"}), false),
                                          std::pair(lastOf(given, {u"folders", u"all-folders"}), true)}) {
        const QString why = whyNotStaged(a.source, folders);
        if (!option.isEmpty() && !why.isEmpty())
            return QStringLiteral("--") + option + QStringLiteral(" does not apply to ") + source +
                   QStringLiteral(": ") + why;
    }
    if (a.task == Task::ListMessages && a.source != Source::Dbx && a.source != Source::Eml &&
        a.source != Source::Mailbox && a.source != Source::Thunderbird)
        return QStringLiteral("--list-messages needs --dbx, --eml, --mailbox or --thunderbird");
    // Each of these counts as a rule, the text sets all together as one.
    int rules = a.textSets.isEmpty() && a.textSetFiles.isEmpty() ? 0 : 1;
    for (const QString& name : given)
        rules += isOneOf(
            name, {u"all-data", u"containing", u"not-containing", u"lines", u"between", u"addresses", u"matching"});
    if (a.task == Task::RunRule && rules != 1)
        return QStringLiteral("give exactly one rule: --all-data, --containing, --not-containing, --lines, "
                              "--between, --text-set/--text-sets-file, --addresses or --matching");
    // As grep: a pattern that does not compile is a usage error.
    if (a.rule == Rule::Pattern && !a.ruleText.isEmpty()) {
        if (const QString problem = rules::PatternRule(a.ruleText, !a.caseSensitive).problem(); !problem.isEmpty())
            return QStringLiteral("--matching: ") + problem;
    }
    if (a.nullEnded && a.task == Task::RunRule && a.format != Format::Lines)
        return QStringLiteral("--null goes with --format lines only: the other formats separate rows their own way");
    if (a.jobs < 0)
        return QStringLiteral("--jobs takes a number of workers, 1 or more");
    if (a.format == Format::Xlsx && a.output.isEmpty())
        return QStringLiteral("--format xlsx needs -o FILE");
    return {};
}

} // namespace

Parsed parseArguments(const QStringList& args)
{
    auto fail = [](const QString& why) { return Parsed{std::nullopt, why}; };
    Walk walked;
    if (const QString error = walk(args, walked); !error.isEmpty())
        return fail(error);
    QCommandLineParser parser;
    parser.addOptions(options());
    parser.parse(walked.forParser); // cannot fail: the walk let through known options only, each with its value
    if (const QString error = unusableValue(parser); !error.isEmpty())
        return fail(error);
    const Arguments a = argumentsFrom(parser, walked);
    if (a.help || a.version)
        return {a, {}};
    if (const QString error = combinationError(a, parser.optionNames()); !error.isEmpty())
        return fail(error);
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
        "  --mailbox PATH...    mailboxes: mbox files, Maildir folders, folders of .eml files, or folders\n"
        "                       holding them at any depth (a Thunderbird Mail/ or ImapMail/ folder)\n"
        "  --thunderbird        the mail of every Thunderbird profile of this user (also Snap and Flatpak)\n"
        "FIELDS (--profile, --pst, --mailbox and --thunderbird only; elsewhere a usage error)\n"
        "  --from | --no-from   stage each message's sender (default --from)\n"
        "  --body | --no-body   stage each message's body (default --no-body)\n"
        "FOLDERS (--profile, --pst, --mailbox and --thunderbird only; elsewhere a usage error)\n"
        "  --folders LIST       comma list of inbox,outbox,drafts,sent,deleted\n"
        "                       (default inbox,outbox,sent,deleted)\n"
        "  --all-folders        every folder, whatever its name\n"
        "                       A mailbox counts as the folder its name says: Inbox; Outbox or Unsent\n"
        "                       Messages; Drafts; Sent, Sent Items, Sent Messages or Sent Mail; Trash,\n"
        "                       Deleted Items, Deleted Messages or Bin. A subfolder counts as its top mailbox.\n"
        "RULE (exactly one)\n"
        "  --all-data           every staged line\n"
        "  --containing TEXT    lines containing TEXT\n"
        "  --not-containing TEXT  lines not containing TEXT\n"
        "  --lines LIST         lines by number, for example 1,3,4\n"
        "  --between X Y        the text between X and Y, repeatedly (X and Y included unless\n"
        "                       --exclude-x / --exclude-y)\n"
        "  --text-set TEXT      lines containing any of the texts (repeat the option for more texts),\n"
        "  --text-sets-file FILE  and/or the texts listed in a file, one per line\n"
        "  --addresses          every e-mail address, one result each, as written\n"
        "  --matching PATTERN   lines matching PATTERN, a grep -E pattern (POSIX extended regular\n"
        "                       expression) where \\d, \\w, \\s and \\b work too\n"
        "OPTIONS\n"
        "  --case-sensitive     compare letter case exactly (default: ignore it)\n"
        "  --dedupe             remove duplicate results\n"
        "  --show-source        put the source file before each result\n"
        "  --jobs N             stage the stores of --profile or the mailboxes, convert the --dbx stores\n"
        "                       and read the message bodies with N workers at once (default: one per\n"
        "                       core); the output is the same\n"
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
        "  --list-messages      with --dbx, --eml, --mailbox or --thunderbird: list the messages (From, To,\n"
        "                       Subject, Date, TAB-separated)\n"
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
        "  Every e-mail address in the bodies of an archive, once each:\n"
        "    $ quillmere-cli --pst archive.pst --all-folders --no-from --body --addresses --dedupe\n"
        "  Lines of the bodies that hold an order number such as PO-12345:\n"
        "    $ quillmere-cli --pst archive.pst --all-folders --no-from --body --matching 'PO-[0-9]{5}\\b'\n"
        "  The messages of an Outlook Express store, then every line of their bodies that contains \"meeting\":\n"
        "    $ quillmere-cli --dbx Inbox.dbx --list-messages\n"
        "    $ quillmere-cli --dbx Inbox.dbx --containing meeting\n"
        "  Every sender in a Thunderbird profile's Inbox and Sent folders, once each, then the same for an mbox:\n"
        "    $ quillmere-cli --thunderbird --folders inbox,sent --all-data --dedupe\n"
        "    $ quillmere-cli --mailbox ~/export/archive.mbox --all-folders --all-data --dedupe\n"
        "  Which Outlook Express stores a Wine prefix, or a Windows user's registry hive, knows of:\n"
        "    $ quillmere-cli --find-dbx --wine-prefix ~/.wine\n"
        "    $ quillmere-cli --find-dbx --registry-hive /mnt/windows/Users/ada/NTUSER.DAT\n");
}

} // namespace cli
