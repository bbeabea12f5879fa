// Builds ExpressWindow's controls, in the order of the window's layout.
#include "gui/ExpressWindow.h"

#include "gui/WindowLook.h"
#include "results/ResultsCommands.h"
#include "results/ResultsList.h"
#include "gui/ResultsView.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace gui {

namespace {

using gui::makeButton;
using gui::makeCheckBox;
using gui::makeTextBox;
using gui::named;

// A report list with a check box in every row and fixed column widths in twips.
QTreeWidget* tickList(const char* name, const QList<results::Column>& columns)
{
    auto* list = named(new QTreeWidget, name);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    list->setColumnCount(int(columns.size()));
    QStringList titles;
    for (const results::Column& c : columns)
        titles << c.title;
    list->setHeaderLabels(titles);
    for (int i = 0; i < columns.size(); ++i)
        list->setColumnWidth(i, results::twipsToPixels(columns[i].widthTwips, list->logicalDpiX()));
    return list;
}

} // namespace

void ExpressWindow::buildControls()
{
    searchExpressButton = makeButton("PushButton14", QStringLiteral("Search For Outlook Express"));
    addStoreFilesButton = makeButton("PushButton1", QStringLiteral("Add Outlook Express File"));
    storeList = tickList("ListView1", {{QStringLiteral("DBX File(s)"), 6000}});
    selectAllStoresButton = makeButton("PushButton5", QStringLiteral("Select All Items"));
    deselectAllStoresButton = makeButton("PushButton3", QStringLiteral("Deselect All Items"));
    convertStoresButton = makeButton("PushButton11", QStringLiteral("Extract Emails From Outlook Express"));
    messageList = tickList("ListView3", {{QStringLiteral("From"), 1500},
                                         {QStringLiteral("To"), 1500},
                                         {QStringLiteral("Subject"), 2000},
                                         {QStringLiteral("Date Received"), 1500}});
    selectAllMessagesButton = makeButton("PushButton21", QStringLiteral("Select All Items"));
    deselectAllMessagesButton = makeButton("PushButton22", QStringLiteral("Deselect All Items"));
    helpButton = makeButton("PushButton23", QStringLiteral("Help"));

    buildExtractionOptions({QStringLiteral("Turn Off Case Sensitivity"), QStringLiteral("Remove Duplicate Results"),
                            QStringLiteral("Show Source Filename Next To Extracted Text")});

    buildCommandControls(*this, m_results);

    auto* stores = new QVBoxLayout;
    auto* storeButtons = new QHBoxLayout;
    storeButtons->addWidget(searchExpressButton);
    storeButtons->addWidget(addStoreFilesButton);
    stores->addLayout(storeButtons);
    stores->addWidget(storeList);
    auto* storeTicks = new QHBoxLayout;
    storeTicks->addWidget(selectAllStoresButton);
    storeTicks->addWidget(deselectAllStoresButton);
    storeTicks->addStretch();
    storeTicks->addWidget(convertStoresButton);
    stores->addLayout(storeTicks);

    auto* messages = new QVBoxLayout;
    messages->addWidget(messageList);
    auto* messageTicks = new QHBoxLayout;
    messageTicks->addWidget(selectAllMessagesButton);
    messageTicks->addWidget(deselectAllMessagesButton);
    messageTicks->addStretch();
    messageTicks->addWidget(helpButton);
    messages->addLayout(messageTicks);

    auto* top = new QHBoxLayout;
    top->addLayout(stores, 2);
    top->addLayout(messages, 3);

    auto* rules = new QGridLayout;
    rules->addWidget(optionsFrame, 0, 0, 1, 3);
    ruleLayout(1, rules);

    auto* work = new QHBoxLayout;
    work->addLayout(rules);
    work->addLayout(resultsLayout(), 1);

    auto* window = new QVBoxLayout(this);
    window->addLayout(top, 2);
    window->addLayout(work, 3);
    window->addWidget(progressBar);
    resize(1100, 820);
    gui::AddButtonAccelerators(*this);
}

} // namespace gui
