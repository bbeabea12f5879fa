#pragma once

#include "platform/FileAssociations.h"

#include <QStringList>

namespace platform {

// Reads the freedesktop.org associations: the mimeapps.list files (defaults, added and removed associations),
// the mimeinfo.cache of each applications folder, and the MimeType lines of the installed .desktop files.
// A program counts when its .desktop file is installed and not hidden.
class XdgFileAssociations : public FileAssociations
{
public:
    // The folders of the running session, from $XDG_CONFIG_HOME, $XDG_CONFIG_DIRS, $XDG_DATA_HOME and
    // $XDG_DATA_DIRS with their usual defaults.
    XdgFileAssociations();
    // Explicit folders, most important first; dataDirs are searched in their "applications" subfolder.
    XdgFileAssociations(QStringList configDirs, QStringList dataDirs);

    bool hasProgramFor(const QString& mimeType) override;

private:
    QStringList m_configDirs;
    QStringList m_dataDirs;
};

} // namespace platform
