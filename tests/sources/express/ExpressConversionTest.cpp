#include "sources/express/ExpressConversion.h"

#include "platform/ScriptedPlatform.h"
#include "sources/express/ShellAndWait.h"
#include "support/TempDir.h"

#include <QFile>
#include <functional>

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

// A converter that runs for 2000 polls without taking any time, telling how it was started.
class FakeRunner : public ProcessRunner
{
public:
    explicit FakeRunner(std::function<void(const QStringList&)> started) : m_started(std::move(started)) {}
    int start(const QString& program, const QStringList& arguments, int) override
    {
        m_started(QStringList{program} + arguments);
        m_polled = 0;
        return 0;
    }
    int exitCode() override { return m_polled++ < 2000 ? kStillActive : 0; }
    void pause() override {}

private:
    std::function<void(const QStringList&)> m_started;
    int m_polled = 0;
};

QString executable(const testsupport::TempDir& dir, const QString& name, const QByteArray& script)
{
    const QString path = dir.write(name, "#!/bin/sh\n" + script);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

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
        executable(dir, u"DBXToEML"_qs,
                   "echo \"$1|$2\" >> \"$(dirname \"$0\")/log\"\nb=$(basename \"$1\" .dbx)\n"
                   "printf 'From: %s\\r\\nDate: today\\r\\n\\r\\n' \"$b\" > \"$2/$b-000001.eml\"\n");
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

// Each store's share of the bar comes from all rows, ticked or not, in tenths of the share, and stops a step
// short of the share's end; the text the bar showed comes back. Each conversion lists only its own messages.
TEST_F(ConversionTest, ProgressShareComesFromAllRows)
{
    window.rows = {{u"/a.dbx"_qs, true}, {u"/b.dbx"_qs, false}, {u"/c.dbx"_qs, true}};
    int written = 0;
    FakeRunner runner([&](const QStringList& command) {
        // The stores do not exist, so no path is given for them.
        EXPECT_EQ(command, (QStringList{dir.file(u"DBXToEML"_qs), QString(), window.staging}));
        dir.write(u"stag ing/m%1.eml"_qs.arg(++written), "Date: d\r\n");
    });
    convertTickedStores(window, &runner);
    EXPECT_EQ(written, 2);
    EXPECT_EQ(window.bar.value(), 60); // steps of 3 up to 30 for the first store, up to 60 for the second
    EXPECT_EQ(window.bar.text(), u"Progress Bar"_qs);
    ASSERT_EQ(window.messages.size(), 2);
    EXPECT_EQ(window.messages[1].fileName, u"m2.eml"_qs);
}

TEST(ShellAndWait, ReportsAProgramThatCannotStart)
{
    testsupport::TempDir dir;
    platform::ScriptedEventLoop loop;
    EXPECT_EQ(ShellAndWait(loop, dir.file(u"none"_qs), {}), kObjectErrorBase + 53);
    EXPECT_EQ(ShellAndWait(loop, QString(), {}), kObjectErrorBase + 53);
    EXPECT_EQ(ShellAndWait(loop, dir.write(u"plain"_qs, "x"), {}), kObjectErrorBase + 70);
}

// Arguments with blanks and quotes arrive as they were given, and the wait lasts as long as the program does
// while the window keeps being served.
TEST(ShellAndWait, WaitsForARealProgram)
{
    testsupport::TempDir dir;
    const QString script = executable(dir, u"conv"_qs, "sleep 0.4\nprintf '%s' \"$1\" > \"$2/a.eml\"\nexit 7\n");
    const QString odd = u"a \"quoted\" name's.dbx"_qs;
    platform::ScriptedEventLoop loop;
    platform::ScriptedProgress bar;
    EXPECT_EQ(ShellAndWait(loop, script, {odd, dir.path()}, 0, &bar, bar.text(), 0, 1), 7);
    EXPECT_EQ(testsupport::TempDir::read(dir.file(u"a.eml"_qs)), odd.toUtf8());
    EXPECT_GE(loop.yields(), 8);
}
