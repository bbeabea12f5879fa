// Builds MainWindow's controls in the order of the window's layout, which is also the order the Tab key takes.
#include "gui/MainWindow.h"

#include "gui/WindowLook.h"
#include "results/ResultsList.h"
#include "gui/ResultsView.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace gui {

void MainWindow::buildControls()
{
    Frame1 = named(new QGroupBox(QStringLiteral("What To Extract")), "Frame1");
    Check18 = makeCheckBox("Check18", QStringLiteral("Extract emails from 'Body' field"), false);
    Check17 = makeCheckBox("Check17", QStringLiteral("Extract emails from 'From' field"), true);
    auto* fields = new QVBoxLayout(Frame1);
    fields->addWidget(Check18);
    fields->addWidget(Check17);
    fields->addStretch();

    buildExtractionOptions({QStringLiteral("Turn off case sensitivity"), QStringLiteral("Remove duplicate results"),
                            QStringLiteral("Show source filename next to extracted text")});

    Frame4 = named(new QGroupBox(QStringLiteral("Where To Extract From")), "Frame4");
    Check16 = makeCheckBox("Check16", QStringLiteral("Inbox"), true);
    Check15 = makeCheckBox("Check15", QStringLiteral("Outbox"), true);
    Check4 = makeCheckBox("Check4", QStringLiteral("Drafts"), false);
    Check5 = makeCheckBox("Check5", QStringLiteral("Sent Items"), true);
    Check3 = makeCheckBox("Check3", QStringLiteral("Deleted Items"), true);
    auto* folders = new QGridLayout(Frame4);
    folders->addWidget(Check16, 0, 0);
    folders->addWidget(Check15, 0, 1);
    folders->addWidget(Check4, 0, 2);
    folders->addWidget(Check5, 1, 0);
    folders->addWidget(Check3, 1, 1);

    Frame5 = named(new QGroupBox(QStringLiteral("Source")), "Frame5");
    Option3 = named(
        new QRadioButton(QStringLiteral("Outlook 2000/2002/2003/2007/2010/etc. (Outlook but not Outlook Express)")),
        "Option3");
    Option4 = named(new QRadioButton(QStringLiteral("PST File:")), "Option4");
    // The two options are kept exclusive by the window, which may also leave both unselected.
    Option3->setAutoExclusive(false);
    Option4->setAutoExclusive(false);
    Option3->setChecked(true);
    Text6 = makeTextBox("Text6");
    PushButton3 = makeButton("PushButton3", QStringLiteral("..."));
    ProfileStoresButton = makeButton("ProfileStoresButton", QStringLiteral("Profile Stores..."));
    PushButton5 = makeButton("PushButton5", QStringLiteral("Show Outlook Express Options"));
    PushButton1 = makeButton("PushButton1", QStringLiteral("Help"));
    auto* source = new QGridLayout(Frame5);
    source->addWidget(Option3, 0, 0, 1, 3);
    source->addWidget(Option4, 1, 0);
    source->addWidget(Text6, 1, 1);
    source->addWidget(PushButton3, 1, 2);
    auto* sourceButtons = new QHBoxLayout;
    sourceButtons->addWidget(ProfileStoresButton);
    sourceButtons->addWidget(PushButton5);
    sourceButtons->addWidget(PushButton1);
    sourceButtons->addStretch();
    source->addLayout(sourceButtons, 2, 0, 1, 3);

    buildCommandControls(*this, m_results);
    // Says what the user should do when there is nothing to read; hidden otherwise.
    StatusLabel = named(new QLabel, "StatusLabel");
    StatusLabel->setWordWrap(true);
    StatusLabel->hide();

    auto* top = new QHBoxLayout;
    auto* leftTop = new QVBoxLayout;
    leftTop->addWidget(Frame1);
    leftTop->addWidget(Frame2);
    top->addLayout(leftTop);
    auto* rightTop = new QVBoxLayout;
    rightTop->addWidget(Frame4);
    rightTop->addWidget(Frame5);
    top->addLayout(rightTop, 1);

    auto* work = new QHBoxLayout;
    work->addLayout(ruleLayout());
    work->addLayout(resultsLayout(), 1);

    auto* window = new QVBoxLayout(this);
    window->addLayout(top);
    window->addLayout(work, 1);
    window->addWidget(StatusLabel);
    window->addWidget(ProgressBar1);
    resize(1000, 720);
    AddButtonAccelerators(*this);
}

} // namespace gui
