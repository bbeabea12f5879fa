#include "rules/NumberList.h"

#include "core/ErrorReport.h"
#include "core/SettingValues.h"

#include <cmath>

namespace rules {

namespace {

double digitsValue(const QString& digits, int base)
{
    double value = 0;
    for (const QChar c : digits) {
        const int d = c.isDigit() ? c.digitValue() : 10 + (c.toLower().unicode() - u'a');
        if (d < 0 || d >= base)
            break;
        value = value * base + d;
    }
    return value;
}

} // namespace

double leadingNumber(const QString& text)
{
    QString s = text;
    s.remove(u' ').remove(u'\t').remove(u'\n');
    if (s.startsWith(QStringLiteral("&H"), Qt::CaseInsensitive))
        return digitsValue(s.mid(2), 16);
    if (s.startsWith(QStringLiteral("&O"), Qt::CaseInsensitive))
        return digitsValue(s.mid(2), 8);
    // The longest prefix of the form [sign]digits[.digits][(E|D)[sign]digits].
    qsizetype i = 0;
    auto digits = [&] {
        const qsizetype from = i;
        while (i < s.size() && s[i].unicode() >= u'0' && s[i].unicode() <= u'9')
            ++i;
        return i > from;
    };
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-'))
        ++i;
    bool any = digits();
    if (i < s.size() && s[i] == u'.') {
        ++i;
        any = digits() || any;
    }
    if (!any)
        return 0;
    qsizetype mantissaEnd = i;
    if (i < s.size() && (s[i] == u'E' || s[i] == u'e' || s[i] == u'D' || s[i] == u'd')) {
        ++i;
        if (i < s.size() && (s[i] == u'+' || s[i] == u'-'))
            ++i;
        if (digits())
            mantissaEnd = i;
    }
    QString number = s.first(mantissaEnd);
    number.replace(u'D', u'E').replace(u'd', u'e');
    return number.toDouble();
}

QList<double> parseNumberList(const QString& text, core::Trap& trap, int statement)
{
    QList<double> entries;
    for (const QString& piece : text.split(u',')) {
        double value = 0;
        if (!trap(statement, [&] { value = core::toInteger16(piece); }))
            value = leadingNumber(piece);
        entries.append(value);
    }
    return entries;
}

LineNumberRule::LineNumberRule(const QList<double>& entries)
{
    for (const double value : entries) {
        // Line numbers are whole and positive: other values can never be equal to one.
        if (value >= 1 && value <= 9.0e15 && std::floor(value) == value) {
            m_numbers.insert(qint64(value));
            m_highest = std::max(m_highest, qint64(value));
        }
    }
}

int LineNumberRule::hitsInLine(QStringView, qint64 number)
{
    return listed(number) ? 1 : 0;
}

void LineNumberRule::scan(const LineBlock& block, LineHits& hits)
{
    if (block.firstNumber > m_highest)
        return;
    forEachLine(block, [&](QByteArrayView line, qint64 number) {
        if (listed(number))
            hits.add(line, block.validUtf8);
    });
}

} // namespace rules
