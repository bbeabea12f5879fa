#include "ExpressFixtures.h"

#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <gtest/gtest.h>
#include <hivex.h>
#include <unistd.h>

using namespace sources::express;

namespace expresstest {

namespace {

QByteArray quoted(QString text)
{
    return '"' + text.replace(u"\\"_qs, u"\\\\"_qs).replace(u"\""_qs, u"\\\""_qs).toUtf8() + '"';
}

// The identities of both fixtures, with the Outlook Express store roots of the first and third.
QList<RegistryKey> identities(const QString& storeRoot1, const QString& storeRoot3)
{
    const QString oe = u"\\Software\\Microsoft\\Outlook Express\\5.0"_qs;
    return {
        {u"Identities"_qs, {text(u"Default User ID"_qs, kId1), dword(u"Identity Ordinal"_qs, 3)}},
        {u"Identities\\"_qs + kId1, {text(u"Username"_qs, u"Main Identity"_qs), text(u"User ID"_qs, kId1)}},
        {u"Identities\\"_qs + kId1 + oe,
         {text(u"Store Root"_qs, storeRoot1, kRegExpandSz), dword(u"Settings Upgraded"_qs, 1)}},
        {u"Identities\\"_qs + kId2, {text(u"Username"_qs, u"Second \"Identity\""_qs)}},
        {u"Identities\\"_qs + kId2 + u"\\Software\\Microsoft\\Windows Mail"_qs,
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
        const QByteArray name = QString(key.path).replace(u"\\"_qs, u"\\\\"_qs).toUtf8();
        out += "\n[" + name + "] 1600000000\n#time=1d6f3a2b4c5d6e7\n";
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

bool buildHive(const QString& target, const QList<RegistryKey>& keys)
{
    const QString minimal = testsupport::fixture(u"hive/minimal"_qs);
    hive_h* h = minimal.isEmpty() ? nullptr : hivex_open(QFile::encodeName(minimal).constData(), HIVEX_OPEN_WRITE);
    if (!h) {
        ADD_FAILURE() << "cannot open the fixture hive/minimal";
        return false;
    }
    bool ok = QDir().mkpath(QFileInfo(target).absolutePath());
    for (const RegistryKey& key : keys) {
        hive_node_h node = hivex_root(h);
        for (const QString& component : key.path.split(u'\\')) {
            const QByteArray name = component.toUtf8();
            const hive_node_h child = node ? hivex_node_get_child(h, node, name.constData()) : 0;
            node = child || !node ? child : hivex_node_add_child(h, node, name.constData());
        }
        ok = ok && node;
        for (const RegistryData& value : key.values) {
            QByteArray name = value.name.toUtf8();
            QByteArray data = value.data;
            const hive_set_value set{name.data(), static_cast<hive_type>(value.type), static_cast<size_t>(data.size()),
                                     data.data()};
            ok = ok && hivex_node_set_value(h, node, &set, 0) == 0;
        }
    }
    ok = ok && hivex_commit(h, QFile::encodeName(target).constData(), 0) == 0;
    hivex_close(h);
    EXPECT_TRUE(ok) << "building the hive failed";
    return ok;
}

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

WinePrefixFixture::WinePrefixFixture(const QString& root)
{
    const QString tail = u"\\Microsoft\\Outlook Express"_qs;
    prefix = QDir(root).filePath(u"prefix"_qs);
    userReg = prefix + u"/user.reg"_qs;
    userRegText =
        wineUserReg(identities(u"%UserProfile%\\Local Settings\\Application Data\\Identities\\"_qs + kId1 + tail,
                               u"%USERPROFILE%\\AppData\\Local\\Identities\\"_qs + kId3 + tail)
                    << RegistryKey{u"Volatile Environment"_qs, {text(u"USERPROFILE"_qs, u"C:\\users\\winuser"_qs)}});
    writeFile(userReg, userRegText);
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

HiveFixture::HiveFixture(const QString& root)
{
    const QString tail = u"\\Microsoft\\Outlook Express"_qs;
    const QString profile = QDir::cleanPath(QDir(root).filePath(u"disk/Users/alice"_qs));
    hive = profile + u"/NTUSER.DAT"_qs;
    buildHive(hive, identities(u"%userprofile%\\AppData\\Local\\Identities\\"_qs + kId1 + tail,
                               u"%LOCALAPPDATA%\\Identities\\"_qs + kId3 + tail)
                        << RegistryKey{u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders"_qs,
                                       {text(u"Local AppData"_qs, u"%USERPROFILE%\\AppData\\Local"_qs, kRegExpandSz)}});
    // A hive's drive root is the folder as given (not resolved through links), so are its store folders.
    store1 = profile + u"/appdata/LOCAL/identities/"_qs + kId1 + u"/Microsoft/Outlook Express"_qs;
    store3 = profile + u"/appdata/LOCAL/identities/"_qs + kId3 + u"/microsoft/outlook express"_qs;
    for (const QString& folder : {store1, store3, profile + u"/Second"_qs})
        makeStoreFolder(folder);
}

} // namespace expresstest
