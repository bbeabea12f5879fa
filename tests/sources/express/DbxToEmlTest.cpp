#include "sources/express/MessageList.h"

#include "support/TempDir.h"

#include <QDir>
#include <QProcess>

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

TEST(DBXToEML, TruncatedStoreKeepsOnlyWholeMessages)
{
    QUILLMERE_REQUIRE_FIXTURE(store, "dbx/test_OutlookDBX.dbx");
    TempDir dir, staging;
    ASSERT_EQ(convert({dir.write(u"cut.dbx"_qs, TempDir::read(store).left(200000)), staging.path()}), 0);
    const QStringList entries = stagingEntries(staging);
    EXPECT_EQ(entries.size(), 11);
    for (const QString& name : entries)
        EXPECT_TRUE(name.startsWith(u"cut-") && name.endsWith(u".eml")) << qPrintable(name);
    sources::express::MessageListing listing;
    sources::express::ListEMLFiles(staging.path(), listing);
    EXPECT_EQ(listing.size(), 11);
}

TEST(DBXToEML, NothingToConvertFailsAndLeavesNothing)
{
    TempDir dir, staging;
    const QByteArray head = TempDir::read(testsupport::fixture(u"dbx/test_OutlookDBX.dbx"_qs)).left(100);
    for (const QByteArray& bytes : {QByteArray(), head, QByteArray(5000, '\x5a')})
        EXPECT_EQ(convert({dir.write(u"bad.dbx"_qs, bytes), staging.path()}), 1);
    EXPECT_EQ(convert({QString(), staging.path()}), 3);
    EXPECT_EQ(convert({dir.file(u"bad.dbx"_qs)}), 2);
    EXPECT_TRUE(stagingEntries(staging).isEmpty());
}
