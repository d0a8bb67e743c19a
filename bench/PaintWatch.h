#pragma once
// Waits until a widget has been painted: the end of a figure a user sees.

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

class PaintWatch : public QObject {
public:
    explicit PaintWatch(QWidget *widget) { widget->installEventFilter(this); }
    void arm() { painted_ = false; }
    void wait() {
        while (!painted_)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() == QEvent::Paint)
            painted_ = true;
        return false;
    }

private:
    bool painted_ = false;
};
