#include "core/TempFolder.h"

#include "core/AppError.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace core {

namespace {

QString baseFolder()
{
    for (const char* name : {"TEMP", "TMPDIR"}) {
        const QString value = qEnvironmentVariable(name);
        if (!value.isEmpty())
            return value;
    }
    return QStringLiteral("/tmp");
}

// A folder is safe when it is a real folder (not a link), owned by us, and closed to everybody else.
bool makeSafe(const QByteArray& path)
{
    struct stat st
    {
    };
    if (lstat(path.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != geteuid())
        return false;
    return (st.st_mode & 077) == 0 || chmod(path.constData(), 0700) == 0;
}

[[noreturn]] void unsafe()
{
    throw AppError(errors::kPermissionDenied, QStringLiteral("Permission denied"));
}

} // namespace

QString privateTempFolder()
{
    const QString base = baseFolder();
    const QByteArray usual = QFile::encodeName(QStringLiteral("%1/quillmere-%2").arg(base).arg(geteuid()));
    if (mkdir(usual.constData(), 0700) == 0 || errno == EEXIST) {
        if (makeSafe(usual))
            return QFile::decodeName(usual);
    }
    // Reuse the random folder this process made before, else make one.
    static QByteArray fallback;
    if (!fallback.isEmpty() && fallback.startsWith(usual) && makeSafe(fallback))
        return QFile::decodeName(fallback);
    QByteArray templ = usual + "-XXXXXX";
    if (!mkdtemp(templ.data()) || !makeSafe(templ))
        unsafe();
    fallback = templ;
    return QFile::decodeName(templ);
}

QString stagingFilePath()
{
    return QDir(privateTempFolder()).filePath(QStringLiteral("test.txt"));
}

} // namespace core
