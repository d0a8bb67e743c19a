#include "ui/TimePicker.h"

#include <QApplication>
#include <QKeyEvent>

TimePicker::TimePicker(QWidget *parent) : QTimeEdit(parent) {
    setDisplayFormat(QStringLiteral("HH:mm:ss"));
    setTime(QTime(0, 0, 0));
    setWrapping(true);
}

void TimePicker::focusInEvent(QFocusEvent *event) {
    typed_.clear();
    QTimeEdit::focusInEvent(event);
    selectAll();  // what is typed replaces the time shown
}

void TimePicker::mousePressEvent(QMouseEvent *event) {
    typed_.clear();
    QTimeEdit::mousePressEvent(event);
}

void TimePicker::showTyped() {
    const QString digits = typed_.leftJustified(6, u'0');
    setTime(QTime(digits.left(2).toInt(), digits.mid(2, 2).toInt(), digits.mid(4, 2).toInt()));
    selectAll();
}

void TimePicker::keyPressEvent(QKeyEvent *event) {
    const Qt::KeyboardModifiers commands = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    const QString text = event->text();
    if ((event->modifiers() & commands) || text.size() != 1) {
        if (event->key() == Qt::Key_Backspace && !typed_.isEmpty()) {
            typed_.chop(1);
            showTyped();
            return;
        }
        if (event->matches(QKeySequence::SelectAll))
            typed_.clear();
        QTimeEdit::keyPressEvent(event);
        return;
    }
    const QChar c = text.front();
    if (c.isDigit()) {
        if (typed_.size() == 6)
            typed_.clear();  // a seventh digit starts a new time
        const int at = static_cast<int>(typed_.size());
        const int digit = c.digitValue();
        // Hours 00 to 23, minutes and seconds 00 to 59.
        const bool fits = at % 2 == 0 ? digit <= (at == 0 ? 2 : 5) : !(at == 1 && typed_[0] == u'2' && digit > 3);
        if (!fits) {
            QApplication::beep();
            return;
        }
        typed_ += c;
        showTyped();
        return;
    }
    if (c == u':' || c == u'.') {
        if (typed_.size() % 2 == 1)
            typed_.insert(typed_.size() - 1, u'0');  // "1:" means 01
        showTyped();
        return;
    }
    if (c == u'\r' || c == u'\t' || c == u'\x1b') {
        QTimeEdit::keyPressEvent(event);
        return;
    }
    QApplication::beep();  // nothing else belongs in a time
}
