#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace platform {
class Dialogs;
}

// The search over all Outlook Express identities.
namespace sources::express {

class RegistryBackend;

// What a search finds; the Outlook Express window owns one for the whole run.
struct StoreDiscovery
{
    // The store folders of the last successful identityStoreFolders of this run; nothing before the first.
    std::optional<QStringList> storeFolders;
    // The full paths of the DBX files found, identity by identity. The window empties it before a search;
    // consumers skip entries that are blank.
    QStringList dbxFiles;
};

// searchIdentities: storeFolders := identityStoreFolders; then the DBX files of each folder, in order, are
// appended to dbxFiles. Any failure shows the error report for "Express1"/"SearchIdentities" and the
// search goes on with its next step: when identityStoreFolders fails ("DBXFiles component failure") the
// folders of the last successful search are searched again, and in a run without one the test of the
// folder list fails in turn ("Subscript out of range") and nothing is added.
void searchIdentities(StoreDiscovery& discovery, const RegistryBackend& registry, platform::Dialogs& dialogs);

// True when the text is empty once every NUL is removed and leading and trailing blanks are trimmed.
bool isBlankText(const QString& text);

} // namespace sources::express
