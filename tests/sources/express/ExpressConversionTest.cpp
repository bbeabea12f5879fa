#include "sources/express/ExpressConversion.h"

#include "FakeRunner.h"
#include "platform/ScriptedPlatform.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>

using namespace sources::express;

namespace {

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
// staging folder has a blank in its name and a message of an earlier run.
class ConversionTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window.program = dir.path();
        window.staging = dir.file(u"stag ing"_qs);
        dir.write(u"stag ing/stale.eml"_qs, "Date: stale\r\n");
        const QString converter = dir.write(
            u"DBXToEML"_qs, "#!/bin/sh\necho \"$1|$2\" >> \"$(dirname \"$0\")/log\"\nb=$(basename \"$1\" .dbx)\n"
                            "printf 'From: %s\\r\\nDate: today\\r\\n\\r\\n' \"$b\" > \"$2/$b-000001.eml\"\n");
        QFile::setPermissions(converter, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QStringList convertedStores() const
    {
        return QString::fromUtf8(testsupport::TempDir::read(dir.file(u"log"_qs))).split(u'\n', Qt::SkipEmptyParts);
    }

    testsupport::TempDir dir;
    FakeWindow window;
};

} // namespace

TEST_F(ConversionTest, ConvertsOnlyTheTickedRowsAndListsTheirMessages)
{
    const QString sent = dir.write(u"Sent Items.dbx"_qs, "x");
    window.rows = {{dir.write(u"Inbox.dbx"_qs, "x"), false}, {sent, true}};
    convertTickedStores(window);
    EXPECT_EQ(convertedStores(), QStringList{sent + u'|' + window.staging});
    ASSERT_EQ(window.messages.size(), 1);
    EXPECT_EQ(window.messages[0].from, u"Sent Items"_qs);
    EXPECT_EQ(window.messages[0].fileName, u"Sent Items-000001.eml"_qs);
    EXPECT_FALSE(QFile::exists(window.staging + u"/stale.eml"_qs));
    EXPECT_EQ(window.scripted.dialogs.messageTexts(), QStringList{u"Done."_qs});
    EXPECT_EQ(window.pointerControl.history(), (QList{platform::Pointer::Hourglass, platform::Pointer::Default}));
}

// Nothing ticked, or no converter in the program folder: the list is emptied and "Done." is all that is said.
TEST_F(ConversionTest, NothingTickedOrNoConverterListsNothing)
{
    window.rows = {{dir.write(u"Inbox.dbx"_qs, "x"), false}};
    convertTickedStores(window);
    EXPECT_TRUE(window.messages.isEmpty());
    EXPECT_TRUE(convertedStores().isEmpty());

    QFile::remove(dir.file(u"DBXToEML"_qs));
    window.rows[0].second = true;
    window.messages = {{}};
    convertTickedStores(window);
    EXPECT_TRUE(window.messages.isEmpty());
    EXPECT_EQ(window.scripted.dialogs.messageTexts(), (QStringList{u"Done."_qs, u"Done."_qs}));
}

// Each store's share of the bar comes from all rows, ticked or not; each conversion lists only its own.
TEST_F(ConversionTest, ProgressShareComesFromAllRows)
{
    window.rows = {{u"/a.dbx"_qs, true}, {u"/b.dbx"_qs, false}, {u"/c.dbx"_qs, true}};
    FakeRunner runner(200, 0, &window.bar);
    int written = 0;
    runner.onStart = [&](const QStringList& arguments) {
        dir.write(u"stag ing/m%1.eml"_qs.arg(++written), "Date: d\r\n");
        EXPECT_EQ(arguments, (QStringList{QString(), window.staging})); // the stores do not exist
    };
    convertTickedStores(window, &runner);
    ASSERT_EQ(runner.starts.size(), 2);
    EXPECT_EQ(runner.starts[0][0], dir.file(u"DBXToEML"_qs));
    EXPECT_EQ(runner.styles, (QList<int>{0, 0}));
    EXPECT_EQ(window.bar.value(), 6); // 100 / 3 / 10 rounds to 3 a step; the second store starts at 3
    EXPECT_EQ(window.bar.text(), u"Progress Bar"_qs);
    ASSERT_EQ(window.messages.size(), 2);
    EXPECT_EQ(window.messages[1].fileName, u"m2.eml"_qs);
}
