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
    QGroupBox* Frame2 = nullptr;
    QCheckBox* Check2 = nullptr;
    QCheckBox* Check1 = nullptr;
    QCheckBox* Check14 = nullptr;
    QLineEdit* Text1 = nullptr;
    QLineEdit* Text2 = nullptr;
    QLineEdit* Text5 = nullptr;
    QPushButton* PushButton13 = nullptr;
    QPushButton* PushButton2 = nullptr;
    QPushButton* PushButton8 = nullptr;
    QPushButton* PushButton7 = nullptr;
    QPushButton* PushButton10 = nullptr;
    QPushButton* PushButton4 = nullptr;
    QPushButton* PushButton16 = nullptr;
    QPushButton* PushButton15 = nullptr;
    QPushButton* PushButton17 = nullptr;
    QTreeView* ListView2 = nullptr;
    QPushButton* PushButton6 = nullptr;
    QPushButton* PushButton12 = nullptr;
    QPushButton* PushButton18 = nullptr;
    QPushButton* PushButton9 = nullptr;
    QPushButton* PushButton19 = nullptr;
    QPushButton* PushButton20 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;

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
