#include "ExpressFixtures.h"

#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdlib>
#include <gtest/gtest.h>
#include <hivex.h>
#include <unistd.h>
#include <vector>

using sources::express::RegistryData;

namespace expresstest {

void writeFile(const QString& path, const QByteArray& bytes)
{
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    f.write(bytes);
}

void makeFiles(const QString& folder, const QStringList& names)
{
    ASSERT_TRUE(QDir().mkpath(folder));
    for (const QString& name : names)
        writeFile(QDir(folder).filePath(name), QByteArray("dbx"));
}

void makeStoreFolder(const QString& folder)
{
    makeFiles(folder, {u"Inbox.dbx"_qs, u"Sent Items.DBX"_qs, u"Folders.DBX"_qs, u"Pop3uidl.dbx"_qs, u".Outbox.dbx"_qs,
                       u"notes.txt"_qs});
    ASSERT_TRUE(QDir(folder).mkpath(u"Archive.dbx"_qs));
}

QStringList listedStoreFiles(const QString& folder)
{
    return {folder + u"/Inbox.dbx"_qs, folder + u"/Sent Items.DBX"_qs};
}

namespace {

QString canonical(const QString& path)
{
    return QFileInfo(path).canonicalFilePath();
}

const char kUserReg[] = R"(WINE REGISTRY Version 2
;; All keys relative to \\User\\S-1-5-21-0-0-0-1000

#arch=win32

[Identities] 1600000000
#time=1d6f3a2b4c5d6e7
"Default User ID"="{11111111-1111-1111-1111-111111111111}"
"Identity Ordinal"=dword:00000003

[Identities\\{11111111-1111-1111-1111-111111111111}] 1600000000
#time=1d6f3a2b4c5d6e7
"Username"="Main Identity"
"User ID"="{11111111-1111-1111-1111-111111111111}"

[Identities\\{11111111-1111-1111-1111-111111111111}\\Software\\Microsoft\\Outlook Express\\5.0] 1600000000
#time=1d6f3a2b4c5d6e7
"Store Root"=str(2):"%UserProfile%\\Local Settings\\Application Data\\Identities\\{11111111-1111-1111-1111-111111111111}\\Microsoft\\Outlook Express"
"Last Store Root"=hex(2):25,00,55,00,73,00,65,00,72,00,50,00,72,00,6f,00,66,00,69,00,\
  6c,00,65,00,25,00,00,00
"Settings Upgraded"=dword:00000001

[Identities\\{22222222-2222-2222-2222-222222222222}] 1600000000
"Username"="Second \"Identity\""

[Identities\\{22222222-2222-2222-2222-222222222222}\\Software\\Microsoft\\Windows Mail] 1600000000
"Store Root"=str(2):"%UserProfile%\\Second"

[Identities\\{33333333-3333-3333-3333-333333333333}] 1600000000
"Username"="Third"

[Identities\\{33333333-3333-3333-3333-333333333333}\\Software\\Microsoft\\Outlook Express\\5.0] 1600000000
"Store Root"=str(2):"%USERPROFILE%\\AppData\\Local\\Identities\\{33333333-3333-3333-3333-333333333333}\\Microsoft\\Outlook Express"

[Volatile Environment] 1600000000
"USERPROFILE"="C:\\users\\winuser"
)";

} // namespace

WinePrefixFixture::WinePrefixFixture(const QString& root)
{
    prefix = QDir(root).filePath(u"prefix"_qs);
    userReg = QDir(prefix).filePath(u"user.reg"_qs);
    userRegText = QByteArray(kUserReg);
    writeFile(userReg, userRegText);
    const QDir dir(prefix);
    EXPECT_TRUE(dir.mkpath(u"dosdevices"_qs));
    EXPECT_EQ(::symlink("../drive_c", QFile::encodeName(dir.filePath(u"dosdevices/c:"_qs)).constData()), 0);
    const QString profile = dir.filePath(u"drive_c/users/winuser"_qs);
    const QString folder1 =
        profile + u"/local settings/Application data/identities/"_qs + kId1 + u"/microsoft/Outlook Express"_qs;
    const QString folder3 = profile + u"/AppData/local/Identities/"_qs + kId3 + u"/Microsoft/outlook express"_qs;
    makeStoreFolder(folder1);
    makeStoreFolder(folder3);
    makeStoreFolder(profile + u"/Second"_qs);
    store1 = canonical(folder1);
    store3 = canonical(folder3);
}

RegistryData text(const QString& name, const QString& value, quint32 type)
{
    return RegistryData{name, type, sources::express::registryTextData(value)};
}

RegistryData dword(const QString& name, quint32 value)
{
    return RegistryData{name, sources::express::kRegDword, sources::express::registryDwordData(value)};
}

bool buildHive(const QString& target, const QList<HiveKey>& keys)
{
    const QString minimal = testsupport::fixture(u"hive/minimal"_qs);
    if (minimal.isEmpty()) {
        ADD_FAILURE() << "fixture hive/minimal not found";
        return false;
    }
    hive_h* h = hivex_open(QFile::encodeName(minimal).constData(), HIVEX_OPEN_WRITE);
    if (!h) {
        ADD_FAILURE() << "hivex_open failed";
        return false;
    }
    bool ok = true;
    for (const HiveKey& key : keys) {
        hive_node_h node = hivex_root(h);
        for (const QString& component : key.path.split(u'\\', Qt::SkipEmptyParts)) {
            const QByteArray name = component.toUtf8();
            hive_node_h child = hivex_node_get_child(h, node, name.constData());
            if (child == 0)
                child = hivex_node_add_child(h, node, name.constData());
            if (child == 0) {
                ok = false;
                break;
            }
            node = child;
        }
        if (!ok)
            break;
        if (key.values.isEmpty())
            continue;
        std::vector<QByteArray> names;
        std::vector<QByteArray> data;
        std::vector<hive_set_value> set;
        for (const RegistryData& value : key.values) {
            names.push_back(value.name.toUtf8());
            data.push_back(value.data);
        }
        for (size_t i = 0; i < names.size(); ++i) {
            set.push_back(hive_set_value{names[i].data(),
                                         static_cast<hive_type>(key.values[static_cast<qsizetype>(i)].type),
                                         static_cast<size_t>(data[i].size()), data[i].data()});
        }
        if (hivex_node_set_values(h, node, set.size(), set.data(), 0) != 0) {
            ok = false;
            break;
        }
    }
    EXPECT_TRUE(QDir().mkpath(QFileInfo(target).absolutePath()));
    if (ok && hivex_commit(h, QFile::encodeName(target).constData(), 0) != 0)
        ok = false;
    hivex_close(h);
    EXPECT_TRUE(ok) << "building the hive failed";
    return ok;
}

HiveFixture::HiveFixture(const QString& root)
{
    driveRoot = QDir::cleanPath(QDir(root).filePath(u"disk"_qs));
    const QString profile = driveRoot + u"/Users/alice"_qs;
    hive = profile + u"/NTUSER.DAT"_qs;
    const QString oe = u"\\Software\\Microsoft\\Outlook Express\\5.0"_qs;
    buildHive(
        hive,
        {
            {u"Identities"_qs, {text(u"Default User ID"_qs, kId1)}},
            {u"Identities\\"_qs + kId1 + oe,
             {text(u"Store Root"_qs,
                   u"%userprofile%\\AppData\\Local\\Identities\\"_qs + kId1 + u"\\Microsoft\\Outlook Express"_qs,
                   sources::express::kRegExpandSz),
              dword(u"Settings Upgraded"_qs, 1)}},
            {u"Identities\\"_qs + kId2, {text(u"Username"_qs, u"Second"_qs)}},
            {u"Identities\\"_qs + kId3 + oe,
             {text(u"Store Root"_qs, u"%LOCALAPPDATA%\\Identities\\"_qs + kId3 + u"\\Microsoft\\Outlook Express"_qs,
                   sources::express::kRegExpandSz)}},
            {u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders"_qs,
             {text(u"Local AppData"_qs, u"%USERPROFILE%\\AppData\\Local"_qs, sources::express::kRegExpandSz)}},
        });
    const QString folder1 = profile + u"/appdata/LOCAL/identities/"_qs + kId1 + u"/Microsoft/Outlook Express"_qs;
    const QString folder3 = profile + u"/appdata/LOCAL/identities/"_qs + kId3 + u"/microsoft/outlook express"_qs;
    makeStoreFolder(folder1);
    makeStoreFolder(folder3);
    // A hive's drive root is the folder as given (not resolved through links), so are its store folders.
    store1 = QDir::cleanPath(folder1);
    store3 = QDir::cleanPath(folder3);
}

} // namespace expresstest
