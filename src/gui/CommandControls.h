#pragma once

#include <QString>
#include <array>

class QCheckBox;
class QGridLayout;
class QGroupBox;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTreeView;
class QVBoxLayout;
class QWidget;

namespace results {
class ResultsList;
}

namespace gui {

// The controls both main windows have: the line rules with their text boxes, the rule dialogs and help
// buttons, the results list with its commands, and the progress bar. Named as the commands use them.
struct CommandControls
{
    // The "Extraction Options" frame: case, duplicates, source column.
    QGroupBox* optionsFrame = nullptr;
    QCheckBox* ignoreCaseBox = nullptr;
    QCheckBox* removeDuplicatesBox = nullptr;
    QCheckBox* showSourceBox = nullptr;
    QLineEdit* containingTextBox = nullptr;
    QLineEdit* notContainingTextBox = nullptr;
    QLineEdit* lineNumbersBox = nullptr;
    QPushButton* extractAllButton = nullptr;
    QPushButton* containingButton = nullptr;
    QPushButton* notContainingButton = nullptr;
    QPushButton* byNumberButton = nullptr;
    QPushButton* byNumberHelpButton = nullptr;
    QPushButton* betweenButton = nullptr;
    QPushButton* betweenHelpButton = nullptr;
    QPushButton* textSetsButton = nullptr;
    QPushButton* textSetsHelpButton = nullptr;
    QTreeView* resultsView = nullptr;
    QPushButton* saveTextButton = nullptr;
    QPushButton* saveWorkbookButton = nullptr;
    QPushButton* copyResultsButton = nullptr;
    QPushButton* clearListButton = nullptr;
    QPushButton* removeContainingButton = nullptr;
    QPushButton* removeNotContainingButton = nullptr;
    QProgressBar* progressBar = nullptr;

    // Creates the options frame; the windows word the three captions differently.
    void buildExtractionOptions(const std::array<QString, 3>& captions);
    // Creates the controls; the results list belongs to the window.
    void buildCommandControls(QWidget& window, results::ResultsList*& list);
    // The rule buttons with their text boxes, one per row.
    QGridLayout* ruleLayout(int firstRow = 0, QGridLayout* into = nullptr) const;
    // The results list above its six commands.
    QVBoxLayout* resultsLayout() const;
};

} // namespace gui
