#include "rules/UnitSource.h"

#include "core/AppError.h"
#include "rules/Run.h"
#include "platform/Desktop.h"

#include <QFile>
#include <QFileInfo>

namespace rules {

bool StagingSource::stage()
{
    m_path = m_pathOf();
    return m_stager(m_path);
}

void MessagesSource::forEachUnit(platform::ProgressControl& progress, const std::function<void(const TextUnit&)>& read)
{
    for (const MessageFile& message : m_list()) {
        progress.setText(kLookingAtText + message.path);
        progress.setValue(message.percent);
        read({message.path, [this, &message] { return loadBody(message.path); }});
    }
}

QString MessagesSource::loadBody(const QString& path) const
{
    // The loader reads a file it cannot open as an empty message; the user must hear that it was not read.
    QFile file(path);
    if (!QFileInfo(path).isFile())
        throw core::AppError(core::errors::kFileNotFound, QStringLiteral("File not found: ") + path);
    if (!file.open(QIODevice::ReadOnly))
        throw core::AppError(core::errors::kPermissionDenied, QStringLiteral("Permission denied: ") + path);
    return m_load(path);
}

} // namespace rules
