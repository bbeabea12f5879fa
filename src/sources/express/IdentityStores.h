#pragma once

#include "core/AppError.h"

#include <QString>
#include <QStringList>
#include <utility>

namespace platform {
class Dialogs;
}

namespace sources::express {

class RegistryBackend;

// The failure of identityStoreFolders: the object-error base -2147221504 plus 100.
inline constexpr int kDbxFilesFailureNumber = -2147221404;
inline constexpr char kDbxFilesFailureSource[] = "Quillmere.DBXFiles.GetStoreFolder";
inline constexpr char kDbxFilesFailureDescription[] = "DBXFiles component failure";

// An error raised by a class of the program, carrying its source ("Quillmere.<Class>.<Procedure>").
class ComponentError : public core::AppError
{
public:
    ComponentError(int number, QString source, QString description)
        : core::AppError(number, std::move(description)), m_source(std::move(source))
    {
    }
    const QString& source() const { return m_source; }

private:
    QString m_source;
};

// The store folder of every Outlook Express identity, and the DBX files of one
// folder. It only reads.
class IdentityStores
{
public:
    IdentityStores(const RegistryBackend& registry, platform::Dialogs& dialogs);

    // The local store folder of every identity under HKEY_CURRENT_USER\Identities that has one, in identity
    // order: the "Store Root" value of the first subkey of the identity's Software\Microsoft\Outlook Express
    // key, its %variables% expanded whatever their letter case, mapped to a local path (a Windows path that
    // cannot be mapped stays as text and lists no files). Identities without that key, without values or
    // without a "Store Root" text are skipped; none with a store folder is an empty list, not an error.
    // Throws ComponentError (kDbxFilesFailure...) when anything inside fails.
    QStringList identityStoreFolders() const;

    // Fills files with the full paths of the *.dbx files (extension in any letter case) directly in the
    // local folder folderPath, by name (letter case ignored): ordinary files only, hidden ones (".name") not,
    // and never "folders.dbx" or "pop3uidl.dbx". A relative path, a missing or unreadable folder gives none.
    static void dbxFilesIn(const QString& folderPath, QStringList& files);

    // True when the name in lower case is "folders.dbx" or "pop3uidl.dbx".
    static bool isSkippedStoreFile(const QString& fileName);

private:
    const RegistryBackend& m_registry;
    platform::Dialogs& m_dialogs;
};

} // namespace sources::express
