#include "ExpressFixtures.h"

#include "support/TempDir.h"

#include <QtEndian>
#include <hivex.h>
#include <unistd.h>

using namespace sources::express;

namespace expresstest {

namespace {

const QString kId3 = u"{33333333-3333-3333-3333-333333333333}"_qs;
const QString kTail = u"\\Microsoft\\Outlook Express"_qs;

QByteArray quoted(QString text)
{
    return '"' + text.replace(u"\\"_qs, u"\\\\"_qs).replace(u"\""_qs, u"\\\""_qs).toUtf8() + '"';
}

// Besides the two listed stores: files discovery skips, and a folder with a store inside.
void makeStoreFolder(const QString& folder)
{
    for (const QString& name : {u"inbox.dbx"_qs, u"Sent Items.DBX"_qs, u"Folders.DBX"_qs, u"Pop3uidl.dbx"_qs,
                                u".Outbox.dbx"_qs, u"notes.txt"_qs, u"Archive.dbx/Old.dbx"_qs})
        testsupport::TempDir::writeFile(folder + u'/' + name, "dbx");
}

QList<RegistryKey> identities(const QString& storeRoot1, const QString& storeRoot3)
{
    const QString oe = u"\\Software\\Microsoft\\Outlook Express\\5.0"_qs;
    const QString id2 = u"Identities\\{22222222-2222-2222-2222-222222222222}"_qs;
    return {
        {u"Identities"_qs, {text(u"Default User ID"_qs, kId1), dword(u"Identity Ordinal"_qs, 3)}},
        {u"Identities\\"_qs + kId1, {text(u"Username"_qs, u"Main Identity"_qs), text(u"User ID"_qs, kId1)}},
        {u"Identities\\"_qs + kId1 + oe,
         {text(u"Store Root"_qs, storeRoot1, kRegExpandSz), dword(u"Settings Upgraded"_qs, 1)}},
        {id2, {text(u"Username"_qs, u"Second \"Identity\""_qs)}},
        {id2 + u"\\Software\\Microsoft\\Windows Mail"_qs,
         {text(u"Store Root"_qs, u"%UserProfile%\\Second"_qs, kRegExpandSz)}},
        {u"Identities\\"_qs + kId3 + oe, {text(u"Store Root"_qs, storeRoot3, kRegExpandSz)}},
    };
}

} // namespace

RegistryData text(const QString& name, const QString& value, quint32 type)
{
    return RegistryData{name, type, registryTextData(value)};
}

RegistryData dword(const QString& name, quint32 value)
{
    return RegistryData{name, kRegDword, registryDwordData(value)};
}

QByteArray wineUserReg(const QList<RegistryKey>& keys)
{
    QByteArray out("WINE REGISTRY Version 2\n;; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n\n#arch=win32\n");
    for (const RegistryKey& key : keys) {
        out +=
            "\n[" + QString(key.path).replace(u"\\"_qs, u"\\\\"_qs).toUtf8() + "] 1600000000\n#time=1d6f3a2b4c5d6e7\n";
        for (const RegistryData& value : key.values) {
            out += (value.name.isEmpty() ? QByteArray("@") : quoted(value.name)) + '=';
            const QString text = registryText(value.data);
            if ((value.type == kRegSz || value.type == kRegExpandSz) && value.data == registryTextData(text)) {
                out += (value.type == kRegSz ? "" : "str(2):") + quoted(text);
            } else if (value.type == kRegDword && value.data.size() == 4) {
                const quint32 number = qFromLittleEndian<quint32>(value.data.constData());
                out += "dword:" + QByteArray::number(number, 16).rightJustified(8, '0');
            } else {
                QByteArray hex = value.data.toHex(',');
                for (qsizetype at = 75; at < hex.size(); at += 79) // 25 bytes a line
                    hex.insert(at, "\\\n  ");
                out += "hex(" + QByteArray::number(value.type, 16) + "):" + hex;
            }
            out += '\n';
        }
    }
    return out;
}

void buildHive(const QString& target, const QList<RegistryKey>& keys)
{
    const QString minimal = testsupport::fixture(u"hive/minimal"_qs);
    hive_h* h = minimal.isEmpty() ? nullptr : hivex_open(QFile::encodeName(minimal).constData(), HIVEX_OPEN_WRITE);
    ASSERT_TRUE(h) << "cannot open the fixture hive/minimal";
    for (const RegistryKey& key : keys) {
        hive_node_h node = hivex_root(h);
        for (const QString& component : key.path.split(u'\\')) {
            const QByteArray name = component.toUtf8();
            const hive_node_h child = hivex_node_get_child(h, node, name.constData());
            node = child ? child : hivex_node_add_child(h, node, name.constData());
        }
        for (const RegistryData& value : key.values) {
            QByteArray name = value.name.toUtf8();
            QByteArray data = value.data;
            const hive_set_value set{name.data(), static_cast<hive_type>(value.type), size_t(data.size()), data.data()};
            EXPECT_EQ(hivex_node_set_value(h, node, &set, 0), 0) << key.path.toStdString();
        }
    }
    QDir().mkpath(QFileInfo(target).absolutePath());
    EXPECT_EQ(hivex_commit(h, QFile::encodeName(target).constData(), 0), 0) << target.toStdString();
    hivex_close(h);
}

QStringList listedStoreFiles(const QString& folder)
{
    return {folder + u"/inbox.dbx"_qs, folder + u"/Sent Items.DBX"_qs};
}

WinePrefixFixture::WinePrefixFixture(const QString& root) : prefix(QDir(root).filePath(u"prefix"_qs))
{
    userRegText =
        wineUserReg(identities(u"%UserProfile%\\Local Settings\\Application Data\\Identities\\"_qs + kId1 + kTail,
                               u"%USERPROFILE%\\AppData\\Local\\Identities\\"_qs + kId3 + kTail)
                    << RegistryKey{u"Volatile Environment"_qs, {text(u"USERPROFILE"_qs, u"C:\\users\\winuser"_qs)}});
    testsupport::TempDir::writeFile(prefix + u"/user.reg"_qs, userRegText);
    EXPECT_TRUE(QDir(prefix).mkpath(u"dosdevices"_qs));
    EXPECT_EQ(::symlink("../drive_c", QFile::encodeName(prefix + u"/dosdevices/c:"_qs).constData()), 0);
    const QString profile = prefix + u"/drive_c/users/winuser"_qs;
    const QString folder1 =
        profile + u"/local settings/Application data/identities/"_qs + kId1 + u"/microsoft/Outlook Express"_qs;
    const QString folder3 = profile + u"/AppData/local/Identities/"_qs + kId3 + u"/Microsoft/outlook express"_qs;
    for (const QString& folder : {folder1, folder3, profile + u"/Second"_qs})
        makeStoreFolder(folder);
    store1 = QFileInfo(folder1).canonicalFilePath();
    store3 = QFileInfo(folder3).canonicalFilePath();
}

// A hive's drive root is the folder as given (not resolved through links), so are its store folders.
HiveFixture::HiveFixture(const QString& root)
{
    const QString profile = QDir::cleanPath(QDir(root).filePath(u"disk/Users/alice"_qs));
    hive = profile + u"/NTUSER.DAT"_qs;
    buildHive(hive, identities(u"%userprofile%\\AppData\\Local\\Identities\\"_qs + kId1 + kTail,
                               u"%LOCALAPPDATA%\\Identities\\"_qs + kId3 + kTail)
                        << RegistryKey{u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders"_qs,
                                       {text(u"Local AppData"_qs, u"%USERPROFILE%\\AppData\\Local"_qs, kRegExpandSz)}});
    store1 = profile + u"/appdata/LOCAL/identities/"_qs + kId1 + u"/Microsoft/Outlook Express"_qs;
    store3 = profile + u"/appdata/LOCAL/identities/"_qs + kId3 + u"/microsoft/outlook express"_qs;
    for (const QString& folder : {store1, store3, profile + u"/Second"_qs})
        makeStoreFolder(folder);
}

} // namespace expresstest
