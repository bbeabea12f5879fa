#pragma once

// For the files that parse with GMime only: GLib's names clash with Qt's.
#include <QtGlobal>
#include <gmime/gmime.h>
#include <memory>

namespace sources::express {

struct GObjectUnref
{
    void operator()(gpointer object) const
    {
        if (object)
            g_object_unref(object);
    }
};
// A GMime object released with its owner.
template <class T>
using GRef = std::unique_ptr<T, GObjectUnref>;

// GMime grows its header buffer a little at a time, so a header block of many megabytes takes minutes to
// parse; no mail has one, and what follows such a block is no body anyone wrote. A message whose header block
// passes this gives no body.
inline constexpr qint64 kMaxHeaderBytes = qint64(8) * 1024 * 1024;

} // namespace sources::express
