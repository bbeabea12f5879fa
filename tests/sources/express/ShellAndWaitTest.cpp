#include "sources/express/ShellAndWait.h"

#include "FakeRunner.h"
#include "platform/ScriptedPlatform.h"
#include "support/TempDir.h"

#include <QFile>

using namespace sources::express;

namespace {

// Runs a fake program for the given polls with the bar as the conversion command passes it.
FakeRunner runWithBar(platform::ScriptedProgress& bar, int polls, qint32 span)
{
    platform::ScriptedEventLoop loop;
    FakeRunner runner(polls, 0, &bar);
    EXPECT_EQ(ShellAndWait(loop, u"conv"_qs, {}, 0, &bar, bar.text(), bar.value(), span, &runner), 0);
    return runner;
}

} // namespace

TEST(ShellAndWait, OneRowFromZeroStepsByTenUpToNinety)
{
    platform::ScriptedProgress bar;
    const FakeRunner runner = runWithBar(bar, 1600, 1);
    EXPECT_EQ(runner.shown[49].text, u"Progress Bar"_qs);
    EXPECT_EQ(runner.shown[50].text, u"Progress Bar, Please wait.. 0"_qs);
    EXPECT_EQ(runner.shown[50].value, 0);
    EXPECT_EQ(runner.shown[199].value, 0);
    EXPECT_EQ(runner.shown[200].value, 10);
    EXPECT_EQ(runner.shown[200].text, u"Progress Bar, Please wait.. 150"_qs);
    EXPECT_EQ(runner.shown[350].value, 20);
    EXPECT_EQ(runner.shown[1400].value, 90);
    EXPECT_EQ(runner.shown[1550].value, 90);
    EXPECT_EQ(bar.text(), u"Progress Bar"_qs);
}

TEST(ShellAndWait, FourRowsRoundTheStepToEvenAndStopOneStepShort)
{
    platform::ScriptedProgress bar;
    const FakeRunner runner = runWithBar(bar, 2000, 4);
    EXPECT_EQ(runner.shown[200].value, 2); // 2.5 goes to the even 2
    EXPECT_EQ(runner.shown[1700].value, 22);
    EXPECT_EQ(runner.shown[1850].value, 23); // 25 - 2
    EXPECT_EQ(runner.shown[2000].value, 23);
}

TEST(ShellAndWait, EmptyProgressTextAndNoBar)
{
    platform::ScriptedProgress bar;
    bar.setText(QString());
    platform::ScriptedEventLoop loop;
    FakeRunner runner(60, 3, &bar);
    EXPECT_EQ(ShellAndWait(loop, u"conv"_qs, {}, 9, &bar, QString(), 40, 2, &runner), 3);
    EXPECT_EQ(runner.shown[55].text, u"Please wait.. 5"_qs);
    EXPECT_EQ(runner.shown[55].value, 40);
    EXPECT_EQ(bar.text(), u"Progress Bar"_qs);
    EXPECT_EQ(runner.styles, QList<int>{6});
    EXPECT_GT(loop.yields(), 60);

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
