#include "results/TextExport.h"

#include "core/ErrorReport.h"
#include "platform/ScriptedPlatform.h"
#include "results/ResultsList.h"
#include "support/TempDir.h"

#include <QDir>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using results::ResultsList;
using testsupport::TempDir;

void oneColumn(ResultsList& list, const QStringList& hits)
{
    list.setColumns({{u"Results"_qs, 7000}});
    for (const QString& hit : hits)
        list.add({hit, {}, false});
}

void twoColumns(ResultsList& list, const QList<QPair<QString, QString>>& rows)
{
    list.setColumns({{u"Source Filename"_qs, 3000}, {u"Extraction Results"_qs, 4400}});
    for (const auto& [path, hit] : rows)
        list.add({path, hit, true});
}

QByteArray aligned(const ResultsList& list, const TempDir& dir)
{
    const QString path = dir.file(u"out.txt"_qs);
    results::WriteAlignedTextFile(list, path);
    return TempDir::read(path);
}

TEST(AlignedFile, TwoColumnsPadTheSourceToTheWidestPathOrHeader)
{
    TempDir dir;
    ResultsList list;
    twoColumns(list, {{u"/a/test.txt"_qs, u"hit one"_qs}, {u"/longer/path/test.txt"_qs, u"x"_qs}});
    EXPECT_EQ(aligned(list, dir), QByteArray("Source Filename      \tExtraction Results\r\n"
                                             "/a/test.txt          \thit one\r\n"
                                             "/longer/path/test.txt\tx\r\n"
                                             "\r\n"));

    ResultsList empty;
    twoColumns(empty, {});
    EXPECT_EQ(aligned(empty, dir), QByteArray("Source Filename\tExtraction Results\r\n\r\n"));
}

TEST(AlignedFile, TrimsTabsFirstThenSpacesAndNoBreakSpaces)
{
    TempDir dir;
    ResultsList list;
    oneColumn(list, {u"tail  \u00a0 "_qs, u"x\t\t"_qs, u"abcdefghij"_qs});
    // The TABs inside "x\t\t" survive: the padding behind them is cut only after the trailing TABs are.
    EXPECT_EQ(aligned(list, dir), QByteArray("Results\r\ntail\r\nx\t\t\r\nabcdefghij\r\n\r\n"));

    ResultsList emptyHit;
    twoColumns(emptyHit, {{u"/p"_qs, QString()}});
    EXPECT_EQ(aligned(emptyHit, dir), QByteArray("Source Filename\tExtraction Results\r\n"
                                                 "/p             \t\r\n"
                                                 "\r\n"));
}

TEST(AlignedFile, MeasuresWidthsInUtf16UnitsAndWritesUtf8)
{
    TempDir dir;
    ResultsList list;
    // The emoji is two UTF-16 units, so the source column is 17 wide.
    twoColumns(list, {{u"\U0001F600abcdefghijklmno"_qs, u"caf\u00e9"_qs}, {u"abc"_qs, u"x"_qs}});
    EXPECT_EQ(aligned(list, dir), QByteArray("Source Filename  \tExtraction Results\r\n"
                                             "\xF0\x9F\x98\x80"
                                             "abcdefghijklmno\tcaf\xC3\xA9\r\n"
                                             "abc              \tx\r\n"
                                             "\r\n"));
}

class RecordingProgress : public platform::ProgressControl
{
public:
    QString text() const override { return {}; }
    void setText(const QString&) override {}
    int value() const override { return values.isEmpty() ? 0 : values.back(); }
    void setValue(int value) override { values.append(value); }
    QList<int> values;
};

TEST(AlignedFile, ShowsWholePercentPerRowAndEndsAtZero)
{
    TempDir dir;
    ResultsList list;
    oneColumn(list, {u"1"_qs, u"2"_qs, u"3"_qs});
    RecordingProgress progress;
    results::WriteAlignedTextFile(list, dir.file(u"p.txt"_qs), {nullptr, &progress});
    EXPECT_EQ(progress.values, (QList<int>{33, 66, 100, 0}));
}

TEST(CommaDelimited, EveryEntryFollowedByACommaWithoutLineBreak)
{
    TempDir dir;
    const QString path = dir.file(u"c.txt"_qs);
    ResultsList list;
    oneColumn(list, {u"x"_qs, u"y"_qs});
    results::WriteCommaDelimitedFile(list, path);
    EXPECT_EQ(TempDir::read(path), QByteArray("x,y,"));

    // Commas in a hit are not quoted; the two-column list gives the extracted text, not the path.
    ResultsList two;
    twoColumns(two, {{u"/tmp/test.txt"_qs, u"a,b"_qs}});
    results::WriteCommaDelimitedFile(two, path);
    EXPECT_EQ(TempDir::read(path), QByteArray("a,b,"));
}

// A failed save reports under the writer's own location and leaves nothing half-written behind.
class FailedSave : public ::testing::Test
{
protected:
    void expectReported(const QString& description)
    {
        ASSERT_EQ(dialogs.messages().size(), 1);
        EXPECT_EQ(dialogs.messages()[0].title, u"Application Error"_qs);
        EXPECT_EQ(dialogs.messages()[0].text,
                  core::errorReportText(u"Main"_qs, u"SaveListviewProperlySpaced"_qs, 1, description));
    }
    TempDir dir;
    platform::ScriptedDialogs dialogs;
    ResultsList list;
};

// A folder that every user may pass through on the way down from the root.
QString passableByAll(const QString& folder)
{
    for (QString path = QDir(folder).absolutePath();; path = QFileInfo(path).path()) {
        struct stat info
        {
        };
        if (stat(QFile::encodeName(path).constData(), &info) != 0 || (info.st_mode & S_IXOTH) == 0)
            return {};
        if (path == u"/")
            return folder;
    }
}

TEST_F(FailedSave, ReadOnlyFolder)
{
    // The child that gives up root cannot reach a private temporary folder (mode 0700, as libpam-tmpdir
    // sets TMPDIR), so the test's folder then goes where every user may pass.
    QString base = passableByAll(QDir::tempPath());
    for (const QString& other : {u"/tmp"_qs, u"/var/tmp"_qs})
        base = base.isEmpty() ? passableByAll(other) : base;
    ASSERT_FALSE(base.isEmpty()) << "no temporary folder that every user may pass through";
    const TempDir dir(base);
    oneColumn(list, {QStringLiteral("a")});
    const QString target = dir.write(QStringLiteral("old.txt"), "old");
    const auto readOnly =
        QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther | QFileDevice::ExeOther;
    QFile::setPermissions(dir.path(), readOnly);
    if (geteuid() == 0) {
        // Root writes into read-only folders, so the save runs in a child that gives up root first.
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            constexpr uid_t kNobody = 65534;
            if (setgid(kNobody) != 0 || setuid(kNobody) != 0)
                _exit(2);
            results::SaveListviewProperlySpaced(list, target, dialogs, {});
            const bool reported =
                dialogs.messages().size() == 1 &&
                dialogs.messages()[0].text == core::errorReportText(QStringLiteral("Main"),
                                                                    QStringLiteral("SaveListviewProperlySpaced"), 1,
                                                                    QStringLiteral("Permission denied"));
            _exit(reported ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
    } else {
        results::SaveListviewProperlySpaced(list, target, dialogs, {});
        expectReported(QStringLiteral("Permission denied"));
    }
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(TempDir::read(target), QByteArray("old"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{u"old.txt"_qs});
}

TEST_F(FailedSave, DiskFullKeepsTheOldFile)
{
    // A file-size limit makes the write fail part-way, as a full disk would.
    oneColumn(list, {});
    for (int i = 0; i < 200; ++i)
        list.add({QString(1000, u'x'), {}, false});
    const QString target = dir.write(u"old.txt"_qs, "old");

    testsupport::withFileSizeLimit(64 * 1024, [&] { results::SaveListviewProperlySpaced(list, target, dialogs, {}); });

    expectReported(u"Device I/O error"_qs);
    EXPECT_EQ(TempDir::read(target), QByteArray("old"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{u"old.txt"_qs});
}

} // namespace
