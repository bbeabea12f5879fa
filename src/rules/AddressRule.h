#pragma once

#include "rules/LineRule.h"

#include <QByteArray>
#include <optional>

namespace rules {

// Where an address lies in a text, as byte offsets.
struct AddressSpan
{
    qsizetype start = 0;
    qsizetype end = 0;
};

// The first e-mail address of UTF-8 text that starts at or after from, or nothing. An address is a local part, "@"
// and a domain. The local part is a dot-atom: letters and digits of any script and . _ % + -, with no dot at
// either end and no two in a row. The domain is one or more labels (letters and digits of any script, hyphens
// inside), each followed by a dot, then a last label of at least two letters. Among the addresses around an "@"
// the one reaching furthest left and then furthest right counts, so that on ASCII text the addresses are those
// that grep -oE finds with
//   [[:alnum:]_%+-]+(\.[[:alnum:]_%+-]+)*@([[:alnum:]]([[:alnum:]-]*[[:alnum:]])?\.)+[[:alpha:]]{2,}
// ("mailto:" before an address and brackets, quotes and punctuation around it are left out by that pattern).
std::optional<AddressSpan> nextAddress(QByteArrayView text, qsizetype from);

// "Extract E-mail Addresses": every address in the text, in text order, as written.
class AddressRule : public LineRule
{
public:
    // The number of addresses in the line.
    int hitsInLine(QStringView line, qint64 number) override;
    void scan(const LineBlock& block, LineHits& hits) override;
    void scanLine(QStringView line, qint64 number, LineHits& hits) override;

private:
    QString m_line;    // scratch: a decoded line
    QByteArray m_utf8; // scratch: a line as UTF-8
};

} // namespace rules
