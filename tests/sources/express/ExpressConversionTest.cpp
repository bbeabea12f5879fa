#include "sources/express/ExpressConversion.h"

#include "platform/ScriptedPlatform.h"
#include "support/TempDir.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QThread>

using namespace sources::express;
using testsupport::TempDir;

namespace {

const QString kConverter = QStringLiteral(QUILLMERE_PROGRAM_DIR "/DBXToEML");

class FakeWindow : public ExpressConversionWindow
{
public:
    int dbxRowCount() const override { return int(rows.size()); }
    QString dbxPath(int row) const override { return rows[row].first; }
    bool dbxTicked(int row) const override { return rows[row].second; }
    void clearMessages() override { messages.clear(); }
    void appendMessages(const MessageListing& added) override { messages += added; }
    QString programFolder() const override { return program; }
    QString stagingFolder() const override { return staging; }
    platform::PointerControl& pointer() override { return pointerControl; }
    platform::ProgressControl& progress() override { return bar; }
    platform::Dialogs& dialogs() override { return scripted.dialogs; }
    platform::EventLoop& loop() override { return scripted.loop; }

    QList<std::pair<QString, bool>> rows; // path, ticked
    MessageListing messages{{u"old"_qs, {}, {}, u"d"_qs, u"old.eml"_qs}};
    QString program;
    QString staging;
    platform::ScriptedPointer pointerControl;
    platform::ScriptedProgress bar;
    platform::ScriptedPlatform scripted;
};

// A program folder with a stand-in converter that logs its arguments and writes one message per store; the
// staging folder has a blank in its name, a message of an earlier run and a file that is no message.
class ConversionTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window.program = dir.path();
        window.staging = dir.file(u"stag ing"_qs);
        dir.write(u"stag ing/stale.eml"_qs, "Date: stale\r\n");
        dir.write(u"stag ing/notes.txt"_qs, "Date: no message file\r\n");
        const QString converter = dir.write(
            u"DBXToEML"_qs, "#!/bin/sh\necho \"$1|$2\" >> \"$(dirname \"$0\")/log\"\nb=$(basename \"$1\" .dbx)\n"
                            "printf 'From: %s\\r\\nDate: today\\r\\n\\r\\n' \"$b\" > \"$2/$b-000001.eml\"\n");
        QFile::setPermissions(converter, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    TempDir dir;
    FakeWindow window;
};

int convert(const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(kConverter, arguments);
    EXPECT_TRUE(process.waitForFinished(120000));
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

// Everything in the staging folder, hidden entries included: nothing but finished messages may be there.
QStringList stagingEntries(const TempDir& staging)
{
    return QDir(staging.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

// Each conversion adds only its own messages to the list; the wait lasts until the converter has written them.
TEST_F(ConversionTest, ConvertsOnlyTheTickedRowsAndListsTheirMessages)
{
    const QString sent = dir.write(u"Sent Items.dbx"_qs, "x");
    const QString drafts = dir.write(u"Drafts.dbx"_qs, "x");
    window.rows = {{dir.write(u"Inbox.dbx"_qs, "x"), false}, {sent, true}, {drafts, true}};
    convertTickedStores(window);
    EXPECT_EQ(TempDir::read(dir.file(u"log"_qs)),
              (sent + u'|' + window.staging + u'\n' + drafts + u'|' + window.staging + u'\n').toUtf8());
    ASSERT_EQ(window.messages.size(), 2);
    EXPECT_EQ(window.messages[0].from, u"Sent Items"_qs);
    EXPECT_EQ(window.messages[1].fileName, u"Drafts-000001.eml"_qs);
    EXPECT_FALSE(QFile::exists(window.staging + u"/stale.eml"_qs));
    EXPECT_EQ(window.scripted.dialogs.messageTexts(), QStringList{u"Done."_qs});
    EXPECT_EQ(window.pointerControl.history(), (QList{platform::Pointer::Hourglass, platform::Pointer::Default}));
}

// Without a converter in the program folder the list is emptied and "Done." is all that is said.
TEST_F(ConversionTest, NoConverterListsNothing)
{
    QFile::remove(dir.file(u"DBXToEML"_qs));
    window.rows = {{dir.write(u"Inbox.dbx"_qs, "x"), true}};
    convertTickedStores(window);
    EXPECT_TRUE(window.messages.isEmpty());
    EXPECT_EQ(window.scripted.dialogs.messageTexts(), QStringList{u"Done."_qs});
}

// A Windows-style command line with the program first converts the same store beside the first copy.
TEST(DBXToEML, ConvertsTheSampleStoreInItsOrderWithoutCollisions)
{
    QUILLMERE_REQUIRE_FIXTURE(store, "dbx/test_OutlookDBX.dbx");
    TempDir staging;
    ASSERT_EQ(convert({store, staging.path()}), 0);
    ASSERT_EQ(convert({kConverter, store, staging.path()}), 0);
    const QStringList entries = stagingEntries(staging);
    ASSERT_EQ(entries.size(), 56);
    EXPECT_EQ(entries.first(), u"test_OutlookDBX-000001.eml"_qs);
    EXPECT_EQ(entries.last(), u"test_OutlookDBX~2-000028.eml"_qs);
    const QByteArray first = TempDir::read(staging.file(entries.first()));
    EXPECT_TRUE(first.startsWith("From: \"Marcus\" <marcusdeoliveiraneves@gmail.com>\r\n"));
    EXPECT_EQ(first.count('\n'), first.count("\r\n"));
}

// Asked to end (a cancelled conversion), the converter stops its undbx and leaves nothing in the staging folder.
TEST(DBXToEML, EndingItStopsItsUndbxAndLeavesNoWorkFolder)
{
    TempDir bin, dir, staging;
    const QByteArray undbx = "#!/bin/sh\necho $$ > '" + bin.file(u"undbx.pid"_qs).toUtf8() + "'\nexec sleep 30\n";
    QFile::setPermissions(bin.write(u"undbx"_qs, undbx), QFile::ReadOwner | QFile::ExeOwner);
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"PATH"_qs, bin.path() + u":/usr/bin:/bin"_qs);
    process.setProcessEnvironment(environment);
    process.start(kConverter, {dir.write(u"Inbox.dbx"_qs, "x"), staging.path()});
    for (QDeadlineTimer deadline(10000); !QFile::exists(bin.file(u"undbx.pid"_qs)) && !deadline.hasExpired();)
        QThread::msleep(10);
    QThread::msleep(50); // the pid is written before exec
    const qint64 pid = TempDir::read(bin.file(u"undbx.pid"_qs)).trimmed().toLongLong();
    ASSERT_GT(pid, 0);
    process.terminate();
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitStatus(), QProcess::CrashExit);
    const auto running = [&] { // ended but not yet reaped counts as ended
        const QByteArray stat = TempDir::read(u"/proc/%1/stat"_qs.arg(pid));
        return !stat.isEmpty() && stat.mid(stat.lastIndexOf(')') + 2, 1) != "Z";
    };
    for (QDeadlineTimer deadline(5000); running() && !deadline.hasExpired();)
        QThread::msleep(10);
    EXPECT_FALSE(running()) << "undbx still runs";
    EXPECT_TRUE(stagingEntries(staging).isEmpty()) << stagingEntries(staging).join(u' ').toStdString();
}

// A store's files keep apart from files whose names start with its name in another case, in any script.
TEST(DBXToEML, PrefixTakenInAnotherCaseGetsANumber)
{
    QUILLMERE_REQUIRE_FIXTURE(store, "dbx/test_OutlookDBX.dbx");
    const struct
    {
        const char16_t* existing;
        const char16_t* store;
        const char16_t* first;
    } cases[] = {
        {u"inbox-000001.eml", u"INBOX.dbx", u"INBOX~2-000001.eml"},
        {u"über-000001.eml", u"ÜBER.dbx", u"ÜBER~2-000001.eml"},
        {u"\u017Fent-000001.eml", u"Sent.dbx", u"Sent~2-000001.eml"}, // LONG S folds to s
        {u"Inbox-000001.eml", u"Inboxes.dbx", u"Inboxes-000001.eml"},
    };
    for (const auto& c : cases) {
        TempDir dir, staging;
        staging.write(QString::fromUtf16(c.existing), "x");
        ASSERT_EQ(convert({dir.write(QString::fromUtf16(c.store), TempDir::read(store)), staging.path()}), 0);
        EXPECT_TRUE(stagingEntries(staging).contains(QString::fromUtf16(c.first)))
            << QString::fromUtf16(c.store).toStdString();
    }
}

TEST(DBXToEML, TruncatedStoreKeepsOnlyWholeMessages)
{
    QUILLMERE_REQUIRE_FIXTURE(store, "dbx/test_OutlookDBX.dbx");
    TempDir dir, staging;
    ASSERT_EQ(convert({dir.write(u"cut.dbx"_qs, TempDir::read(store).left(200000)), staging.path()}), 0);
    const QStringList entries = stagingEntries(staging);
    EXPECT_EQ(entries.size(), 11);
    for (const QString& name : entries)
        EXPECT_TRUE(name.startsWith(u"cut-") && name.endsWith(u".eml")) << qPrintable(name);
    MessageListing listing;
    ListEMLFiles(staging.path(), listing);
    EXPECT_EQ(listing.size(), 11);
}
