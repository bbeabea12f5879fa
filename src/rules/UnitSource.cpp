#include "rules/ServedWindow.h"

#include "core/TextFiles.h"
#include "rules/StagedText.h"

namespace rules {

bool StagedFileSource::stage()
{
    m_path = m_stager.stagingPath();
    return m_stager.stageMail(m_path);
}

void StagedFileSource::scanLines(LineRule& rule, HitSink& sink, platform::EventLoop& loop)
{
    scanStagedText(m_path, rule, sink, m_path, loop);
}

void StagedFileSource::readTexts(TextUnits& units)
{
    core::BlockReader reader(m_path);
    units.beginUnit(m_path);
    QString block;
    while (reader.next(block))
        units.text(block);
    units.endUnit();
}

} // namespace rules
