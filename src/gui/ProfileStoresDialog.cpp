#include "gui/ProfileStoresDialog.h"

#include "core/TextFiles.h"
#include "gui/WindowLook.h"
#include "platform/Dialogs.h"
#include "sources/outlook/ProfileStores.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace gui {

QStringList selectedPaths(const QString& answer)
{
    const QStringList parts = answer.split(QChar(u'\0'), Qt::SkipEmptyParts);
    if (parts.size() <= 1)
        return parts;
    QStringList paths;
    for (qsizetype i = 1; i < parts.size(); ++i)
        paths.append(core::NormalizePath(parts.first() + u'/' + parts[i]));
    return paths;
}

ProfileStoresDialog::ProfileStoresDialog(core::Settings& settings, platform::Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), m_settings(settings), m_dialogs(dialogs), m_list(new QListWidget)
{
    setObjectName(QStringLiteral("ProfileStoresDialog"));
    setWindowTitle(QStringLiteral("Profile Stores"));
    m_list->setObjectName(QStringLiteral("ListStores"));
    m_list->addItems(sources::outlook::profileStores(settings));
    auto* add = new QPushButton(QStringLiteral("Add Files..."));
    add->setObjectName(QStringLiteral("AddFiles"));
    auto* remove = new QPushButton(QStringLiteral("Remove Selected"));
    remove->setObjectName(QStringLiteral("RemoveSelected"));
    auto* close = new QPushButton(QStringLiteral("Close"));
    connect(add, &QPushButton::clicked, this, &ProfileStoresDialog::onAddFilesClicked);
    connect(remove, &QPushButton::clicked, this, &ProfileStoresDialog::onRemoveSelectedClicked);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(add);
    buttons->addWidget(remove);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("The Outlook data files (PST, OST) read as the Outlook profile:")));
    layout->addWidget(m_list);
    layout->addLayout(buttons);
    resize(640, 360);
    gui::addButtonAccelerators(*this);
}

void ProfileStoresDialog::onAddFilesClicked()
{
    const platform::FileDialogAnswer answer =
        m_dialogs.openFile({QString(), platform::kAllowMultiSelect, QStringLiteral("Add Outlook Data Files"),
                            QStringLiteral("Outlook Data Files (*.pst;*.ost)|*.pst;*.ost|All Files (*.*)|*.*|")});
    const QStringList paths = selectedPaths(answer.fileName);
    if (paths.isEmpty())
        return;
    m_list->addItems(paths);
    store();
}

void ProfileStoresDialog::onRemoveSelectedClicked()
{
    delete m_list->currentItem();
    store();
}

void ProfileStoresDialog::store()
{
    QStringList paths;
    for (int i = 0; i < m_list->count(); ++i)
        paths.append(m_list->item(i)->text());
    sources::outlook::storeProfileStores(m_settings, paths);
}

} // namespace gui
