#include "sources/express/RegistrySource.h"

#include "core/Settings.h"
#include "sources/express/HiveRegistry.h"
#include "sources/express/WineRegistry.h"

namespace sources::express {

std::unique_ptr<RegistryBackend> registryFor(const core::Settings& settings)
{
    const QString hive = settings.value(QLatin1String(kRegistryHiveKey)).value_or(QString()).trimmed();
    if (!hive.isEmpty())
        return std::make_unique<HiveRegistry>(hive);
    return std::make_unique<WineRegistry>(defaultWinePrefix());
}

} // namespace sources::express
