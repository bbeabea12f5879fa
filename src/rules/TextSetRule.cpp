#include "rules/TextSetRule.h"

#include "core/TextFiles.h"
#include "rules/StagedText.h"
#include "rules/TextSetMatcher.h"
#include "platform/Desktop.h"

namespace rules {

TextSetRule::TextSetRule(QStringList items, bool ignoreCase)
    : m_items(std::move(items)), m_case(ignoreCase ? Qt::CaseInsensitive : Qt::CaseSensitive),
      m_matcher(std::make_unique<TextSetMatcher>(m_items, ignoreCase))
{
}

TextSetRule::~TextSetRule() = default;

int TextSetRule::hitsInLine(QStringView line, qint64)
{
    if (line.isEmpty())
        return 0;
    if (m_matcher->usable())
        return m_matcher->countInLine(line);
    int hits = 0;
    for (const QString& item : std::as_const(m_items)) {
        if (line.indexOf(item, 0, m_case) >= 0)
            ++hits;
    }
    return hits;
}

void TextSetRule::scan(const LineBlock& block, LineHits& hits)
{
    if (!block.validUtf8 || !m_matcher->searchesBlocks()) {
        LineRule::scan(block, hits);
        return;
    }
    m_matcher->scanBlock(block.bytes, [&](QByteArrayView line, int count) {
        if (!line.isEmpty())
            hits.add(line, true, count);
    });
}

namespace {

class NoYield : public platform::EventLoop
{
public:
    void yieldOnce() override {}
    void endProgram() override {}
};

} // namespace

void runTextSetsOverFile(const QString& path, const QStringList& items, bool ignoreCase, HitSink& sink,
                         const QString& sourcePath)
{
    TextSetRule rule(items, ignoreCase);
    NoYield loop;
    scanStagedText(path, rule, sink, sourcePath, loop);
}

QStringList readTextSetFile(const QString& path)
{
    QStringList items;
    core::LineReader reader(path);
    QString line;
    while (reader.next(line)) {
        if (!line.trimmed().isEmpty())
            items.append(line);
    }
    return items;
}

} // namespace rules
