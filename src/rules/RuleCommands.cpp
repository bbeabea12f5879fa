#include "rules/RuleCommands.h"

#include "core/ErrorReport.h"
#include "rules/Between.h"
#include "rules/LineRule.h"
#include "rules/ServedWindow.h"
#include "rules/TextSetRule.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "results/ResultsCommands.h"
#include "results/ResultsList.h"

#include <optional>

namespace rules {

namespace {

const QString kRestingText = QStringLiteral("Progress Bar");

// Carries each unit's text through the scanner; the include boxes are read for every result.
class BetweenUnits : public TextUnits
{
public:
    BetweenUnits(const QString& x, const QString& y, BetweenInputs& dialog, ServedWindow& window)
        : m_x(x), m_y(y), m_dialog(dialog), m_window(window)
    {
    }

    void beginUnit(const QString& sourcePath) override
    {
        m_path = sourcePath;
        m_scanner.emplace(m_x, m_y, m_window.ignoreCase(), [this](QStringView span) {
            if (auto r = finishSpan(span, m_x.size(), m_y, m_dialog.includeStart(), m_dialog.includeEnd()))
                m_window.hits().addHit(*r, m_path);
        });
    }
    void text(QStringView piece) override { m_scanner->feed(piece); }
    void endUnit() override { m_scanner->finish(); }

private:
    const QString& m_x;
    const QString& m_y;
    BetweenInputs& m_dialog;
    ServedWindow& m_window;
    QString m_path;
    std::optional<BetweenScanner> m_scanner;
};

} // namespace

void StartBetween(const QString& module, BetweenInputs& dialog, ServedWindow& window, UnitSource& units)
{
    core::Trap trap(window.dialogs(), module, QStringLiteral("PushButton4_Click"));
    QString x;
    QString y;
    bool ready = false;
    trap(1, [&] {
        x = dialog.startText();
        y = dialog.endText();
        ready = !x.isEmpty() && !y.isEmpty();
        if (!ready)
            window.dialogs().message(
                QStringLiteral("Fill out starting text (or character) and fill out ending text (or character)."));
    });
    if (!ready)
        return;
    bool staged = false;
    trap(2, [&] { staged = units.stage(); });
    if (!staged)
        return;
    trap(3, [&] { results::PrepareResultsList(window.resultsList(), window.listOptions()); });
    trap(4, [&] { dialog.pointer().setPointer(platform::Pointer::Hourglass); });
    trap(5, [&] {
        BetweenUnits reader(x, y, dialog, window);
        units.readTexts(reader);
    });
    trap(6, [&] { dialog.pointer().setPointer(platform::Pointer::Default); });
    trap(7, [&] { window.progress().setValue(0); });
    trap(8, [&] { window.progress().setText(kRestingText); });
}

void StartTextSets(const QString& module, TextSetInputs& dialog, ServedWindow& window, UnitSource& units)
{
    core::Trap trap(window.dialogs(), module, QStringLiteral("PushButton4_Click"));
    bool ready = false;
    trap(1, [&] { ready = units.stage(); });
    if (ready) {
        trap(2, [&] { dialog.pointer().setPointer(platform::Pointer::Hourglass); });
        trap(3, [&] {
            if (dialog.items().isEmpty()) {
                ready = false;
                dialog.pointer().setPointer(platform::Pointer::Default);
                window.dialogs().message(QStringLiteral("Fill out combobox text to use to extract lines."));
            }
        });
    }
    if (ready) {
        trap(4, [&] { results::PrepareResultsList(window.resultsList(), window.listOptions()); });
        trap(5, [&] {
            TextSetRule rule({[&dialog] { return dialog.items(); }, [&window] { return window.ignoreCase(); }});
            units.scanLines(rule, window.hits(), window.loop());
        });
    }
    trap(6, [&] { dialog.pointer().setPointer(platform::Pointer::Default); });
    trap(7, [&] { window.resultsList().setHeaderText(0, QStringLiteral("Results")); });
    trap(8, [&] {
        if (units.showsProgress()) {
            window.progress().setValue(0);
            window.progress().setText(kRestingText);
        }
    });
    trap(9, [&] { dialog.requestClose(); });
}

} // namespace rules
