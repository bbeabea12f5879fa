#include "gui/BetweenDialog.h"
#include "gui/ExpressWindow.h"
#include "gui/MainWindow.h"
#include "gui/ProfileStoresDialog.h"
#include "gui/TextSetsDialog.h"
#include "gui/WindowFixture.h"

#include <QKeySequence>
#include <QPushButton>
#include <QSet>
#include <QTest>

using guitest::names;

namespace {

// A window or dialog, and the names of its controls in the order the Tab key takes from the first.
struct KeyboardCase
{
    const char* name;
    std::function<QWidget*(guitest::WindowFixture&)> open;
    QStringList order;
    QStringList withoutAccelerator = {};
};

class KeyboardOrderTest : public guitest::WindowFixture, public ::testing::WithParamInterface<KeyboardCase>
{
};

// Both main windows end with the panel: its options, then its rules and results.
const QStringList kPanelOptions = names("Check2 Check1 Check14");
const QStringList kPanelRest = names("PushButton13 PushButton2 Text1 PushButton8 Text2 PushButton7 Text5 PushButton10 "
                                     "PushButton4 PushButton16 PushButton15 PushButton17 PushButton24 PushButton25 "
                                     "PushButton26 Text7 PushButton27 ListView2 PushButton6 "
                                     "PushButton12 PushButton18 PushButton9 PushButton19 PushButton20");

const KeyboardCase kCases[] = {
    {"MainWindow",
     [](guitest::WindowFixture& t) -> QWidget* {
         auto* form = new gui::MainWindow(t.freshContext());
         form->loadWindow();
         return form;
     },
     names("Check18 Check17") + kPanelOptions +
         names("Check16 Check15 Check4 Check5 Check3 Option3 Option4 Text6 PushButton3 MailboxOption MailboxPath "
               "ChooseMailboxButton ProfileStoresButton PushButton5 PushButton1") +
         kPanelRest,
     // "..." has no letter; the newest rules' "Help >" find all of theirs taken.
     names("PushButton3 ChooseMailboxButton PushButton25 PushButton27")},
    {"ExpressWindow",
     [](guitest::WindowFixture& t) -> QWidget* {
         return new gui::ExpressWindow(
             t.freshContext(), t.discovery, [] { return false; }, nullptr);
     },
     names("PushButton14 PushButton1 ListView1 PushButton5 PushButton3 PushButton11 ListView3 PushButton21 "
           "PushButton22 PushButton23") +
         kPanelOptions + kPanelRest,
     // The newest rules' buttons find all of their letters taken by the buttons users already know.
     names("PushButton24 PushButton25 PushButton26 PushButton27")},
    {"BetweenDialog", [](guitest::WindowFixture& t) { return t.openDialog<gui::BetweenDialog>().release(); },
     names("Text1 Text2 Check1 Check2 PushButton4 PushButton11 PushButton1")},
    {"TextSetsDialog", [](guitest::WindowFixture& t) { return t.openDialog<gui::TextSetsDialog>().release(); },
     names("Combo1 PushButton2 PushButton1 PushButton5 PushButton3 PushButton4 PushButton11")},
    {"ProfileStoresDialog",
     [](guitest::WindowFixture& t) -> QWidget* {
         return new gui::ProfileStoresDialog(t.freshContext().settings, t.desktop.dialogs, nullptr);
     },
     names("ListStores AddFiles RemoveSelected") << QString()}, // "Close" has no name
};

} // namespace

TEST_P(KeyboardOrderTest, TabReachesEveryControlInReadingOrderAndEveryButtonHasItsOwnAccelerator)
{
    const std::unique_ptr<QWidget> window(GetParam().open(*this));
    QWidget* first = window->findChild<QWidget*>(GetParam().order.first());
    ASSERT_NE(first, nullptr);
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    first->setFocus(Qt::TabFocusReason);
    // Real Tab presses, once round: a control missing here cannot be reached without the mouse.
    QStringList tabbed;
    for (QWidget* at = QApplication::focusWidget(); at && tabbed.size() < 200; at = QApplication::focusWidget()) {
        tabbed.append(at->objectName());
        QTest::keyClick(at, Qt::Key_Tab);
        if (QApplication::focusWidget() == first)
            break;
    }
    EXPECT_EQ(tabbed, GetParam().order);

    QSet<QKeySequence> keys;
    for (QPushButton* button : window->findChildren<QPushButton*>()) {
        if (GetParam().withoutAccelerator.contains(button->objectName()))
            continue;
        const QKeySequence key = QKeySequence::mnemonic(button->text());
        ASSERT_FALSE(key.isEmpty()) << button->objectName().toStdString();
        EXPECT_FALSE(keys.contains(key)) << button->objectName().toStdString() << " repeats "
                                         << key.toString().toStdString();
        keys.insert(key);
    }
}

INSTANTIATE_TEST_SUITE_P(Windows, KeyboardOrderTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });
