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
    makeFiles(folder, {QStringLiteral("Inbox.dbx"), QStringLiteral("Sent Items.DBX"), QStringLiteral("Folders.DBX"),
                       QStringLiteral("Pop3uidl.dbx"), QStringLiteral(".Outbox.dbx"), QStringLiteral("notes.txt")});
    ASSERT_TRUE(QDir(folder).mkpath(QStringLiteral("Archive.dbx")));
}

QStringList listedStoreFiles(const QString& folder)
{
    return {folder + QStringLiteral("/Inbox.dbx"), folder + QStringLiteral("/Sent Items.DBX")};
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
    prefix = QDir(root).filePath(QStringLiteral("prefix"));
    userReg = QDir(prefix).filePath(QStringLiteral("user.reg"));
    userRegText = QByteArray(kUserReg);
    writeFile(userReg, userRegText);
    const QDir dir(prefix);
    EXPECT_TRUE(dir.mkpath(QStringLiteral("dosdevices")));
    EXPECT_EQ(::symlink("../drive_c", QFile::encodeName(dir.filePath(QStringLiteral("dosdevices/c:"))).constData()), 0);
    const QString profile = dir.filePath(QStringLiteral("drive_c/users/winuser"));
    const QString folder1 = profile + QStringLiteral("/local settings/Application data/identities/") + kId1 +
                            QStringLiteral("/microsoft/Outlook Express");
    const QString folder3 =
        profile + QStringLiteral("/AppData/local/Identities/") + kId3 + QStringLiteral("/Microsoft/outlook express");
    makeStoreFolder(folder1);
    makeStoreFolder(folder3);
    makeStoreFolder(profile + QStringLiteral("/Second"));
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
    const QString minimal = testsupport::fixture(QStringLiteral("hive/minimal"));
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
    driveRoot = QDir::cleanPath(QDir(root).filePath(QStringLiteral("disk")));
    const QString profile = driveRoot + QStringLiteral("/Users/alice");
    hive = profile + QStringLiteral("/NTUSER.DAT");
    const QString oe = QStringLiteral("\\Software\\Microsoft\\Outlook Express\\5.0");
    buildHive(hive,
              {
                  {QStringLiteral("Identities"), {text(QStringLiteral("Default User ID"), kId1)}},
                  {QStringLiteral("Identities\\") + kId1 + oe,
                   {text(QStringLiteral("Store Root"),
                         QStringLiteral("%userprofile%\\AppData\\Local\\Identities\\") + kId1 +
                             QStringLiteral("\\Microsoft\\Outlook Express"),
                         sources::express::kRegExpandSz),
                    dword(QStringLiteral("Settings Upgraded"), 1)}},
                  {QStringLiteral("Identities\\") + kId2, {text(QStringLiteral("Username"), QStringLiteral("Second"))}},
                  {QStringLiteral("Identities\\") + kId3 + oe,
                   {text(QStringLiteral("Store Root"),
                         QStringLiteral("%LOCALAPPDATA%\\Identities\\") + kId3 +
                             QStringLiteral("\\Microsoft\\Outlook Express"),
                         sources::express::kRegExpandSz)}},
                  {QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders"),
                   {text(QStringLiteral("Local AppData"), QStringLiteral("%USERPROFILE%\\AppData\\Local"),
                         sources::express::kRegExpandSz)}},
              });
    const QString folder1 =
        profile + QStringLiteral("/appdata/LOCAL/identities/") + kId1 + QStringLiteral("/Microsoft/Outlook Express");
    const QString folder3 =
        profile + QStringLiteral("/appdata/LOCAL/identities/") + kId3 + QStringLiteral("/microsoft/outlook express");
    makeStoreFolder(folder1);
    makeStoreFolder(folder3);
    // A hive's drive root is the folder as given (not resolved through links), so are its store folders.
    store1 = QDir::cleanPath(folder1);
    store3 = QDir::cleanPath(folder3);
}

} // namespace expresstest
