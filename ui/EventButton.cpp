#include "ui/EventButton.h"

#include <QPainter>

EventButton::EventButton(const QString &hint, QWidget *parent) : QPushButton(parent), hint_(hint) {}

void EventButton::paintEvent(QPaintEvent *event) {
    QPushButton::paintEvent(event);
    QFont small = font();
    small.setPointSizeF(std::max(5.0, small.pointSizeF() * 0.75));
    QPainter painter(this);
    painter.setFont(small);
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::PlaceholderText));
    painter.drawText(rect().adjusted(0, 1, -3, 0), Qt::AlignTop | Qt::AlignRight, hint_);
}
