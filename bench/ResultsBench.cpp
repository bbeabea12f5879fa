// Adding hits to a results list with duplicate removal on: the duplicate test must not grow with the list.
#include "results/ResultsCommands.h"
#include "results/ResultsList.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>

namespace {

struct DedupeOptions : results::ListOptions
{
    bool removeDuplicates() const override { return true; }
    bool showSource() const override { return false; }
};

// One million hits, one in four a repeat of an earlier one, the way sender lines repeat in a mailbox.
QStringList hits(int count)
{
    QStringList texts;
    texts.reserve(count);
    for (int i = 0; i < count; ++i) {
        const int id = i % 4 == 3 ? i / 2 : i;
        texts << QStringLiteral("sender%1@example.org wrote about invoice %2").arg(id).arg(id * 7);
    }
    return texts;
}

void AddMillionRowsWithDedupe(benchmark::State& state)
{
    const QStringList texts = hits(int(state.range(0)));
    const DedupeOptions options;
    const QString source = QStringLiteral("/tmp/quillmere-1000/test.txt");
    for (auto _ : state) {
        results::ResultsList list;
        results::PrepareResultsList(list, options);
        for (const QString& text : texts)
            results::AddResult(list, options, text, source);
        QCoreApplication::processEvents(); // the views are told of the new rows in one batch
        benchmark::DoNotOptimize(list.count());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(AddMillionRowsWithDedupe)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
