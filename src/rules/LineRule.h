#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace rules {

// Where hits go: a window's results list, or the command line's printer.
class HitSink
{
public:
    virtual ~HitSink() = default;
    // Before the first hit of a run: a list is emptied and laid out for it.
    virtual void prepare() {}
    virtual void addHit(const QString& text, const QString& sourcePath) = 0;
    // A hit as the bytes of its line; validUtf8 tells whether they are known to be valid UTF-8.
    virtual void addHitBytes(QByteArrayView line, bool validUtf8, const QString& sourcePath);
    // A run of whole hitting lines, each ending with LF (a CR before it belongs to the line break); by
    // default each line goes to addHitBytes.
    virtual void addHitLines(QByteArrayView lines, bool validUtf8, const QString& sourcePath);
    // The end of a text-set run, on every path: a list's first column is headed "Results", whatever it held.
    virtual void relabelFirstColumn() {}
};

// Whole lines of staged text as bytes. Every line ends with LF (a CR before it belongs to the line break),
// so a rule never has to care for the file's last line; firstNumber is the number of the block's first line, or 0
// when the rule does not number lines.
struct LineBlock
{
    QByteArrayView bytes;
    qint64 firstNumber = 1;
    bool validUtf8 = true;
};

// Hands the hitting lines of a block to a sink, each as often as it hits.
class LineHits
{
public:
    LineHits(HitSink& sink, const QString& sourcePath) : m_sink(sink), m_source(sourcePath) {}
    void add(QByteArrayView line, bool validUtf8, int times = 1)
    {
        for (int i = 0; i < times; ++i)
            m_sink.addHitBytes(line, validUtf8, m_source);
    }
    void addLines(QByteArrayView lines, bool validUtf8) { m_sink.addHitLines(lines, validUtf8, m_source); }
    void add(const QString& line, int times = 1)
    {
        for (int i = 0; i < times; ++i)
            m_sink.addHit(line, m_source);
    }

private:
    HitSink& m_sink;
    const QString& m_source;
};

// A test on one line. hitsInLine is what the rule means; scan may search a whole block at once but must
// find exactly the lines, in the order and number, that hitsInLine finds line by line.
class LineRule
{
public:
    virtual ~LineRule() = default;
    // How many times the line is offered as a hit (usually 0 or 1); number counts from 1.
    virtual int hitsInLine(QStringView line, qint64 number) = 0;
    virtual void scan(const LineBlock& block, LineHits& hits);
    // The hits of one line of a message body: by default the line itself, as often as hitsInLine says. A rule
    // that finds parts of lines offers those instead.
    virtual void scanLine(QStringView line, qint64 number, LineHits& hits);
    // Whether hitsInLine and scan read the lines' numbers. Counting them is a pass over every block, so the
    // rules that do not are spared it.
    virtual bool numbersLines() const { return false; }
};

// Calls f(line without its line break, number) for each line of the block.
template <class F>
void forEachLine(const LineBlock& block, F f)
{
    const char* p = block.bytes.data();
    const char* const end = p + block.bytes.size();
    qint64 number = block.firstNumber;
    while (p < end) {
        const auto* lf = static_cast<const char*>(memchr(p, '\n', size_t(end - p)));
        const char* contentEnd = lf > p && lf[-1] == '\r' ? lf - 1 : lf;
        f(QByteArrayView(p, contentEnd - p), number++);
        p = lf + 1;
    }
}

// Decodes a line into a buffer that is reused from line to line, so decoding allocates nothing once the
// buffer has grown to the longest line. Lines that are not valid UTF-8 are read as Windows-1252.
void decodeInto(QString& buffer, QByteArrayView line, bool knownValidUtf8);

} // namespace rules
