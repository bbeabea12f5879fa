#include "gui/BetweenDialog.h"
#include "gui/ExpressWindow.h"
#include "gui/MainWindow.h"
#include "gui/ProfileStoresDialog.h"
#include "gui/TextSetsDialog.h"
#include "gui/WindowFixture.h"
#include "rules/FakeServedWindow.h"
#include "support/KeyboardChecks.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

class KeyboardOrderTest;

struct KeyboardCase
{
    const char* name;
    // Opens the window; gives it and the control the Tab key starts from.
    std::function<std::pair<std::unique_ptr<QWidget>, QWidget*>(KeyboardOrderTest&)> open;
    QStringList order;
    QStringList withoutAccelerator = {};
};

void PrintTo(const KeyboardCase& c, std::ostream* out)
{
    *out << c.name;
}

class KeyboardOrderTest : public guitest::WindowFixture, public ::testing::WithParamInterface<KeyboardCase>
{
public:
    template <class Dialog>
    std::pair<std::unique_ptr<QWidget>, QWidget*> openDialog(QWidget* (*first)(Dialog&))
    {
        freshContext();
        auto dialog = std::make_unique<Dialog>(
            gui::DialogContext{served, std::make_unique<rules::StagedFileSource>(served), *settings, QString()},
            nullptr);
        dialog->showDialog(false);
        QWidget* start = first(*dialog);
        return {std::move(dialog), start};
    }

    FakeServedWindow served{dir.file(u"test.txt"_qs)};
    sources::express::StoreDiscovery discovery;
};

// The panel's controls, as both main windows end with them.
const QStringList kPanelOptions = {u"Check2"_qs, u"Check1"_qs, u"Check14"_qs};
const QStringList kPanelRest = {u"PushButton13"_qs, u"PushButton2"_qs,  u"Text1"_qs,        u"PushButton8"_qs,
                                u"Text2"_qs,        u"PushButton7"_qs,  u"Text5"_qs,        u"PushButton10"_qs,
                                u"PushButton4"_qs,  u"PushButton16"_qs, u"PushButton15"_qs, u"PushButton17"_qs,
                                u"ListView2"_qs,    u"PushButton6"_qs,  u"PushButton12"_qs, u"PushButton18"_qs,
                                u"PushButton9"_qs,  u"PushButton19"_qs, u"PushButton20"_qs};

const KeyboardCase kCases[] = {
    {"MainWindow",
     [](KeyboardOrderTest& t) -> std::pair<std::unique_ptr<QWidget>, QWidget*> {
         auto form = std::make_unique<gui::MainWindow>(t.freshContext());
         form->loadWindow();
         QWidget* first = form->bodyFieldBox;
         return {std::move(form), first};
     },
     QStringList{u"Check18"_qs, u"Check17"_qs} + kPanelOptions +
         QStringList{u"Check16"_qs, u"Check15"_qs, u"Check4"_qs, u"Check5"_qs, u"Check3"_qs, u"Option3"_qs,
                     u"Option4"_qs, u"Text6"_qs, u"PushButton3"_qs, u"ProfileStoresButton"_qs, u"PushButton5"_qs,
                     u"PushButton1"_qs} +
         kPanelRest,
     {u"PushButton3"_qs}},
    {"ExpressWindow",
     [](KeyboardOrderTest& t) -> std::pair<std::unique_ptr<QWidget>, QWidget*> {
         auto form = std::make_unique<gui::ExpressWindow>(
             t.freshContext(), t.discovery, [] { return false; }, nullptr);
         QWidget* first = form->searchExpressButton;
         return {std::move(form), first};
     },
     QStringList{u"PushButton14"_qs, u"PushButton1"_qs, u"ListView1"_qs, u"PushButton5"_qs, u"PushButton3"_qs,
                 u"PushButton11"_qs, u"ListView3"_qs, u"PushButton21"_qs, u"PushButton22"_qs, u"PushButton23"_qs} +
         kPanelOptions + kPanelRest},
    {"BetweenDialog",
     [](KeyboardOrderTest& t) {
         return t.openDialog<gui::BetweenDialog>([](gui::BetweenDialog& d) -> QWidget* { return d.startTextBox; });
     },
     {u"Text1"_qs, u"Text2"_qs, u"Check1"_qs, u"Check2"_qs, u"PushButton4"_qs, u"PushButton11"_qs, u"PushButton1"_qs}},
    {"TextSetsDialog",
     [](KeyboardOrderTest& t) {
         return t.openDialog<gui::TextSetsDialog>([](gui::TextSetsDialog& d) -> QWidget* { return d.itemsBox; });
     },
     {u"Combo1"_qs, u"PushButton2"_qs, u"PushButton1"_qs, u"PushButton5"_qs, u"PushButton3"_qs, u"PushButton4"_qs,
      u"PushButton11"_qs}},
    {"ProfileStoresDialog",
     [](KeyboardOrderTest& t) -> std::pair<std::unique_ptr<QWidget>, QWidget*> {
         auto dialog =
             std::make_unique<gui::ProfileStoresDialog>(t.freshContext().settings, t.desktop.dialogs, nullptr);
         QWidget* first = dialog->findChild<QWidget*>(u"ListStores"_qs);
         return {std::move(dialog), first};
     },
     {u"ListStores"_qs, u"AddFiles"_qs, u"RemoveSelected"_qs, QString()}},
};

} // namespace

TEST_P(KeyboardOrderTest, TabReachesEveryControlInReadingOrderAndEveryButtonHasItsOwnAccelerator)
{
    auto [window, first] = GetParam().open(*this);
    EXPECT_EQ(testsupport::tabbedNames(*window, *first), GetParam().order);
    testsupport::expectDistinctAccelerators(*window, GetParam().withoutAccelerator);
}

INSTANTIATE_TEST_SUITE_P(Windows, KeyboardOrderTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });
