#include "sources/express/WineRegistry.h"

#include "sources/express/WindowsPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <optional>
#include <pwd.h>
#include <unistd.h>

namespace sources::express {

namespace {

const QByteArray kHeader = QByteArrayLiteral("WINE REGISTRY Version 2");
constexpr qint64 kReadChunk = 64 * 1024;

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

// One physical line of the file as text: UTF-8 when it is valid UTF-8, else Latin-1 (Wine itself writes
// every character above 127 as an \x escape, so both readings agree on what Wine wrote).
QString decodeLine(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (utf8.hasError())
        text = QString::fromLatin1(bytes);
    return text;
}

// Reads an escaped name or string from pos up to the unescaped end character (Wine's escapes: \\ \" \]
// \a \b \e \f \n \r \t \v, \x with up to four hex digits, \ with up to three octal digits). Leaves pos
// after the end character; nothing when the end character never comes.
std::optional<QString> readEscaped(const QString& line, qsizetype& pos, QChar end)
{
    QString out;
    while (pos < line.size()) {
        const QChar c = line.at(pos++);
        if (c == end)
            return out;
        if (c != u'\\') {
            out.append(c);
            continue;
        }
        if (pos >= line.size())
            return std::nullopt;
        const QChar e = line.at(pos++);
        switch (e.unicode()) {
        case u'a':
            out.append(QChar(0x07));
            break;
        case u'b':
            out.append(QChar(0x08));
            break;
        case u'e':
            out.append(QChar(0x1b));
            break;
        case u'f':
            out.append(QChar(0x0c));
            break;
        case u'n':
            out.append(QChar(0x0a));
            break;
        case u'r':
            out.append(QChar(0x0d));
            break;
        case u't':
            out.append(QChar(0x09));
            break;
        case u'v':
            out.append(QChar(0x0b));
            break;
        case u'x': {
            if (pos >= line.size() || hexDigit(line.at(pos)) < 0) {
                out.append(u'x');
                break;
            }
            char16_t unit = 0;
            for (int n = 0; n < 4 && pos < line.size() && hexDigit(line.at(pos)) >= 0; ++n)
                unit = static_cast<char16_t>(unit * 16 + hexDigit(line.at(pos++)));
            out.append(QChar(unit));
            break;
        }
        case u'0':
        case u'1':
        case u'2':
        case u'3':
        case u'4':
        case u'5':
        case u'6':
        case u'7': {
            char16_t unit = static_cast<char16_t>(e.unicode() - u'0');
            for (int n = 1; n < 3 && pos < line.size() && line.at(pos) >= u'0' && line.at(pos) <= u'7'; ++n)
                unit = static_cast<char16_t>(unit * 8 + (line.at(pos++).unicode() - u'0'));
            out.append(QChar(unit));
            break;
        }
        default:
            out.append(e);
            break;
        }
    }
    return std::nullopt;
}

void skipBlanks(const QString& line, qsizetype& pos)
{
    while (pos < line.size() && (line.at(pos) == u' ' || line.at(pos) == u'\t'))
        ++pos;
}

bool onlyBlanksFrom(const QString& line, qsizetype pos)
{
    skipBlanks(line, pos);
    return pos >= line.size();
}

// A hexadecimal number of one to eight digits at pos.
std::optional<quint32> readHexNumber(const QString& line, qsizetype& pos)
{
    quint32 number = 0;
    int digits = 0;
    while (pos < line.size() && hexDigit(line.at(pos)) >= 0) {
        if (++digits > 8)
            return std::nullopt;
        number = number * 16 + static_cast<quint32>(hexDigit(line.at(pos++)));
    }
    return digits > 0 ? std::optional<quint32>(number) : std::nullopt;
}

// "aa,bb,cc" (blanks allowed, a trailing comma too) to the end of the line.
std::optional<QByteArray> readHexBytes(const QString& line, qsizetype pos)
{
    QByteArray bytes;
    for (;;) {
        skipBlanks(line, pos);
        if (pos >= line.size())
            return bytes;
        if (pos + 1 >= line.size())
            return std::nullopt;
        const int high = hexDigit(line.at(pos));
        const int low = hexDigit(line.at(pos + 1));
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes.append(static_cast<char>(high * 16 + low));
        pos += 2;
        skipBlanks(line, pos);
        if (pos >= line.size())
            return bytes;
        if (line.at(pos) != u',')
            return std::nullopt;
        ++pos;
    }
}

// The data after "=": "text", str(N):"text", dword:xxxxxxxx, hex:.., hex(N):...
std::optional<RegistryData> readData(const QString& line, qsizetype pos)
{
    RegistryData value;
    const auto text = [&](quint32 type) -> std::optional<RegistryData> {
        const std::optional<QString> s = readEscaped(line, pos, u'"');
        if (!s || !onlyBlanksFrom(line, pos))
            return std::nullopt;
        value.type = type;
        // Wine keeps strings with their terminating NUL; a REG_MULTI_SZ written as str(7) has its own.
        value.data = registryTextData(*s);
        return value;
    };
    const QStringView rest = QStringView(line).mid(pos);
    if (rest.startsWith(u'"')) {
        ++pos;
        return text(kRegSz);
    }
    if (rest.startsWith(u"str(")) {
        pos += 4;
        const std::optional<quint32> type = readHexNumber(line, pos);
        if (!type || !QStringView(line).mid(pos).startsWith(u"):\""))
            return std::nullopt;
        pos += 3;
        return text(*type);
    }
    if (rest.startsWith(u"dword:")) {
        pos += 6;
        const std::optional<quint32> number = readHexNumber(line, pos);
        if (!number || !onlyBlanksFrom(line, pos))
            return std::nullopt;
        value.type = kRegDword;
        value.data = registryDwordData(*number);
        return value;
    }
    if (rest.startsWith(u"hex:")) {
        value.type = kRegBinary;
        pos += 4;
    } else if (rest.startsWith(u"hex(")) {
        pos += 4;
        const std::optional<quint32> type = readHexNumber(line, pos);
        if (!type || !QStringView(line).mid(pos).startsWith(u"):"))
            return std::nullopt;
        value.type = *type;
        pos += 2;
    } else {
        return std::nullopt;
    }
    const std::optional<QByteArray> bytes = readHexBytes(line, pos);
    if (!bytes)
        return std::nullopt;
    value.data = *bytes;
    return value;
}

// Line-by-line reader with the caps: physical lines, joined where a line ends with a backslash (hex data
// continued on the next line), as logical entries.
class EntryReader
{
public:
    explicit EntryReader(QIODevice& device) : m_device(device) {}

    // The next entry; nothing at the end. `skipped` is set for an entry longer than the cap (its text is
    // then empty).
    std::optional<QString> next(bool& skipped)
    {
        skipped = false;
        QByteArray entry;
        bool first = true;
        bool hex = false;
        for (;;) {
            std::optional<QByteArray> line = physicalLine(skipped);
            if (!line)
                return first ? std::nullopt : std::optional<QString>(finish(entry, skipped));
            if (first) {
                // Only hex data goes on over several lines; the first line holds its "=hex" or "=hex(N)".
                hex = line->contains("=hex");
            } else {
                // A continuation line: its leading blanks are indentation.
                qsizetype i = 0;
                while (i < line->size() && (line->at(i) == ' ' || line->at(i) == '\t'))
                    ++i;
                line->remove(0, i);
            }
            first = false;
            const bool continued = hex && line->endsWith('\\');
            if (continued)
                line->chop(1);
            if (!skipped && entry.size() + line->size() <= kUserRegMaxEntryBytes)
                entry.append(*line);
            else
                skipped = true;
            if (!continued)
                return finish(entry, skipped);
        }
    }

private:
    QString finish(const QByteArray& entry, bool skipped) const { return skipped ? QString() : decodeLine(entry); }

    // One line without its line end; an overlong line is skipped to its end and reported as such.
    std::optional<QByteArray> physicalLine(bool& skipped)
    {
        QByteArray line;
        for (;;) {
            if (m_read >= kUserRegMaxBytes)
                return line.isEmpty() ? std::nullopt : std::optional<QByteArray>(line);
            const qint64 want = std::min<qint64>(kReadChunk, kUserRegMaxBytes - m_read);
            const QByteArray part = m_device.readLine(want + 1);
            if (part.isEmpty())
                return line.isEmpty() ? std::nullopt : std::optional<QByteArray>(line);
            m_read += part.size();
            const bool ended = part.endsWith('\n');
            if (line.size() + part.size() <= kUserRegMaxEntryBytes + 2)
                line.append(part);
            else
                skipped = true;
            if (ended)
                break;
        }
        while (line.endsWith('\n') || line.endsWith('\r'))
            line.chop(1);
        return line;
    }

    QIODevice& m_device;
    qint64 m_read = 0;
};

QString currentUnixUser()
{
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty()) {
        if (const passwd* pw = getpwuid(getuid()))
            user = QString::fromLocal8Bit(pw->pw_name);
    }
    return user;
}

} // namespace

bool readWineRegistry(QIODevice& device, MemoryRegistry& into, quint32 root)
{
    EntryReader reader(device);
    bool skipped = false;
    const std::optional<QString> header = reader.next(skipped);
    if (!header || skipped || header->trimmed().toLatin1() != kHeader)
        return false;

    std::optional<QStringList> key; // the current section's key, nothing when unusable
    qsizetype entries = 0;
    for (std::optional<QString> entry = reader.next(skipped); entry; entry = reader.next(skipped)) {
        if (skipped)
            continue;
        const QString& line = *entry;
        qsizetype pos = 0;
        skipBlanks(line, pos);
        if (pos >= line.size())
            continue;
        const QChar lead = line.at(pos);
        if (lead == u'[') {
            ++pos;
            key.reset();
            const std::optional<QString> name = readEscaped(line, pos, u']');
            if (!name || ++entries > kUserRegMaxEntries)
                continue;
            QStringList path = name->split(u'\\');
            // Wine writes no leading or trailing separator, but a hand-edited file may.
            while (!path.isEmpty() && path.first().isEmpty())
                path.removeFirst();
            while (!path.isEmpty() && path.last().isEmpty())
                path.removeLast();
            if (into.addKey(root, path))
                key = path;
            continue;
        }
        if (!key || (lead != u'"' && lead != u'@'))
            continue; // comments (;), options (#time=, #class=, #link), values outside a section, junk
        QString valueName;
        if (lead == u'"') {
            ++pos;
            const std::optional<QString> name = readEscaped(line, pos, u'"');
            if (!name)
                continue;
            valueName = *name;
        } else {
            ++pos;
        }
        skipBlanks(line, pos);
        if (pos >= line.size() || line.at(pos) != u'=')
            continue;
        ++pos;
        skipBlanks(line, pos);
        std::optional<RegistryData> value = readData(line, pos);
        if (!value || ++entries > kUserRegMaxEntries)
            continue;
        value->name = valueName;
        into.setValue(root, *key, *value);
    }
    return true;
}

WineRegistry::WineRegistry(QString prefix, QString userName)
    : m_prefix(std::move(prefix)), m_userName(userName.isEmpty() ? currentUnixUser() : std::move(userName))
{
}

WineRegistry::~WineRegistry() = default;

const MemoryRegistry& WineRegistry::tree() const
{
    if (!m_tree) {
        m_tree = std::make_unique<MemoryRegistry>();
        QFile file(QDir(m_prefix).filePath(QStringLiteral("user.reg")));
        if (file.open(QIODevice::ReadOnly)) {
            auto parsed = std::make_unique<MemoryRegistry>();
            try {
                if (readWineRegistry(file, *parsed, kHkeyCurrentUser))
                    m_tree = std::move(parsed);
            } catch (const std::bad_alloc&) {
                // Too big for memory: the prefix then has no registry.
            }
        }
    }
    return *m_tree;
}

QStringList WineRegistry::subkeys(quint32 root, const QStringList& keyPath) const
{
    return root == kHkeyCurrentUser ? tree().subkeys(root, keyPath) : QStringList();
}

QList<RegistryData> WineRegistry::values(quint32 root, const QStringList& keyPath) const
{
    return root == kHkeyCurrentUser ? tree().values(root, keyPath) : QList<RegistryData>();
}

QString WineRegistry::volatileVariable(const QString& name) const
{
    for (const char* keyName : {"Volatile Environment", "Environment"}) {
        for (const RegistryData& value : tree().values(kHkeyCurrentUser, {QLatin1String(keyName)})) {
            if ((value.type == kRegSz || value.type == kRegExpandSz) &&
                value.name.compare(name, Qt::CaseInsensitive) == 0) {
                const QString text = registryText(value.data);
                if (!text.isEmpty())
                    return text;
            }
        }
    }
    return QString();
}

QString WineRegistry::profileUserName() const
{
    const QDir users(QDir(m_prefix).filePath(QStringLiteral("drive_c/users")));
    const QString mine = matchingEntry(users.path(), m_userName);
    if (!mine.isEmpty())
        return mine;
    QStringList others = users.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    others.removeIf([](const QString& n) {
        return n.compare(QLatin1String("Public"), Qt::CaseInsensitive) == 0 ||
               n.compare(QLatin1String("Default"), Qt::CaseInsensitive) == 0;
    });
    return others.size() == 1 ? others.first() : m_userName;
}

QString WineRegistry::environmentVariable(const QString& name) const
{
    const QString known = volatileVariable(name);
    if (!known.isEmpty())
        return known;
    if (name.compare(QLatin1String("USERPROFILE"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("C:\\users\\") + profileUserName();
    if (name.compare(QLatin1String("USERNAME"), Qt::CaseInsensitive) == 0)
        return profileUserName();
    return QString();
}

QString WineRegistry::driveFolder(QChar letter) const
{
    if (!letter.isLetter() || letter.unicode() > 127)
        return QString();
    const QDir prefix(m_prefix);
    const QDir dosdevices(prefix.filePath(QStringLiteral("dosdevices")));
    const QString link = matchingEntry(dosdevices.path(), QString(letter.toLower()) + u':');
    if (!link.isEmpty()) {
        const QFileInfo target(dosdevices.filePath(link));
        if (target.isDir())
            return target.canonicalFilePath();
    }
    if (letter.toLower() == u'c') {
        const QFileInfo driveC(prefix.filePath(QStringLiteral("drive_c")));
        if (driveC.isDir())
            return driveC.canonicalFilePath();
    }
    return QString();
}

QString WineRegistry::description() const
{
    return QStringLiteral("Wine prefix ") + m_prefix;
}

QString defaultWinePrefix()
{
    const QString prefix = qEnvironmentVariable("WINEPREFIX");
    return prefix.isEmpty() ? QDir::home().filePath(QStringLiteral(".wine")) : prefix;
}

} // namespace sources::express
