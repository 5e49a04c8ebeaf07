#include "single_line.h"

#include "catalogue_format.h"

#include <QLineEdit>

#include <algorithm>
#include <limits>

namespace pql {

// A line ends where a catalogue's line ends: a model name may hold any other
// character (a form feed, a Unicode line separator), and such a name must
// reach the boxes whole.
QValidator::State SingleLineValidator::validate(QString &input, int &pos) const
{
    const auto first = std::find_if(input.cbegin(), input.cend(), isLineEnd);
    if (first == input.cend())
        return Acceptable;
    const qsizetype from = first - input.cbegin();
    const qsizetype lastBreak = input.size() - 1
        - (std::find_if(input.crbegin(), input.crend(), isLineEnd) - input.crbegin());
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
