// A user hive through hivex: open it, walk its keys and values, and ask for the profile folder.
#include "FuzzSupport.h"

#include "sources/express/HiveRegistry.h"

#include <QDir>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace sources::express;
    // The hive sits where a mounted Windows disk keeps it, so that the profile paths can be worked out.
    static const bool folders = QDir(fuzzsupport::workFolder()).mkpath(QStringLiteral("Users/alice"));
    (void)folders;
    const QString path =
        fuzzsupport::writeInput(QByteArrayView(data, qsizetype(size)), QStringLiteral("Users/alice/NTUSER.DAT"));
    HiveRegistry hive(path);
    fuzzsupport::walkKeys([&](const QStringList& keyPath) { return hive.subkeys(kHkeyCurrentUser, keyPath); },
                          [&](const QStringList& keyPath) {
                              for (const RegistryData& value : hive.values(kHkeyCurrentUser, keyPath))
                                  (void)registryText(value.data);
                          },
                          8, 300);
    (void)hive.environmentVariable(QStringLiteral("USERPROFILE"));
    (void)hive.environmentVariable(QStringLiteral("APPDATA"));
    (void)hive.driveFolder(u'C');
    (void)hive.description();
    return 0;
}
