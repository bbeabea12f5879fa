#include "sources/express/HiveRegistry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <hivex.h>
#include <sys/mman.h>
#include <unistd.h>

namespace sources::express {

namespace {

struct FreeDeleter
{
    void operator()(void* p) const { std::free(p); }
};

template <class T>
using CBuffer = std::unique_ptr<T, FreeDeleter>;

QString fromHivexText(const char* text)
{
    return text ? QString::fromUtf8(text) : QString();
}

bool writeAll(int fd, const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

// Opens the hive from a private copy in memory: hivex maps a read-only hive into memory, and a mapped file
// that shrinks or whose disk goes away under us would end the program with SIGBUS.
hive_h* openPrivateCopy(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kHiveMaxBytes)
        return nullptr;
    QByteArray bytes;
    try {
        // Asking for the cap itself would set aside the whole cap for every hive, however small.
        bytes = file.read(std::min(file.size(), kHiveMaxBytes));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    if (bytes.isEmpty())
        return nullptr;
    const int fd = memfd_create("quillmere-hive", MFD_CLOEXEC);
    if (fd < 0)
        return nullptr;
    hive_h* h = nullptr;
    if (writeAll(fd, bytes)) {
        const QByteArray procPath = "/proc/self/fd/" + QByteArray::number(fd);
        h = hivex_open(procPath.constData(), 0);
    }
    ::close(fd); // hivex holds its own descriptor of the copy
    return h;
}

} // namespace

struct HiveRegistry::Hive
{
    hive_h* handle = nullptr;
    ~Hive()
    {
        if (handle)
            hivex_close(handle);
    }

    // The node of a key path, or 0. Names match whatever their letter case (hivex compares ASCII only).
    hive_node_h find(const QStringList& keyPath) const
    {
        if (!handle)
            return 0;
        hive_node_h node = hivex_root(handle);
        for (const QString& component : keyPath) {
            if (node == 0)
                return 0;
            CBuffer<hive_node_h> children(hivex_node_children(handle, node));
            node = 0;
            if (!children)
                return 0;
            for (const hive_node_h* child = children.get(); *child; ++child) {
                CBuffer<char> name(hivex_node_name(handle, *child));
                if (name && fromHivexText(name.get()).compare(component, Qt::CaseInsensitive) == 0) {
                    node = *child;
                    break;
                }
            }
        }
        return node;
    }
};

HiveRegistry::HiveRegistry(QString hivePath) : m_hivePath(std::move(hivePath))
{
    const QFileInfo hive(m_hivePath);
    QDir profile = hive.absoluteDir();
    m_profileFolder = QDir::cleanPath(profile.absolutePath());
    QStringList windowsParts;
    QDir drive = profile;
    for (int up = 0; up < 2 && !drive.isRoot(); ++up) {
        windowsParts.prepend(drive.dirName());
        drive.cdUp();
    }
    m_driveRoot = QDir::cleanPath(drive.absolutePath());
    m_windowsProfile = QStringLiteral("C:\\") + windowsParts.join(u'\\');
}

HiveRegistry::~HiveRegistry() = default;

HiveRegistry::Hive& HiveRegistry::hive() const
{
    if (!m_hive) {
        m_hive = std::make_unique<Hive>();
        m_hive->handle = openPrivateCopy(m_hivePath);
    }
    return *m_hive;
}

QStringList HiveRegistry::subkeys(quint32 root, const QStringList& keyPath) const
{
    QStringList names;
    if (root != kHkeyCurrentUser)
        return names;
    const Hive& h = hive();
    const hive_node_h node = h.find(keyPath);
    if (node == 0)
        return names;
    CBuffer<hive_node_h> children(hivex_node_children(h.handle, node));
    if (!children)
        return names;
    for (const hive_node_h* child = children.get(); *child; ++child) {
        CBuffer<char> name(hivex_node_name(h.handle, *child));
        if (name)
            names.append(fromHivexText(name.get()));
    }
    return names;
}

QList<RegistryData> HiveRegistry::values(quint32 root, const QStringList& keyPath) const
{
    QList<RegistryData> result;
    if (root != kHkeyCurrentUser)
        return result;
    const Hive& h = hive();
    const hive_node_h node = h.find(keyPath);
    if (node == 0)
        return result;
    CBuffer<hive_value_h> values(hivex_node_values(h.handle, node));
    if (!values)
        return result;
    for (const hive_value_h* value = values.get(); *value; ++value) {
        CBuffer<char> key(hivex_value_key(h.handle, *value));
        if (!key)
            continue;
        // hivex hands on the type word of the file as it is, which need not be one of its enumerators.
        static_assert(sizeof(hive_type) == sizeof(quint32));
        quint32 type = hive_t_REG_NONE;
        size_t length = 0;
        CBuffer<char> data(hivex_value_value(h.handle, *value, reinterpret_cast<hive_type*>(&type), &length));
        if (!data && length != 0)
            continue;
        result.append(RegistryData{fromHivexText(key.get()), type,
                                   data ? QByteArray(data.get(), static_cast<qsizetype>(length)) : QByteArray()});
    }
    return result;
}

QString HiveRegistry::environmentVariable(const QString& name) const
{
    if (name.compare(QLatin1String("USERPROFILE"), Qt::CaseInsensitive) == 0)
        return m_windowsProfile;
    if (name.compare(QLatin1String("USERNAME"), Qt::CaseInsensitive) == 0)
        return QDir(m_profileFolder).dirName();
    if (name.compare(QLatin1String("HOMEDRIVE"), Qt::CaseInsensitive) == 0 ||
        name.compare(QLatin1String("SYSTEMDRIVE"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("C:");
    return QString();
}

QString HiveRegistry::driveFolder(QChar letter) const
{
    return letter.toUpper() == u'C' ? m_driveRoot : QString();
}

QString HiveRegistry::description() const
{
    return QStringLiteral("registry hive ") + m_hivePath;
}

} // namespace sources::express
