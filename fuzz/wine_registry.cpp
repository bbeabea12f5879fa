// The user.reg parser, then every key and value of what it read.
#include "FuzzSupport.h"

#include "sources/express/WineRegistry.h"

#include <QBuffer>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace sources::express;
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer device(&bytes);
    device.open(QIODevice::ReadOnly);
    MemoryRegistry tree;
    if (!readWineRegistry(device, tree, kHkeyCurrentUser))
        fuzzsupport::check(tree.keyCount() == 0, "user.reg: a file without the header added keys");
    fuzzsupport::walkKeys([&](const QStringList& path) { return tree.subkeys(kHkeyCurrentUser, path); },
                          [&](const QStringList& path) {
                              for (const RegistryData& value : tree.values(kHkeyCurrentUser, path))
                                  (void)registryText(value.data);
                          });
    return 0;
}
