#pragma once

#include <QString>

namespace platform {
class EventLoop;
}

namespace rules {

class HitSink;
class LineRule;

// Runs a rule over the lines of a staged text file. The file is read in blocks of whole lines, never
// whole, and each block is searched at once; between blocks the run yields to the window system once a
// time slice has passed. The lines seen are those of core::ReadTextLines. Fails with the file helpers'
// errors when the file cannot be read.
void scanStagedText(const QString& path, LineRule& rule, HitSink& sink, const QString& sourcePath,
                    platform::EventLoop& loop);

} // namespace rules
