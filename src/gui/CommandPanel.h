#pragma once

#include "gui/SettingControls.h"
#include "results/ResultsCommands.h"
#include "rules/Run.h"

#include <QPointer>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTreeView;
class QVBoxLayout;

namespace core {
class Trap;
}
namespace platform {
class Dialogs;
class EventLoop;
class PointerControl;
class ProgressControl;
class QtProgressBar;
class WindowPointer;
} // namespace platform
namespace rules {
class HitSink;
class UnitSource;
} // namespace rules
namespace results {
class ResultsList;
struct SaveContext;
} // namespace results

namespace gui {

struct WindowContext;
class BetweenDialog;
class HoverPointers;
class TextSetsDialog;

// What tells the two main windows' panels apart; given once when the panel is made.
struct PanelSetup
{
    QString module;                        // the window's name in error reports
    std::array<QString, 3> optionCaptions; // case, duplicates, source column
    // Where the runs read their text from: the staging file, or the ticked messages.
    std::function<std::unique_ptr<rules::UnitSource>()> units;
    // Whether the text to read holds a field at all; the line commands refuse to run otherwise. Unset: always.
    std::function<bool()> fieldChosen;
    // Asked before a rule dialog opens, inside the opening's trap; it tells the user why not. Unset: always.
    std::function<bool()> mayOpenDialog;
    bool modalDialogs = false;
    QString betweenModule;
    QString textSetsModule;
    // True once the window's program is closing; the rule dialogs then really close.
    std::function<bool()> appClosing;
};

// The part both main windows share: the extraction options, the rule buttons with their text boxes and help
// buttons, the results list with its commands and the progress bar. It runs their commands, keeps their
// settings and opens the two rule dialogs, which serve it.
class CommandPanel : public QWidget, private results::ListOptions
{
    Q_OBJECT
public:
    // window: the main window whose layout takes the panel in; the pointer shapes are the whole window's.
    CommandPanel(WindowContext& context, PanelSetup setup, QWidget& window);
    ~CommandPanel() override;

    results::ResultsList& results() { return *m_results; }
    platform::PointerControl& pointer();
    platform::ProgressControl& progress();
    platform::Dialogs& dialogs();
    // True once the window's program is closing; the rule dialogs then really close.
    bool appClosing() const { return m_setup.appClosing(); }
    // Runs a rule over units into the results list, with the panel's options as they are now; the pointer is
    // the one of the window whose button started it.
    void run(rules::RunRequest request, rules::UnitSource& units, platform::PointerControl& pointer);
    // Runs long work (a rule, staging, a conversion, a save) as the program's one run. Meanwhile the buttons
    // and tick lists of the window and its rule dialogs are disabled, but for help and close buttons, and Esc
    // or closing the window cancels the work at its next yield; a cancelled run keeps what it did and shows
    // cancelledText on the progress bar, and the default pointer over the window (and over pointer, the
    // dialog's whose button started it). Does nothing while another run goes on.
    void runExclusive(const QString& cancelledText, const std::function<void()>& work,
                      platform::PointerControl* pointer = nullptr);
    bool runGoing() const;
    // Asks the run going on to stop at its next yield.
    void cancelRun();
    // A button that stays usable during runs: help, and closing a dialog (which cancels the run).
    void keepEnabledDuringRuns(QWidget* widget);
    // A rule dialog serving the panel: its commands too are off during runs, and Esc in it cancels them.
    void addRuleDialog(QWidget* dialog);

    // Set from the settings, one statement of the load handler's trap each from line on.
    void restoreOptions(core::Trap& trap, int& line) const;
    void restoreRuleTexts(core::Trap& trap, int& line) const;
    // The pattern box, as the statement at line: numbered after the load handler's others, which keep theirs.
    void restorePatternText(core::Trap& trap, int line) const;
    // Makes "HAND-M.CUR" of the program folder the window's custom pointer, when the file is there.
    void loadHandCursor();
    // A line of the window's own, just above the progress bar.
    void addStatusLine(QWidget* line);
    // Hover pointers for the whole window: the hand over its buttons, the default over the panel's
    // background, the options frame and the results; the window adds its own areas.
    HoverPointers& watchPointer();

    void onLineCommandClicked(rules::RuleKind rule);
    void onBetweenClicked();
    void onTextSetsClicked();
    void onResultDoubleClicked();

    QGroupBox* optionsFrame = nullptr;
    QCheckBox* ignoreCaseBox = nullptr;
    QCheckBox* removeDuplicatesBox = nullptr;
    QCheckBox* showSourceBox = nullptr;
    QPushButton* extractAllButton = nullptr;
    QPushButton* containingButton = nullptr;
    QLineEdit* containingTextBox = nullptr;
    QPushButton* notContainingButton = nullptr;
    QLineEdit* notContainingTextBox = nullptr;
    QPushButton* byNumberButton = nullptr;
    QLineEdit* lineNumbersBox = nullptr;
    QPushButton* byNumberHelpButton = nullptr;
    QPushButton* betweenButton = nullptr;
    QPushButton* betweenHelpButton = nullptr;
    QPushButton* textSetsButton = nullptr;
    QPushButton* textSetsHelpButton = nullptr;
    QPushButton* addressesButton = nullptr;
    QPushButton* addressesHelpButton = nullptr;
    QPushButton* patternButton = nullptr;
    QLineEdit* patternTextBox = nullptr;
    QPushButton* patternHelpButton = nullptr;
    QTreeView* resultsView = nullptr;
    QPushButton* saveTextButton = nullptr;
    QPushButton* saveWorkbookButton = nullptr;
    QPushButton* copyResultsButton = nullptr;
    QPushButton* clearListButton = nullptr;
    QPushButton* removeContainingButton = nullptr;
    QPushButton* removeNotContainingButton = nullptr;
    QProgressBar* progressBar = nullptr;

protected:
    // Esc in the window or one of its rule dialogs, while a run goes on.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void connectControls();
    void showHelp(const char* procedure, const QString& help);
    void underTrap(const char* procedure, const std::function<void()>& statement);
    template <class Dialog>
    void openDialog(const char* procedure, Dialog*& dialog, const QString& module);
    results::SaveContext saveContext();

    bool removeDuplicates() const override;
    bool showSource() const override;

    WindowContext& m_context;
    PanelSetup m_setup;
    QWidget& m_window;
    QVBoxLayout* m_layout = nullptr;
    results::ResultsList* m_results = nullptr;
    std::unique_ptr<platform::WindowPointer> m_pointer;
    std::unique_ptr<platform::QtProgressBar> m_progress;
    std::unique_ptr<rules::HitSink> m_hits;
    std::unique_ptr<HoverPointers> m_hover;
    SettingControls m_optionSettings;
    SettingControls m_textSettings;
    QList<QPointer<QWidget>> m_keepEnabled;
    QList<QPointer<QWidget>> m_ruleDialogs;
    SettingControls m_patternSettings;
    BetweenDialog* m_betweenDialog = nullptr;
    TextSetsDialog* m_textSetsDialog = nullptr;
};

} // namespace gui
