#include "sources/express/ExpressConversion.h"

#include "core/ErrorReport.h"
#include "core/TextFiles.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "sources/express/ConverterPool.h"
#include "sources/express/ShellAndWait.h"

namespace sources::express {

namespace {

// The ticked stores converted by several converters at once. The lists are off while a run goes on, so the
// ticks are read once, before the first store starts.
void convertSideBySide(ExpressConversionWindow& window, core::Trap& trap, const QString& converter,
                       MessageListing& listing, int rows)
{
    QStringList stores;
    for (int row = 0; row < rows; ++row) {
        trap(6, [&] {
            if (window.dbxTicked(row))
                stores.append(GetShortFilename(window.dbxPath(row)));
        });
    }
    const QString staging = window.stagingFolder();
    platform::ProgressControl& progress = window.progress();
    trap(7, [&] {
        convertStores(window.loop(), GetShortFilename(converter), stores, staging, window.conversionWorkers(),
                      [&](int store, int) {
                          // Only this store's files: a later store of another family may be writing its own.
                          const QString family = prefixFamily(stores[store]);
                          const qsizetype before = listing.size();
                          trap(8, [&] {
                              ListEMLFiles(staging, listing,
                                           [&](const QString& name) { return prefixFamily(name) == family; });
                          });
                          if (listing.size() > before)
                              trap(9, [&] { window.appendMessages(listing.mid(before)); });
                          progress.setValue(int(qint64(store + 1) * 100 / stores.size()));
                      });
    });
    progress.setValue(0);
}

} // namespace

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
    if (window.conversionWorkers() > 1) {
        convertSideBySide(window, trap, converter, listing, rows);
        rows = 0;
    }
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
