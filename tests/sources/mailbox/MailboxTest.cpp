#include "sources/mailbox/MailboxReader.h"
#include "sources/mailbox/MailboxStaging.h"
#include "sources/mailbox/Mailboxes.h"
#include "platform/ScriptedPlatform.h"
#include "support/TempDir.h"

#include <QBuffer>
#include <QDateTime>
#include <QDirIterator>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>
#include <numeric>
#include <thread>
#include <unistd.h>

// Failures show bytes as text.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QByteArray& bytes, std::ostream* out)
{
    *out << ::testing::PrintToString(bytes.toStdString());
}
QT_END_NAMESPACE

using namespace Qt::StringLiterals;
using sources::mailbox::Mailbox;
using testsupport::mboxMessage;
using testsupport::TempDir;

namespace {

constexpr std::array<bool, 5> kAllBoxes = {true, true, true, true, true};
constexpr std::array<bool, 5> kDefaultBoxes = {true, true, false, true, true};

// The staging records of one mailbox, as stageMailbox writes them.
QByteArray staged(const Mailbox& mailbox, sources::mailbox::StagedFields fields = {true, true},
                  QStringList* problems = nullptr)
{
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    const sources::mailbox::ReadReport report = sources::mailbox::stageMailbox(mailbox, fields, out);
    if (problems)
        *problems = report.problems;
    return out.data();
}

Mailbox mbox(const QString& path)
{
    return {Mailbox::Kind::Mbox, path, {}};
}

// Each mailbox as "path below root=top name", sorted, one a line.
std::string described(const QList<Mailbox>& mailboxes, const QString& root)
{
    QStringList lines;
    for (const Mailbox& m : mailboxes)
        lines << QDir(root).relativeFilePath(m.path) + u'=' + m.topName;
    lines.sort();
    return lines.join(u'\n').toStdString();
}

// Every file below a folder with its size and time, to see that reading changed nothing.
QStringList snapshot(const QString& root)
{
    QStringList entries;
    for (QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
         it.hasNext();) {
        const QFileInfo info = it.nextFileInfo();
        entries << u"%1 %2 %3"_qs.arg(info.filePath()).arg(info.size()).arg(info.lastModified().toMSecsSinceEpoch());
    }
    entries.sort();
    return entries;
}

} // namespace

// The folders a mail program keeps: what is a mailbox, which top mailbox each belongs to, and which the folder
// boxes let through.
TEST(MailboxSearch, TreesAreFoundWithTheirTopMailboxAndTheFolderBoxesChoose)
{
    // A Thunderbird account, a Maildir++ tree and a folder of message files, each with files that are not mail.
    TempDir dir;
    const QByteArray one = mboxMessage("ann@example.org", "hello");
    dir.write(u"Mail/Local Folders/Inbox"_qs, one);
    dir.write(u"Mail/Local Folders/Inbox.msf"_qs, "// <!-- <mdb:mork:z v=\"1.4\"/> -->");
    dir.write(u"Mail/Local Folders/Inbox.sbd/Lists"_qs, one);
    dir.write(u"Mail/Local Folders/Inbox.sbd/Lists.sbd/Work"_qs, one);
    dir.write(u"Mail/Local Folders/Trash"_qs, "");
    dir.write(u"Mail/Local Folders/Trash.msf"_qs, "");
    dir.write(u"Mail/Local Folders/Stray"_qs, ""); // empty, and no index: no folder of Thunderbird's
    dir.write(u"Mail/Local Folders/Junk"_qs, one);
    dir.write(u"Mail/Local Folders/[Gmail].sbd/Sent Mail"_qs, one); // no "[Gmail]" mailbox: the folder only groups
    dir.write(u"Mail/Local Folders/Unsent Messages"_qs, one);
    dir.write(u"Mail/Local Folders/msgFilterRules.dat"_qs, "version=\"9\"\nlogging=\"no\"\n");
    const QByteArray file = "From: bob@example.org\nSubject: s\n\nmaildir body\n";
    dir.write(u"md/Maildir/cur/1.host:2,S"_qs, file);
    dir.write(u"md/Maildir/tmp/2.host"_qs, file); // a delivery not finished
    dir.write(u"md/Maildir/.Sent/new/3.host"_qs, file);
    dir.write(u"md/Maildir/.Sent.2019/cur/4.host:2,S"_qs, file);
    dir.write(u"saved/Drafts/a.eml"_qs, file);
    const sources::mailbox::Found found = sources::mailbox::findMailboxes(dir.path());
    EXPECT_TRUE(found.problems.isEmpty()) << found.problems.join(u'\n').toStdString();
    const QStringList all = {u"Mail/Local Folders/Inbox.sbd/Lists.sbd/Work=Inbox"_qs,
                             u"Mail/Local Folders/Inbox.sbd/Lists=Inbox"_qs,
                             u"Mail/Local Folders/Inbox=Inbox"_qs,
                             u"Mail/Local Folders/Junk=Junk"_qs,
                             u"Mail/Local Folders/Trash=Trash"_qs,
                             u"Mail/Local Folders/Unsent Messages=Unsent Messages"_qs,
                             u"Mail/Local Folders/[Gmail].sbd/Sent Mail=Sent Mail"_qs,
                             u"md/Maildir/.Sent.2019=Sent"_qs,
                             u"md/Maildir/.Sent=Sent"_qs,
                             u"md/Maildir=Inbox"_qs,
                             u"saved/Drafts=Drafts"_qs};
    EXPECT_EQ(described(found.mailboxes, dir.path()), all.join(u'\n').toStdString());

    sources::mailbox::MailboxChoice choice{{dir.path()}, {}, {}, kDefaultBoxes};
    QStringList chosen = all;
    chosen.removeIf([](const QString& m) { return m.endsWith(u"=Junk") || m.endsWith(u"=Drafts"); });
    EXPECT_EQ(described(sources::mailbox::chooseMailboxes(choice).mailboxes, dir.path()),
              chosen.join(u'\n').toStdString());
    choice.folders = kAllBoxes;
    EXPECT_EQ(described(sources::mailbox::chooseMailboxes(choice).mailboxes, dir.path()),
              all.join(u'\n').toStdString());
    // Names match in any letter case, but whole.
    EXPECT_TRUE(sources::mailbox::mailboxQualifies(u"sent mail"_qs, kDefaultBoxes));
    EXPECT_FALSE(sources::mailbox::mailboxQualifies(u"Inbox2"_qs, kDefaultBoxes));

    // Reading stages every message once and leaves the user's folders as they were.
    const QStringList before = snapshot(dir.path());
    TempDir out;
    platform::ScriptedDialogs dialogs;
    const QString staging = out.file(u"staging.txt"_qs);
    std::vector<int> told;
    const auto tell = [&](int done, int mailboxes) {
        EXPECT_EQ(mailboxes, all.size());
        told.push_back(done);
    };
    ASSERT_TRUE(sources::mailbox::stageMailboxes(choice, staging, dialogs, {}, tell));
    const QByteArray staged = TempDir::read(staging);
    EXPECT_EQ(staged.count("ann@example.org\r\n"), 6);
    EXPECT_EQ(staged.count("bob@example.org\r\n"), 4);
    EXPECT_EQ(snapshot(dir.path()), before);
    std::vector<int> eachInTurn(size_t(all.size()));
    std::iota(eachInTurn.begin(), eachInTurn.end(), 1);
    EXPECT_EQ(told, eachInTurn);

    // Two workers stage the same bytes and tell the same progress.
    told.clear();
    choice.workers = 2;
    ASSERT_TRUE(sources::mailbox::stageMailboxes(choice, staging, dialogs, {}, tell));
    EXPECT_TRUE(TempDir::read(staging) == staged);
    EXPECT_EQ(told, eachInTurn);
}

// Profiles listed with relative and absolute paths, at the usual, Snap and Flatpak places, each profile once.
TEST(MailboxSearch, ThunderbirdProfilesAreFoundAtEveryPlace)
{
    TempDir home;
    const QByteArray one = mboxMessage("ann@example.org", "hello");
    home.write(u".thunderbird/profiles.ini"_qs,
               "[Install4F96D1932A9F858E]\nDefault=abc.default\nLocked=1\n\n[Profile1]\nName=work\nIsRelative=0\n"
               "Path=" +
                   home.file(u"elsewhere/work"_qs).toUtf8() +
                   "\n\n[Profile0]\nName=default\nIsRelative=1\nPath=abc.default\nDefault=1\n\n"
                   "[Profile2]\nName=gone\nIsRelative=1\nPath=gone.default\n\n[General]\nStartWithLastProfile=1\n");
    home.write(u".thunderbird/abc.default/Mail/Local Folders/Inbox"_qs, one);
    home.write(u".thunderbird/abc.default/ImapMail/imap.example.org/INBOX"_qs, one);
    home.write(u".thunderbird/abc.default/ImapMail/news.example.org/newsrc"_qs, "not mail");
    home.write(u"elsewhere/work/Mail/pop.example.org/Sent"_qs, one);
    home.write(u"snap/thunderbird/common/.thunderbird/profiles.ini"_qs, "[Profile0]\r\nPath=snappy\r\n");
    home.write(u"snap/thunderbird/common/.thunderbird/snappy/Mail/Local Folders/Trash"_qs, one);
    // The same profile again, by a path through the Flatpak folder.
    home.write(u".var/app/org.mozilla.Thunderbird/.thunderbird/profiles.ini"_qs,
               "[Profile0]\nIsRelative=1\nPath=../../../../.thunderbird/abc.default\n");

    EXPECT_EQ(sources::mailbox::findThunderbirdMail(home.path()).accountFolders.size(), 5);
    const sources::mailbox::ChosenMailboxes chosen =
        sources::mailbox::chooseMailboxes({{}, home.path(), {}, kDefaultBoxes});
    // The news account holds no mail, which is no problem of the user's.
    EXPECT_TRUE(chosen.problems.isEmpty()) << chosen.problems.join(u'\n').toStdString();
    EXPECT_EQ(chosen.profiles, 3);
    EXPECT_EQ(chosen.mailboxes.size(), 4);
}

// Sender and body per message as the PST staging writes them: the address, else the From text; the plain part,
// else the HTML's text; charsets decoded; mboxrd's quoting undone.
TEST(MailboxStaging, RecordsHoldTheSenderAndBodyAsForAStore)
{
    TempDir dir;
    const QByteArray messages[] = {
        "From: \"Ann Example\" <ann@example.org>\nSubject: one\nContent-Type: text/plain; charset=iso-8859-1\n"
        "Content-Transfer-Encoding: quoted-printable\n\ncaf=E9\n>From the start\n>>From quoted twice\n",
        "From: =?UTF-8?B?w4lsaXNl?= <elise@example.org>\nContent-Type: text/html; charset=utf-8\n\n"
        "<p>Hello<br>World</p>\n",
        "From: undisclosed-recipients:;\nContent-Type: multipart/alternative; boundary=b\n\n--b\n"
        "Content-Type: text/html\n\n<b>not this</b>\n--b\nContent-Type: text/plain; charset=x-unknown\n\n"
        "plain \xE9t\xE9\n--b--\n",
    };
    QByteArray box;
    for (const QByteArray& message : messages)
        box += "From x Mon Jan  6 10:00:00 2003\n" + message + "\n";
    const QString path = dir.write(u"box"_qs, box);
    const QByteArray all = staged(mbox(path));
    EXPECT_EQ(all, "ann@example.org\r\ncaf\xC3\xA9\r\nFrom the start\r\n>From quoted twice\r\n\r\n"
                   "elise@example.org\r\nHello\r\nWorld\r\n"
                   "undisclosed-recipients:;\r\nplain \xC3\xA9t\xC3\xA9\r\n"_ba);
    EXPECT_EQ(staged(mbox(path), {true, false}),
              "ann@example.org\r\n\r\nelise@example.org\r\n\r\nundisclosed-recipients:;\r\n\r\n"_ba);

    // The same messages as the files of a Maildir, and of a folder of message files: the same records, in
    // file-name order, except that only an mbox quotes "From " lines.
    for (int i = 0; i < 3; ++i) {
        dir.write(u"md/%1/%2"_qs.arg(i == 1 ? u"new"_qs : u"cur"_qs).arg(i), messages[i]);
        dir.write(u"emls/%1.eml"_qs.arg(i), messages[i]);
    }
    const QByteArray unquoted =
        QByteArray(all).replace("\r\nFrom the start\r\n>From quoted", "\r\n>From the start\r\n>>From quoted");
    EXPECT_EQ(staged({Mailbox::Kind::Maildir, dir.file(u"md"_qs), {}}).count("\r\n"), unquoted.count("\r\n"));
    EXPECT_EQ(staged({Mailbox::Kind::MessageFolder, dir.file(u"emls"_qs), {}}), unquoted);
}

// What people's disks hold besides good mailboxes: each gives what it can, or a clear problem, never a crash.
TEST(MailboxStaging, BadMailboxesGiveWhatTheyHoldOrAProblem)
{
    TempDir dir;
    const QByteArray one = mboxMessage("ann@example.org", "first");
    const QByteArray hugeHeader = mboxMessage("bob@example.org\nSubject: " + QByteArray(9 * 1024 * 1024, 'x'), "b");
    // The records each gives; null: any, as long as there is one.
    const std::tuple<const char*, QByteArray, const char*> cases[] = {
        {"empty", "", ""},
        // Thunderbird still appending: the last message stops mid-line.
        {"cut-short", one + "From x Mon Jan  6 10:00:00 2003\nFrom: bob@example.org\n\nhalf a li",
         "ann@example.org\r\nfirst\r\n\r\nbob@example.org\r\nhalf a li\r\n"},
        {"cut-in-header", one + "From x Mon Jan  6 10:00:00 2003\nFrom: bob@exa", nullptr},
        {"nul-bytes", mboxMessage("ann@exa\0mple.org"_ba, "a\0b"_ba) + one, nullptr},
        // A header block that would take the parser minutes is staged empty; the messages around it are read.
        {"huge-header", one + hugeHeader + one,
         "ann@example.org\r\nfirst\r\n\r\n\r\n\r\nann@example.org\r\nfirst\r\n\r\n\r\n"},
        {"huge-header-first", hugeHeader + one, "\r\n\r\nann@example.org\r\nfirst\r\n\r\n\r\n"},
    };
    for (const auto& [name, bytes, records] : cases) {
        const auto found = sources::mailbox::findMailboxes(dir.write(QString::fromLatin1(name), bytes));
        ASSERT_EQ(found.mailboxes.size(), 1) << name;
        QStringList problems;
        const QByteArray got = staged(found.mailboxes.constFirst(), {true, true}, &problems);
        EXPECT_TRUE(problems.isEmpty()) << name;
        if (records)
            EXPECT_EQ(got, QByteArray(records)) << name;
        else
            EXPECT_GE(got.count("\r\n"), 2) << name;
    }

    const QString notMbox = dir.write(u"not-a-mailbox"_qs, "Subject: looks like mail\n\nbut is not an mbox\n");
    dir.write(u"nomail/notes.txt"_qs, "notes");
    for (const auto& [path, problem] : {std::pair{notMbox, ": not a mailbox"},
                                        {dir.file(u"gone"_qs), ": not found"},
                                        {dir.file(u"nomail"_qs), ": no mailbox in this folder"}}) {
        const sources::mailbox::Found found = sources::mailbox::findMailboxes(path);
        EXPECT_TRUE(found.mailboxes.isEmpty()) << problem;
        ASSERT_EQ(found.problems.size(), 1) << problem;
        EXPECT_TRUE(found.problems.constFirst().startsWith(path + QLatin1String(problem))) << problem;
    }
}

// A folder that cannot be read is told; its neighbours are still read.
TEST(MailboxSearch, AnUnreadableFolderIsToldAndItsNeighboursRead)
{
    TempDir dir;
    const QByteArray one = mboxMessage("ann@example.org", "first");
    if (geteuid() == 0)
        GTEST_SKIP() << "running as root: every folder can be read, so the unreadable folder is not tested";
    dir.write(u"tree/a/Inbox"_qs, one);
    dir.write(u"tree/b/Inbox"_qs, one);
    QFile::setPermissions(dir.file(u"tree/b"_qs), QFileDevice::WriteOwner);
    const sources::mailbox::Found found = sources::mailbox::findMailboxes(dir.file(u"tree"_qs));
    QFile::setPermissions(dir.file(u"tree/b"_qs),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(found.mailboxes.size(), 1);
    EXPECT_EQ(found.problems, QStringList{dir.file(u"tree/b"_qs) + u": cannot be read (permission denied)"_qs});
}

// Python's mailbox and email modules, an independent reader, count the same messages with the same senders.
TEST(MailboxStaging, RealMailboxGivesPythonsCountAndSenders)
{
    QUILLMERE_REQUIRE_FIXTURE(path, "mbox/easy-ham-2.mbox");
    const QString python = QStandardPaths::findExecutable(u"python3"_qs);
    if (python.isEmpty())
        GTEST_SKIP() << "python3 not found: the comparison with Python's mailbox module is skipped";
    QProcess oracle;
    oracle.start(python, {QStringLiteral(QUILLMERE_MBOX_SENDERS), path});
    ASSERT_TRUE(oracle.waitForFinished(120000));
    ASSERT_EQ(oracle.exitCode(), 0) << oracle.readAllStandardError().constData();
    QList<QByteArray> expected = oracle.readAllStandardOutput().split('\n');
    expected.removeLast();
    const qsizetype count = expected.takeFirst().toLongLong();
    EXPECT_EQ(count, 1400);

    QList<QByteArray> senders = staged(mbox(path), {true, false}).replace("\r\n\r\n", "\n").split('\n');
    senders.removeLast();
    ASSERT_EQ(senders.size(), count);
    for (qsizetype i = 0; i < count; ++i)
        EXPECT_EQ(senders[i], expected[i]) << "message " << i + 1;
}

// The worker pool stages mailboxes side by side, each into its own buffer: each gives the bytes it gives alone.
TEST(MailboxStaging, MailboxesStagedOnThreadsGiveTheBytesOfOneAfterTheOther)
{
    QUILLMERE_REQUIRE_FIXTURE(real, "mbox/easy-ham-2.mbox");
    QUILLMERE_REQUIRE_FIXTURE(small, "mbox/test-attached.mbox");
    const QList<Mailbox> boxes = {mbox(real), mbox(small), mbox(real)};
    std::vector<QByteArray> parts(boxes.size());
    {
        std::vector<std::jthread> workers;
        for (size_t i = 0; i < parts.size(); ++i)
            workers.emplace_back([&, i] { parts[i] = staged(boxes[qsizetype(i)]); });
    }
    for (size_t i = 0; i < parts.size(); ++i)
        EXPECT_TRUE(parts[i] == staged(boxes[qsizetype(i)])) << "mailbox " << i;
}
