#include "ui/CommentList.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionViewItem>
#include <QToolTip>

namespace {
constexpr int kTextMargin = 3;
}

CommentList::CommentList(QWidget *parent) : QAbstractScrollArea(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    verticalScrollBar()->setSingleStep(1);
}

void CommentList::setSource(const CommentListSource *source) {
    source_ = source;
    reset();
}

int CommentList::count() const { return source_ ? source_->lineCount() : 0; }

int CommentList::rowHeight() const { return fontMetrics().height() + 2; }

int CommentList::visibleRows() const { return std::max(1, viewport()->height() / rowHeight()); }

int CommentList::topRow() const { return verticalScrollBar()->value(); }

int CommentList::rowAt(const QPoint &viewportPos) const {
    if (viewportPos.y() < 0)
        return -1;
    const int row = topRow() + viewportPos.y() / rowHeight();
    return row < count() ? row : -1;
}

void CommentList::updateScrollRange() {
    QScrollBar *bar = verticalScrollBar();
    bar->setPageStep(visibleRows());
    bar->setRange(0, std::max(0, count() - visibleRows()));
}

void CommentList::reset() {
    const bool had = current_ >= 0;
    current_ = -1;
    updateScrollRange();
    viewport()->update();
    if (had)
        emit currentRowChanged(-1);
}

void CommentList::lineAppended() {
    updateScrollRange();
    const int last = count() - 1;
    if (last >= topRow() && last < topRow() + visibleRows() + 1)
        viewport()->update();
}

void CommentList::lineChanged(int row) {
    if (row >= topRow() && row <= topRow() + visibleRows())
        viewport()->update();
}

void CommentList::setCurrentRow(int row) {
    if (row < -1 || row >= count())
        row = -1;
    const bool changed = row != current_;
    current_ = row;
    scrollToCurrent();
    viewport()->update();
    if (changed)
        emit currentRowChanged(row);
}

void CommentList::scrollToCurrent() {
    if (current_ < 0)
        return;
    updateScrollRange();
    QScrollBar *bar = verticalScrollBar();
    if (current_ < bar->value())
        bar->setValue(current_);
    else if (current_ >= bar->value() + visibleRows())
        bar->setValue(current_ - visibleRows() + 1);
}

void CommentList::paintEvent(QPaintEvent *) {
    QPainter painter(viewport());
    const int h = rowHeight();
    const int width = viewport()->width();
    const int first = topRow();
    const int last = std::min(count() - 1, first + viewport()->height() / h);
    const QPalette::ColorGroup group = !isEnabled()        ? QPalette::Disabled
                                       : isActiveWindow() ? QPalette::Active
                                                          : QPalette::Inactive;
    for (int row = first; row <= last; ++row) {
        const QRect rect(0, (row - first) * h, width, h);
        QStyleOptionViewItem option;
        option.initFrom(this);
        option.rect = rect;
        option.showDecorationSelected = true;
        option.viewItemPosition = QStyleOptionViewItem::OnlyOne;
        const bool selected = row == current_;
        if (selected) {
            option.state |= QStyle::State_Selected;
            style()->drawPrimitive(QStyle::PE_PanelItemViewItem, &option, &painter, this);
        }
        painter.setPen(palette().color(group, selected ? QPalette::HighlightedText : QPalette::Text));
        const QRect textRect = rect.adjusted(kTextMargin, 0, -kTextMargin, 0);
        painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter,
                         fontMetrics().elidedText(source_->lineText(row), Qt::ElideRight, textRect.width()));
        if (selected && hasFocus()) {
            QStyleOptionFocusRect focus;
            focus.initFrom(this);
            focus.rect = rect;
            focus.backgroundColor = palette().color(group, QPalette::Highlight);
            style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
        }
    }
}

void CommentList::resizeEvent(QResizeEvent *event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollRange();
    scrollToCurrent();  // a selection made before the list had its size stays in view
}

void CommentList::scrollContentsBy(int, int) { viewport()->update(); }

void CommentList::changeEvent(QEvent *event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        updateScrollRange();
        scrollToCurrent();
    }
}

void CommentList::mousePressEvent(QMouseEvent *event) {
    const int row = rowAt(event->position().toPoint());
    if (row >= 0 && event->button() == Qt::LeftButton)
        setCurrentRow(row);
    QAbstractScrollArea::mousePressEvent(event);
}

void CommentList::mouseDoubleClickEvent(QMouseEvent *event) {
    const int row = rowAt(event->position().toPoint());
    if (row < 0 || event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mouseDoubleClickEvent(event);
        return;
    }
    setCurrentRow(row);
    emit rowDoubleClicked(row);
}

void CommentList::keyPressEvent(QKeyEvent *event) {
    const int n = count();
    int row = current_;
    switch (event->key()) {
    case Qt::Key_Up:
        row = row < 0 ? n - 1 : row - 1;
        break;
    case Qt::Key_Down:
        row = row + 1;
        break;
    case Qt::Key_PageUp:
        row = (row < 0 ? n : row) - visibleRows();
        break;
    case Qt::Key_PageDown:
        row = row + visibleRows();
        break;
    case Qt::Key_Home:
        row = 0;
        break;
    case Qt::Key_End:
        row = n - 1;
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    if (n > 0)
        setCurrentRow(std::clamp(row, 0, n - 1));
    event->accept();
}

bool CommentList::viewportEvent(QEvent *event) {
    if (event->type() == QEvent::ToolTip) {
        // A line cut short on screen shows whole in its tool tip.
        const auto *help = static_cast<QHelpEvent *>(event);
        const int row = rowAt(help->pos());
        const QString text = row >= 0 ? source_->lineText(row) : QString();
        if (!text.isEmpty() && fontMetrics().horizontalAdvance(text) > viewport()->width() - 2 * kTextMargin)
            QToolTip::showText(help->globalPos(), text, viewport());
        else
            QToolTip::hideText();
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}
