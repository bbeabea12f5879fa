#include "rules/UnitSource.h"

#include "rules/Run.h"
#include "platform/Desktop.h"

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
        const QString body = m_load(message.path);
        read({message.path, &body});
    }
}

} // namespace rules
