#include "sources/express/MessageBody.h"
#include "sources/express/MessageList.h"
#include "support/FakeOutlook.h"
#include "sources/outlook/OutlookReader.h"
#include "sources/outlook/PstApplication.h"

#include "platform/ScriptedPlatform.h"
#include "support/TempDir.h"

#include <QProcess>
#include <random>

using testsupport::TempDir;

namespace {

// Copies of a store as a failing disk or an interrupted copy leaves them: cut, with a damaged signature, and
// with bytes flipped at places chosen by a fixed seed (so that a failure can be reproduced).
QList<QByteArray> damagedCopies(const QByteArray& original, int flippedCopies, int flipsEach)
{
    QList<QByteArray> copies;
    for (const qsizetype cut :
         {qsizetype(0), qsizetype(1), qsizetype(511), qsizetype(4096), original.size() / 3, original.size() - 1})
        copies.append(original.left(cut));
    copies.append(QByteArray(original).replace(0, 4, "XXXX"));
    std::mt19937 random(20210831);
    for (int copy = 0; copy < flippedCopies; ++copy) {
        QByteArray flipped = original;
        std::uniform_int_distribution<qsizetype> at(0, flipped.size() - 1);
        for (int i = 0; i < flipsEach; ++i)
            flipped[at(random)] ^= char(1 << (random() % 8));
        copies.append(flipped);
    }
    return copies;
}

class DamagedPstTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (pst("sample1.pst").isEmpty())
            GTEST_SKIP() << "fixture folder pst not found beside the repository (../shared/fixtures)";
        options.checkAll();
    }
    static QString pst(const char* name) { return testsupport::fixture(u"pst/"_qs + QLatin1String(name)); }
    QByteArray stage(const QStringList& stores, bool staged = true)
    {
        sources::outlook::PstApplicationFactory factory([stores] { return stores; });
        sources::outlook::OutlookReader reader({factory, options, desk.dialogs, desk.loop, pointer});
        EXPECT_EQ(reader.stageSelectedMail(path), staged);
        return TempDir::read(path);
    }

    fake::Options options;
    platform::ScriptedPlatform desk;
    platform::ScriptedPointer pointer;
    TempDir dir;
    QString path = dir.file(u"staged.txt"_qs);
};

} // namespace

// Unicode and ANSI stores, one with an embedded message and RTF body: every damaged copy in the profile is
// either read or reported, and the good store after it is staged in full.
TEST_F(DamagedPstTest, CutAndBitFlippedCopiesAreReportedAndTheNextStoreIsStaged)
{
    const QByteArray goodOnly = stage({pst("sample1.pst")});
    ASSERT_GT(goodOnly.size(), 2);
    int copyNumber = 0;
    for (const char* name : {"sample2.pst", "submessage.pst"}) {
        for (const QByteArray& damaged : damagedCopies(TempDir::read(pst(name)), 12, 24)) {
            const QString copy = dir.write(u"damaged%1.pst"_qs.arg(copyNumber++), damaged);
            desk.dialogs.clearRecord();
            EXPECT_TRUE(stage({copy, pst("sample1.pst")}).endsWith(goodOnly.mid(2))) << name << ' ' << copyNumber;
            for (const QString& text : desk.dialogs.messageTexts())
                EXPECT_TRUE(text.contains(u"in Quillmere2021/08/31.Outlook1.")) << text.toStdString();
            EXPECT_EQ(pointer.pointer(), platform::Pointer::Default);
        }
    }

    // As the PST file of a run: a copy that cannot be attached ends the run, as a failed staging, after one
    // report that names it.
    options.profile = false;
    options.pst = true;
    options.pstPath = dir.file(u"damaged1.pst"_qs);
    desk.dialogs.clearRecord();
    EXPECT_EQ(stage({pst("sample1.pst")}, false), QByteArray("\r\n"));
    const QStringList shown = desk.dialogs.messageTexts();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].contains(u"in Quillmere2021/08/31.Outlook1.getAllEmailOutlook at line ") &&
                shown[0].contains(u"damaged1.pst"))
        << shown[0].toStdString();
}

// The converter runs apart from the window; on a damaged store it must still end normally and leave only
// whole message files, which the listing and the body reader then take as they are. A store too short to
// hold any message fails and leaves nothing.
TEST(DamagedDbx, CutAndBitFlippedStoresConvertToWhatCanBeRead)
{
    QUILLMERE_REQUIRE_FIXTURE(original, "dbx/test_OutlookDBX.dbx");
    TempDir dir;
    int copyNumber = 0;
    for (const QByteArray& damaged : damagedCopies(TempDir::read(original), 10, 64)) {
        const TempDir staging;
        QProcess converter;
        converter.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        converter.start(QStringLiteral(QUILLMERE_PROGRAM_DIR "/DBXToEML"),
                        {dir.write(u"store%1.dbx"_qs.arg(copyNumber++), damaged), staging.path()});
        ASSERT_TRUE(converter.waitForFinished(120000)) << copyNumber;
        EXPECT_EQ(converter.exitStatus(), QProcess::NormalExit) << copyNumber;
        const QStringList entries =
            QDir(staging.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
        EXPECT_TRUE(damaged.size() >= 512 || (converter.exitCode() == 1 && entries.isEmpty())) << copyNumber;
        for (const QString& entry : entries) {
            EXPECT_TRUE(entry.endsWith(u".eml")) << qPrintable(entry);
            (void)sources::express::LoadMessageBody(staging.file(entry));
        }
        sources::express::MessageListing listing;
        sources::express::ListEMLFiles(staging.path(), listing);
        EXPECT_LE(listing.size(), entries.size());
    }
}
