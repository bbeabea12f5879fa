#include "sources/outlook/OutlookReader.h"

#include "platform/ScriptedPlatform.h"
#include "support/FakeOutlook.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

using testsupport::TempDir;

QString s(const char* text)
{
    return QString::fromUtf8(text);
}

// The staging file of a run: an empty line, then each record's sender and body, given here in turn.
QByteArray staged(std::initializer_list<const char*> sendersAndBodies)
{
    QByteArray bytes = "\r\n";
    for (const char* field : sendersAndBodies)
        bytes += QByteArray(field) + "\r\n";
    return bytes;
}

fake::Folder folder(const char* name, std::vector<fake::Folder> folders = {}, std::vector<fake::Item> items = {},
                    const char* fails = "")
{
    return {s(name), std::move(folders), std::move(items), s(fails)};
}

fake::Item mail(const char* sender, const char* body = "", const char* fails = "")
{
    return {s(sender), s(body), s(fails)};
}

class OutlookReaderTest : public ::testing::Test
{
protected:
    bool run()
    {
        sources::outlook::OutlookReader reader({outlook, options, desk.dialogs, desk.loop, pointer, {}, 0});
        return reader.stageSelectedMail(path);
    }
    QByteArray file() const { return TempDir::read(path); }
    // Reports shown, each starting with its text and naming where it happened.
    void expectReports(const QStringList& starts, const char* where)
    {
        const QStringList shown = desk.dialogs.messageTexts();
        ASSERT_EQ(shown.size(), starts.size()) << shown.join(u'\n').toStdString();
        for (qsizetype i = 0; i < shown.size(); ++i)
            EXPECT_TRUE(shown[i].startsWith(starts[i]) && shown[i].contains(s(where))) << shown[i].toStdString();
    }
    // The usual first-level folders, a user folder with a deeper "Inbox", a contact and mail in the top folder.
    static fake::Folder personalFolders()
    {
        fake::Item contact = mail("contact@x", "contact card");
        contact.itemClass = 40;
        return folder(
            "Personal Folders",
            {folder("Inbox", {folder("Family", {}, {mail("mum@x", "hi")})},
                    {mail("a@x", "first"), contact, mail("b@x", "second\r\nline two")}),
             folder("Projects", {folder("Inbox", {}, {mail("deep@x", "deep inbox")})}, {mail("p@x", "project")}),
             folder("Sent Items", {}, {mail("me@x", "sent")})},
            {mail("top@x", "in the top folder")});
    }

    fake::Outlook outlook;
    fake::Options options;
    platform::ScriptedPlatform desk;
    platform::ScriptedPointer pointer;
    TempDir dir;
    QString path = dir.file(u"test.txt"_qs);
};

TEST_F(OutlookReaderTest, BoxesChooseFirstLevelFoldersAndSubtreesComeFirst)
{
    outlook.stores = {personalFolders(), folder("Archive", {folder("Übersetzt", {}, {mail("t@x", "translated")})}),
                      folder("Other", {folder("inbox", {}, {mail("lower@x", "x")})})};
    options.checkAll();
    options.from = false;
    ASSERT_TRUE(run());
    // Subfolders before the folder's own items; the top folder's own item and the contact are left out.
    EXPECT_EQ(file(), staged({"", "hi", "", "first", "", "second\r\nline two", "", "deep inbox", "", "project", "",
                              "sent", "", "translated", "", "x"}));
    EXPECT_TRUE(desk.dialogs.messageTexts().isEmpty());

    // Only the first-level Inbox and what is below it; captions match exactly.
    options.checkOnly({u"Inbox"_qs});
    options.from = true;
    options.body = false;
    ASSERT_TRUE(run());
    EXPECT_EQ(file(), staged({"mum@x", "", "a@x", "", "b@x", ""}));
}

// A skipped folder's subfolders are not walked, at any level and in any letter case; its own items still are.
TEST_F(OutlookReaderTest, SkippedFolderNamesCutTheirSubtreeAtAnyLevel)
{
    options.checkAll();
    outlook.stores = {folder("Internet Newsgroups", {folder("Inbox", {}, {mail("news@x")})}),
                      folder("Mailbox", {folder("All Public Folders", {folder("Inbox", {}, {mail("public@x")})}),
                                         folder("Inbox",
                                                {folder("Internet Newsgroups", {}, {mail("nested@x")}),
                                                 folder("all public folders", {}, {mail("case@x")})},
                                                {mail("kept@x")})})};
    options.body = false;
    ASSERT_TRUE(run());
    EXPECT_EQ(file(), staged({"nested@x", "", "case@x", "", "kept@x", ""}));
}

// Neither the profile nor a PST file, or an empty profile: the staging file holds its one empty line. Plain
// messages end a run before the file is touched.
TEST_F(OutlookReaderTest, NothingToReadStagesOneEmptyLineAndPlainMessagesTouchNothing)
{
    dir.write(u"test.txt"_qs, "old content\r\n");
    ASSERT_TRUE(run());
    EXPECT_EQ(file(), QByteArray("\r\n"));
    options.profile = false;
    outlook.stores = {personalFolders()};
    ASSERT_TRUE(run());
    EXPECT_EQ(file(), QByteArray("\r\n"));

    dir.write(u"test.txt"_qs, "untouched");
    outlook.available = false;
    EXPECT_FALSE(run());
    outlook.available = true;
    options.pst = true;
    options.pstPath = s("   ");
    EXPECT_FALSE(run());
    EXPECT_EQ(desk.dialogs.messageTexts(),
              QStringList({s("MS Outlook does not appear to be installed on this computer."),
                           s("You forgot to input PST File.")}));
    EXPECT_EQ(file(), QByteArray("untouched"));
    EXPECT_EQ(pointer.history().size(), 4); // the two runs with something to read
}

// The walk goes on past what cannot be read. A first-level folder whose name cannot be read matches no box:
// it must not pass for the folder before it.
TEST_F(OutlookReaderTest, DamagedItemsAndFoldersAreReportedAndAnUnreadableNameMatchesNoBox)
{
    outlook.stores = {folder("Store", {folder("Inbox", {},
                                              {mail("bad@x", "never read", "Body"),
                                               mail("class@x", "never staged", "Class"), mail("good@x", "fine")}),
                                       folder("Lost", {}, {mail("lost@x")}, "Folder"),
                                       folder("Secret", {}, {mail("hidden@x", "h")}, "Name"),
                                       folder("Sent Items", {}, {mail("sent@x", "ok")})})};
    options.checkOnly({u"Inbox"_qs});
    ASSERT_TRUE(run());
    // The body that failed is left empty and its record is still written.
    EXPECT_EQ(file(), staged({"bad@x", "", "good@x", "fine"}));
    // The name is reported where the first-level name is taken and where the walk into the folder reads it.
    expectReports({s("Body unreadable\r\n"), s("Class unreadable\r\n"), s("Folder unreadable\r\n"),
                   s("Name unreadable\r\n"), s("Name unreadable\r\n")},
                  "in Quillmere2021/08/31.Outlook1.GetMailItems at line ");

    // With every box ticked every folder counts, whatever its name.
    options.checkAll();
    ASSERT_TRUE(run());
    EXPECT_EQ(file(), staged({"bad@x", "", "good@x", "fine", "hidden@x", "h", "sent@x", "ok"}));
}

// A staging file that cannot be made or written fails the run after one report, so that the rules never
// read an earlier run's text as this run's.
TEST_F(OutlookReaderTest, StagingFileThatCannotBeWrittenFailsTheRun)
{
    outlook.stores = {folder("Store", {folder("Inbox", {}, {mail("a@x", "x"), mail("b@x", "y")})})};
    path = dir.file(u"missing/test.txt"_qs);
    EXPECT_FALSE(run());
    expectReports({s("Path not found")}, "Outlook1.getAllEmailOutlook at line 5");
    EXPECT_EQ(pointer.pointer(), platform::Pointer::Default);

    // A disk that fills up during the run: a file-size limit makes the second record fail.
    path = dir.file(u"test.txt"_qs);
    const QByteArray big(70000, 'x');
    outlook.stores = {
        folder("Store", {folder("Inbox", {}, {mail("a@x", "short"), mail("b@x", big.constData()), mail("c@x")})})};
    desk.dialogs.clearRecord();
    bool completed = true;
    testsupport::withFileSizeLimit(64 * 1024, [&] { completed = run(); });
    EXPECT_FALSE(completed);
    expectReports({s("Device I/O error")}, "Outlook1.GetMailItems at line 10");
}

} // namespace
