// Keeps single-line text boxes on one line.
#pragma once

#include <QValidator>

class QLineEdit;

namespace pql {

// A line edit keeps whatever it is given, line breaks included, so a pasted
// or dropped line end would become part of a search text or a path. This
// validator keeps only the first line of what arrives: everything from the
// first line break to the end of the new text (which ends at the cursor)
// goes. Typed text never holds a line break, so typing is untouched.
class SingleLineValidator : public QValidator
{
    Q_OBJECT

public:
    using QValidator::QValidator;
    State validate(QString &input, int &pos) const override;
};

// Makes `edit` a single-line box without a length limit: it keeps the first
// line of what is pasted or dropped into it, and holds texts of any length.
void makeSingleLine(QLineEdit *edit);

} // namespace pql
