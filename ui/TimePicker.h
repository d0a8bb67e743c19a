#pragma once
// The tape position entry: a time of day "HH:mm:ss". Digits typed into it (after a click, or
// after Tab into it) fill the hours, minutes and seconds from the left, whatever section the
// cursor was in: "010203" and "01:02:03" both mean 01:02:03, and "1:2:3" too. The arrow keys
// still step the section at the cursor.

#include <QTimeEdit>

class TimePicker : public QTimeEdit {
    Q_OBJECT

public:
    explicit TimePicker(QWidget *parent = nullptr);

protected:
    void focusInEvent(QFocusEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void showTyped();

    QString typed_;  // the digits typed since the field was entered, at most six
};
