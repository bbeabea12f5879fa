#include "sources/express/ShellAndWait.h"

#include "FakeRunner.h"
#include "platform/ScriptedPlatform.h"
#include "support/TempDir.h"

#include <QFile>

using namespace sources::express;

// From the 50th poll the text counts the polls; every 150 polls the value moves on by a tenth of the share
// of 100 / span (rounded half to even), never past the share's end less one step. The text is put back.
TEST(ShellAndWait, ProgressCountsThePollsAndStepsThroughItsShare)
{
    struct Case
    {
        const char* text;
        qint32 start;
        qint32 span;
        int polls;
        const char* at55; // the text after 55 polls
        QList<int> values;
    };
    const Case cases[] = {
        {"Progress Bar", 0, 1, 1600, "Progress Bar, Please wait.. 5", {0, 10, 20, 30, 40, 50, 60, 70, 80, 90}},
        {"Progress Bar", 0, 4, 2000, "Progress Bar, Please wait.. 5", {0, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 23}},
        {"", 40, 2, 60, "Please wait.. 5", {0, 40}},
    };
    for (const Case& c : cases) {
        platform::ScriptedProgress bar;
        bar.setText(QString::fromUtf8(c.text));
        platform::ScriptedEventLoop loop;
        FakeRunner runner(c.polls, 3, &bar);
        EXPECT_EQ(ShellAndWait(loop, u"conv"_qs, {}, 9, &bar, bar.text(), c.start, c.span, &runner), 3);
        EXPECT_EQ(runner.shown[49].text, QString::fromUtf8(c.text));
        EXPECT_EQ(runner.shown[55].text, QString::fromUtf8(c.at55));
        if (c.polls > 200) { // the first step comes 150 polls after the text
            EXPECT_EQ(runner.shown[199].value, c.values[0]);
            EXPECT_EQ(runner.shown[200].value, c.values[1]);
        }
        QList<int> values;
        for (const FakeRunner::Shown& shown : runner.shown) {
            if (values.isEmpty() || values.back() != shown.value)
                values.append(shown.value);
        }
        EXPECT_EQ(values, c.values) << c.span;
        EXPECT_EQ(bar.text(), u"Progress Bar"_qs);
        EXPECT_EQ(runner.styles, QList<int>{6}); // an unknown window style is 6
        EXPECT_GT(loop.yields(), c.polls);
    }
    platform::ScriptedEventLoop loop;
    FakeRunner quiet(60, 5);
    EXPECT_EQ(ShellAndWait(loop, u"conv"_qs, {}, 0, nullptr, QString(), 0, 1, &quiet), 5);
}

TEST(ShellAndWait, ReportsAProgramThatCannotStart)
{
    testsupport::TempDir dir;
    platform::ScriptedEventLoop loop;
    EXPECT_EQ(ShellAndWait(loop, dir.file(u"none"_qs), {}), kObjectErrorBase + 53);
    EXPECT_EQ(ShellAndWait(loop, QString(), {}), kObjectErrorBase + 53);
    EXPECT_EQ(ShellAndWait(loop, dir.write(u"plain"_qs, "x"), {}), kObjectErrorBase + 70);
    EXPECT_EQ(GetShortFilename(dir.file(u"none"_qs)), QString());
    EXPECT_EQ(GetShortFilename(dir.path()), dir.path());
}

// A real program: arguments with blanks and quotes arrive as they were given, and the wait lasts as long
// as the program does while the window keeps being served.
TEST(ShellAndWait, WaitsForARealProgram)
{
    testsupport::TempDir dir;
    const QString script = dir.write(u"conv"_qs, "#!/bin/sh\nsleep 0.4\nprintf '%s' \"$1\" > \"$2/a.eml\"\n"
                                                 "exit 7\n");
    QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString odd = u"a \"quoted\" name's.dbx"_qs;
    platform::ScriptedEventLoop loop;
    platform::ScriptedProgress bar;
    EXPECT_EQ(ShellAndWait(loop, script, {odd, dir.path()}, 0, &bar, bar.text(), 0, 1), 7);
    EXPECT_EQ(testsupport::TempDir::read(dir.file(u"a.eml"_qs)), odd.toUtf8());
    EXPECT_GE(loop.yields(), 8);
    EXPECT_EQ(bar.text(), u"Progress Bar"_qs);
}
