#include "sources/outlook/OutlookReader.h"

#include "platform/ScriptedPlatform.h"
#include "sources/outlook/FakeOutlook.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

using testsupport::TempDir;

QString s(const char* text)
{
    return QString::fromUtf8(text);
}

// The records a run stages, each sender and body as the file holds them.
QByteArray staged(std::initializer_list<std::pair<const char*, const char*>> records)
{
    QByteArray bytes = "\r\n";
    for (const auto& [sender, body] : records)
        bytes += QByteArray(sender) + "\r\n" + QByteArray(body) + "\r\n";
    return bytes;
}

fake::Folder folder(const char* name, std::vector<fake::Folder> folders = {}, std::vector<fake::Item> items = {})
{
    return fake::Folder{s(name), std::move(folders), std::move(items)};
}

fake::Item mail(const char* sender, const char* body = "")
{
    return fake::mail(s(sender), s(body));
}

class OutlookReaderTest : public ::testing::Test
{
protected:
    bool run()
    {
        sources::outlook::OutlookReader reader({outlook, options, desk.dialogs, desk.loop, pointer, {}, 0});
        return reader.getAllEmailOutlook(path);
    }
    QByteArray file() const { return TempDir::read(path); }
    // Reports shown, each starting with its text and naming where it happened.
    void expectReports(const QStringList& starts, const char* where)
    {
        const QStringList shown = desk.dialogs.messageTexts();
        ASSERT_EQ(shown.size(), starts.size()) << shown.join(u'\n').toStdString();
        for (qsizetype i = 0; i < shown.size(); ++i) {
            EXPECT_TRUE(shown[i].startsWith(starts[i])) << shown[i].toStdString();
            EXPECT_TRUE(shown[i].contains(s(where))) << shown[i].toStdString();
        }
    }

    // A store with the usual first-level folders, a user folder, a deeper "Inbox" and mail in the top folder.
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

TEST_F(OutlookReaderTest, AllFiveBoxesStageEveryFolderSubtreeFirst)
{
    outlook.stores = {personalFolders(), folder("Archive", {folder("Übersetzt", {}, {mail("t@x", "translated")})})};
    options.checkAll();
    options.from = false;

    ASSERT_TRUE(run());
    // Subfolders before the folder's own items; the top folder's own item and the contact are left out.
    EXPECT_EQ(file(), staged({{"", "hi"},
                              {"", "first"},
                              {"", "second\r\nline two"},
                              {"", "deep inbox"},
                              {"", "project"},
                              {"", "sent"},
                              {"", "translated"}}));
    EXPECT_TRUE(desk.dialogs.messageTexts().isEmpty());
}

TEST_F(OutlookReaderTest, OnlyInboxStagesTheFirstLevelInboxAndBelowIt)
{
    // Captions match exactly: a first-level "inbox" is not the Inbox.
    outlook.stores = {personalFolders(), folder("Other", {folder("inbox", {}, {mail("lower@x", "x")})})};
    options.checkOnly({u"Inbox"_qs});
    options.body = false;

    ASSERT_TRUE(run());
    EXPECT_EQ(file(), staged({{"mum@x", ""}, {"a@x", ""}, {"b@x", ""}}));
}

// Outlook 2000 and older give no address type: every sender is staged by display name.
TEST_F(OutlookReaderTest, SenderRuleFollowsAddressTypeAndVersion)
{
    fake::Item exchange = mail("/O=ORG/CN=BOB");
    exchange.senderType = s("EX");
    exchange.senderName = s("Bob Exchange");
    fake::Item smtp = mail("ann@x");
    smtp.senderName = s("Ann Smtp");
    fake::Item lowerType = mail("low@x");
    lowerType.senderType = s("smtp");
    lowerType.senderName = s("Low Type");
    outlook.stores = {folder("Store", {folder("Inbox", {}, {exchange, smtp, lowerType})})};
    options.body = false;

    ASSERT_TRUE(run());
    EXPECT_EQ(file(), staged({{"Bob Exchange", ""}, {"ann@x", ""}, {"Low Type", ""}}));
    outlook.version = s("9.0.0.2711");
    ASSERT_TRUE(run());
    EXPECT_EQ(file(), staged({{"Bob Exchange", ""}, {"Ann Smtp", ""}, {"Low Type", ""}}));
}

TEST_F(OutlookReaderTest, SkippedFolderNamesCutTheirSubtreeAtAnyLevel)
{
    outlook.stores = {folder("Internet Newsgroups", {folder("Inbox", {}, {mail("news@x")})}),
                      folder("Mailbox", {folder("All Public Folders", {folder("Inbox", {}, {mail("public@x")})}),
                                         folder("Inbox",
                                                {folder("Internet Newsgroups", {}, {mail("nested@x")}),
                                                 folder("all public folders", {}, {mail("case@x")})},
                                                {mail("kept@x")})})};
    options.body = false;

    ASSERT_TRUE(run());
    // A skipped folder's subfolders are not walked, but its parent still stages the folder's own items.
    EXPECT_EQ(file(), staged({{"nested@x", ""}, {"case@x", ""}, {"kept@x", ""}}));
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
    EXPECT_TRUE(desk.dialogs.messageTexts().isEmpty());

    dir.write(u"test.txt"_qs, "untouched");
    outlook.available = false;
    EXPECT_FALSE(run());
    outlook.available = true;
    options.pst = true;
    options.pstPath = s("   ");
    EXPECT_FALSE(run());
    options.pstPath = dir.file(u"missing.pst"_qs);
    EXPECT_FALSE(run());
    EXPECT_EQ(desk.dialogs.messageTexts(),
              QStringList({s("MS Outlook does not appear to be installed on this computer."),
                           s("You forgot to input PST File."), s("PST File not found.")}));
    EXPECT_EQ(file(), QByteArray("untouched"));
    EXPECT_EQ(pointer.history().size(), 4); // the two runs with something to read
}

TEST_F(OutlookReaderTest, PstFileIsAttachedWalkedAndDetachedOrEndsTheRun)
{
    const QString pst = dir.write(u"archive.pst"_qs, "stand-in");
    outlook.stores = {personalFolders()};
    outlook.files[pst] = folder("Archive Store", {folder("Inbox", {}, {mail("old@x", "archived")})});
    options.profile = false;
    options.pst = true;
    options.pstPath = pst;
    ASSERT_TRUE(run());
    EXPECT_EQ(file(), staged({{"old@x", "archived"}}));
    EXPECT_EQ(outlook.removedStores, QStringList{s("Archive Store")});
    EXPECT_EQ(outlook.attachedNow, 0);
    EXPECT_EQ(pointer.history(), (QList<platform::Pointer>{platform::Pointer::Hourglass, platform::Pointer::Default}));

    // A file that cannot be attached: one report, and the profile's stores are neither walked nor detached.
    options.pstPath = dir.write(u"broken.pst"_qs, "not a store");
    ASSERT_FALSE(run());
    EXPECT_EQ(file(), QByteArray("\r\n"));
    EXPECT_EQ(outlook.removedStores.size(), 1);
    expectReports({s("Not a personal folders file: ") + options.pstPath},
                  "in Quillmere2021/08/31.Outlook1.getAllEmailOutlook at line ");
    EXPECT_EQ(pointer.pointer(), platform::Pointer::Default);
}

TEST_F(OutlookReaderTest, DamagedMessageOrFolderIsReportedAndTheWalkGoesOn)
{
    fake::Item badBody = mail("bad@x", "never read");
    badBody.bodyFails = true;
    fake::Item badClass = mail("class@x", "never staged");
    badClass.classFails = true;
    fake::Folder unreadable = folder("Lost", {}, {mail("lost@x")});
    unreadable.openFails = true;
    outlook.stores = {folder("Store", {folder("Inbox", {}, {badBody, badClass, mail("good@x", "fine")}), unreadable,
                                       folder("Sent Items", {}, {mail("sent@x", "ok")})})};
    options.checkAll();

    ASSERT_TRUE(run());
    // The body that failed is left empty and its record is still written.
    EXPECT_EQ(file(), staged({{"bad@x", ""}, {"good@x", "fine"}, {"sent@x", "ok"}}));
    expectReports({s("Body unreadable\r\n"), s("Class unreadable\r\n"), s("Folder unreadable\r\n")},
                  "in Quillmere2021/08/31.Outlook1.GetMailItems at line ");
}

TEST_F(OutlookReaderTest, UnreadableFirstLevelNameIsNotTakenForTheFolderBeforeIt)
{
    fake::Folder nameless = folder("Secret", {}, {mail("hidden@x")});
    nameless.nameFails = true;
    outlook.stores = {folder("Store", {folder("Inbox", {}, {mail("in@x")}), nameless})};
    options.checkOnly({u"Inbox"_qs});
    options.body = false;

    ASSERT_TRUE(run());
    EXPECT_EQ(file(), staged({{"in@x", ""}}));
    // Reported where the first-level name is taken and where the walk into the folder reads it again.
    expectReports({s("Name unreadable\r\n"), s("Name unreadable\r\n")}, "Outlook1.GetMailItems");

    // With every box ticked every folder counts, whatever its name.
    options.checkAll();
    ASSERT_TRUE(run());
    EXPECT_EQ(file(), staged({{"in@x", ""}, {"hidden@x", ""}}));
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
    outlook.stores = {folder(
        "Store", {folder("Inbox", {},
                         {mail("a@x", "short"), fake::mail(s("b@x"), QString(70000, u'x')), mail("c@x", "never")})})};
    desk.dialogs.clearRecord();
    bool completed = true;
    testsupport::withFileSizeLimit(64 * 1024, [&] { completed = run(); });
    EXPECT_FALSE(completed);
    expectReports({s("Device I/O error")}, "Outlook1.GetMailItems at line 10");
}

TEST_F(OutlookReaderTest, YieldsPerSubfolderAndItemAndReadsBoxesAtUseTime)
{
    outlook.stores = {folder("Store", {folder("Inbox", {}, {mail("1@x"), mail("2@x"), mail("3@x")})})};
    options.body = false;
    // Unticking Inbox at the yield before the second item leaves that item and the rest out.
    int yields = 0;
    desk.loop.onYield = [&] {
        if (++yields == 4)
            options.checkOnly({u"Outbox"_qs});
        EXPECT_EQ(pointer.pointer(), platform::Pointer::Hourglass);
    };

    ASSERT_TRUE(run());
    EXPECT_EQ(file(), staged({{"1@x", ""}}));
    // One per store, one per subfolder (the Inbox), one per item.
    EXPECT_EQ(desk.loop.yields(), 1 + 1 + 3);
}

// A second run started while the first one yields rebuilds the file; the first then appends the rest of its
// walk instead of failing.
TEST_F(OutlookReaderTest, RunStartedDuringAYieldLeavesTheFirstAppending)
{
    outlook.stores = {folder("Store", {folder("Inbox", {}, {mail("1@x"), mail("2@x")})})};
    options.body = false;
    sources::outlook::OutlookReader reader({outlook, options, desk.dialogs, desk.loop, pointer, {}, 0});
    int yields = 0;
    bool started = false;
    desk.loop.onYield = [&] {
        if (++yields == 3 && !started) { // before the first item
            started = true;
            EXPECT_TRUE(reader.getAllEmailOutlook(path));
        }
    };
    EXPECT_TRUE(reader.getAllEmailOutlook(path));
    EXPECT_EQ(file(), staged({{"1@x", ""}, {"2@x", ""}, {"1@x", ""}, {"2@x", ""}}));
    EXPECT_TRUE(desk.dialogs.messageTexts().isEmpty()) << desk.dialogs.messageTexts().join(u'\n').toStdString();
}

} // namespace
