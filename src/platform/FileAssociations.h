#pragma once

#include <QString>

namespace platform {

// Which kinds of file the desktop can open. Contract: answers without starting any program and never fails;
// a question it cannot settle is answered false.
class FileAssociations
{
public:
    virtual ~FileAssociations() = default;
    // True when some installed program is registered to open files of the MIME type.
    virtual bool hasProgramFor(const QString& mimeType) = 0;
};

} // namespace platform
