#include "platform/ScriptedPlatform.h"
#include "results/ResultsCommands.h"
#include "results/ResultsList.h"
#include "support/ResultsRows.h"

#include <QAbstractItemModelTester>
#include <QCoreApplication>
#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace results;
using testsupport::rows;

namespace {

class ResultsListTest : public ::testing::Test
{
protected:
    void add(std::initializer_list<const char*> hits)
    {
        for (const char* hit : hits)
            AddResult(list, options, QString::fromUtf8(hit), u"/tmp/test.txt"_qs);
    }
    void remove(RemoveWhen when, const QString& answer)
    {
        dialogs.answerInput(answer);
        RemoveResults(list, when, dialogs, pointer);
    }
    // The index drops a duplicate exactly when a walk over the rows finds the text, for each text this test
    // adds and for a source path; the probing row is taken out again.
    void expectIndexInStep(const char* after)
    {
        for (const QString& text : {u"a"_qs, u"A"_qs, u"a "_qs, QString(), u"b"_qs, u"/tmp/one.eml"_qs}) {
            const bool listed = rows(list).contains(text);
            const qsizetype before = list.count();
            list.add({text, {}, false}, ResultsList::Duplicates::Drop);
            EXPECT_EQ(list.count(), listed ? before : before + 1) << after << ": " << text.toStdString();
            if (list.count() > before)
                list.removeAt(before);
        }
    }

    ResultsList list;
    testsupport::ListOptions options;
    platform::ScriptedDialogs dialogs;
    platform::ScriptedPointer pointer;
};

} // namespace

TEST_F(ResultsListTest, DuplicateIndexStaysInStepWithEveryChange)
{
    // Duplicates are exact whole-text matches.
    options.dedupe = true;
    add({"a", "a", "A", "a ", "", ""});
    EXPECT_EQ(rows(list), (QStringList{u"a"_qs, u"A"_qs, u"a "_qs, QString()}));
    options.dedupe = false;
    add({"a", "b"});
    expectIndexInStep("add");
    list.removeAt(0); // another "a" is still listed
    expectIndexInStep("first removal");
    list.removeAt(3);
    expectIndexInStep("second removal");
    remove(RemoveWhen::Containing, u"B"_qs);
    expectIndexInStep("removal by text");

    // In two columns the hit is listed, not its source, and a duplicate keeps the first source.
    options.dedupe = options.source = true;
    PrepareResultsList(list, options);
    expectIndexInStep("prepare");
    AddResult(list, options, u"a"_qs, u"/tmp/one.eml"_qs);
    AddResult(list, options, u"a"_qs, u"/tmp/two.eml"_qs);
    ASSERT_EQ(list.count(), 1);
    EXPECT_EQ(list.row(0).text, u"/tmp/one.eml"_qs);
    expectIndexInStep("two columns");
    list.clear();
    expectIndexInStep("clear");
}

TEST_F(ResultsListTest, RemovalsInBothLayoutsCompareTheHitIgnoringCaseAndCancelDoesNothing)
{
    for (const bool twoColumns : {false, true}) {
        for (const RemoveWhen when : {RemoveWhen::Containing, RemoveWhen::NotContaining}) {
            options.source = twoColumns;
            PrepareResultsList(list, options);
            AddResult(list, options, u"Mail from Ann"_qs, u"/ann.eml"_qs);
            AddResult(list, options, u"mail from bob"_qs, u"/bob.eml"_qs);
            remove(when, u"ANN"_qs);
            const bool containing = when == RemoveWhen::Containing;
            EXPECT_EQ(dialogs.inputPrompts().last(), containing ? u"Remove results containing this text: "_qs
                                                                : u"Remove results not containing this text: "_qs);
            EXPECT_EQ(rows(list), QStringList{containing ? u"mail from bob"_qs : u"Mail from Ann"_qs}) << twoColumns;
        }
    }
    // The source path of a two-column row is never searched; removing the last row keeps the columns.
    AddResult(list, options, u"keep"_qs, u"/ann/x.eml"_qs);
    remove(RemoveWhen::NotContaining, u"ann"_qs);
    EXPECT_EQ(rows(list), QStringList{u"Mail from Ann"_qs});
    remove(RemoveWhen::NotContaining, u"zzz"_qs);
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.columns().size(), 2);
    EXPECT_EQ(pointer.history().mid(0, 2),
              (QList<platform::Pointer>{platform::Pointer::Hourglass, platform::Pointer::Default}));

    // A cancelled input box does nothing; an empty list is told.
    const qsizetype pointerChanges = pointer.history().size();
    remove(RemoveWhen::Containing, QString());
    EXPECT_EQ(pointer.history().size(), pointerChanges);
    EXPECT_TRUE(dialogs.messages().isEmpty());
    remove(RemoveWhen::NotContaining, u"a"_qs);
    EXPECT_EQ(dialogs.messageTexts(), QStringList{u"There are no results to remove."_qs});
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
}

TEST(ColumnWidths, TwipsToPixelsAtLogicalDpiRounded)
{
    EXPECT_EQ(twipsToPixels(7300, 96), 487);
    EXPECT_EQ(twipsToPixels(3000, 120), 250);
}
