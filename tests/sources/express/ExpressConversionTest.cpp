#include "sources/express/ExpressConversion.h"

#include "platform/ScriptedPlatform.h"
#include "sources/express/ConverterPool.h"
#include "support/TempDir.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QThread>
#include <csignal>

using namespace sources::express;
using testsupport::TempDir;

namespace {

const QString kConverter = QStringLiteral(QUILLMERE_PROGRAM_DIR "/DBXToEML");

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
    EXPECT_TRUE(testsupport::processEnds(pid)) << "undbx still runs";
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

namespace {

// Stand-in converters for the pool: each logs "start"/"end" and its store's path; script is the middle.
QString poolConverter(const TempDir& dir, const QByteArray& script)
{
    const QString converter = dir.write(u"DBXToEML"_qs, "#!/bin/sh\nlog=\"$(dirname \"$0\")/log\"\n"
                                                        "echo \"start $1\" >> \"$log\"\n" +
                                                            script + "echo \"end $1\" >> \"$log\"\n");
    QFile::setPermissions(converter, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return converter;
}

} // namespace

// Up to `jobs` converters run at once; a store waits for the earlier stores whose files could take the same
// name prefix (Inbox, inbox, Inbox-2); every store is reported in order.
TEST(ConverterPool, RunsStoresSideBySideButAStoreAfterTheEarlierOnesOfItsPrefix)
{
    TempDir dir;
    const QString converter = poolConverter(dir, "sleep 0.3\ncase \"$1\" in *bad*) exit 1 ;; esac\n");
    const QStringList stores{dir.file(u"one/Inbox.dbx"_qs), dir.file(u"Sent.dbx"_qs), dir.file(u"two/inbox.dbx"_qs),
                             dir.file(u"bad.dbx"_qs), dir.file(u"Inbox-2.dbx"_qs)};
    platform::ScriptedEventLoop loop;
    QList<std::pair<int, int>> ended;
    convertStores(loop, converter, stores, dir.path(), 3, [&](int store, int code) { ended.append({store, code}); });
    EXPECT_EQ(ended, (QList<std::pair<int, int>>{{0, 0}, {1, 0}, {2, 0}, {3, 1}, {4, 0}}));

    const QStringList log = QString::fromUtf8(TempDir::read(dir.file(u"log"_qs))).split(u'\n', Qt::SkipEmptyParts);
    int running = 0, most = 0;
    for (const QString& line : log) {
        running += line.startsWith(u"start") ? 1 : -1;
        most = std::max(most, running);
    }
    EXPECT_EQ(most, 3) << qPrintable(log.join(u'|'));
    const auto at = [&](const char* event, int store) {
        return log.indexOf(QLatin1String(event) + u' ' + stores[store]);
    };
    EXPECT_LT(at("end", 0), at("start", 2));
    EXPECT_LT(at("end", 2), at("start", 4));
    EXPECT_LT(at("start", 1), at("end", 0));
}

// Cancelled while converters run: they are asked to end, and they stop what they started; no store after them
// starts and none is reported.
TEST(ConverterPool, CancellingAsksTheRunningConvertersToEnd)
{
    TempDir dir, staging;
    staging.write(u".kept"_qs, "not the converter's");
    // Asked to end, the stand-in stops its program and removes its work folder, as the converter does.
    const QString converter = poolConverter(
        dir, "work=\"$2/.DBXToEML-$$\"; mkdir \"$work\"\ntrap 'kill $!; rm -r \"$work\"; exit 143' TERM\n"
             "sleep 60 &\necho $! >> \"$(dirname \"$0\")/pids\"\necho $$ >> \"$(dirname \"$0\")/pids\"\nwait\n");
    const QStringList stores{dir.file(u"Inbox.dbx"_qs), dir.file(u"Sent.dbx"_qs), dir.file(u"Drafts.dbx"_qs)};
    platform::ScriptedEventLoop loop;
    const platform::RunScope scope(loop);
    loop.onYield = [&] {
        if (TempDir::read(dir.file(u"pids"_qs)).count('\n') == 4)
            loop.requestCancel();
    };
    bool anyEnded = false;
    EXPECT_THROW(convertStores(loop, converter, stores, staging.path(), 2, [&](int, int) { anyEnded = true; }),
                 platform::RunCancelled);
    EXPECT_FALSE(anyEnded);
    const QStringList pids = QString::fromLatin1(TempDir::read(dir.file(u"pids"_qs))).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(pids.size(), 4);
    for (const QString& pid : pids)
        EXPECT_TRUE(testsupport::processEnds(pid.toLongLong())) << qPrintable(pid);
    EXPECT_EQ(stagingEntries(staging), QStringList{u".kept"_qs});
    EXPECT_FALSE(TempDir::read(dir.file(u"log"_qs)).contains("Drafts"));
}
