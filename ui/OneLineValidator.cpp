#include "ui/OneLineValidator.h"

#include <QComboBox>
#include <QLineEdit>
#include <limits>

namespace {

bool isControl(QChar c) {
    return c.unicode() < 0x20 || c.unicode() == 0x7f || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
}

}  // namespace

QString oneLine(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));  // a line break from Windows is one space too
    for (QChar &c : text)
        if (isControl(c))
            c = u' ';
    return text;
}

QValidator::State OneLineValidator::validate(QString &input, int &) const {
    input = oneLine(std::move(input));
    return Acceptable;
}

void makeOneLine(QWidget *editor) {
    auto *picker = qobject_cast<QComboBox *>(editor);
    auto *edit = picker ? picker->lineEdit() : qobject_cast<QLineEdit *>(editor);
    if (!edit)
        return;
    edit->setValidator(new OneLineValidator(edit));
    edit->setMaxLength(std::numeric_limits<int>::max());
}
