#pragma once

#include "rules/LineRule.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>

// Shared by the harnesses: the input as a file, a sink that keeps the hits, and a failure that libFuzzer
// records as a crash with the input that caused it.
namespace fuzzsupport {

// A private folder for this process, removed at exit.
QString workFolder();

// Writes the input to a file of the given name in the work folder (replacing the last input) and answers
// its path.
QString writeInput(QByteArrayView bytes, const QString& name = QStringLiteral("input"));

// Walks a registry-like tree of keys depth first, up to a depth and a number of keys, so that a hostile
// input that holds a huge tree cannot turn one run into a hang.
void walkKeys(const std::function<QStringList(const QStringList&)>& subkeys,
              const std::function<void(const QStringList&)>& visit, int maxDepth = 16, int maxKeys = 2000);

class CollectingSink : public rules::HitSink
{
public:
    void addHit(const QString& text, const QString&) override { hits.append(text); }
    QStringList hits;
};

[[noreturn]] inline void fail(const char* what)
{
    std::fprintf(stderr, "harness check failed: %s\n", what);
    std::abort();
}

inline void check(bool condition, const char* what)
{
    if (!condition)
        fail(what);
}

} // namespace fuzzsupport
