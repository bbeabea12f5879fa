#include "core/AppError.h"
#include "results/ClipboardExport.h"
#include "results/ResultsCommands.h"
#include "results/ResultsList.h"
#include "results/TextExport.h"
#include "results/XlsxExport.h"
#include "support/ResultsRows.h"
#include "support/TempDir.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QXmlStreamReader>
#include <functional>
#include <gtest/gtest.h>

namespace {

using results::ResultsList;
using testsupport::TempDir;

// A list as an extraction leaves it, from rows on lines; in two columns each line is "source path|hit".
void fill(ResultsList& list, bool twoColumns, const QString& rows)
{
    testsupport::ListOptions options;
    options.source = twoColumns;
    results::PrepareResultsList(list, options);
    for (const QString& row : rows.isEmpty() ? QStringList() : rows.split(u'\n')) {
        const QStringList cells = row.split(u'|');
        results::AddResult(list, options, cells.back(), cells.front());
    }
}

#define REQUIRE_UNZIP()                                                                                                \
    if (QStandardPaths::findExecutable(u"unzip"_qs).isEmpty())                                                         \
    GTEST_SKIP() << "unzip is not installed; the workbook cannot be read back"

struct Sheet
{
    bool exists = false;
    QString text;             // rows on lines, cells parted by '|'
    QMap<int, double> widths; // by column from 0
};

// One sheet of a workbook, read back with unzip; every cell must be a text cell, never a formula.
Sheet readSheet(const QString& xlsx, int number)
{
    QProcess unzip;
    unzip.start(u"unzip"_qs, {u"-p"_qs, xlsx, u"xl/worksheets/sheet%1.xml"_qs.arg(number)});
    unzip.waitForFinished();
    Sheet sheet;
    QXmlStreamReader xml(unzip.readAllStandardOutput());
    QList<QStringList> rows;
    qsizetype columns = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        sheet.exists = true;
        const auto attribute = [&](const char* name) { return xml.attributes().value(QLatin1String(name)); };
        if (xml.name() == u"c") {
            const QString ref = attribute("r").toString(); // "B12": one letter, then the row
            const qsizetype column = ref[0].unicode() - u'A';
            rows.resize(ref.sliced(1).toInt());
            rows.last().resize(column + 1);
            columns = std::max(columns, column + 1);
            EXPECT_EQ(attribute("t"), u"inlineStr") << ref.toStdString();
        } else if (xml.name() == u"t") {
            rows.last().last() += xml.readElementText();
        } else if (xml.name() == u"f") {
            ADD_FAILURE() << "a formula in sheet " << number;
        } else if (xml.name() == u"col") {
            sheet.widths[attribute("min").toInt() - 1] = attribute("width").toDouble();
        }
    }
    EXPECT_TRUE(!sheet.exists || !xml.hasError()) << xml.errorString().toStdString();
    QStringList lines;
    for (QStringList& row : rows)
        lines << row.join(u'|') + QString(columns - row.size(), u'|');
    sheet.text = lines.join(u'\n');
    return sheet;
}

// A list, and the bytes of each text form of it. The workbook must hold the header and every cell as it is.
struct ExportCase
{
    const char* name;
    bool twoColumns;
    const char* rows;
    const char* aligned;
    const char* comma;
    const char* clipboard;
};

// clang-format off
const ExportCase kCases[] = {
    // The aligned file cuts trailing TABs, then spaces and no-break spaces; the clipboard the last TAB, then plain
    // spaces. A TAB inside the text stays.
    {"OneColumn", false, "a\ntail  \u00a0 \nx\t\t\nabcdefghij",
     "Results\r\na\r\ntail\r\nx\t\t\r\nabcdefghij\r\n\r\n",
     "a,tail  \u00a0 ,x\t\t,abcdefghij,",
     "a\r\ntail  \u00a0\r\nx\t\t\r\nabcdefghij\r\n"},
    {"OneColumnEmpty", false, "", "Results\r\n\r\n", "", ""},
    {"TwoColumnsEmpty", true, "", "Source Filename\tExtraction Results\r\n\r\n", "", ""},
    // Widths count UTF-16 units (the emoji takes two); the files are UTF-8.
    {"TwoColumnsPathsWiderThanTheHeader", true,
     "/a/test.txt|hit one\n\U0001F600abcdefghijklmno|caf\u00e9\n/longer/path/test.txt|x",
     "Source Filename      \tExtraction Results\r\n"
     "/a/test.txt          \thit one\r\n"
     "\U0001F600abcdefghijklmno    \tcaf\u00e9\r\n"
     "/longer/path/test.txt\tx\r\n\r\n",
     "hit one,caf\u00e9,x,",
     "/a/test.txt          \thit one\r\n"
     "\U0001F600abcdefghijklmno    \tcaf\u00e9\r\n"
     "/longer/path/test.txt\tx\r\n"},
    // The aligned file pads to the header, the clipboard to the cells only. Nothing is quoted or escaped.
    {"TwoColumnsPathsNarrowerThanTheHeader", true,
     "=1+1|=2*3\n/a|tail \u00a0  \n/long|x\t\n/b|\n/p|a,b & <c>",
     "Source Filename\tExtraction Results\r\n"
     "=1+1           \t=2*3\r\n"
     "/a             \ttail\r\n"
     "/long          \tx\t\r\n"
     "/b             \t\r\n"
     "/p             \ta,b & <c>\r\n\r\n",
     "=2*3,tail \u00a0  ,x\t,,a,b & <c>,",
     "=1+1 \t=2*3\r\n"
     "/a   \ttail \u00a0\r\n"
     "/long\tx\t\r\n"
     "/b   \t\r\n"
     "/p   \ta,b & <c>\r\n"},
};
// clang-format on

using ExportTable = ::testing::TestWithParam<ExportCase>;

TEST_P(ExportTable, EachFormatGivesItsBytes)
{
    const ExportCase& c = GetParam();
    ResultsList list;
    fill(list, c.twoColumns, QString::fromUtf8(c.rows));
    TempDir dir;
    results::WriteAlignedTextFile(list, dir.file(u"aligned.txt"_qs));
    EXPECT_EQ(TempDir::read(dir.file(u"aligned.txt"_qs)), QByteArray(c.aligned)) << "aligned";
    results::WriteCommaDelimitedFile(list, dir.file(u"comma.txt"_qs));
    EXPECT_EQ(TempDir::read(dir.file(u"comma.txt"_qs)), QByteArray(c.comma)) << "comma";
    EXPECT_EQ(results::ClipboardText(list).toUtf8(), QByteArray(c.clipboard)) << "clipboard";
    REQUIRE_UNZIP();
    results::WriteWorkbook(list, dir.file(u"out.xlsx"_qs));
    const QString header = c.twoColumns ? u"Source Filename|Extraction Results"_qs : u"Results"_qs;
    const QString rows = QString::fromUtf8(c.rows);
    EXPECT_EQ(readSheet(dir.file(u"out.xlsx"_qs), 1).text, rows.isEmpty() ? header : header + u'\n' + rows);
    EXPECT_FALSE(readSheet(dir.file(u"out.xlsx"_qs), 2).exists);
    // The empty comma file is there too, and no partial file is left beside them.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files),
              (QStringList{u"aligned.txt"_qs, u"comma.txt"_qs, u"out.xlsx"_qs}));
}

INSTANTIATE_TEST_SUITE_P(Exports, ExportTable, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Workbook, RowsPastASheetGoOnUnderTheHeaderAndOverlongCellsAreCutAndCounted)
{
    REQUIRE_UNZIP();
    ResultsList list;
    fill(list, true, u"/s|1\n/s|2\n/s|3"_qs);
    const QString p(results::kCellChars - 1, u'p'), x(results::kCellChars, u'x'), y(results::kCellChars, u'y');
    list.add({p + u"\U0001F600tail"_qs, QString(40000, u'x'), true}); // cut, never half a character
    list.add({u"/s"_qs, y, true});                                    // full, not cut
    TempDir dir;
    const QString path = dir.file(u"out.xlsx"_qs);
    // Three sheet rows: the header and two list rows.
    const results::WorkbookSummary summary = results::WriteWorkbook(list, path, nullptr, 3);
    EXPECT_EQ(summary.sheets, 3);
    EXPECT_EQ(summary.cutCells, 2);
    const QString header = u"Source Filename|Extraction Results\n"_qs;
    const Sheet first = readSheet(path, 1), second = readSheet(path, 2);
    EXPECT_EQ(first.text, header + u"/s|1\n/s|2"_qs);
    EXPECT_EQ(second.text, header + u"/s|3\n"_qs + p + u'|' + x);
    EXPECT_EQ(readSheet(path, 3).text, header + u"/s|"_qs + y);
    EXPECT_FALSE(readSheet(path, 4).exists);
    // Columns fit their longest text, the header's too, up to 255 (stored with its cell margin).
    EXPECT_GE(first.widths.value(1), 18.0);
    EXPECT_GE(second.widths.value(1), 255.0);
    EXPECT_LT(second.widths.value(1), 256.0);
}

// A write that fails part-way, as on a full disk, keeps the old file and leaves nothing half-written beside it.
void expectOldFileKept(const char* format, const std::function<void(const ResultsList&, const QString&)>& write)
{
    SCOPED_TRACE(format);
    const TempDir dir;
    const QString target = dir.write(u"old"_qs, "old");
    // Text that does not compress, so that the workbook too reaches the size limit.
    ResultsList list;
    list.setColumns({{u"Results"_qs, 7000}});
    QRandomGenerator random(1);
    for (int r = 0; r < 200; ++r) {
        QString hit(1000, Qt::Uninitialized);
        for (QChar& c : hit)
            c = QChar(u'0' + random.bounded(64));
        list.add({hit, {}, false});
    }
    int number = 0;
    testsupport::withFileSizeLimit(64 * 1024, [&] {
        try {
            write(list, target);
        } catch (const core::AppError& error) {
            number = error.number();
        }
    });
    EXPECT_EQ(number, core::errors::kDeviceIo);
    EXPECT_EQ(TempDir::read(target), QByteArray("old"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{u"old"_qs});
}

// The workbook library streams each sheet to a scratch file of its own and does not notice when that write
// fails; the old file must survive all the same.
TEST(FailedWrite, KeepsTheOldFileInEveryFormat)
{
    expectOldFileKept("aligned", [](auto& list, auto& path) { results::WriteAlignedTextFile(list, path); });
    expectOldFileKept("comma", [](auto& list, auto& path) { results::WriteCommaDelimitedFile(list, path); });
    expectOldFileKept("workbook", [](auto& list, auto& path) { results::WriteWorkbook(list, path); });
}

} // namespace
