#include "sources/express/MessageList.h"

#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QProcess>

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
QStringList stagingEntries(const QString& staging)
{
    return QDir(staging).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

QByteArray sample(qsizetype bytes)
{
    QFile file(testsupport::fixture(u"dbx/test_OutlookDBX.dbx"_qs));
    return file.open(QIODevice::ReadOnly) ? file.read(bytes) : QByteArray();
}

} // namespace

TEST(DBXToEML, ConvertsTheSampleStoreInItsOrderWithoutCollisions)
{
    QUILLMERE_REQUIRE_FIXTURE(store, "dbx/test_OutlookDBX.dbx");
    testsupport::TempDir staging;
    ASSERT_EQ(convert({store, staging.path()}), 0);
    // A Windows-style command line with the program first converts the same store beside the first copy.
    ASSERT_EQ(convert({kConverter, store, staging.path()}), 0);
    const QStringList entries = stagingEntries(staging.path());
    ASSERT_EQ(entries.size(), 56);
    EXPECT_EQ(entries.first(), u"test_OutlookDBX-000001.eml"_qs);
    EXPECT_EQ(entries.last(), u"test_OutlookDBX~2-000028.eml"_qs);
    const QByteArray first = testsupport::TempDir::read(staging.file(entries.first()));
    EXPECT_TRUE(first.startsWith("From: \"Marcus\" <marcusdeoliveiraneves@gmail.com>\r\n"));
    EXPECT_EQ(first.count('\n'), first.count("\r\n"));
}

TEST(DBXToEML, TruncatedStoreKeepsOnlyWholeMessages)
{
    QUILLMERE_REQUIRE_FIXTURE(store, "dbx/test_OutlookDBX.dbx");
    testsupport::TempDir dir;
    QDir().mkpath(dir.file(u"staging"_qs));
    const QString staging = dir.file(u"staging"_qs);
    ASSERT_EQ(convert({dir.write(u"cut.dbx"_qs, sample(200000)), staging}), 0);
    const QStringList entries = stagingEntries(staging);
    EXPECT_EQ(entries.size(), 11);
    for (const QString& name : entries) {
        EXPECT_TRUE(name.startsWith(u"cut-") && name.endsWith(u".eml")) << qPrintable(name);
        EXPECT_GT(QFileInfo(staging + u'/' + name).size(), 0) << qPrintable(name);
    }
    sources::express::MessageListing listing;
    sources::express::ListEMLFiles(staging, listing);
    EXPECT_EQ(listing.size(), 11);
}

TEST(DBXToEML, NothingToConvertFailsAndLeavesNothing)
{
    testsupport::TempDir dir;
    const QString staging = dir.file(u"staging"_qs);
    QDir().mkpath(staging);
    EXPECT_EQ(convert({dir.write(u"empty.dbx"_qs, ""), staging}), 1);
    EXPECT_EQ(convert({dir.write(u"head.dbx"_qs, sample(100)), staging}), 1);
    EXPECT_EQ(convert({dir.write(u"junk.dbx"_qs, QByteArray(5000, '\x5a')), staging}), 1);
    EXPECT_EQ(convert({QString(), staging}), 3);
    EXPECT_EQ(convert({dir.file(u"empty.dbx"_qs)}), 2);
    EXPECT_TRUE(stagingEntries(staging).isEmpty());
}
