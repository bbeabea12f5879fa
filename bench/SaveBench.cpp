// Saving a million-row two-column list in every output form: rows per second, the resident size of the list
// and the peak resident size while saving (the peak is restarted once the list is built; on kernels without
// that reset it is the process's peak, so run one form per process with --benchmark_filter).
#include "results/ClipboardExport.h"
#include "results/ResultsList.h"
#include "results/TextExport.h"
#include "results/XlsxExport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

constexpr int kRows = 1'000'000;

// A line of /proc/self/status in megabytes ("VmRSS", "VmHWM").
double statusMegabytes(const char* key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray prefix = QByteArray(key) + ':';
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}

// Starts the peak afresh at the present size, so that building the list does not count.
void resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

// The Outlook side's shape: every row carries the staging file's path beside a sender line.
const results::ResultsList& millionRows()
{
    static results::ResultsList* list = [] {
        auto* l = new results::ResultsList;
        l->setColumns({{QStringLiteral("Source Filename"), 3000}, {QStringLiteral("Extraction Results"), 4400}});
        const QString source = QStringLiteral("/tmp/quillmere-1000/test.txt");
        for (int i = 0; i < kRows; ++i)
            l->add({source, QStringLiteral("sender%1@example.org wrote about invoice %2").arg(i).arg(i * 7), true});
        return l;
    }();
    return *list;
}

template <class Save>
void run(benchmark::State& state, Save save)
{
    const results::ResultsList& list = millionRows();
    const double listSize = statusMegabytes("VmRSS");
    resetPeak();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out"));
    for (auto _ : state)
        save(list, path);
    state.SetItemsProcessed(state.iterations() * list.count());
    state.counters["list_MB"] = listSize;
    state.counters["peak_MB"] = statusMegabytes("VmHWM");
    state.counters["file_MB"] = double(QFile(path).size()) / (1024.0 * 1024.0);
}

void SaveAligned(benchmark::State& state)
{
    run(state, [](const auto& list, const QString& path) { results::WriteAlignedTextFile(list, path); });
}
BENCHMARK(SaveAligned)->Unit(benchmark::kMillisecond)->UseRealTime();

void SaveComma(benchmark::State& state)
{
    run(state, [](const auto& list, const QString& path) { results::WriteCommaDelimitedFile(list, path); });
}
BENCHMARK(SaveComma)->Unit(benchmark::kMillisecond)->UseRealTime();

void SaveClipboardText(benchmark::State& state)
{
    run(state,
        [](const auto& list, const QString& path) { results::writeTextFile(results::ClipboardText(list), path); });
}
BENCHMARK(SaveClipboardText)->Unit(benchmark::kMillisecond)->UseRealTime();

void SaveWorkbook(benchmark::State& state)
{
    run(state, [](const auto& list, const QString& path) { results::WriteWorkbook(list, path); });
}
BENCHMARK(SaveWorkbook)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
