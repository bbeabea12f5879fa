#include "core/SettingValues.h"

#include "core/AppError.h"

#include <cmath>
#include <optional>

namespace core {

namespace {

std::optional<bool> booleanWord(const QString& text)
{
    if (text.compare(u"True", Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(u"False", Qt::CaseInsensitive) == 0)
        return false;
    return std::nullopt;
}

std::optional<double> number(const QString& text)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

[[noreturn]] void typeMismatch()
{
    throw AppError(errors::kTypeMismatch, QStringLiteral("Type mismatch"));
}

} // namespace

qint16 toInteger16(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (const auto word = booleanWord(trimmed))
        return *word ? -1 : 0;
    const auto value = number(trimmed);
    if (!value)
        typeMismatch();
    const double rounded = std::nearbyint(*value); // the default rounding mode takes halves to even
    if (rounded < -32768.0 || rounded > 32767.0)
        throw AppError(errors::kOverflow, QStringLiteral("Overflow"));
    return static_cast<qint16>(rounded);
}

bool toTruth(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (const auto word = booleanWord(trimmed))
        return *word;
    const auto value = number(trimmed);
    if (!value)
        typeMismatch();
    return *value != 0.0;
}

QString checkText(bool checked)
{
    return checked ? QStringLiteral("1") : QStringLiteral("0");
}

QString booleanText(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

} // namespace core
