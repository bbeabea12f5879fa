#pragma once

#include <QString>
#include <functional>

namespace platform {
class Dialogs;
class EventLoop;
} // namespace platform

namespace sources::outlook {

class ApplicationFactory;
class ReaderOptions;

// The stores of a profile staged by several workers at once. Each worker walks one store at a time with a
// reader of its own (the options as they were when the run started, the error reports held back) into a
// part file beside the staging file; the calling thread hands the parts on in store order, showing each
// store's held-back reports just before its part, so the staging file and the reports are those of one
// walk over the stores in turn. While it waits it yields to the event loop.
struct ParallelStaging
{
    ApplicationFactory& factory; // must open stores independently (ApplicationFactory::opensStoresIndependently)
    ReaderOptions& options;
    platform::Dialogs& dialogs;
    platform::EventLoop& loop;
    std::function<bool()> cancelled = {}; // asked between yields; true stops the workers early
    int workers = 1;
};

// Stages stores 1..stores into the parts and gives each finished part's path to append, in store order,
// then deletes it. False when a worker could not write its part or append failed (both reported), or when
// the run was cancelled; the parts after that are not appended.
bool stageStoresInParallel(const ParallelStaging& staging, int stores, const QString& stagingPath,
                           const std::function<void(const QString& partPath)>& append);

} // namespace sources::outlook
