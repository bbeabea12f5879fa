#include "sources/outlook/PstApplication.h"

#include "core/AppError.h"
#include "platform/ScriptedPlatform.h"
#include "sources/outlook/FakeOutlook.h"
#include "sources/outlook/OutlookReader.h"
#include "sources/outlook/PffExport.h"
#include "support/TempDir.h"

#include <QDirIterator>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

using namespace sources::outlook;
using testsupport::TempDir;

constexpr quint32 kMessageClass = 0x001a;
constexpr quint32 kSenderName = 0x0c1a;
constexpr quint32 kSenderAddressType = 0x0c1e;
constexpr quint32 kSenderAddress = 0x0c1f;

// Every sample store, PST and OST, as a path below the fixtures.
const char* const kStores[] = {"pst/sample1.pst",           "pst/sample2.pst",
                               "pst/submessage.pst",        "pst/test_ansi.pst",
                               "pst/test_unicode.pst",      "pst/user1@test.lab.pst",
                               "pst/backup_with_rules.pst", "pst/97_outlook_pass12345.pst",
                               "pst/Outlook98Backup.pst",   "ost/pstextractortestpdf@outlook.com.ost"};

bool isMailClass(const QString& messageClass)
{
    return messageClass.compare(u"IPM.Note", Qt::CaseInsensitive) == 0 ||
           messageClass.startsWith(u"IPM.Note.", Qt::CaseInsensitive);
}

// The item folders pffexport made directly in folder ("Message00003", "Contact00001" ...), in file order.
QStringList itemFolders(const QString& folder)
{
    static const QRegularExpression itemName(u"^[A-Za-z]+(\\d{5})$"_qs);
    QMap<int, QString> byIndex;
    for (const QString& name : QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const auto match = itemName.match(name);
        if (match.hasMatch())
            byIndex.insert(match.captured(1).toInt(), QDir(folder).filePath(name));
    }
    return byIndex.values();
}

// What an exported mail item stages: its sender, and its body where the export holds it as text (an
// HTML-only message is exported as HTML, which the reader turns into text of its own). Nothing for items
// of other classes.
struct ExpectedMail
{
    QString sender;
    std::optional<QByteArray> body;
};

std::optional<ExpectedMail> expectedMail(const QString& itemFolder)
{
    const auto values = pffexport::stringValues(itemFolder + u"/ItemValues.txt"_qs);
    if (!isMailClass(values.value(kMessageClass)))
        return std::nullopt;
    const QString sender =
        values.value(kSenderAddressType) == u"SMTP" ? values.value(kSenderAddress) : values.value(kSenderName);
    const QString text = itemFolder + u"/Message.txt"_qs;
    return ExpectedMail{sender, QFileInfo::exists(text) ? std::optional(TempDir::read(text)) : std::nullopt};
}

// Mail items anywhere below folder, leaving out messages embedded as attachments.
int mailItemsBelow(const QString& folder)
{
    int count = 0;
    for (const QString& item : itemFolders(folder))
        count += expectedMail(item) ? 1 : 0;
    for (const QString& name : QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (!itemFolders(folder).contains(QDir(folder).filePath(name)))
            count += mailItemsBelow(QDir(folder).filePath(name));
    }
    return count;
}

// The folder of the export that holds the folders a user sees: a PST's "Top of ..." folder, an OST's
// "IPM_SUBTREE" of its mailbox root.
QString topOf(const QString& exported)
{
    const QStringList tops = QDir(exported).entryList({u"Top of*"_qs}, QDir::Dirs);
    if (tops.size() == 1)
        return QDir(exported).filePath(tops.first());
    const QString mailbox = QDir(exported).filePath(u"Root - Mailbox/IPM_SUBTREE"_qs);
    return QFileInfo(mailbox).isDir() ? mailbox : QString();
}

class PstStoreTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!QFileInfo::exists(QStringLiteral(QUILLMERE_FIXTURES "/pst")))
            GTEST_SKIP() << "fixture folder pst not found beside the repository (../shared/fixtures)";
    }

    static QString store(const char* name)
    {
        const QString relative = QString::fromUtf8(name);
        return QStringLiteral(QUILLMERE_FIXTURES "/") + (relative.contains(u'/') ? relative : u"pst/"_qs + relative);
    }

    QByteArray stage(const QStringList& stores, bool staged = true)
    {
        PstApplicationFactory factory([stores] { return stores; });
        OutlookReader reader({factory, options, desk.dialogs, desk.loop, pointer});
        EXPECT_EQ(reader.getAllEmailOutlook(path), staged);
        return TempDir::read(path);
    }

    fake::Options options;
    platform::ScriptedPlatform desk;
    platform::ScriptedPointer pointer;
    TempDir dir;
    QString path = dir.file(u"test.txt"_qs);
};

// Per first-level folder of every sample store: the same mail items with the same senders as pffexport
// shows, and the same bodies where the export has them as text.
TEST_F(PstStoreTest, EachFirstLevelFolderStagesWhatPffexportShows)
{
    if (!pffexport::available())
        GTEST_SKIP() << "pffexport (Debian pff-tools) is not installed";
    int compared = 0;
    int withText = 0;
    for (const char* name : kStores) {
        if (!QFileInfo::exists(store(name))) {
            ADD_FAILURE() << "sample store missing: " << name;
            continue;
        }
        const QString exported = pffexport::exportStore(store(name), dir.path(), {u"-d"_qs});
        const QString top = topOf(exported);
        ASSERT_FALSE(top.isEmpty()) << name;
        for (const QString& first : QDir(top).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            const QString folder = QDir(top).filePath(first);
            QByteArray senders = "\r\n";
            QByteArray records = "\r\n";
            bool allText = true;
            int mails = 0;
            for (const QString& item : itemFolders(folder)) {
                if (const auto mail = expectedMail(item)) {
                    senders += mail->sender.toUtf8() + "\r\n\r\n";
                    records += mail->sender.toUtf8() + "\r\n" + mail->body.value_or(QByteArray()) + "\r\n";
                    allText = allText && mail->body;
                    ++mails;
                }
            }
            // Deeper mail would come first in an order the export does not show; the samples have none.
            ASSERT_EQ(mailItemsBelow(folder), mails) << name << " / " << first.toStdString();

            const std::string where = std::string(name) + " / " + first.toStdString();
            options.checkOnly({});
            options.boxes[0] = {true, first};
            options.body = false;
            EXPECT_EQ(stage({store(name)}), senders) << where;
            if (allText && mails > 0) {
                options.body = true;
                EXPECT_EQ(stage({store(name)}), records) << where;
                withText += mails;
            }
            compared += mails;
        }
    }
    // 296 lorem-ipsum messages in one store, the OST's HTML-only Inbox and a handful in the others.
    EXPECT_GT(compared, 300);
    EXPECT_GT(withText, 300);

    // The whole profile with every box: one record (two empty lines here) per mail item of every store.
    QStringList profile;
    int expected = 0;
    for (const char* name : kStores) {
        profile.append(store(name));
        expected += mailItemsBelow(topOf(dir.file(QFileInfo(store(name)).completeBaseName() + u".export"_qs)));
    }
    options.checkAll();
    options.from = false;
    options.body = false;
    EXPECT_EQ(stage(profile), "\r\n" + QByteArray("\r\n\r\n").repeated(expected));
    EXPECT_TRUE(desk.dialogs.messageTexts().isEmpty()) << desk.dialogs.messageTexts().join(u'\n').toStdString();
}

// The top folders are the stores, named by their display names. An outlook.com OST names no IPM subtree in
// its message store; its folders are the mailbox root's "IPM_SUBTREE", not the public folders' one.
TEST_F(PstStoreTest, TopFoldersAreTheStoresWithTheFoldersAUserSees)
{
    QUILLMERE_REQUIRE_FIXTURE(ost, "ost/pstextractortestpdf@outlook.com.ost");
    PstApplicationFactory factory([ost] { return QStringList{store("user1@test.lab.pst"), ost}; });
    const auto application = factory.create();
    ASSERT_TRUE(application);
    EXPECT_TRUE(application->Version().startsWith(u"16."));
    const auto mapi = application->GetNamespace(u"MAPI"_qs);
    ASSERT_EQ(mapi->Folders().count(), 2);
    EXPECT_THROW(mapi->Folders().Item(3), core::AppError);
    const auto names = [](Folder& top) {
        QStringList names;
        for (int i = 1; i <= top.Folders().count(); ++i)
            names.append(top.Folders().Item(i)->Name());
        return names;
    };
    const auto pst = mapi->Folders().Item(1);
    EXPECT_FALSE(pst->Name().startsWith(u"Top of"));
    EXPECT_FALSE(pst->Name().isEmpty());
    EXPECT_TRUE(names(*pst).contains(u"FolderWithSingleMessage"_qs));
    const auto offline = mapi->Folders().GetLast();
    EXPECT_EQ(offline->Name(), u"pstextractortestpdf@outlook.com"_qs);
    for (const QString& name : {u"Inbox"_qs, u"Outbox"_qs, u"Drafts"_qs, u"Sent Items"_qs, u"Deleted Items"_qs})
        EXPECT_TRUE(names(*offline).contains(name)) << name.toStdString();
}

// A file that opens as a store but holds no folder tree a user could see is a failure that names the file,
// not an empty success.
TEST_F(PstStoreTest, StoreWithoutFolderTreeFailsNamingTheFile)
{
    QUILLMERE_REQUIRE_FIXTURE(ost, "ost/pstextractortestpdf@outlook.com.ost");
    QByteArray bytes = TempDir::read(ost);
    const auto utf16 = [](const QString& s) {
        return QByteArray(reinterpret_cast<const char*>(s.utf16()), s.size() * 2);
    };
    ASSERT_GT(bytes.count(utf16(u"IPM_SUBTREE"_qs)), 0);
    const QString renamed =
        dir.write(u"renamed.ost"_qs, bytes.replace(utf16(u"IPM_SUBTREE"_qs), utf16(u"IPM_SUBTREF"_qs)));

    options.checkAll();
    options.profile = false;
    options.pst = true;
    options.pstPath = renamed;
    dir.write(u"test.txt"_qs, "earlier run\r\n");
    EXPECT_EQ(stage({}, false), QByteArray("\r\n"));
    const QStringList shown = desk.dialogs.messageTexts();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].startsWith(u"No mail folders were found in \""_qs + renamed + u'"')) << shown[0].toStdString();
}

} // namespace
