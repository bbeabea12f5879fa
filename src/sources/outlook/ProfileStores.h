#pragma once

#include <QStringList>

namespace core {
class Settings;
}

// The stores of "the default profile": the PST and OST files the user listed, or, until the list has been
// stored once, every such file where Outlook keeps its data files.
namespace sources::outlook {

inline constexpr char kProfileStoresKey[] = "Profile Stores";

// The stored list (an empty value is an empty profile), or defaultProfileStores() when never stored.
QStringList profileStores(const core::Settings& settings);

// Stores the list joined by "!!!QUIBB!!!"; an empty list is stored too, as an empty profile.
void storeProfileStores(core::Settings& settings, const QStringList& paths);

// Every *.pst and *.ost (any letter case) in home/Documents/Outlook Files and, inside the Wine prefix, in
// drive_c/users/*/Documents/Outlook Files and drive_c/users/*/AppData/Local/Microsoft/Outlook; folders in
// that order, users and files by name, each file once.
QStringList defaultProfileStores(const QString& home, const QString& winePrefix);

// The same for this user: the home folder, and $WINEPREFIX or else ~/.wine.
QStringList defaultProfileStores();

} // namespace sources::outlook
