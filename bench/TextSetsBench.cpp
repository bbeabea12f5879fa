// Text sets (a 1,000-item list) and between X and Y over a large staged text.
//   text_sets_bench                      Google Benchmark runs
//   text_sets_bench --write DIR [MB]     writes DIR/staged.txt and DIR/items.txt for the side-by-side script
//   text_sets_bench --text-sets DIR OUT [-i]   the rule over DIR/staged.txt, hit lines written to OUT
#include "rules/Between.h"
#include "rules/LineRule.h"
#include "rules/TextSetRule.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>

namespace {

QString word(QRandomGenerator& rng)
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyz";
    QString w;
    for (int i = int(rng.bounded(3, 10)); i > 0; --i)
        w += QLatin1Char(letters[rng.bounded(26)]);
    return w;
}

// Mail-like lines over a 20,000-word vocabulary, one in ten with an address in angle brackets; of the
// 1,000 items, 300 are vocabulary words and 700 addresses that occur nowhere.
void writeData(const QString& dir, qint64 megabytes)
{
    QRandomGenerator rng(42);
    QStringList vocabulary;
    for (int i = 0; i < 20000; ++i)
        vocabulary << word(rng);
    QFile items(QDir(dir).filePath(QStringLiteral("items.txt")));
    items.open(QIODevice::WriteOnly);
    for (int i = 0; i < 1000; ++i) {
        const QString item = i % 10 < 3 ? vocabulary[rng.bounded(20000)]
                                        : word(rng) + QStringLiteral("@") + word(rng) + QStringLiteral(".example");
        items.write(item.toUtf8() + '\n');
    }
    QFile staged(QDir(dir).filePath(QStringLiteral("staged.txt")));
    staged.open(QIODevice::WriteOnly);
    staged.write("\r\n");
    QByteArray chunk;
    while (staged.size() + chunk.size() < megabytes << 20) {
        QString line;
        for (int i = int(rng.bounded(4, 16)); i > 0; --i)
            line += vocabulary[rng.bounded(20000)] + u' ';
        if (rng.bounded(10) == 0)
            line += QStringLiteral("<%1@%2.example> ").arg(word(rng), word(rng));
        chunk += line.toUtf8() + "\r\n";
        if (chunk.size() > (1 << 20)) {
            staged.write(chunk);
            chunk.clear();
        }
    }
    staged.write(chunk);
}

QStringList readItems(const QString& dir)
{
    QFile f(QDir(dir).filePath(QStringLiteral("items.txt")));
    f.open(QIODevice::ReadOnly);
    return QString::fromUtf8(f.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

// Hit lines as bytes, the way a printer would write them.
struct FileSink : rules::HitSink
{
    explicit FileSink(FILE* out) : out(out) {}
    void addHit(const QString& text, const QString&) override { addHitBytes(text.toUtf8(), true, QString()); }
    void addHitBytes(QByteArrayView line, bool, const QString&) override
    {
        fwrite(line.data(), 1, size_t(line.size()), out);
        fputc('\n', out);
        ++rows;
    }
    FILE* out;
    qint64 rows = 0;
};

struct Data
{
    Data()
    {
        writeData(dir.path(), 64);
        items = readItems(dir.path());
        path = QDir(dir.path()).filePath(QStringLiteral("staged.txt"));
        bytes = QFile(path).size();
    }
    QTemporaryDir dir;
    QStringList items;
    QString path;
    qint64 bytes = 0;
};

Data& data()
{
    static Data d;
    return d;
}

void TextSets1000Items(benchmark::State& state)
{
    Data& d = data();
    FILE* null = fopen("/dev/null", "w");
    for (auto _ : state) {
        FileSink sink(null);
        rules::runTextSetsOverFile(d.path, d.items, state.range(0) != 0, sink, d.path);
        state.counters["rows"] = double(sink.rows);
    }
    fclose(null);
    state.SetBytesProcessed(state.iterations() * d.bytes);
}
BENCHMARK(TextSets1000Items)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BetweenXAndY(benchmark::State& state)
{
    Data& d = data();
    FILE* null = fopen("/dev/null", "w");
    for (auto _ : state) {
        FileSink sink(null);
        rules::runBetweenOverFile(d.path, {QStringLiteral("<"), QStringLiteral(">"), state.range(0) != 0}, sink,
                                  d.path);
        state.counters["rows"] = double(sink.rows);
    }
    fclose(null);
    state.SetBytesProcessed(state.iterations() * d.bytes);
}
BENCHMARK(BetweenXAndY)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 3 && std::strcmp(argv[1], "--write") == 0) {
        writeData(QString::fromLocal8Bit(argv[2]), argc >= 4 ? std::atoll(argv[3]) : 256);
        return 0;
    }
    if (argc >= 4 && std::strcmp(argv[1], "--text-sets") == 0) {
        const QString dir = QString::fromLocal8Bit(argv[2]);
        FILE* out = fopen(argv[3], "w");
        if (!out)
            return 1;
        FileSink sink(out);
        const QString path = QDir(dir).filePath(QStringLiteral("staged.txt"));
        rules::runTextSetsOverFile(path, readItems(dir), argc >= 5 && std::strcmp(argv[4], "-i") == 0, sink, path);
        fclose(out);
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
