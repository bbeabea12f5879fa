#pragma once

#include <QString>
#include <QStringList>

namespace platform {
class Dialogs;
}

// The search over all Outlook Express identities.
namespace sources::express {

class RegistryBackend;

// What a search finds; the Outlook Express window owns one for the whole run.
struct StoreDiscovery
{
    // The store folders the last search found in its registry.
    QStringList storeFolders;
    // The full paths of the DBX files found, identity by identity. The window empties it before a search;
    // consumers skip entries that are blank.
    QStringList dbxFiles;
};

// searchIdentities: storeFolders := the identities' store folders of this registry; then the DBX files of
// each folder, in order, are appended to dbxFiles. No store folder is an empty result, not an error; a
// failure shows the error report for "Express1"/"SearchIdentities" ("DBXFiles component failure") and
// lists nothing.
void searchIdentities(StoreDiscovery& discovery, const RegistryBackend& registry, platform::Dialogs& dialogs);

// True when the text is empty once every NUL is removed and leading and trailing blanks are trimmed.
bool isBlankText(const QString& text);

} // namespace sources::express
