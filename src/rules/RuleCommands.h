#pragma once

#include <QStringList>

namespace platform {
class PointerControl;
}

namespace rules {

class ServedWindow;
class UnitSource;

// What "Start Extracting" of the between-X-and-Y dialog reads from it, at the moment it is needed.
class BetweenInputs
{
public:
    virtual ~BetweenInputs() = default;
    virtual QString startText() const = 0; // X
    virtual QString endText() const = 0;   // Y
    virtual bool includeStart() const = 0; // "Include (X) text in Results"
    virtual bool includeEnd() const = 0;   // "Include (Y) text in Results"
    virtual platform::PointerControl& pointer() = 0;
};

// What "Start Extracting" of the text-set dialog reads from it and asks of it.
class TextSetInputs
{
public:
    virtual ~TextSetInputs() = default;
    virtual QStringList items() const = 0;
    virtual platform::PointerControl& pointer() = 0;
    // Asks the dialog to close (it hides while the program is not closing).
    virtual void requestClose() = 0;
};

// "Start Extracting" of the between-X-and-Y dialog (module names the dialog in the error report): check X and Y, get
// the units ready, reset the served list, extract between X and Y from each unit's whole text, rest.
void StartBetween(const QString& module, BetweenInputs& dialog, ServedWindow& window, UnitSource& units);

// "Start Extracting" of the text-set dialog: get the units ready, check the list, reset the served list, offer each
// line once per item it contains; on every path the first header reads "Results" and the dialog closes.
void StartTextSets(const QString& module, TextSetInputs& dialog, ServedWindow& window, UnitSource& units);

} // namespace rules
