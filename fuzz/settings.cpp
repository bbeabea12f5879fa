// The settings file as the program finds it at start: every key read back, then one stored (the file is
// written again) and read once more.
#include "FuzzSupport.h"

#include "core/AppError.h"
#include "core/SettingValues.h"
#include "core/Settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path =
        fuzzsupport::writeInput(QByteArrayView(data, qsizetype(size)), QStringLiteral("Brindlewick.ini"));
    QStringList keys;
    {
        core::Settings settings(path);
        for (const char* key : {"Text1", "Check1", "Option1", "Combo1", "Path", "", "Quillmere/Text1"}) {
            const std::optional<QString> value = settings.value(QString::fromLatin1(key));
            if (!value)
                continue;
            try {
                (void)core::toInteger16(*value);
            } catch (const core::AppError&) {
            }
            try {
                (void)core::toTruth(*value);
            } catch (const core::AppError&) {
            }
        }
        settings.store(QStringLiteral("Text1"), QStringLiteral("kept"));
    }
    core::Settings again(path);
    fuzzsupport::check(again.value(QStringLiteral("Text1")) == QStringLiteral("kept"),
                       "settings: a stored value did not survive the file being read again");
    return 0;
}
