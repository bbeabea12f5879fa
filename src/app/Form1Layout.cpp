// Builds Form1's controls, in the order of the window's layout.
#include "app/Form1.h"

#include "app/WindowLook.h"
#include "results/ResultsList.h"
#include "results/ResultsView.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace app {


void Form1::buildControls()
{
    Frame1 = named(new QGroupBox(QStringLiteral("What To Extract")), "Frame1");
    Check18 = makeCheckBox("Check18", QStringLiteral("Extract emails from 'Body' field"), false);
    Check17 = makeCheckBox("Check17", QStringLiteral("Extract emails from 'From' field"), true);
    auto* fields = new QVBoxLayout(Frame1);
    fields->addWidget(Check18);
    fields->addWidget(Check17);
    fields->addStretch();

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
    PushButton5 = makeButton("PushButton5", QStringLiteral("Show Outlook Express Options"));
    PushButton1 = makeButton("PushButton1", QStringLiteral("Help"));
    ProfileStoresButton = makeButton("ProfileStoresButton", QStringLiteral("Profile Stores..."));
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

    Frame2 = named(new QGroupBox(QStringLiteral("Extraction Options")), "Frame2");
    Check2 = makeCheckBox("Check2", QStringLiteral("Turn off case sensitivity"), true);
    Check1 = makeCheckBox("Check1", QStringLiteral("Remove duplicate results"), false);
    Check14 = makeCheckBox("Check14", QStringLiteral("Show source filename next to extracted text"), false);
    auto* options = new QVBoxLayout(Frame2);
    options->addWidget(Check2);
    options->addWidget(Check1);
    options->addWidget(Check14);

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
    auto* rules = new QGridLayout;
    rules->addWidget(PushButton13, 0, 0);
    rules->addWidget(PushButton2, 1, 0);
    rules->addWidget(Text1, 1, 1, 1, 2);
    rules->addWidget(PushButton8, 2, 0);
    rules->addWidget(Text2, 2, 1, 1, 2);
    rules->addWidget(PushButton7, 3, 0);
    rules->addWidget(Text5, 3, 1);
    rules->addWidget(PushButton10, 3, 2);
    rules->addWidget(PushButton4, 4, 0);
    rules->addWidget(PushButton16, 4, 2);
    rules->addWidget(PushButton15, 5, 0);
    rules->addWidget(PushButton17, 5, 2);
    rules->setRowStretch(6, 1);

    ListView2 = named(new QTreeView, "ListView2");
    m_results = new results::ResultsList(this);
    results::attachResultsView(*ListView2, *m_results);

    PushButton6 = makeButton("PushButton6", QStringLiteral("Save Results As Text File"));
    PushButton12 = makeButton("PushButton12", QStringLiteral("Save Results As Excel File"));
    PushButton18 = makeButton("PushButton18", QStringLiteral("Copy Results To Clipboard"));
    PushButton9 = makeButton("PushButton9", QStringLiteral("Clear List"));
    PushButton19 = makeButton("PushButton19", QStringLiteral("Remove Results Containing X"));
    PushButton20 = makeButton("PushButton20", QStringLiteral("Remove Results Not Containing X"));
    auto* output = new QGridLayout;
    output->addWidget(PushButton6, 0, 0);
    output->addWidget(PushButton12, 0, 1);
    output->addWidget(PushButton18, 0, 2);
    output->addWidget(PushButton9, 1, 0);
    output->addWidget(PushButton19, 1, 1);
    output->addWidget(PushButton20, 1, 2);

    ProgressBar1 = named(new QProgressBar, "ProgressBar1");

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
    work->addLayout(rules);
    auto* resultsColumn = new QVBoxLayout;
    resultsColumn->addWidget(ListView2, 1);
    resultsColumn->addLayout(output);
    work->addLayout(resultsColumn, 1);

    auto* window = new QVBoxLayout(this);
    window->addLayout(top);
    window->addLayout(work, 1);
    window->addWidget(ProgressBar1);
    resize(1000, 720);
}

} // namespace app
