#include "single_line.h"

#include <QLineEdit>

#include <algorithm>
#include <limits>

namespace pql {

namespace {

// Line feed, vertical tab, form feed, carriage return, next line, and the
// Unicode line and paragraph separators: the mandatory line breaks.
bool isLineBreak(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 0x0A && u <= 0x0D) || u == 0x85 || u == 0x2028 || u == 0x2029;
}

} // namespace

QValidator::State SingleLineValidator::validate(QString &input, int &pos) const
{
    const auto first = std::find_if(input.cbegin(), input.cend(), isLineBreak);
    if (first == input.cend())
        return Acceptable;
    const qsizetype from = first - input.cbegin();
    const qsizetype lastBreak =
        input.size() - 1 - (std::find_if(input.crbegin(), input.crend(), isLineBreak) - input.crbegin());
    const qsizetype to = std::max<qsizetype>(pos, lastBreak + 1);
    input.remove(from, to - from);
    pos = int(from);
    return Acceptable;
}

void makeSingleLine(QLineEdit *edit)
{
    // QLineEdit cuts texts at 32767 characters unless told otherwise; a cut
    // name or path would be copied as if it were whole.
    edit->setMaxLength(std::numeric_limits<int>::max());
    edit->setValidator(new SingleLineValidator(edit));
}

} // namespace pql
