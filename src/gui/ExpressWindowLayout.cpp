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
    PushButton14 = makeButton("PushButton14", QStringLiteral("Search For Outlook Express"));
    PushButton1 = makeButton("PushButton1", QStringLiteral("Add Outlook Express File"));
    ListView1 = tickList("ListView1", {{QStringLiteral("DBX File(s)"), 6000}});
    PushButton5 = makeButton("PushButton5", QStringLiteral("Select All Items"));
    PushButton3 = makeButton("PushButton3", QStringLiteral("Deselect All Items"));
    PushButton11 = makeButton("PushButton11", QStringLiteral("Extract Emails From Outlook Express"));
    ListView3 = tickList("ListView3", {{QStringLiteral("From"), 1500},
                                       {QStringLiteral("To"), 1500},
                                       {QStringLiteral("Subject"), 2000},
                                       {QStringLiteral("Date Received"), 1500}});
    PushButton21 = makeButton("PushButton21", QStringLiteral("Select All Items"));
    PushButton22 = makeButton("PushButton22", QStringLiteral("Deselect All Items"));
    PushButton23 = makeButton("PushButton23", QStringLiteral("Help"));

    buildExtractionOptions({QStringLiteral("Turn Off Case Sensitivity"), QStringLiteral("Remove Duplicate Results"),
                            QStringLiteral("Show Source Filename Next To Extracted Text")});

    buildCommandControls(*this, m_results);

    auto* stores = new QVBoxLayout;
    auto* storeButtons = new QHBoxLayout;
    storeButtons->addWidget(PushButton14);
    storeButtons->addWidget(PushButton1);
    stores->addLayout(storeButtons);
    stores->addWidget(ListView1);
    auto* storeTicks = new QHBoxLayout;
    storeTicks->addWidget(PushButton5);
    storeTicks->addWidget(PushButton3);
    storeTicks->addStretch();
    storeTicks->addWidget(PushButton11);
    stores->addLayout(storeTicks);

    auto* messages = new QVBoxLayout;
    messages->addWidget(ListView3);
    auto* messageTicks = new QHBoxLayout;
    messageTicks->addWidget(PushButton21);
    messageTicks->addWidget(PushButton22);
    messageTicks->addStretch();
    messageTicks->addWidget(PushButton23);
    messages->addLayout(messageTicks);

    auto* top = new QHBoxLayout;
    top->addLayout(stores, 2);
    top->addLayout(messages, 3);

    auto* rules = new QGridLayout;
    rules->addWidget(Frame2, 0, 0, 1, 3);
    ruleLayout(1, rules);

    auto* work = new QHBoxLayout;
    work->addLayout(rules);
    work->addLayout(resultsLayout(), 1);

    auto* window = new QVBoxLayout(this);
    window->addLayout(top, 2);
    window->addLayout(work, 3);
    window->addWidget(ProgressBar1);
    resize(1100, 820);
    gui::AddButtonAccelerators(*this);
}

} // namespace gui
