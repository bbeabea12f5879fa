#include "sources/express/ExpressConversion.h"

#include "FakeRunner.h"
#include "platform/ScriptedPlatform.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QProcess>

using namespace sources::express;

namespace {

struct DbxRow
{
    QString path;
    bool ticked;
};

class FakeWindow : public ExpressConversionWindow
{
public:
    int dbxRowCount() const override { return int(rows.size()); }
    QString dbxPath(int row) const override { return rows[row].path; }
    bool dbxTicked(int row) const override { return rows[row].ticked; }
    void clearMessages() override { messages.clear(); }
    void appendMessages(const MessageListing& added) override { messages += added; }
    QString programFolder() const override { return program; }
    QString stagingFolder() const override { return staging; }
    platform::PointerControl& pointer() override { return pointerControl; }
    platform::ProgressControl& progress() override { return bar; }
    platform::Dialogs& dialogs() override { return scripted.dialogs; }
    platform::EventLoop& loop() override { return scripted.loop; }

    QList<DbxRow> rows;
    MessageListing messages{{QStringLiteral("old"), {}, {}, QStringLiteral("d"), QStringLiteral("old.eml")}};
    QString program;
    QString staging;
    platform::ScriptedPointer pointerControl;
    platform::ScriptedProgress bar;
    platform::ScriptedPlatform scripted;
};

// A program folder with a stand-in converter that logs its arguments and writes one message per store.
class ConversionTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window.program = dir.path();
        window.staging = dir.file(QStringLiteral("stag ing"));
        QDir().mkpath(window.staging);
        dir.write(QStringLiteral("stag ing/stale.eml"), "Date: stale\r\n");
        const QString converter =
            dir.write(QStringLiteral("DBXToEML"),
                      "#!/bin/sh\necho \"$1|$2\" >> \"$(dirname \"$0\")/log\"\nb=$(basename \"$1\" .dbx)\n"
                      "printf 'From: %s\\r\\nDate: today\\r\\n\\r\\n' \"$b\" > \"$2/$b-000001.eml\"\n");
        QFile::setPermissions(converter, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QStringList convertedStores() const
    {
        return QString::fromUtf8(testsupport::TempDir::read(dir.file(QStringLiteral("log"))))
            .split(u'\n', Qt::SkipEmptyParts);
    }

    testsupport::TempDir dir;
    FakeWindow window;
};

} // namespace

TEST_F(ConversionTest, NothingTickedListsNothing)
{
    window.rows = {{dir.write(QStringLiteral("Inbox.dbx"), "x"), false}};
    PushButton11_ExtractEmailsFromOutlookExpress(window);
    EXPECT_TRUE(window.messages.isEmpty());
    EXPECT_TRUE(convertedStores().isEmpty());
    EXPECT_FALSE(QFile::exists(window.staging + QStringLiteral("/stale.eml")));
    EXPECT_EQ(window.scripted.dialogs.messageTexts(), QStringList{QStringLiteral("Done.")});
    EXPECT_EQ(window.pointerControl.history(), (QList{platform::Pointer::Hourglass, platform::Pointer::Default}));
}

// The staging folder has a blank in its name; it reaches the converter whole.
TEST_F(ConversionTest, ConvertsOnlyTheTickedRow)
{
    const QString sent = dir.write(QStringLiteral("Sent Items.dbx"), "x");
    window.rows = {{dir.write(QStringLiteral("Inbox.dbx"), "x"), false}, {sent, true}};
    PushButton11_ExtractEmailsFromOutlookExpress(window);
    EXPECT_EQ(convertedStores(), QStringList{sent + u'|' + window.staging});
    ASSERT_EQ(window.messages.size(), 1);
    EXPECT_EQ(window.messages[0].from, QStringLiteral("Sent Items"));
    EXPECT_EQ(window.messages[0].fileName, QStringLiteral("Sent Items-000001.eml"));
    EXPECT_EQ(window.scripted.dialogs.messageTexts(), QStringList{QStringLiteral("Done.")});
}

// Each store's share of the bar comes from all rows, ticked or not; each conversion lists only its own.
TEST_F(ConversionTest, ProgressShareComesFromAllRows)
{
    window.rows = {
        {QStringLiteral("/a.dbx"), true}, {QStringLiteral("/b.dbx"), false}, {QStringLiteral("/c.dbx"), true}};
    FakeRunner runner(200, 0, &window.bar);
    int written = 0;
    runner.onStart = [&](const QStringList& arguments) {
        dir.write(QStringLiteral("stag ing/m%1.eml").arg(++written), "Date: d\r\n");
        EXPECT_EQ(arguments, (QStringList{QString(), window.staging})); // the stores do not exist
    };
    PushButton11_ExtractEmailsFromOutlookExpress(window, &runner);
    ASSERT_EQ(runner.starts.size(), 2);
    EXPECT_EQ(runner.starts[0][0], dir.file(QStringLiteral("DBXToEML")));
    EXPECT_EQ(runner.styles, (QList<int>{0, 0}));
    EXPECT_EQ(runner.shown[200].value, 3); // 100 / 3 / 10 = 3.33 -> 3
    EXPECT_EQ(window.bar.value(), 6);      // the second store starts where the first left the bar
    EXPECT_EQ(window.bar.text(), QStringLiteral("Progress Bar"));
    ASSERT_EQ(window.messages.size(), 2);
    EXPECT_EQ(window.messages[1].fileName, QStringLiteral("m2.eml"));
}

TEST_F(ConversionTest, MissingConverterListsNothingAndSaysNothingElse)
{
    QFile::remove(dir.file(QStringLiteral("DBXToEML")));
    window.rows = {{dir.write(QStringLiteral("Inbox.dbx"), "x"), true}};
    PushButton11_ExtractEmailsFromOutlookExpress(window);
    EXPECT_TRUE(window.messages.isEmpty());
    EXPECT_EQ(window.scripted.dialogs.messageTexts(), QStringList{QStringLiteral("Done.")});
}

// The real converter on the sample store, through the command.
TEST_F(ConversionTest, RealConverterListsEveryMessageOfTheSampleStore)
{
    QUILLMERE_REQUIRE_FIXTURE(store, "dbx/test_OutlookDBX.dbx");
    window.program = QStringLiteral(QUILLMERE_PROGRAM_DIR);
    window.rows = {{store, true}};
    PushButton11_ExtractEmailsFromOutlookExpress(window);
    ASSERT_EQ(window.messages.size(), 28);
    EXPECT_EQ(window.messages[0].from, QStringLiteral("\"Marcus\" <marcusdeoliveiraneves@gmail.com>"));
    EXPECT_EQ(window.messages[0].fileName, QStringLiteral("test_OutlookDBX-000001.eml"));
    int decoded = 0;
    for (const EmlMessage& message : std::as_const(window.messages)) {
        EXPECT_FALSE(message.from.isEmpty() || message.to.isEmpty() || message.date.isEmpty());
        EXPECT_FALSE(message.subject.contains(u"=?") || message.from.contains(u"=?")) << qPrintable(message.subject);
        decoded += message.subject.contains(u"Católica") ? 1 : 0;
    }
    EXPECT_GT(decoded, 0);
    EXPECT_EQ(window.scripted.dialogs.messageTexts(), QStringList{QStringLiteral("Done.")});
}
