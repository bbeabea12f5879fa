#include "gui/TextSetsDialog.h"

#include "gui/CommandPanel.h"
#include "core/ComboList.h"
#include "core/ErrorReport.h"
#include "core/Settings.h"
#include "core/SettingsTable.h"
#include "gui/WindowLook.h"
#include "core/TextFiles.h"
#include "gui/RuleHelp.h"
#include "platform/Dialogs.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace gui {

namespace {

QPushButton* button(const char* name, const QString& caption)
{
    auto* b = named(new QPushButton(caption), name);
    b->setAutoDefault(false);
    return b;
}

// OFN_READONLY | OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_LONGNAMES
constexpr quint32 kLoadFlags = 0x280201;

} // namespace

TextSetsDialog::TextSetsDialog(DialogContext context, QWidget* parent, const QString& module)
    : RuleDialog(std::move(context), module, parent)
{
    buildControls();
    connect(removeItemButton, &QPushButton::clicked, this, &TextSetsDialog::onRemoveItemClicked);
    connect(addItemButton, &QPushButton::clicked, this, &TextSetsDialog::onAddItemClicked);
    connect(loadItemsButton, &QPushButton::clicked, this, &TextSetsDialog::onLoadItemsClicked);
    connect(startButton, &QPushButton::clicked, this, &TextSetsDialog::onStartClicked);
    connect(clearItemsButton, &QPushButton::clicked, this, &TextSetsDialog::onClearItemsClicked);
    connect(helpButton, &QPushButton::clicked, this, &TextSetsDialog::onHelpClicked);
    m_context.panel.keepEnabledDuringRuns(helpButton);
    watchPointer({itemsFrame});
}

void TextSetsDialog::buildControls()
{
    setWindowTitle(QStringLiteral("Extract Lines Containing These Text Sets"));
    itemsFrame = named(new QGroupBox(QStringLiteral("Containing Text")), "Frame1");
    itemsBox = named(new QComboBox, "Combo1");
    itemsBox->setMinimumContentsLength(30);
    addItemButton = button("PushButton2", QStringLiteral("Add Item"));
    removeItemButton = button("PushButton1", QStringLiteral("Remove Selected Item"));
    clearItemsButton = button("PushButton5", QStringLiteral("Clear All Items"));
    loadItemsButton = button("PushButton3", QStringLiteral("Load Multiple Items From Text File"));
    auto* list = new QGridLayout(itemsFrame);
    list->addWidget(itemsBox, 0, 0, 1, 3);
    list->addWidget(addItemButton, 1, 0);
    list->addWidget(removeItemButton, 1, 1);
    list->addWidget(clearItemsButton, 1, 2);
    list->addWidget(loadItemsButton, 2, 0, 1, 3);
    startButton = button("PushButton4", QStringLiteral("Start Extracting"));
    helpButton = button("PushButton11", QStringLiteral("Help"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(itemsFrame);
    auto* run = new QGridLayout;
    run->addWidget(startButton, 0, 0);
    run->addWidget(helpButton, 0, 1);
    layout->addLayout(run);
    gui::addButtonAccelerators(*this);
}

void TextSetsDialog::loadWindow()
{
    core::Trap trap(m_context.panel.dialogs(), m_module, QStringLiteral("Form_Load"));
    trap(1, [&] {
        const QString stored = core::readText(m_context.settings, core::Setting::TextSetItems);
        for (const QString& item : stored.split(QLatin1String(core::kComboSeparator))) {
            if (!item.isEmpty()) // items are never empty; an empty stored text holds none
                itemsBox->addItem(item);
        }
        // The list picks its first item by itself; only an item the user picks is removed.
        itemsBox->setCurrentIndex(-1);
    });
    applyLook(trap, 2);
}

QStringList TextSetsDialog::items() const
{
    QStringList list;
    list.reserve(itemsBox->count());
    for (int i = 0; i < itemsBox->count(); ++i)
        list.append(itemsBox->itemText(i));
    return list;
}

void TextSetsDialog::storeList()
{
    core::SaveComboList(items(), m_context.settings);
}

void TextSetsDialog::onAddItemClicked()
{
    core::Trap trap(m_context.panel.dialogs(), m_module, QStringLiteral("PushButton2_Click"));
    QString text;
    trap(1, [&] { text = m_context.panel.dialogs().input(QStringLiteral("Enter text:")); });
    trap(2, [&] {
        if (text.isEmpty())
            return;
        // Adding keeps the selection as it was (a first item is not selected by being added).
        const int selected = itemsBox->currentIndex();
        itemsBox->addItem(text);
        itemsBox->setCurrentIndex(selected);
    });
    trap(3, [&] { storeList(); });
}

void TextSetsDialog::onRemoveItemClicked()
{
    core::Trap trap(m_context.panel.dialogs(), m_module, QStringLiteral("PushButton1_Click"));
    trap(1, [&] {
        if (itemsBox->currentIndex() >= 0)
            itemsBox->removeItem(itemsBox->currentIndex());
        itemsBox->setCurrentIndex(-1); // not the neighbour the list moves to
    });
    trap(2, [&] { storeList(); });
}

void TextSetsDialog::onClearItemsClicked()
{
    core::Trap trap(m_context.panel.dialogs(), m_module, QStringLiteral("PushButton5_Click"));
    trap(1, [&] { itemsBox->clear(); });
    trap(2, [&] { storeList(); });
}

void TextSetsDialog::loadFile(const QString& path)
{
    QStringList lines;
    core::LoadLinesIntoCombo(lines, path, m_context.panel.dialogs());
    const int selected = itemsBox->currentIndex();
    itemsBox->addItems(lines);
    itemsBox->setCurrentIndex(selected);
}

void TextSetsDialog::onLoadItemsClicked()
{
    core::Trap trap(m_context.panel.dialogs(), m_module, QStringLiteral("PushButton3_Click"));
    QStringList pieces;
    trap(1, [&] {
        const platform::FileDialogAnswer answer = m_context.panel.dialogs().openFile(
            {QString(), kLoadFlags, QStringLiteral("Add File(s) - Hold Ctrl to select multiple files"),
             QStringLiteral("All Files (*.*)|*.*|")});
        pieces = answer.fileName.split(QChar(u'\0'), Qt::SkipEmptyParts);
    });
    if (pieces.size() == 1) {
        trap(2, [&] { loadFile(pieces.front()); });
        return;
    }
    // The folder, then the names chosen in it; a file that fails to load does not stop the others.
    for (qsizetype i = 1; i < pieces.size(); ++i)
        trap(3, [&] { loadFile(core::NormalizePath(pieces.front() + u'/' + pieces[i], u'/')); });
}

void TextSetsDialog::onStartClicked()
{
    rules::RunRequest request;
    request.rule = rules::RuleKind::TextSets;
    request.textSets = items();
    request.module = m_module;
    runRule(request);
    // The last statement of the same handler: the dialog closes on every path.
    core::Trap(m_context.panel.dialogs(), m_module, QStringLiteral("PushButton4_Click"))(9, [&] { close(); });
}

void TextSetsDialog::onHelpClicked()
{
    core::Trap trap(m_context.panel.dialogs(), m_module, QStringLiteral("PushButton11_Click"));
    trap(1, [&] { m_context.panel.dialogs().message(textSetsHelp()); });
}

} // namespace gui
