#pragma once

#include "results/ResultsCommands.h"
#include "results/ResultsList.h"

namespace testsupport {

// A window's list options, as plain fields.
struct ListOptions : results::ListOptions
{
    bool dedupe = false;
    bool source = false;
    bool removeDuplicates() const override { return dedupe; }
    bool showSource() const override { return source; }
};

// The text extracted of each row, in order.
inline QStringList rows(const results::ResultsList& list)
{
    QStringList texts;
    for (qsizetype i = 0; i < list.count(); ++i)
        texts << list.row(i).extracted();
    return texts;
}

} // namespace testsupport
