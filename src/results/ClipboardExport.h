#pragma once

#include <QString>

namespace platform {
class Clipboard;
class EventLoop;
} // namespace platform

namespace results {

class ResultsList;

// How many times the clipboard is asked before giving up, for clearing and for setting alike.
inline constexpr int kClipboardAttempts = 1000;

// The clipboard text: one line per row, no header; each column but the last padded with spaces to the
// column's widest cell (headers do not count) and followed by a TAB; the line's trailing spaces cut; CR LF
// after every line. Empty for an empty list.
QString ClipboardText(const ResultsList& list, platform::EventLoop* loop = nullptr);

// Puts the clipboard text on the clipboard; an empty list leaves the clipboard as it was. False when the
// clipboard never took the text.
bool CopyListviewToClipboard(const ResultsList& list, platform::Clipboard& clipboard,
                             platform::EventLoop* loop = nullptr);

// Both try again while the clipboard refuses, kClipboardAttempts in all, and then give up quietly.
void ClearClipboardRetrying(platform::Clipboard& clipboard);
// Answers whether the last attempt succeeded.
bool SetClipboardTextRetrying(platform::Clipboard& clipboard, const QString& text);

} // namespace results
