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

const QString kPath = u"/tmp/quillmere-0/test.txt"_qs;

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
    EXPECT_EQ(list.columns()[0].title, u"Results"_qs);
    EXPECT_EQ(list.columns()[0].widthTwips, 7000);

    options.source = true;
    PrepareResultsList(list, options);
    ASSERT_EQ(list.columns().size(), 2);
    EXPECT_EQ(list.columns()[0].title, u"Source Filename"_qs);
    EXPECT_EQ(list.columns()[0].widthTwips, 3000);
    EXPECT_EQ(list.columns()[1].title, u"Extraction Results"_qs);
    EXPECT_EQ(list.columns()[1].widthTwips, 4400);
    add({"hit"});
    EXPECT_EQ(list.row(0).text, kPath);
    EXPECT_EQ(list.row(0).subItem, u"hit"_qs);
}

TEST_F(ResultsListTest, DuplicatesAreExactWholeTextMatches)
{
    options.dedupe = true;
    add({"a", "a", "A", "a ", "", ""});
    EXPECT_EQ(extracted(list), (QStringList{u"a"_qs, u"A"_qs, u"a "_qs, QString()}));
    options.dedupe = false;
    add({"a"});
    EXPECT_EQ(list.count(), 5);
}

TEST_F(ResultsListTest, TwoColumnDuplicateKeepsTheFirstSource)
{
    options.dedupe = true;
    options.source = true;
    AddResult(list, options, u"same"_qs, u"/tmp/one.eml"_qs);
    AddResult(list, options, u"same"_qs, u"/tmp/two.eml"_qs);
    ASSERT_EQ(list.count(), 1);
    EXPECT_EQ(list.row(0).text, u"/tmp/one.eml"_qs);
    // A source path is not an extracted text.
    EXPECT_FALSE(ListHasText(list, u"/tmp/one.eml"_qs));
}

TEST_F(ResultsListTest, IndexStaysInStepWithRemovalsAndClear)
{
    options.dedupe = true;
    add({"x", "y"});
    list.removeAt(0);
    EXPECT_FALSE(ListHasText(list, u"x"_qs));
    EXPECT_TRUE(ListHasText(list, u"y"_qs));
    options.dedupe = false;
    add({"y"});
    list.removeAt(0);
    EXPECT_TRUE(ListHasText(list, u"y"_qs)); // one copy is still listed
    list.clear();
    EXPECT_FALSE(ListHasText(list, u"y"_qs));
}

TEST_F(ResultsListTest, BothRemovalsInBothLayouts)
{
    for (const bool twoColumns : {false, true}) {
        for (const RemoveWhen when : {RemoveWhen::Containing, RemoveWhen::NotContaining}) {
            options.source = twoColumns;
            PrepareResultsList(list, options);
            AddResult(list, options, u"Mail from Ann"_qs, u"/ann.eml"_qs);
            AddResult(list, options, u"mail from bob"_qs, u"/bob.eml"_qs);
            dialogs.answerInput(u"ANN"_qs);
            RemoveResults(list, when, dialogs, pointer);
            EXPECT_EQ(dialogs.inputPrompts().last(), when == RemoveWhen::Containing
                                                         ? u"Remove results containing this text: "_qs
                                                         : u"Remove results not containing this text: "_qs);
            const QString left = when == RemoveWhen::Containing ? u"mail from bob"_qs : u"Mail from Ann"_qs;
            EXPECT_EQ(extracted(list), QStringList{left}) << twoColumns;
            EXPECT_EQ(list.row(0).hasSubItem, twoColumns);
        }
    }
    // The source path of a two-column row is never searched; removing the last row keeps the columns.
    AddResult(list, options, u"keep"_qs, u"/ann/x.eml"_qs);
    dialogs.answerInput(u"ann"_qs);
    RemoveResults(list, RemoveWhen::NotContaining, dialogs, pointer);
    EXPECT_EQ(extracted(list), QStringList{u"Mail from Ann"_qs});
    dialogs.answerInput(u"zzz"_qs);
    RemoveResults(list, RemoveWhen::NotContaining, dialogs, pointer);
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.columns().size(), 2);
    EXPECT_EQ(pointer.history().mid(0, 2),
              (QList<platform::Pointer>{platform::Pointer::Hourglass, platform::Pointer::Default}));
}

TEST_F(ResultsListTest, CancelledOrEmptyListRemovalChangesNothing)
{
    add({"a"});
    RemoveResults(list, RemoveWhen::Containing, dialogs, pointer); // cancelled: empty answer
    EXPECT_EQ(list.count(), 1);
    EXPECT_TRUE(pointer.history().isEmpty());
    EXPECT_TRUE(dialogs.messages().isEmpty());

    list.clear();
    dialogs.answerInput(u"a"_qs);
    RemoveResults(list, RemoveWhen::NotContaining, dialogs, pointer);
    EXPECT_EQ(dialogs.messageTexts(), QStringList{u"There are no results to remove."_qs});
    EXPECT_EQ(pointer.pointer(), platform::Pointer::Default);
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
    EXPECT_EQ(list.data(list.index(999, 0), Qt::DisplayRole).toString(), u"999"_qs);

    list.add({u"pending"_qs, {}, false});
    list.removeAt(0); // announces the pending row before removing
    EXPECT_EQ(list.rowCount(), 1000);
    list.removeIf([](const Row& r) { return r.text.startsWith(u'9'); });
    EXPECT_EQ(list.rowCount(), int(list.count()));
    list.setHeaderText(0, u"Renamed"_qs);
    EXPECT_EQ(list.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), u"Renamed"_qs);
}

TEST(ColumnWidths, TwipsToPixelsAtLogicalDpi)
{
    EXPECT_EQ(twipsToPixels(1440, 96), 96);
    EXPECT_EQ(twipsToPixels(7300, 96), 487);
    EXPECT_EQ(twipsToPixels(3000, 120), 250);
}
