#pragma once

#include "platform/FileAssociations.h"

#include <QStringList>

namespace platform {

// Answers from a fixed list of MIME types and records every question.
class ScriptedFileAssociations : public FileAssociations
{
public:
    bool hasProgramFor(const QString& mimeType) override
    {
        asked.append(mimeType);
        return known.contains(mimeType);
    }
    QStringList known;
    QStringList asked;
};

} // namespace platform
