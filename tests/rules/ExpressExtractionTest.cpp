#include "FakeLineWindow.h"
#include "rules/ExpressExtraction.h"
#include "rules/ResultsSink.h"
#include "platform/ScriptedPlatform.h"
#include "results/ResultsCommands.h"
#include "results/ResultsList.h"

#include <QMap>
#include <gtest/gtest.h>

using namespace rules;

namespace {

// The Outlook Express window as the commands see it: message rows with bodies held in memory.
class FakeExpressWindow : public FakeLineWindow<MessagesWindow>
{
public:
    struct Message
    {
        QString path;
        QString body;
        bool ticked = true;
    };
    QList<Message> messages;
    QList<int> progressValues;

    int messageCount() const override { return int(messages.size()); }
    bool messageTicked(int row) const override { return messages[row - 1].ticked; }
    QString messagePath(int row) const override { return messages[row - 1].path; }
    QString loadMessageBody(const QString& path) override
    {
        progressValues << progressScript.value();
        for (const Message& m : messages) {
            if (m.path == path)
                return m.body;
        }
        return {};
    }
};

class ExpressExtractionTest : public ::testing::Test
{
protected:
    ExpressExtractionTest()
    {
        window.messages = {{u"/tmp/q/a.eml"_qs, u"Hello\r\nshared line\r\nbye"_qs},
                           {u"/tmp/q/b.eml"_qs, u"shared line\r\nother\r\n"_qs}};
    }
    FakeExpressWindow window;
};

} // namespace

TEST_F(ExpressExtractionTest, EveryLineOfEachTickedBodyWithItsOwnPath)
{
    window.source = true;
    runExpressCommand(window, allEmailDataCommand());
    EXPECT_EQ(window.rows(),
              (QStringList{u"Hello"_qs, u"shared line"_qs, u"bye"_qs, u"shared line"_qs, u"other"_qs, QString()}));
    EXPECT_EQ(window.list.row(0).text, u"/tmp/q/a.eml"_qs);
    EXPECT_EQ(window.list.row(3).text, u"/tmp/q/b.eml"_qs);
    EXPECT_EQ(window.progressValues, (QList<int>{50, 100}));
    EXPECT_EQ(window.progressScript.value(), 0);
    EXPECT_EQ(window.progressScript.text(), u"Progress Bar"_qs);
    EXPECT_EQ(window.pointerScript.pointer(), platform::Pointer::Default);
}

TEST_F(ExpressExtractionTest, LineNumbersRestartInEveryMessage)
{
    window.text5 = u"1"_qs;
    runExpressCommand(window, lineNumbersCommand());
    EXPECT_EQ(window.rows(), (QStringList{u"Hello"_qs, u"shared line"_qs}));
}

TEST_F(ExpressExtractionTest, UntickedMessagesAreNotReadAndNoTickEmptiesTheList)
{
    window.messages[0].ticked = false;
    runExpressCommand(window, allEmailDataCommand());
    EXPECT_EQ(window.rows().size(), 3);
    EXPECT_EQ(window.progressValues, QList<int>{100});

    window.messages[1].ticked = false;
    runExpressCommand(window, allEmailDataCommand());
    EXPECT_EQ(window.list.count(), 0);
    EXPECT_TRUE(window.dialogsScript.messages().isEmpty());
}

TEST_F(ExpressExtractionTest, EmptySearchTextIsRefusedAndTheListKept)
{
    window.list.add({u"earlier"_qs, {}, false});
    runExpressCommand(window, notContainingCommand());
    EXPECT_EQ(window.dialogsScript.messageTexts(), QStringList{u"Fill out text to use to extract lines."_qs});
    EXPECT_EQ(window.rows(), QStringList{u"earlier"_qs});
}
