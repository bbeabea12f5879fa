#include "sources/express/ExpressConversion.h"

#include "core/ErrorReport.h"
#include "core/TextFiles.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "sources/express/ShellAndWait.h"

namespace sources::express {

void convertTickedStores(ExpressConversionWindow& window, ProcessRunner* runner)
{
    core::Trap trap(window.dialogs(), QStringLiteral("Form11"), QStringLiteral("PushButton11_Click"));
    platform::EventLoop& loop = window.loop();
    platform::ProgressControl& progress = window.progress();
    const QString staging = window.stagingFolder();
    QString converter;
    MessageListing listing;

    trap(1, [&] {
        converter = window.programFolder() + u'/' + QLatin1StringView(kConverterName);
        window.pointer().setPointer(platform::Pointer::Hourglass);
    });
    trap(2, [&] { core::DeleteFiles(staging + QStringLiteral("/*.eml")); });
    trap(3, [&] { window.clearMessages(); });
    int rows = 0;
    trap(4, [&] { rows = window.dbxRowCount(); });
    for (int row = 0; row < rows; ++row) {
        trap(5, [&] { loop.yieldWithinRun(); });
        // The list may have shrunk while the last conversion yielded.
        bool ticked = false;
        trap(6, [&] { ticked = row < window.dbxRowCount() && window.dbxTicked(row); });
        if (!ticked)
            continue;
        trap(7, [&] {
            const QString program = GetShortFilename(converter);
            const QStringList arguments{GetShortFilename(window.dbxPath(row)), staging};
            ShellAndWait(loop, program, arguments, 0, &progress, progress.text(), progress.value(), rows, runner);
        });
        const qsizetype before = listing.size();
        trap(8, [&] { ListEMLFiles(staging, listing); });
        // Rows listed before a failure stay, as they do in the list itself.
        if (listing.size() > before)
            trap(9, [&] { window.appendMessages(listing.mid(before)); });
    }
    trap(10, [&] { window.pointer().setPointer(platform::Pointer::Default); });
    trap(11, [&] { window.dialogs().message(QStringLiteral("Done.")); });
}

} // namespace sources::express
