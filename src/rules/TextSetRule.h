#pragma once

#include "rules/LineRule.h"

#include <QStringList>
#include <memory>

namespace rules {

class TextSetMatcher;

// Lines containing text sets: a line is offered once for every item it contains (an item counts once per
// line however often it occurs). An empty line never matches. Items are searched all at once; the result
// is that of searching the line for each item in turn.
class TextSetRule : public LineRule
{
public:
    TextSetRule(QStringList items, bool ignoreCase);
    ~TextSetRule() override;

    int hitsInLine(QStringView line, qint64 number) override;
    void scan(const LineBlock& block, LineHits& hits) override;

private:
    QStringList m_items;
    Qt::CaseSensitivity m_case;
    std::unique_ptr<TextSetMatcher> m_matcher;
};

// Text sets over a staged text file, without yielding (for measuring the matcher). Fails with the file
// helpers' errors.
void runTextSetsOverFile(const QString& path, const QStringList& items, bool ignoreCase, HitSink& sink,
                         const QString& sourcePath);

// The items of a text-set file, as "Load Multiple Items From Text File" reads them: the lines that are not
// blank once trimmed, untrimmed. Fails with "File not found" or an access error.
QStringList readTextSetFile(const QString& path);

} // namespace rules
