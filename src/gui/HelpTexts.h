#pragma once

#include <QString>

namespace gui {

// "Help" of the Outlook window: how to stop Outlook asking whether to allow access.
QString outlookAccessAdvice(const QString& foldersFrameCaption);

// "Help >" beside "Extract Lines By Number:".
QString linesByNumberHelp();

// "Help >" beside "Extract E-mail Addresses".
QString addressesHelp();

// "Help >" beside "Extract Lines Matching This Pattern:".
QString patternHelp();

} // namespace gui
