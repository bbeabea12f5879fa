#include "gui/CommandPanel.h"

#include "core/ErrorReport.h"
#include "gui/BetweenDialog.h"
#include "gui/HelpTexts.h"
#include "gui/ResultsView.h"
#include "gui/RuleHelp.h"
#include "gui/TextSetsDialog.h"
#include "gui/WindowContext.h"
#include "gui/WindowLook.h"
#include "platform/Dialogs.h"
#include "platform/QtPlatform.h"
#include "platform/WindowPointer.h"
#include "results/ResultsList.h"
#include "results/SaveCommands.h"
#include "rules/ResultsSink.h"
#include "rules/UnitSource.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace gui {

namespace {

const QString kResultsKept = QStringLiteral("Cancelled. The results found so far are kept.");
const QString kNothingSaved = QStringLiteral("Cancelled. Nothing was saved.");
const QString kNothingCopied = QStringLiteral("Cancelled. Nothing was copied.");

} // namespace

CommandPanel::CommandPanel(WindowContext& context, PanelSetup setup, QWidget& window)
    : m_context(context), m_setup(std::move(setup)), m_window(window),
      m_pointer(std::make_unique<platform::WindowPointer>(window)), m_optionSettings(context.settings),
      m_textSettings(context.settings), m_patternSettings(context.settings)
{
    buildControls();
    m_progress = std::make_unique<platform::QtProgressBar>(*progressBar);
    m_hits = std::make_unique<rules::ResultsSink>(*m_results, static_cast<const results::ListOptions&>(*this));
    connectControls();
}

CommandPanel::~CommandPanel() = default;

void CommandPanel::buildControls()
{
    optionsFrame = named(new QGroupBox(QStringLiteral("Extraction Options")), "Frame2");
    ignoreCaseBox = makeCheckBox("Check2", m_setup.optionCaptions[0], true);
    removeDuplicatesBox = makeCheckBox("Check1", m_setup.optionCaptions[1], false);
    showSourceBox = makeCheckBox("Check14", m_setup.optionCaptions[2], false);
    auto* options = new QVBoxLayout(optionsFrame);
    options->addWidget(ignoreCaseBox);
    options->addWidget(removeDuplicatesBox);
    options->addWidget(showSourceBox);

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
    addressesButton = makeButton("PushButton24", QStringLiteral("Extract E-mail Addresses"));
    addressesHelpButton = makeButton("PushButton25", QStringLiteral("Help >"));
    patternButton = makeButton("PushButton26", QStringLiteral("Extract Lines Matching This Pattern:"));
    patternTextBox = makeTextBox("Text7");
    patternHelpButton = makeButton("PushButton27", QStringLiteral("Help >"));
    for (QPushButton* b : {addressesButton, addressesHelpButton, patternButton, patternHelpButton})
        markAddedLater(b);
    auto* rules = new QGridLayout;
    rules->addWidget(optionsFrame, 0, 0, 1, 3);
    rules->addWidget(extractAllButton, 1, 0);
    rules->addWidget(containingButton, 2, 0);
    rules->addWidget(containingTextBox, 2, 1, 1, 2);
    rules->addWidget(notContainingButton, 3, 0);
    rules->addWidget(notContainingTextBox, 3, 1, 1, 2);
    rules->addWidget(byNumberButton, 4, 0);
    rules->addWidget(lineNumbersBox, 4, 1);
    rules->addWidget(byNumberHelpButton, 4, 2);
    rules->addWidget(betweenButton, 5, 0);
    rules->addWidget(betweenHelpButton, 5, 2);
    rules->addWidget(textSetsButton, 6, 0);
    rules->addWidget(textSetsHelpButton, 6, 2);
    rules->addWidget(addressesButton, 7, 0);
    rules->addWidget(addressesHelpButton, 7, 2);
    rules->addWidget(patternButton, 8, 0);
    rules->addWidget(patternTextBox, 8, 1);
    rules->addWidget(patternHelpButton, 8, 2);
    rules->setRowStretch(9, 1);

    resultsView = named(new QTreeView, "ListView2");
    m_results = new results::ResultsList(this);
    attachResultsView(*resultsView, *m_results);
    saveTextButton = makeButton("PushButton6", QStringLiteral("Save Results As Text File"));
    saveWorkbookButton = makeButton("PushButton12", QStringLiteral("Save Results As Excel File"));
    copyResultsButton = makeButton("PushButton18", QStringLiteral("Copy Results To Clipboard"));
    clearListButton = makeButton("PushButton9", QStringLiteral("Clear List"));
    removeContainingButton = makeButton("PushButton19", QStringLiteral("Remove Results Containing X"));
    removeNotContainingButton = makeButton("PushButton20", QStringLiteral("Remove Results Not Containing X"));
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

    auto* work = new QHBoxLayout;
    work->addLayout(rules);
    work->addLayout(column, 1);
    progressBar = named(new QProgressBar, "ProgressBar1");
    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->addLayout(work, 1);
    m_layout->addWidget(progressBar);
}

void CommandPanel::connectControls()
{
    m_optionSettings.add(showSourceBox, core::Setting::ShowSource);
    m_optionSettings.add(removeDuplicatesBox, core::Setting::RemoveDuplicates);
    m_optionSettings.add(ignoreCaseBox, core::Setting::IgnoreCase);
    m_textSettings.add(containingTextBox, core::Setting::ContainingText);
    m_textSettings.add(notContainingTextBox, core::Setting::NotContainingText);
    m_textSettings.add(lineNumbersBox, core::Setting::LineNumbers);
    m_patternSettings.add(patternTextBox, core::Setting::PatternText);

    auto onClick = [this](QPushButton* button, std::function<void()> handler) {
        connect(button, &QPushButton::clicked, this, std::move(handler));
    };
    using rules::RuleKind;
    for (auto [button, rule] :
         {std::pair{extractAllButton, RuleKind::AllEmailData}, std::pair{containingButton, RuleKind::Containing},
          std::pair{notContainingButton, RuleKind::NotContaining}, std::pair{byNumberButton, RuleKind::LineNumbers},
          std::pair{addressesButton, RuleKind::Addresses}, std::pair{patternButton, RuleKind::Pattern}})
        onClick(button, [this, rule] { onLineCommandClicked(rule); });
    onClick(byNumberHelpButton, [this] { showHelp("PushButton10_Click", linesByNumberHelp()); });
    onClick(betweenHelpButton, [this] { showHelp("PushButton16_Click", betweenHelp()); });
    onClick(textSetsHelpButton, [this] { showHelp("PushButton17_Click", textSetsHelp()); });
    onClick(addressesHelpButton, [this] { showHelp("PushButton25_Click", addressesHelp()); });
    onClick(patternHelpButton, [this] { showHelp("PushButton27_Click", patternHelp()); });
    onClick(betweenButton, [this] { onBetweenClicked(); });
    onClick(textSetsButton, [this] { onTextSetsClicked(); });
    onClick(saveTextButton, [this] {
        runExclusive(kNothingSaved, [this] { results::SaveResultsAsTextFile(*m_results, saveContext()); });
    });
    onClick(saveWorkbookButton, [this] {
        runExclusive(kNothingSaved, [this] { results::SaveResultsAsExcelFile(*m_results, saveContext()); });
    });
    onClick(copyResultsButton, [this] {
        runExclusive(kNothingCopied, [this] { results::CopyResultsToClipboard(*m_results, saveContext()); });
    });
    onClick(clearListButton, [this] { underTrap("PushButton9_Click", [this] { m_results->clear(); }); });
    onClick(removeContainingButton, [this] {
        underTrap("PushButton19_Click", [this] {
            results::RemoveResults(*m_results, results::RemoveWhen::Containing, dialogs(), *m_pointer);
        });
    });
    onClick(removeNotContainingButton, [this] {
        underTrap("PushButton20_Click", [this] {
            results::RemoveResults(*m_results, results::RemoveWhen::NotContaining, dialogs(), *m_pointer);
        });
    });
    // Double-clicks anywhere in the list remove the selected row, also beside the rows.
    resultsView->viewport()->installEventFilter(this);
    for (QWidget* help :
         {byNumberHelpButton, betweenHelpButton, textSetsHelpButton, addressesHelpButton, patternHelpButton})
        keepEnabledDuringRuns(help);
}

void CommandPanel::underTrap(const char* procedure, const std::function<void()>& statement)
{
    core::Trap trap(dialogs(), m_setup.module, QLatin1String(procedure));
    trap(1, statement);
}

void CommandPanel::showHelp(const char* procedure, const QString& help)
{
    underTrap(procedure, [this, &help] { dialogs().message(help); });
}

template <class Dialog>
void CommandPanel::openDialog(const char* procedure, Dialog*& dialog, const QString& module)
{
    underTrap(procedure, [&] {
        if (m_setup.mayOpenDialog && !m_setup.mayOpenDialog())
            return;
        if (!dialog) {
            dialog = new Dialog(DialogContext{*this, m_setup.units(), m_context.settings, m_context.programFolder},
                                &m_window, module);
        }
        dialog->showDialog(m_setup.modalDialogs);
    });
}

void CommandPanel::run(rules::RunRequest request, rules::UnitSource& units, platform::PointerControl& pointer)
{
    request.ignoreCase = ignoreCaseBox->isChecked();
    request.removeDuplicates = removeDuplicates();
    request.showSource = showSource();
    const platform::Platform& p = m_context.platform;
    runExclusive(
        kResultsKept,
        [&] {
            rules::run(request, units, *m_hits, {p.dialogs, pointer, *m_progress, p.loop});
        },
        &pointer);
}

void CommandPanel::runExclusive(const QString& cancelledText, const std::function<void()>& work,
                                platform::PointerControl* pointer)
{
    platform::EventLoop& loop = m_context.platform.loop;
    if (loop.runGoing())
        return;
    const platform::RunScope scope(loop);
    // Only controls enabled now are disabled, and only those are enabled again.
    QList<QPointer<QWidget>> locked;
    QList<QWidget*> widgets = m_window.findChildren<QWidget*>();
    for (QWidget* dialog : std::as_const(m_ruleDialogs)) {
        if (dialog)
            widgets += dialog->findChildren<QWidget*>();
    }
    for (QWidget* w : std::as_const(widgets)) {
        const bool command = qobject_cast<QAbstractButton*>(w) || qobject_cast<QTreeWidget*>(w);
        if (command && !m_keepEnabled.contains(w) && !w->testAttribute(Qt::WA_Disabled) && !locked.contains(w)) {
            w->setEnabled(false);
            locked.append(w);
        }
    }
    const QPointer<QWidget> focus = QApplication::focusWidget();
    qApp->installEventFilter(this);
    const auto restore = qScopeGuard([&] {
        qApp->removeEventFilter(this);
        for (const QPointer<QWidget>& w : std::as_const(locked)) {
            if (w)
                w->setEnabled(true);
        }
        if (focus && locked.contains(focus))
            focus->setFocus();
    });
    try {
        work();
    } catch (const platform::RunCancelled&) {
        m_pointer->setPointer(platform::Pointer::Default);
        if (pointer)
            pointer->setPointer(platform::Pointer::Default);
        m_progress->setValue(0);
        m_progress->setText(cancelledText);
    }
}

bool CommandPanel::runGoing() const
{
    return m_context.platform.loop.runGoing();
}

void CommandPanel::cancelRun()
{
    m_context.platform.loop.requestCancel();
}

void CommandPanel::keepEnabledDuringRuns(QWidget* widget)
{
    m_keepEnabled.append(widget);
}

void CommandPanel::addRuleDialog(QWidget* dialog)
{
    m_ruleDialogs.append(dialog);
}

bool CommandPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == resultsView->viewport()) {
        switch (event->type()) {
        case QEvent::MouseButtonDblClick:
            onResultDoubleClicked();
            return true;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
            // A click beside the rows keeps the selected row.
            return !resultsView->indexAt(static_cast<QMouseEvent*>(event)->position().toPoint()).isValid();
        default:
            return false;
        }
    }
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        // Message boxes shown during the run keep their own Esc.
        QWidget* target = qobject_cast<QWidget*>(watched);
        QWidget* window = target ? target->window() : nullptr;
        if (window && (window == &m_window || m_ruleDialogs.contains(window))) {
            cancelRun();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CommandPanel::onLineCommandClicked(rules::RuleKind rule)
{
    rules::RunRequest request;
    request.rule = rule;
    request.searchText = (rule == rules::RuleKind::NotContaining ? notContainingTextBox
                          : rule == rules::RuleKind::Pattern     ? patternTextBox
                                                                 : containingTextBox)
                             ->text();
    request.lineNumbers = lineNumbersBox->text();
    request.fieldChosen = !m_setup.fieldChosen || m_setup.fieldChosen();
    request.module = m_setup.module;
    const std::unique_ptr<rules::UnitSource> units = m_setup.units();
    run(request, *units, *m_pointer);
}

void CommandPanel::onBetweenClicked()
{
    openDialog("PushButton4_Click", m_betweenDialog, m_setup.betweenModule);
}

void CommandPanel::onTextSetsClicked()
{
    openDialog("PushButton15_Click", m_textSetsDialog, m_setup.textSetsModule);
}

void CommandPanel::onResultDoubleClicked()
{
    // The run going on adds to the list.
    if (runGoing())
        return;
    results::RemoveSelectedRow(*m_results, selectedRow(*resultsView), *m_pointer);
}

results::SaveContext CommandPanel::saveContext()
{
    const platform::Platform& p = m_context.platform;
    return {p.dialogs, p.loop, *m_pointer, *m_progress, p.clipboard, p.opener, p.associations, m_setup.module};
}

void CommandPanel::restoreOptions(core::Trap& trap, int& line) const
{
    m_optionSettings.restore(trap, line);
}

void CommandPanel::restoreRuleTexts(core::Trap& trap, int& line) const
{
    m_textSettings.restore(trap, line);
}

void CommandPanel::restorePatternText(core::Trap& trap, int line) const
{
    m_patternSettings.restore(trap, line);
}

void CommandPanel::loadHandCursor()
{
    loadHandCursorFile(*m_pointer, m_context.programFolder);
}

void CommandPanel::addStatusLine(QWidget* line)
{
    m_layout->insertWidget(m_layout->indexOf(progressBar), line);
}

HoverPointers& CommandPanel::watchPointer()
{
    m_hover = std::make_unique<HoverPointers>(*m_pointer);
    for (QPushButton* b : m_window.findChildren<QPushButton*>())
        m_hover->addHand(b);
    for (QWidget* w :
         {&m_window, static_cast<QWidget*>(this), static_cast<QWidget*>(optionsFrame), resultsView->viewport()})
        m_hover->addPlain(w);
    return *m_hover;
}

platform::PointerControl& CommandPanel::pointer()
{
    return *m_pointer;
}

platform::ProgressControl& CommandPanel::progress()
{
    return *m_progress;
}

platform::Dialogs& CommandPanel::dialogs()
{
    return m_context.platform.dialogs;
}

bool CommandPanel::removeDuplicates() const
{
    return removeDuplicatesBox->isChecked();
}

bool CommandPanel::showSource() const
{
    return showSourceBox->isChecked();
}

} // namespace gui
