#pragma once

#include <QDialog>

class QListWidget;

namespace core {
class Settings;
}
namespace platform {
class Dialogs;
}

namespace gui {

// Lists the PST and OST files that make up the profile and lets the user add and remove them; every
// change is stored at once.
class ProfileStoresDialog : public QDialog
{
    Q_OBJECT
public:
    ProfileStoresDialog(core::Settings& settings, platform::Dialogs& dialogs, QWidget* parent);

    void onAddFilesClicked();
    void onRemoveSelectedClicked();

private:
    void store();

    core::Settings& m_settings;
    platform::Dialogs& m_dialogs;
    QListWidget* m_list;
};

// The paths of a file dialog's answer: one full path, or the folder followed by the names.
QStringList selectedPaths(const QString& answer);

} // namespace gui
