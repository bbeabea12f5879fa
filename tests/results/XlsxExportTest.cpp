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
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), xlsx, name});
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
    QXmlStreamReader xml(part(xlsx, QStringLiteral("xl/worksheets/sheet%1.xml").arg(number)));
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
        if (QStandardPaths::findExecutable(QStringLiteral("unzip")).isEmpty())
            GTEST_SKIP() << "unzip is not installed; the workbook cannot be read back";
        list.setColumns({{QStringLiteral("Source Filename"), 3000}, {QStringLiteral("Extraction Results"), 4400}});
    }
    QString path() const { return dir.file(QStringLiteral("out.xlsx")); }
    TempDir dir;
    ResultsList list;
};

TEST_F(XlsxWorkbook, EveryHeaderAndCellAsTextNeverAFormula)
{
    list.add({QStringLiteral("=1+1"), QStringLiteral("a=b"), true});
    list.add({QStringLiteral("/p/test.txt"), QStringLiteral(" x & <y> caf\u00e9 "), true});
    const results::WorkbookSummary summary = results::WriteWorkbook(list, path());
    EXPECT_EQ(summary.sheets, 1);
    EXPECT_EQ(summary.cutCells, 0);

    const Sheet sheet = readSheet(path(), 1);
    const QMap<QString, QString> expected{{QStringLiteral("A1"), QStringLiteral("Source Filename")},
                                          {QStringLiteral("B1"), QStringLiteral("Extraction Results")},
                                          {QStringLiteral("A2"), QStringLiteral("=1+1")},
                                          {QStringLiteral("B2"), QStringLiteral("a=b")},
                                          {QStringLiteral("A3"), QStringLiteral("/p/test.txt")},
                                          {QStringLiteral("B3"), QStringLiteral(" x & <y> caf\u00e9 ")}};
    EXPECT_EQ(sheet.cells, expected);
    EXPECT_FALSE(sheet.hasFormula);
    for (const QString& type : sheet.types)
        EXPECT_EQ(type, QStringLiteral("inlineStr"));
    // Fitted: the column of the longer texts is the wider one.
    EXPECT_GT(sheet.widths.value(2), sheet.widths.value(1));
    EXPECT_GE(sheet.widths.value(2), 18.0);
    EXPECT_TRUE(part(path(), QStringLiteral("xl/worksheets/sheet2.xml")).isEmpty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("out.xlsx")});
}

TEST_F(XlsxWorkbook, RowsBeyondASheetContinueOnTheNextUnderTheHeader)
{
    for (int i = 1; i <= 5; ++i)
        list.add({QStringLiteral("/p"), QStringLiteral("hit %1").arg(i), true});
    // Three sheet rows: the header and two list rows.
    EXPECT_EQ(results::WriteWorkbook(list, path(), nullptr, 3).sheets, 3);
    QStringList hits;
    for (int s = 1; s <= 3; ++s) {
        const Sheet sheet = readSheet(path(), s);
        EXPECT_EQ(sheet.cells.value(QStringLiteral("B1")), QStringLiteral("Extraction Results"));
        EXPECT_FALSE(sheet.cells.contains(QStringLiteral("A4")));
        for (const QString& ref : {QStringLiteral("B2"), QStringLiteral("B3")}) {
            if (sheet.cells.contains(ref))
                hits << sheet.cells.value(ref);
        }
    }
    EXPECT_EQ(hits, (QStringList{QStringLiteral("hit 1"), QStringLiteral("hit 2"), QStringLiteral("hit 3"),
                                 QStringLiteral("hit 4"), QStringLiteral("hit 5")}));
    EXPECT_TRUE(part(path(), QStringLiteral("xl/worksheets/sheet4.xml")).isEmpty());
}

TEST_F(XlsxWorkbook, OverlongCellsAreCutAndCountedNeverHalfACharacter)
{
    list.add({QString(results::kCellChars - 1, u'p') + QStringLiteral("\U0001F600tail"), QString(40000, u'x'), true});
    list.add({QStringLiteral("/short"), QString(results::kCellChars, u'y'), true});
    EXPECT_EQ(results::WriteWorkbook(list, path()).cutCells, 2);
    const Sheet sheet = readSheet(path(), 1);
    EXPECT_EQ(sheet.cells.value(QStringLiteral("A2")), QString(results::kCellChars - 1, u'p'));
    EXPECT_EQ(sheet.cells.value(QStringLiteral("B2")), QString(results::kCellChars, u'x'));
    EXPECT_EQ(sheet.cells.value(QStringLiteral("B3")).size(), results::kCellChars);
    EXPECT_LT(sheet.widths.value(2), 256.0); // 255, stored with its cell margin
}

TEST_F(XlsxWorkbook, FailedWriteKeepsTheOldFile)
{
    list.add({QStringLiteral("/p"), QStringLiteral("x"), true});
    const QString blocker = dir.write(QStringLiteral("blocker"), "keep");
    EXPECT_ANY_THROW(results::WriteWorkbook(list, blocker + QStringLiteral("/out.xlsx")));
    EXPECT_EQ(TempDir::read(blocker), QByteArray("keep"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("blocker")});
}

} // namespace
