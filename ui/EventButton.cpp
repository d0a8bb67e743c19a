#include "ui/EventButton.h"

#include <QHelpEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QToolTip>

namespace {

constexpr int kHintMargin = 3;

// The caption as the button shows it: the access key's mark gone, "&&" one ampersand.
QString shownCaption(const QString &text) {
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&' && i + 1 < text.size())
            ++i;
        out += text[i];
    }
    return out;
}

}  // namespace

EventButton::EventButton(const QString &hint, QWidget *parent) : QPushButton(parent), hint_(hint) {}

QFont EventButton::hintFont() const {
    QFont small = font();
    small.setPointSizeF(std::max(5.0, small.pointSizeF() * 0.75));
    return small;
}

QRect EventButton::captionRoom() const {
    QStyleOptionButton option;
    initStyleOption(&option);
    return style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
}

int EventButton::captionWidth() const { return fontMetrics().horizontalAdvance(shownCaption(text())); }

bool EventButton::captionCut() const { return captionWidth() > captionRoom().width(); }

bool EventButton::hintShown() const {
    // The caption stands in the middle: the hint needs the room to its right.
    const QRect room = captionRoom();
    const int free = (room.width() - captionWidth()) / 2;
    return free >= QFontMetrics(hintFont()).horizontalAdvance(hint_) + kHintMargin;
}

QString EventButton::shownToolTip() const {
    return captionCut() ? shownCaption(text()) + u'\n' + toolTip() : toolTip();
}

void EventButton::paintEvent(QPaintEvent *event) {
    if (captionCut()) {
        // Cut at its end with an ellipsis, so the caption's first words still read (the style
        // would cut both ends of a centred text).
        QStylePainter painter(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        option.text = fontMetrics().elidedText(shownCaption(text()), Qt::ElideRight, captionRoom().width());
        painter.drawControl(QStyle::CE_PushButton, option);
    } else {
        QPushButton::paintEvent(event);
    }
    if (!hintShown())
        return;
    QPainter painter(this);
    painter.setFont(hintFont());
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::PlaceholderText));
    painter.drawText(rect().adjusted(0, 1, -kHintMargin, 0), Qt::AlignTop | Qt::AlignRight, hint_);
}

bool EventButton::event(QEvent *event) {
    if (event->type() == QEvent::ToolTip && !toolTip().isEmpty()) {
        QToolTip::showText(static_cast<QHelpEvent *>(event)->globalPos(), shownToolTip(), this);
        return true;
    }
    return QPushButton::event(event);
}
