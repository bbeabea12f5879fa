#pragma once

#include <QString>

namespace gui {

// The help of "Extract Between X and Y (Repeatedly)" (its dialog's "Help" and the main windows' "Help >").
QString betweenHelp();

// The help of "Extract Lines Containing These Text Sets" (its dialog's "Help" and the main windows' "Help >").
QString textSetsHelp();

} // namespace gui
