#include "results/XlsxExport.h"

#include "results/ResultsList.h"
#include "support/TempDir.h"

#include <QDir>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

namespace {

using results::ResultsList;
using testsupport::TempDir;

// One part of the workbook, read back with unzip; empty when it is not there.
QByteArray part(const QString& xlsx, const QString& name)
{
    QProcess unzip;
    unzip.start(u"unzip"_qs, {u"-p"_qs, xlsx, name});
    unzip.waitForFinished();
    return unzip.readAllStandardOutput();
}

struct Sheet
{
    QMap<QString, QString> cells; // "A1" -> text
    QMap<QString, QString> types; // "A1" -> the t attribute
    bool hasFormula = false;
    QMap<int, double> widths; // 1-based column -> width
};

Sheet readSheet(const QString& xlsx, int number)
{
    Sheet sheet;
    QXmlStreamReader xml(part(xlsx, u"xl/worksheets/sheet%1.xml"_qs.arg(number)));
    QString ref;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        const auto name = xml.name();
        if (name == QLatin1String("c")) {
            ref = xml.attributes().value(QLatin1String("r")).toString();
            sheet.types[ref] = xml.attributes().value(QLatin1String("t")).toString();
        } else if (name == QLatin1String("t")) {
            sheet.cells[ref] += xml.readElementText();
        } else if (name == QLatin1String("f")) {
            sheet.hasFormula = true;
        } else if (name == QLatin1String("col")) {
            sheet.widths[xml.attributes().value(QLatin1String("min")).toInt()] =
                xml.attributes().value(QLatin1String("width")).toDouble();
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return sheet;
}

class XlsxWorkbook : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (QStandardPaths::findExecutable(u"unzip"_qs).isEmpty())
            GTEST_SKIP() << "unzip is not installed; the workbook cannot be read back";
        list.setColumns({{u"Source Filename"_qs, 3000}, {u"Extraction Results"_qs, 4400}});
    }
    QString path() const { return dir.file(u"out.xlsx"_qs); }
    TempDir dir;
    ResultsList list;
};

TEST_F(XlsxWorkbook, EveryHeaderAndCellAsTextNeverAFormula)
{
    list.add({u"=1+1"_qs, u"a=b"_qs, true});
    list.add({u"/p/test.txt"_qs, u" x & <y> caf\u00e9 "_qs, true});
    const results::WorkbookSummary summary = results::WriteWorkbook(list, path());
    EXPECT_EQ(summary.sheets, 1);
    EXPECT_EQ(summary.cutCells, 0);

    const Sheet sheet = readSheet(path(), 1);
    const QMap<QString, QString> expected{{u"A1"_qs, u"Source Filename"_qs},
                                          {u"B1"_qs, u"Extraction Results"_qs},
                                          {u"A2"_qs, u"=1+1"_qs},
                                          {u"B2"_qs, u"a=b"_qs},
                                          {u"A3"_qs, u"/p/test.txt"_qs},
                                          {u"B3"_qs, u" x & <y> caf\u00e9 "_qs}};
    EXPECT_EQ(sheet.cells, expected);
    EXPECT_FALSE(sheet.hasFormula);
    for (const QString& type : sheet.types)
        EXPECT_EQ(type, u"inlineStr"_qs);
    // Fitted: the column of the longer texts is the wider one.
    EXPECT_GT(sheet.widths.value(2), sheet.widths.value(1));
    EXPECT_GE(sheet.widths.value(2), 18.0);
    EXPECT_TRUE(part(path(), u"xl/worksheets/sheet2.xml"_qs).isEmpty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{u"out.xlsx"_qs});
}

TEST_F(XlsxWorkbook, RowsBeyondASheetContinueOnTheNextUnderTheHeader)
{
    for (int i = 1; i <= 5; ++i)
        list.add({u"/p"_qs, u"hit %1"_qs.arg(i), true});
    // Three sheet rows: the header and two list rows.
    EXPECT_EQ(results::WriteWorkbook(list, path(), nullptr, 3).sheets, 3);
    QStringList hits;
    for (int s = 1; s <= 3; ++s) {
        const Sheet sheet = readSheet(path(), s);
        EXPECT_EQ(sheet.cells.value(u"B1"_qs), u"Extraction Results"_qs);
        EXPECT_FALSE(sheet.cells.contains(u"A4"_qs));
        for (const QString& ref : {u"B2"_qs, u"B3"_qs}) {
            if (sheet.cells.contains(ref))
                hits << sheet.cells.value(ref);
        }
    }
    EXPECT_EQ(hits, (QStringList{u"hit 1"_qs, u"hit 2"_qs, u"hit 3"_qs, u"hit 4"_qs, u"hit 5"_qs}));
    EXPECT_TRUE(part(path(), u"xl/worksheets/sheet4.xml"_qs).isEmpty());
}

TEST_F(XlsxWorkbook, OverlongCellsAreCutAndCountedNeverHalfACharacter)
{
    list.add({QString(results::kCellChars - 1, u'p') + u"\U0001F600tail"_qs, QString(40000, u'x'), true});
    list.add({u"/short"_qs, QString(results::kCellChars, u'y'), true});
    EXPECT_EQ(results::WriteWorkbook(list, path()).cutCells, 2);
    const Sheet sheet = readSheet(path(), 1);
    EXPECT_EQ(sheet.cells.value(u"A2"_qs), QString(results::kCellChars - 1, u'p'));
    EXPECT_EQ(sheet.cells.value(u"B2"_qs), QString(results::kCellChars, u'x'));
    EXPECT_EQ(sheet.cells.value(u"B3"_qs).size(), results::kCellChars);
    EXPECT_LT(sheet.widths.value(2), 256.0); // 255, stored with its cell margin
}

TEST_F(XlsxWorkbook, FailedWriteKeepsTheOldFile)
{
    list.add({u"/p"_qs, u"x"_qs, true});
    const QString blocker = dir.write(u"blocker"_qs, "keep");
    EXPECT_ANY_THROW(results::WriteWorkbook(list, blocker + u"/out.xlsx"_qs));
    EXPECT_EQ(TempDir::read(blocker), QByteArray("keep"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{u"blocker"_qs});
}

} // namespace
