#pragma once

#include <QString>

namespace gui {

// "Help" of the Outlook window: how to stop Outlook asking whether to allow access.
QString outlookAccessAdvice(const QString& foldersFrameCaption);

// "Help >" beside "Extract Lines By Number:".
QString linesByNumberHelp();

} // namespace gui
