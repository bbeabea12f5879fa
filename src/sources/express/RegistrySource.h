#pragma once

#include "sources/express/Registry.h"

#include <memory>

namespace core {
class Settings;
}

namespace sources::express {

// The setting that names an NTUSER.DAT hive to read instead of the Wine prefix's registry.
inline constexpr char kRegistryHiveKey[] = "Registry Hive";

// The registry source for a search: the hive that "Registry Hive" names when it holds a path (it wins),
// else the Wine prefix ($WINEPREFIX, else ~/.wine). For a chosen source, construct WineRegistry (a prefix)
// or HiveRegistry (a hive file) directly.
std::unique_ptr<RegistryBackend> registryFor(const core::Settings& settings);

} // namespace sources::express
