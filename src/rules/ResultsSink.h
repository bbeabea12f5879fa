#pragma once

#include "rules/LineRule.h"
#include "results/ResultsCommands.h"
#include "results/ResultsList.h"

namespace rules {

// Hits into a window's results list, with the window's duplicate and source options.
class ResultsSink : public HitSink
{
public:
    ResultsSink(results::ResultsList& list, const results::ListOptions& options) : m_list(list), m_options(options) {}
    void prepare() override { results::PrepareResultsList(m_list, m_options); }
    void addHit(const QString& text, const QString& sourcePath) override
    {
        results::AddResult(m_list, m_options, text, sourcePath);
    }
    void relabelFirstColumn() override { m_list.setHeaderText(0, QStringLiteral("Results")); }

private:
    results::ResultsList& m_list;
    const results::ListOptions& m_options;
};

} // namespace rules
