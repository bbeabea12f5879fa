// Adding hits to a results list with duplicate removal on: the duplicate test must not grow with the list.
#include "results/ResultsCommands.h"
#include "results/ResultsList.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>
#include <fstream>
#include <memory>
#include <unistd.h>

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

double residentBytes()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return double(resident) * double(sysconf(_SC_PAGESIZE));
}

// Ten million hits, each text twice (the second half repeats the first), made as they are added so that only
// the list holds them: rows added per second, and the list's resident bytes per listed row beside the rows'
// own UTF-8.
void AddTenMillionRowsWithDedupe(benchmark::State& state)
{
    const qint64 rows = state.range(0);
    const DedupeOptions options;
    const QString source = QStringLiteral("/tmp/quillmere-1000/test.txt");
    const QString prefix = QStringLiteral("sender");
    double listBytes = 0;
    double textBytes = 0;
    double listed = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto list = std::make_unique<results::ResultsList>();
        results::PrepareResultsList(*list, options);
        const double before = residentBytes();
        textBytes = 0;
        QString text;
        state.ResumeTiming();
        for (qint64 i = 0; i < rows; ++i) {
            const qint64 id = i % (rows / 2);
            text = prefix;
            text += QString::number(id);
            text += QStringLiteral("@example.org wrote about invoice ");
            text += QString::number(id * 7);
            textBytes += double(text.size()); // ASCII: one byte a character
            results::AddResult(*list, options, text, source);
        }
        QCoreApplication::processEvents();
        state.PauseTiming();
        listBytes = residentBytes() - before;
        listed = double(list->count());
        list.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * rows);
    state.counters["list_bytes_per_row"] = listBytes / listed;
    state.counters["text_bytes_per_row"] = textBytes / double(rows);
}
BENCHMARK(AddTenMillionRowsWithDedupe)->Arg(10'000'000)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
