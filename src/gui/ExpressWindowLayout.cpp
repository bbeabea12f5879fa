// Builds ExpressWindow's own controls above the command panel, in the order of the window's layout.
#include "gui/ExpressWindow.h"

#include "gui/WindowLook.h"
#include "results/ResultsCommands.h"
#include "results/ResultsList.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace gui {

namespace {

using gui::makeButton;
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

    auto* window = new QVBoxLayout(this);
    window->addLayout(top, 2);
    window->addWidget(m_panel, 3);
    resize(1100, 820);
    gui::addButtonAccelerators(*this);
}

} // namespace gui
