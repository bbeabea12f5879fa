#include "core/TempFolder.h"
#include "support/TempDir.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

mode_t modeOf(const QString& path)
{
    struct stat st = {};
    lstat(QFile::encodeName(path).constData(), &st);
    return st.st_mode & 0777;
}

} // namespace

// Made inside $TEMP with mode 0700, and closed again when found opened.
TEST(PrivateTempFolder, CreatedInsideTempClosedToOthers)
{
    testsupport::TempDir dir;
    const testsupport::EnvGuard env("TEMP", dir.path());
    const QString folder = core::privateTempFolder();
    EXPECT_EQ(QFileInfo(folder).absolutePath(), dir.path());
    EXPECT_EQ(modeOf(folder), 0700u);
    EXPECT_EQ(core::stagingFilePath(), folder + u"/test.txt"_qs);
    chmod(QFile::encodeName(folder).constData(), 0777);
    EXPECT_EQ(core::privateTempFolder(), folder);
    EXPECT_EQ(modeOf(folder), 0700u);
}

TEST(PrivateTempFolder, PlantedLinkIsNotFollowed)
{
    testsupport::TempDir dir, elsewhere;
    const testsupport::EnvGuard env("TEMP", dir.path());
    const QString usual = dir.file(u"quillmere-%1"_qs.arg(geteuid()));
    ASSERT_TRUE(QFile::link(elsewhere.path(), usual));
    const QString folder = core::privateTempFolder();
    EXPECT_TRUE(folder.startsWith(usual + u'-'));
    EXPECT_FALSE(QFileInfo(folder).isSymLink());
    EXPECT_EQ(modeOf(folder), 0700u);
}
