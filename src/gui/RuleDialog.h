#pragma once

#include "rules/Run.h"
#include "rules/UnitSource.h"

#include <QDialog>
#include <memory>

namespace core {
class Settings;
class Trap;
} // namespace core
namespace gui {
class CommandPanel;
class HoverPointers;
} // namespace gui
namespace platform {
class PointerControl;
class WindowPointer;
} // namespace platform

namespace gui {

// What a rule dialog is built with: the panel it serves, where its text comes from, the settings, and the
// program folder (for the hand cursor).
struct DialogContext
{
    CommandPanel& panel;
    std::unique_ptr<rules::UnitSource> units;
    core::Settings& settings;
    QString programFolder;
};

// What the rule dialogs share: the hand over buttons and the default pointer over the background and frames
// (never while the hourglass shows), and closing that hides the dialog while the program is not closing,
// so it keeps its texts and options for the next opening.
class RuleDialog : public QDialog
{
    Q_OBJECT
public:
    ~RuleDialog() override;

    // Shows the dialog, loading it first on its first opening (or after it really closed); a modal
    // dialog returns when it is hidden.
    void showDialog(bool modal);
    virtual void loadWindow() = 0;
    platform::PointerControl& dialogPointer();

protected:
    RuleDialog(DialogContext context, QString module, QWidget* parent);

    // The plain colours and the hand cursor, as statements line and line + 1 of a load handler.
    void applyLook(core::Trap& trap, int line);
    // Hover pointers for the buttons, and for the background and the given frames.
    void watchPointer(const QList<QWidget*>& frames);
    void onCloseRequested(bool& cancel);
    // Runs the dialog's rule through the panel it serves.
    void runRule(const rules::RunRequest& request);
    void closeEvent(QCloseEvent* event) override;

    DialogContext m_context;
    QString m_module;
    bool m_loaded = false;
    bool m_running = false;

private:
    std::unique_ptr<platform::WindowPointer> m_pointer;
    std::unique_ptr<gui::HoverPointers> m_hover;
};

} // namespace gui
