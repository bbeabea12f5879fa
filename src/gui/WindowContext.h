#pragma once

#include "platform/Desktop.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace core {
class Settings;
}
namespace sources::outlook {
class ApplicationFactory;
}

namespace gui {

// What the windows are built with; main() passes the real desktop, tests a scripted one.
struct WindowContext
{
    platform::Platform platform;
    core::Settings& settings;
    sources::outlook::ApplicationFactory& outlook;
    QString programFolder;
    // The stores the profile would read, for telling the user when there are none; unset, nothing is told.
    std::function<QStringList()> profileStores = {};
};

} // namespace gui
