#include "platform/ScriptedPlatform.h"
#include "results/ResultsCommands.h"
#include "results/ResultsList.h"

#include <QAbstractItemModelTester>
#include <QCoreApplication>
#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace results;

namespace {

struct Options : ListOptions
{
    bool dedupe = false;
    bool source = false;
    bool removeDuplicates() const override { return dedupe; }
    bool showSource() const override { return source; }
};

QStringList extracted(const ResultsList& list)
{
    QStringList texts;
    for (qsizetype i = 0; i < list.count(); ++i)
        texts << list.row(i).extracted();
    return texts;
}

const QString kPath = QStringLiteral("/tmp/quillmere-0/test.txt");

class ResultsListTest : public ::testing::Test
{
protected:
    void add(std::initializer_list<const char*> hits)
    {
        for (const char* hit : hits)
            AddResult(list, options, QString::fromUtf8(hit), kPath);
    }

    ResultsList list;
    Options options;
    platform::ScriptedDialogs dialogs;
    platform::ScriptedPointer pointer;
};

} // namespace

TEST_F(ResultsListTest, LayoutsFollowTheSourceOptionAtPrepareTime)
{
    SetInitialLayout(list);
    ASSERT_EQ(list.columns().size(), 1);
    EXPECT_EQ(list.columns()[0].widthTwips, 7300);

    add({"old"});
    PrepareResultsList(list, options);
    EXPECT_EQ(list.count(), 0);
    ASSERT_EQ(list.columns().size(), 1);
    EXPECT_EQ(list.columns()[0].title, QStringLiteral("Results"));
    EXPECT_EQ(list.columns()[0].widthTwips, 7000);

    options.source = true;
    PrepareResultsList(list, options);
    ASSERT_EQ(list.columns().size(), 2);
    EXPECT_EQ(list.columns()[0].title, QStringLiteral("Source Filename"));
    EXPECT_EQ(list.columns()[0].widthTwips, 3000);
    EXPECT_EQ(list.columns()[1].title, QStringLiteral("Extraction Results"));
    EXPECT_EQ(list.columns()[1].widthTwips, 4400);
    add({"hit"});
    EXPECT_EQ(list.row(0).text, kPath);
    EXPECT_EQ(list.row(0).subItem, QStringLiteral("hit"));
}

TEST_F(ResultsListTest, DuplicatesAreExactWholeTextMatches)
{
    options.dedupe = true;
    add({"a", "a", "A", "a ", "", ""});
    EXPECT_EQ(extracted(list),
              (QStringList{QStringLiteral("a"), QStringLiteral("A"), QStringLiteral("a "), QString()}));
    options.dedupe = false;
    add({"a"});
    EXPECT_EQ(list.count(), 5);
}

TEST_F(ResultsListTest, TwoColumnDuplicateKeepsTheFirstSource)
{
    options.dedupe = true;
    options.source = true;
    AddResult(list, options, QStringLiteral("same"), QStringLiteral("/tmp/one.eml"));
    AddResult(list, options, QStringLiteral("same"), QStringLiteral("/tmp/two.eml"));
    ASSERT_EQ(list.count(), 1);
    EXPECT_EQ(list.row(0).text, QStringLiteral("/tmp/one.eml"));
    // A source path is not an extracted text.
    EXPECT_FALSE(ListHasText(list, QStringLiteral("/tmp/one.eml")));
}

TEST_F(ResultsListTest, IndexStaysInStepWithRemovalsAndClear)
{
    options.dedupe = true;
    add({"x", "y"});
    list.removeAt(0);
    EXPECT_FALSE(ListHasText(list, QStringLiteral("x")));
    EXPECT_TRUE(ListHasText(list, QStringLiteral("y")));
    options.dedupe = false;
    add({"y"});
    list.removeAt(0);
    EXPECT_TRUE(ListHasText(list, QStringLiteral("y"))); // one copy is still listed
    list.clear();
    EXPECT_FALSE(ListHasText(list, QStringLiteral("y")));
}

TEST_F(ResultsListTest, RemoveContainingIgnoresCaseAndLooksOnlyAtExtractedText)
{
    options.source = true;
    AddResult(list, options, QStringLiteral("keep me"), QStringLiteral("/mail/ABC.eml"));
    AddResult(list, options, QStringLiteral("has abc"), QStringLiteral("/mail/x.eml"));
    AddResult(list, options, QStringLiteral("Has aBc too"), QStringLiteral("/mail/y.eml"));
    dialogs.answerInput(QStringLiteral("ABC"));
    RemoveResults(list, RemoveWhen::Containing, dialogs, pointer);
    EXPECT_EQ(extracted(list), QStringList{QStringLiteral("keep me")});
    EXPECT_EQ(dialogs.inputPrompts(), QStringList{QStringLiteral("Remove results containing this text: ")});
    EXPECT_EQ(pointer.history(), (QList<platform::Pointer>{platform::Pointer::Hourglass, platform::Pointer::Default}));
}

TEST_F(ResultsListTest, BothRemovalsInBothLayouts)
{
    for (const bool twoColumns : {false, true}) {
        for (const RemoveWhen when : {RemoveWhen::Containing, RemoveWhen::NotContaining}) {
            options.source = twoColumns;
            PrepareResultsList(list, options);
            AddResult(list, options, QStringLiteral("Mail from Ann"), QStringLiteral("/ann.eml"));
            AddResult(list, options, QStringLiteral("mail from bob"), QStringLiteral("/bob.eml"));
            dialogs.answerInput(QStringLiteral("ANN"));
            RemoveResults(list, when, dialogs, pointer);
            const QString left =
                when == RemoveWhen::Containing ? QStringLiteral("mail from bob") : QStringLiteral("Mail from Ann");
            EXPECT_EQ(extracted(list), QStringList{left}) << twoColumns;
            EXPECT_EQ(list.row(0).hasSubItem, twoColumns);
        }
    }
}

TEST_F(ResultsListTest, RemoveNotContainingCanEmptyTheListButKeepsColumns)
{
    PrepareResultsList(list, options);
    add({"one", "two", "TWO words"});
    dialogs.answerInput(QStringLiteral("Two"));
    RemoveResults(list, RemoveWhen::NotContaining, dialogs, pointer);
    EXPECT_EQ(extracted(list), (QStringList{QStringLiteral("two"), QStringLiteral("TWO words")}));
    dialogs.answerInput(QStringLiteral("zzz"));
    RemoveResults(list, RemoveWhen::NotContaining, dialogs, pointer);
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.columns().size(), 1);
}

TEST_F(ResultsListTest, CancelledOrEmptyListRemovalChangesNothing)
{
    add({"a"});
    RemoveResults(list, RemoveWhen::Containing, dialogs, pointer); // cancelled: empty answer
    EXPECT_EQ(list.count(), 1);
    EXPECT_TRUE(pointer.history().isEmpty());
    EXPECT_TRUE(dialogs.messages().isEmpty());

    list.clear();
    dialogs.answerInput(QStringLiteral("a"));
    RemoveResults(list, RemoveWhen::NotContaining, dialogs, pointer);
    EXPECT_EQ(dialogs.messageTexts(), QStringList{QStringLiteral("There are no results to remove.")});
    EXPECT_EQ(pointer.pointer(), platform::Pointer::Default);
}

TEST_F(ResultsListTest, DoubleClickRemovesSelectedRowUnlessBusy)
{
    add({"a", "b", "c"});
    pointer.setPointer(platform::Pointer::Hourglass);
    RemoveSelectedRow(list, 1, pointer);
    EXPECT_EQ(list.count(), 3);
    pointer.setPointer(platform::Pointer::Default);
    RemoveSelectedRow(list, -1, pointer);
    EXPECT_EQ(list.count(), 3);
    RemoveSelectedRow(list, 1, pointer);
    EXPECT_EQ(extracted(list), (QStringList{QStringLiteral("a"), QStringLiteral("c")}));
}

TEST_F(ResultsListTest, ModelShowsAddedRowsInOneBatchWhenTheLoopRuns)
{
    QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::Fatal);
    PrepareResultsList(list, options);
    QSignalSpy inserted(&list, &QAbstractItemModel::rowsInserted);
    for (int i = 0; i < 1000; ++i)
        list.add({QString::number(i), {}, false});
    EXPECT_EQ(list.rowCount(), 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(list.rowCount(), 1000);
    EXPECT_EQ(inserted.count(), 1);
    EXPECT_EQ(list.data(list.index(999, 0), Qt::DisplayRole).toString(), QStringLiteral("999"));

    list.add({QStringLiteral("pending"), {}, false});
    list.removeAt(0); // announces the pending row before removing
    EXPECT_EQ(list.rowCount(), 1000);
    list.removeIf([](const Row& r) { return r.text.startsWith(u'9'); });
    EXPECT_EQ(list.rowCount(), int(list.count()));
    list.setHeaderText(0, QStringLiteral("Renamed"));
    EXPECT_EQ(list.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("Renamed"));
}

TEST(ColumnWidths, TwipsToPixelsAtLogicalDpi)
{
    EXPECT_EQ(twipsToPixels(1440, 96), 96);
    EXPECT_EQ(twipsToPixels(7300, 96), 487);
    EXPECT_EQ(twipsToPixels(3000, 120), 250);
}
