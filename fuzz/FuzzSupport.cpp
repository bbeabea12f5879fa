#include "FuzzSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace fuzzsupport {

QString workFolder()
{
    static QTemporaryDir folder;
    return folder.path();
}

QString writeInput(QByteArrayView bytes, const QString& name)
{
    const QString path = QDir(workFolder()).filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        fail("cannot write the input file");
    if (file.write(bytes.data(), bytes.size()) != bytes.size())
        fail("cannot write the input file");
    return path;
}

void walkKeys(const std::function<QStringList(const QStringList&)>& subkeys,
              const std::function<void(const QStringList&)>& visit, int maxDepth, int maxKeys)
{
    int seen = 0;
    std::function<void(const QStringList&, int)> walk = [&](const QStringList& path, int depth) {
        if (seen++ >= maxKeys)
            return;
        visit(path);
        if (depth >= maxDepth)
            return;
        for (const QString& name : subkeys(path)) {
            if (seen >= maxKeys)
                return;
            walk(path + QStringList{name}, depth + 1);
        }
    };
    walk({}, 0);
}

} // namespace fuzzsupport
