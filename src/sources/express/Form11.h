#pragma once

#include <QDialog>

namespace app {
struct WindowContext;
}

namespace sources::express {

// The window for Outlook Express stores, shown modally over the main window.
class Form11 : public QDialog
{
    Q_OBJECT
public:
    Form11(app::WindowContext& context, QWidget* parent);

    void Form_QueryUnload();
    void Form_Unload();

protected:
    void done(int result) override;

private:
    app::WindowContext& m_context;
};

} // namespace sources::express
