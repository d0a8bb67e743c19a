#pragma once
// A custom event button: its caption is the event it logs, and a small hint in its corner shows
// the key that presses it, so the observer sees the shortcut without reading a tool tip.

#include <QPushButton>

class EventButton : public QPushButton {
    Q_OBJECT

public:
    EventButton(const QString &hint, QWidget *parent = nullptr);
    QString hint() const { return hint_; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString hint_;
};
