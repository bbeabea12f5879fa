#include "core/Startup.h"
#include "core/TempFolder.h"
#include "platform/ScriptedPlatform.h"
#include "support/TempDir.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using testsupport::TempDir;

namespace {
mode_t modeOf(const QString& path)
{
    struct stat st
    {
    };
    lstat(QFile::encodeName(path).constData(), &st);
    return st.st_mode & 0777;
}
} // namespace

TEST(PrivateTempFolder, CreatedInsideTempClosedToOthers)
{
    TempDir dir;
    const testsupport::EnvGuard env("TEMP", dir.path());
    const QString folder = core::privateTempFolder();
    EXPECT_EQ(QFileInfo(folder).absolutePath(), dir.path());
    EXPECT_EQ(modeOf(folder), 0700u);
    EXPECT_EQ(core::privateTempFolder(), folder);
    EXPECT_EQ(core::stagingFilePath(), folder + u"/test.txt"_qs);

    chmod(QFile::encodeName(folder).constData(), 0777);
    EXPECT_EQ(core::privateTempFolder(), folder);
    EXPECT_EQ(modeOf(folder), 0700u);
}

TEST(PrivateTempFolder, PlantedLinkIsNotFollowed)
{
    TempDir dir;
    TempDir elsewhere;
    const testsupport::EnvGuard env("TEMP", dir.path());
    const QString usual = dir.file(u"quillmere-%1"_qs.arg(geteuid()));
    ASSERT_TRUE(QFile::link(elsewhere.path(), usual));
    const QString folder = core::privateTempFolder();
    EXPECT_NE(folder, usual);
    EXPECT_TRUE(folder.startsWith(usual + u'-'));
    EXPECT_FALSE(QFileInfo(folder).isSymLink());
    EXPECT_EQ(modeOf(folder), 0700u);
}

TEST(Startup, ApplicationTitleDropsTheLastWord)
{
    EXPECT_EQ(core::applicationTitle(QLatin1String(core::kProductFullName)), u"Quillmere"_qs);
    EXPECT_EQ(core::applicationTitle(u"Single"_qs), u"Single"_qs);
    EXPECT_EQ(core::applicationTitle(u"A very long product name that goes on and on and on forever"_qs),
              u"A very long product name that goes on"_qs);
}

TEST(Startup, HomePageOpensOnlyOnSeven)
{
    platform::ScriptedRandom random(6);
    platform::ScriptedOpener opener;
    core::OpenHomePageAtRandom(random, opener);
    EXPECT_TRUE(opener.opened.isEmpty());
    random.value = 7;
    core::OpenHomePageAtRandom(random, opener);
    EXPECT_EQ(opener.opened, QStringList{QLatin1String(core::kHomePage)});
}
