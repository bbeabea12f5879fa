#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace platform {
class EventLoop;
}

namespace sources::express {

// The stores whose message files the converter could give the same name prefix share a family, compared as
// the converter compares names: the store's name without its last extension, ignoring letter case. A message
// file the converter wrote has the family of its store.
QString prefixFamily(const QString& dbxPath);

// Runs the converter ("converter STORE STAGING") on every store, up to `jobs` at once. The converter picks a store's
// prefix from the files already staged, so a store starts only once every earlier store of its family has ended and
// been handed to ended(): the files and their names are those of one conversion after the other, and at ended() the
// staging folder holds no file of a later store of the same family. ended(index, exitCode) is called on the calling
// thread in store order, as soon as the store and every store before it have ended; the exit code is -1 when the
// converter could not start or was killed. Yields to the loop while converters run. When the run is cancelled there
// (RunCancelled), the converters still running are asked to end (SIGTERM: the converter then stops its undbx and
// removes its work folder) and killed if they do not, and RunCancelled goes on.
void convertStores(platform::EventLoop& loop, const QString& converter, const QStringList& stores,
                   const QString& staging, int jobs, const std::function<void(int index, int exitCode)>& ended);

} // namespace sources::express
