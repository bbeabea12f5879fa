#pragma once

#include <cstring>

namespace rules {

template <class OnLine>
void TextSetMatcher::scanBlock(QByteArrayView block, OnLine onLine)
{
    QByteArrayView hay = block;
    if (needsFoldedCopy(block)) {
        foldInto(m_folded, block);
        hay = m_folded;
    }
    const auto* const h = reinterpret_cast<const unsigned char*>(hay.data());
    const qsizetype n = hay.size();
    // The original line that matches the folded one: folding keeps the line breaks, so both are walked
    // line by line in step.
    const char* hayLine = hay.data();
    const char* origLine = block.data();
    const char* lineEnd = nullptr; // the LF ending the line being counted; null while none is
    auto flush = [&] {
        const char* contentEnd = static_cast<const char*>(memchr(origLine, '\n', size_t(block.end() - origLine)));
        const char* next = contentEnd + 1;
        if (contentEnd > origLine && contentEnd[-1] == '\r')
            --contentEnd;
        onLine(QByteArrayView(origLine, contentEnd - origLine), m_count);
        hayLine = lineEnd + 1;
        origLine = next;
        lineEnd = nullptr;
    };

    const std::uint32_t* const next = m_next.data();
    const std::uint8_t* const cls = m_class;
    const auto classes = std::uint32_t(m_classes);
    std::uint32_t state = 0;
    for (qsizetype i = 0; i < n; ++i) {
        state = next[state + cls[h[i]]];
        if (!(state & kOutput)) [[likely]]
            continue;
        state &= ~kOutput;
        // An item ending in CR is not found where that CR starts the line break.
        if (h[i] == '\r' && i + 1 < n && h[i + 1] == '\n')
            continue;
        const char* at = hay.data() + i;
        if (lineEnd && at > lineEnd)
            flush();
        if (!lineEnd) {
            // Catch up with the line holding this match, in both texts.
            for (;;) {
                const char* lf = static_cast<const char*>(memchr(hayLine, '\n', size_t(hay.end() - hayLine)));
                if (lf >= at) {
                    lineEnd = lf;
                    break;
                }
                hayLine = lf + 1;
                origLine = static_cast<const char*>(memchr(origLine, '\n', size_t(block.end() - origLine))) + 1;
            }
            startLine();
        }
        collect(state / classes);
    }
    if (lineEnd)
        flush();
}

} // namespace rules
