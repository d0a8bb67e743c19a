#pragma once
// A text field holds one line: a line break or a tab pasted into it becomes a space as it is
// entered, so no control character reaches a field of the log (it would split a row in two).

#include <QValidator>

class OneLineValidator final : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString &input, int &pos) const override;
};

class QWidget;
// Gives a text box, or a picker's text, the validator; the text may be as long as the observer
// pastes (a line edit would otherwise cut it at 32,767 characters without a word).
void makeOneLine(QWidget *editor);
// The same for a text that did not come through a text field (a stored name, a caption).
QString oneLine(QString text);
