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
    optionsFrame = named(new QGroupBox(QStringLiteral("Extraction Options")), "Frame2");
    ignoreCaseBox = makeCheckBox("Check2", captions[0], true);
    removeDuplicatesBox = makeCheckBox("Check1", captions[1], false);
    showSourceBox = makeCheckBox("Check14", captions[2], false);
    auto* options = new QVBoxLayout(optionsFrame);
    options->addWidget(ignoreCaseBox);
    options->addWidget(removeDuplicatesBox);
    options->addWidget(showSourceBox);
}

void CommandControls::buildCommandControls(QWidget& window, results::ResultsList*& list)
{
    extractAllButton = makeButton("PushButton13", QStringLiteral("Extract All Email Data"));
    containingButton = makeButton("PushButton2", QStringLiteral("Extract All Lines Containing This Text:"));
    containingTextBox = makeTextBox("Text1");
    notContainingButton = makeButton("PushButton8", QStringLiteral("Extract All Lines Not Contain. This Text:"));
    notContainingTextBox = makeTextBox("Text2");
    byNumberButton = makeButton("PushButton7", QStringLiteral("Extract Lines By Number:"));
    lineNumbersBox = makeTextBox("Text5");
    byNumberHelpButton = makeButton("PushButton10", QStringLiteral("Help >"));
    betweenButton = makeButton("PushButton4", QStringLiteral("Extract Between X and Y (Repeatedly)"));
    betweenHelpButton = makeButton("PushButton16", QStringLiteral("Help >"));
    textSetsButton = makeButton("PushButton15", QStringLiteral("Extract Lines Containing These Text Sets"));
    textSetsHelpButton = makeButton("PushButton17", QStringLiteral("Help >"));

    resultsView = named(new QTreeView, "ListView2");
    list = new results::ResultsList(&window);
    gui::attachResultsView(*resultsView, *list);
    saveTextButton = makeButton("PushButton6", QStringLiteral("Save Results As Text File"));
    saveWorkbookButton = makeButton("PushButton12", QStringLiteral("Save Results As Excel File"));
    copyResultsButton = makeButton("PushButton18", QStringLiteral("Copy Results To Clipboard"));
    clearListButton = makeButton("PushButton9", QStringLiteral("Clear List"));
    removeContainingButton = makeButton("PushButton19", QStringLiteral("Remove Results Containing X"));
    removeNotContainingButton = makeButton("PushButton20", QStringLiteral("Remove Results Not Containing X"));
    progressBar = named(new QProgressBar, "ProgressBar1");
}

QGridLayout* CommandControls::ruleLayout(int firstRow, QGridLayout* into) const
{
    auto* rules = into ? into : new QGridLayout;
    const int r = firstRow;
    rules->addWidget(extractAllButton, r, 0);
    rules->addWidget(containingButton, r + 1, 0);
    rules->addWidget(containingTextBox, r + 1, 1, 1, 2);
    rules->addWidget(notContainingButton, r + 2, 0);
    rules->addWidget(notContainingTextBox, r + 2, 1, 1, 2);
    rules->addWidget(byNumberButton, r + 3, 0);
    rules->addWidget(lineNumbersBox, r + 3, 1);
    rules->addWidget(byNumberHelpButton, r + 3, 2);
    rules->addWidget(betweenButton, r + 4, 0);
    rules->addWidget(betweenHelpButton, r + 4, 2);
    rules->addWidget(textSetsButton, r + 5, 0);
    rules->addWidget(textSetsHelpButton, r + 5, 2);
    rules->setRowStretch(r + 6, 1);
    return rules;
}

QVBoxLayout* CommandControls::resultsLayout() const
{
    auto* output = new QGridLayout;
    output->addWidget(saveTextButton, 0, 0);
    output->addWidget(saveWorkbookButton, 0, 1);
    output->addWidget(copyResultsButton, 0, 2);
    output->addWidget(clearListButton, 1, 0);
    output->addWidget(removeContainingButton, 1, 1);
    output->addWidget(removeNotContainingButton, 1, 2);
    auto* column = new QVBoxLayout;
    column->addWidget(resultsView, 1);
    column->addLayout(output);
    return column;
}

} // namespace gui
