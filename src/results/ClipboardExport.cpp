#include "results/ClipboardExport.h"

#include "platform/Desktop.h"
#include "results/ResultsList.h"
#include "results/TextExport.h"

#include <algorithm>
#include <vector>

namespace results {

QString ClipboardText(const ResultsList& list, platform::EventLoop* loop)
{
    const int columns = exportColumnCount(list);
    const qsizetype rows = list.count();
    RowPacer pacer(loop);

    const auto [widths, lastCells] = measureColumns(list, false, pacer);
    // The last column keeps no padding, so this is the most the text can take (plus the padding of the line
    // being trimmed); it is built without regrowing.
    qsizetype padded = 2;
    for (int c = 0; c + 1 < columns; ++c)
        padded += widths[size_t(c)] + 1;
    QString text;
    text.reserve(rows * padded + lastCells + widths.back() + 1);

    for (qsizetype r = 0; r < rows; ++r) {
        pacer.step();
        if (r >= list.count())
            break;
        const Row& row = list.row(r);
        for (int c = 0; c < columns; ++c) {
            const QString& cell = exportCell(row, c);
            text += cell;
            text.resize(text.size() + std::max<qsizetype>(0, widths[size_t(c)] - cell.size()), u' ');
            text += u'\t';
        }
        // The final TAB goes, then plain spaces only; the previous line's CR LF stops the trimming.
        text.chop(1);
        qsizetype end = text.size();
        while (end > 0 && text[end - 1] == u' ')
            --end;
        text.truncate(end);
        text += u"\r\n";
    }
    return text;
}

bool CopyListviewToClipboard(const ResultsList& list, platform::Clipboard& clipboard, platform::EventLoop* loop)
{
    if (list.count() == 0)
        return true;
    const QString text = ClipboardText(list, loop);
    ClearClipboardRetrying(clipboard);
    return SetClipboardTextRetrying(clipboard, text);
}

void ClearClipboardRetrying(platform::Clipboard& clipboard)
{
    for (int attempt = 0; attempt < kClipboardAttempts; ++attempt) {
        if (clipboard.clear())
            return;
    }
}

bool SetClipboardTextRetrying(platform::Clipboard& clipboard, const QString& text)
{
    bool done = false;
    for (int attempt = 0; attempt < kClipboardAttempts && !done; ++attempt)
        done = clipboard.setText(text);
    return done;
}

} // namespace results
