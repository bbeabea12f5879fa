#pragma once

#include "rules/LineRule.h"

#include <QStringList>

namespace testsupport {

// The hits of a rule, in the order they came.
struct CollectingSink : rules::HitSink
{
    QStringList hits;
    void addHit(const QString& text, const QString&) override { hits << text; }
};

} // namespace testsupport
