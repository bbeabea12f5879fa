#include "sources/outlook/PstApplication.h"

#include "core/TextFiles.h"
#include "platform/ScriptedPlatform.h"
#include "sources/BodyText.h"
#include "support/FakeOutlook.h"
#include "sources/outlook/OutlookReader.h"
#include "support/TempDir.h"

#include <QDirIterator>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <gtest/gtest.h>
#include <numeric>

namespace {

using namespace sources::outlook;
using testsupport::TempDir;

// Every sample store, PST and OST, as a path below the fixtures.
const char* const kStores[] = {"pst/sample1.pst",           "pst/sample2.pst",
                               "pst/submessage.pst",        "pst/test_ansi.pst",
                               "pst/test_unicode.pst",      "pst/user1@test.lab.pst",
                               "pst/backup_with_rules.pst", "pst/97_outlook_pass12345.pst",
                               "pst/Outlook98Backup.pst",   "ost/pstextractortestpdf@outlook.com.ost"};

QString store(const char* relative)
{
    return QStringLiteral(QUILLMERE_FIXTURES "/") + QString::fromUtf8(relative);
}

// pffexport (Debian pff-tools) reads the same stores independently; the tests compare with what it shows.
#define REQUIRE_PFFEXPORT()                                                                                            \
    if (QStandardPaths::findExecutable(u"pffexport"_qs).isEmpty())                                                     \
    GTEST_SKIP() << "pffexport (Debian pff-tools) is not installed"

// Exports the store's items below folder and returns the export folder.
QString exportStore(const QString& store, const QString& folder, const QStringList& extra)
{
    const QString base = QDir(folder).filePath(QFileInfo(store).completeBaseName());
    QProcess process;
    process.start(u"pffexport"_qs, QStringList{u"-q"_qs, u"-m"_qs, u"items"_qs, u"-t"_qs, base} + extra << store);
    EXPECT_TRUE(process.waitForFinished(120000) && process.exitCode() == 0)
        << "pffexport failed on " << qPrintable(store);
    return base + u".export"_qs;
}

// The string properties of an ItemValues.txt that pffexport -d writes, by property tag.
QMap<quint32, QString> stringValues(const QString& itemValuesPath)
{
    QFile file(itemValuesPath);
    QMap<quint32, QString> values;
    if (!file.open(QIODevice::ReadOnly))
        return values;
    quint32 tag = 0, type = 0;
    QByteArray data;
    const auto hexAfter = [](const QByteArray& line) {
        return line.mid(line.indexOf("0x")).trimmed().toUInt(nullptr, 16);
    };
    const auto finish = [&] {
        if (type == 0x1f || type == 0x1e) {
            QString text =
                type == 0x1f ? QString::fromUtf16(reinterpret_cast<const char16_t*>(data.constData()), data.size() / 2)
                             : core::decodeText(data);
            while (text.endsWith(QChar(u'\0')))
                text.chop(1);
            values.insert(tag, text);
        }
        data.clear();
        type = 0;
    };
    while (!file.atEnd()) {
        const QByteArray line = file.readLine();
        if (line.startsWith("Entry type:")) {
            finish();
            tag = hexAfter(line);
        } else if (line.startsWith("Value type:")) {
            type = hexAfter(line);
        } else if (line.startsWith("0x") && line.size() > 12) {
            // "0x00000000: 49 00 50 00 ...  4e 00 ...   I.P.M...": 49 columns of hex (padded), then the characters.
            data += QByteArray::fromHex(line.mid(12, 49));
        }
    }
    finish();
    return values;
}

// The item folders pffexport made directly in folder ("Message00003", "Contact00001" ...), in file order.
QStringList itemFolders(const QString& folder)
{
    static const QRegularExpression itemName(u"^[A-Za-z]+(\\d{5})$"_qs);
    QMap<int, QString> byIndex;
    for (const QString& name : QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (const auto match = itemName.match(name); match.hasMatch())
            byIndex.insert(match.captured(1).toInt(), QDir(folder).filePath(name));
    }
    return byIndex.values();
}

// What an exported mail item stages: its sender, and its body where the export holds it as text (an
// HTML-only message is exported as HTML, which the reader turns into text of its own).
struct ExpectedMail
{
    QString sender;
    std::optional<QByteArray> body;
};

std::optional<ExpectedMail> expectedMail(const QString& itemFolder)
{
    const auto values = stringValues(itemFolder + u"/ItemValues.txt"_qs);
    const QString messageClass = values.value(0x001a); // mail is IPM.Note and its subclasses
    if (messageClass.compare(u"IPM.Note", Qt::CaseInsensitive) != 0 &&
        !messageClass.startsWith(u"IPM.Note.", Qt::CaseInsensitive))
        return std::nullopt;
    // The sender's address when its type is SMTP, else its display name.
    const QString sender = values.value(0x0c1e) == u"SMTP" ? values.value(0x0c1f) : values.value(0x0c1a);
    const QString text = itemFolder + u"/Message.txt"_qs;
    return ExpectedMail{sender, QFileInfo::exists(text) ? std::optional(TempDir::read(text)) : std::nullopt};
}

// The folder of the export that holds the folders a user sees: a PST's "Top of ..." folder, an OST's
// "IPM_SUBTREE" of its mailbox root.
QString topOf(const QString& exported)
{
    const QStringList tops = QDir(exported).entryList({u"Top of*"_qs}, QDir::Dirs);
    if (tops.size() == 1)
        return QDir(exported).filePath(tops.first());
    const QString mailbox = QDir(exported).filePath(u"Root - Mailbox/IPM_SUBTREE"_qs);
    return QFileInfo(mailbox).isDir() ? mailbox : QString();
}

class PstStoreTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!QFileInfo::exists(QStringLiteral(QUILLMERE_FIXTURES "/pst")))
            GTEST_SKIP() << "fixture folder pst not found beside the repository (../shared/fixtures)";
    }

    QByteArray stage(const QStringList& stores)
    {
        PstApplicationFactory factory([stores] { return stores; });
        OutlookReader reader({factory, options, desk.dialogs, desk.loop, pointer});
        EXPECT_TRUE(reader.stageSelectedMail(path));
        return TempDir::read(path);
    }

    fake::Options options;
    platform::ScriptedPlatform desk;
    platform::ScriptedPointer pointer;
    TempDir dir;
    QString path = dir.file(u"test.txt"_qs);
};

// Per first-level folder of every sample store: the same mail items with the same senders as pffexport
// shows, and the same bodies where the export has them as text.
TEST_F(PstStoreTest, EachFirstLevelFolderStagesWhatPffexportShows)
{
    REQUIRE_PFFEXPORT();
    int compared = 0;
    int withText = 0;
    for (const char* name : kStores) {
        const QString top = topOf(exportStore(store(name), dir.path(), {u"-d"_qs}));
        ASSERT_FALSE(top.isEmpty()) << name;
        for (const QString& first : QDir(top).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            const QString folder = QDir(top).filePath(first);
            QByteArray senders = "\r\n";
            QByteArray records = "\r\n";
            bool allText = true;
            int mails = 0;
            for (const QString& item : itemFolders(folder)) {
                if (const auto mail = expectedMail(item)) {
                    senders += mail->sender.toUtf8() + "\r\n\r\n";
                    records += mail->sender.toUtf8() + "\r\n" + mail->body.value_or(QByteArray()) + "\r\n";
                    allText = allText && mail->body;
                    ++mails;
                }
            }
            // Mail deeper down would come first, in an order the export does not show; the samples have none, and
            // any would fail the comparison.
            const std::string where = std::string(name) + " / " + first.toStdString();
            options.checkOnly({});
            options.boxes[0] = {true, first};
            options.body = false;
            EXPECT_EQ(stage({store(name)}), senders) << where;
            if (allText && mails > 0) {
                options.body = true;
                EXPECT_EQ(stage({store(name)}), records) << where;
                withText += mails;
            }
            compared += mails;
        }
    }
    // 296 lorem-ipsum messages in one store, the OST's HTML-only Inbox and a handful in the others.
    EXPECT_GT(compared, 300);
    EXPECT_GT(withText, 300);

    // The whole profile with every box: one record (two empty lines here) per mail item compared above.
    QStringList profile;
    for (const char* name : kStores)
        profile.append(store(name));
    options.checkAll();
    options.from = options.body = false;
    EXPECT_EQ(stage(profile), "\r\n" + QByteArray("\r\n\r\n").repeated(compared));
    EXPECT_TRUE(desk.dialogs.messageTexts().isEmpty()) << desk.dialogs.messageTexts().join(u'\n').toStdString();
}

// The visible characters of a text. Outlook's own conversion adds link targets in angle brackets and "*"
// before list items, and spaces differently around them; the text itself must be the same.
QString words(QString text)
{
    static const QRegularExpression added(u"<(https?|mailto):[^>]*>|\\*|\\s+"_qs);
    return text.remove(added);
}

// The sample stores carry their bodies in several forms; the HTML and RTF forms must read as the plain one.
TEST_F(PstStoreTest, SampleHtmlAndRtfBodiesReadAsTheirPlainText)
{
    REQUIRE_PFFEXPORT();
    int html = 0;
    int rtf = 0;
    for (const char* name : {"pst/backup_with_rules.pst", "pst/submessage.pst", "pst/user1@test.lab.pst"}) {
        QDirIterator it(exportStore(store(name), dir.path(), {u"-f"_qs, u"all"_qs}), {u"Message.txt"_qs}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString txt = it.next();
            const QString plain = core::decodeText(TempDir::read(txt));
            const QByteArray htmlBytes = TempDir::read(QFileInfo(txt).path() + u"/Message.html"_qs);
            const QByteArray rtfBytes = TempDir::read(QFileInfo(txt).path() + u"/Message.rtf"_qs);
            if (!htmlBytes.isEmpty()) {
                ++html;
                EXPECT_EQ(words(sources::HtmlToText(core::decodeText(htmlBytes).toUtf8())), words(plain))
                    << qPrintable(txt);
            }
            if (!rtfBytes.isEmpty()) {
                ++rtf;
                QString expected = plain;
                expected.remove(u'\r');
                while (expected.endsWith(u'\n'))
                    expected.chop(1);
                EXPECT_EQ(sources::RtfToText(rtfBytes), expected) << qPrintable(txt);
            }
        }
    }
    EXPECT_GT(html, 5);
    EXPECT_GT(rtf, 3);
}

} // namespace

// Workers staging every sample store give the bytes of one walk; cancelled, they stop before any store is
// appended and leave no part file behind.
TEST_F(PstStoreTest, WorkersStageAsOneWalkAndStopWhenCancelled)
{
    QStringList stores;
    for (const char* relative : kStores)
        stores << store(relative);
    options.checkAll();
    const QByteArray oneWalk = stage(stores);
    const QStringList oneWalkReports = desk.dialogs.messageTexts();

    PstApplicationFactory factory([stores] { return stores; });
    platform::ScriptedPlatform workersDesk;
    // One worker and three tell each store as it joins the staging file, in turn.
    std::vector<int> told;
    ReaderServices services{factory, options, workersDesk.dialogs, workersDesk.loop, pointer};
    services.storeStaged = [&](int done, int total) {
        EXPECT_EQ(total, stores.size());
        told.push_back(done);
    };
    std::vector<int> eachInTurn(size_t(stores.size()));
    std::iota(eachInTurn.begin(), eachInTurn.end(), 1);
    ASSERT_TRUE(OutlookReader(services).stageSelectedMail(path));
    EXPECT_EQ(told, eachInTurn);
    workersDesk.dialogs.clearRecord();
    told.clear();
    OutlookReader workers(services);
    workers.setWorkers(3);
    ASSERT_TRUE(workers.stageSelectedMail(path));
    EXPECT_EQ(TempDir::read(path), oneWalk);
    EXPECT_EQ(workersDesk.dialogs.messageTexts(), oneWalkReports);
    EXPECT_EQ(told, eachInTurn);

    int asked = 0;
    OutlookReader cancelled({factory, options, workersDesk.dialogs, workersDesk.loop, pointer,
                             std::chrono::milliseconds(0), 20, 1, [&] { return ++asked > 0; }});
    cancelled.setWorkers(2);
    EXPECT_FALSE(cancelled.stageSelectedMail(path));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(TempDir::read(path), QByteArray("\r\n"));
    EXPECT_EQ(QDir(dir.path()).entryList({u"*.part*"_qs}, QDir::Files), QStringList());
}
