#include "gui/CommandControls.h"

#include "gui/WindowLook.h"
#include "results/ResultsList.h"
#include "gui/ResultsView.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace gui {

void CommandControls::buildExtractionOptions(const std::array<QString, 3>& captions)
{
    Frame2 = named(new QGroupBox(QStringLiteral("Extraction Options")), "Frame2");
    Check2 = makeCheckBox("Check2", captions[0], true);
    Check1 = makeCheckBox("Check1", captions[1], false);
    Check14 = makeCheckBox("Check14", captions[2], false);
    auto* options = new QVBoxLayout(Frame2);
    options->addWidget(Check2);
    options->addWidget(Check1);
    options->addWidget(Check14);
}

void CommandControls::buildCommandControls(QWidget& window, results::ResultsList*& list)
{
    PushButton13 = makeButton("PushButton13", QStringLiteral("Extract All Email Data"));
    PushButton2 = makeButton("PushButton2", QStringLiteral("Extract All Lines Containing This Text:"));
    Text1 = makeTextBox("Text1");
    PushButton8 = makeButton("PushButton8", QStringLiteral("Extract All Lines Not Contain. This Text:"));
    Text2 = makeTextBox("Text2");
    PushButton7 = makeButton("PushButton7", QStringLiteral("Extract Lines By Number:"));
    Text5 = makeTextBox("Text5");
    PushButton10 = makeButton("PushButton10", QStringLiteral("Help >"));
    PushButton4 = makeButton("PushButton4", QStringLiteral("Extract Between X and Y (Repeatedly)"));
    PushButton16 = makeButton("PushButton16", QStringLiteral("Help >"));
    PushButton15 = makeButton("PushButton15", QStringLiteral("Extract Lines Containing These Text Sets"));
    PushButton17 = makeButton("PushButton17", QStringLiteral("Help >"));

    ListView2 = named(new QTreeView, "ListView2");
    list = new results::ResultsList(&window);
    gui::attachResultsView(*ListView2, *list);
    PushButton6 = makeButton("PushButton6", QStringLiteral("Save Results As Text File"));
    PushButton12 = makeButton("PushButton12", QStringLiteral("Save Results As Excel File"));
    PushButton18 = makeButton("PushButton18", QStringLiteral("Copy Results To Clipboard"));
    PushButton9 = makeButton("PushButton9", QStringLiteral("Clear List"));
    PushButton19 = makeButton("PushButton19", QStringLiteral("Remove Results Containing X"));
    PushButton20 = makeButton("PushButton20", QStringLiteral("Remove Results Not Containing X"));
    ProgressBar1 = named(new QProgressBar, "ProgressBar1");
}

QGridLayout* CommandControls::ruleLayout(int firstRow, QGridLayout* into) const
{
    auto* rules = into ? into : new QGridLayout;
    const int r = firstRow;
    rules->addWidget(PushButton13, r, 0);
    rules->addWidget(PushButton2, r + 1, 0);
    rules->addWidget(Text1, r + 1, 1, 1, 2);
    rules->addWidget(PushButton8, r + 2, 0);
    rules->addWidget(Text2, r + 2, 1, 1, 2);
    rules->addWidget(PushButton7, r + 3, 0);
    rules->addWidget(Text5, r + 3, 1);
    rules->addWidget(PushButton10, r + 3, 2);
    rules->addWidget(PushButton4, r + 4, 0);
    rules->addWidget(PushButton16, r + 4, 2);
    rules->addWidget(PushButton15, r + 5, 0);
    rules->addWidget(PushButton17, r + 5, 2);
    rules->setRowStretch(r + 6, 1);
    return rules;
}

QVBoxLayout* CommandControls::resultsLayout() const
{
    auto* output = new QGridLayout;
    output->addWidget(PushButton6, 0, 0);
    output->addWidget(PushButton12, 0, 1);
    output->addWidget(PushButton18, 0, 2);
    output->addWidget(PushButton9, 1, 0);
    output->addWidget(PushButton19, 1, 1);
    output->addWidget(PushButton20, 1, 2);
    auto* column = new QVBoxLayout;
    column->addWidget(ListView2, 1);
    column->addLayout(output);
    return column;
}

} // namespace gui
