#include "ui/TimelineView.h"

#include <QFontMetrics>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kRowHeight = 26;
constexpr int kAxisHeight = 24;
constexpr int kPad = 8;          // between the labels and the time 0, and at the right end
constexpr int kMarkWidth = 3;
constexpr int kPauseWidth = 8;   // a pause takes no scenario time, but must be seen
constexpr int kHitDistance = 4;  // how near the pointer must be to a mark for its tool tip
constexpr int kMaxLabelWidth = 240;
constexpr int kMaxPictureSide = 16000;
constexpr double kMaxScale = 200;
const QColor kPauseFill(0xf3, 0xc9, 0x8b);
const QColor kPauseEdge(0xb0, 0x6a, 0x10);

// Colours told apart also by most colour-blind observers (Tableau 10, without its grey).
constexpr QRgb kEventColors[] = {0x4e79a7, 0xf28e2b, 0xe15759, 0x76b7b2, 0x59a14f,
                                 0xedc948, 0xb07aa1, 0xff9da7, 0x9c755f, 0x17becf};

QString clock(double seconds) {
    const long long s = std::llround(std::max(0.0, seconds));
    return s >= 3600 ? QStringLiteral("%1:%2:%3").arg(s / 3600).arg(s / 60 % 60, 2, 10, QLatin1Char('0')).arg(s % 60, 2, 10, QLatin1Char('0'))
                     : QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
}

// A tick every so many seconds, so that ticks stand at least `minPixels` apart.
double tickStep(double scale, int minPixels) {
    static constexpr double kSteps[] = {1, 2, 5, 10, 15, 30, 60, 120, 300, 600, 900, 1800, 3600, 7200, 14400, 28800};
    for (const double step : kSteps)
        if (step * scale >= minPixels)
            return step;
    return kSteps[std::size(kSteps) - 1];
}

}  // namespace

TimelineView::TimelineView(QWidget *parent) : QAbstractScrollArea(parent) {
    setObjectName(QStringLiteral("timeline"));
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    viewport()->setBackgroundRole(QPalette::Base);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

QColor TimelineView::eventColor(int event) {
    return QColor(kEventColors[static_cast<std::size_t>(std::max(event, 0)) % std::size(kEventColors)]);
}

QColor TimelineView::commentColor() { return QColor(0x6b, 0x6b, 0x6b); }

void TimelineView::setTimeline(logtimeline::Timeline timeline) {
    timeline_ = std::move(timeline);
    fit_ = true;
    // Measured once, and only the longest labels: ten thousand runs need not all be measured.
    std::vector<const logtimeline::Run *> longest;
    for (const logtimeline::Run &run : timeline_.runs)
        longest.push_back(&run);
    const auto length = [](const logtimeline::Run *r) { return r->participant.size() + r->scenario.size(); };
    const std::size_t measured = std::min<std::size_t>(longest.size(), 64);
    std::partial_sort(longest.begin(), longest.begin() + static_cast<std::ptrdiff_t>(measured), longest.end(),
                      [&](const logtimeline::Run *a, const logtimeline::Run *b) { return length(a) > length(b); });
    const QFontMetrics fm(font());
    int widest = fm.horizontalAdvance(QStringLiteral("Participant / Scenario"));
    for (std::size_t i = 0; i < measured; ++i)
        widest = std::max(widest, fm.horizontalAdvance(runLabel(*longest[i])));
    labelWidth_ = std::min(widest, kMaxLabelWidth) + 2 * kPad;
    updateScrollBars();
    viewport()->update();
}

void TimelineView::setScale(double pixelsPerSecond) {
    scale_ = std::clamp(pixelsPerSecond, 0.001, kMaxScale);
    fit_ = false;
    updateScrollBars();
    viewport()->update();
}

void TimelineView::zoomIn() { setScale(scale_ * 1.5); }
void TimelineView::zoomOut() { setScale(scale_ / 1.5); }

QString TimelineView::runLabel(const logtimeline::Run &run) const {
    QString label = QString::fromStdString(run.participant) + QStringLiteral(" / ") + QString::fromStdString(run.scenario);
    if (run.take > 1)
        label += QStringLiteral(" (%1)").arg(run.take);
    return label;
}

int TimelineView::paintLegend(QPainter *p, int width) const {
    const QFontMetrics fm(font());
    const int line = fm.height() + 6;
    const int box = fm.ascent() - 2;
    int x = kPad, y = 4;
    const auto item = [&](const QString &name, const QColor &color) {
        const int w = box + 5 + fm.horizontalAdvance(name) + 16;
        if (x > kPad && x + w > width) {
            x = kPad;
            y += line;
        }
        if (p) {
            p->fillRect(QRect(x, y + (line - box) / 2, box, box), color);
            p->setPen(palette().color(QPalette::Text));
            p->drawText(QRect(x + box + 5, y, w, line), Qt::AlignVCenter | Qt::AlignLeft, name);
        }
        x += w;
    };
    item(QStringLiteral("Comment"), commentColor());
    for (std::size_t i = 0; i < timeline_.eventNames.size(); ++i)
        item(QString::fromStdString(timeline_.eventNames[i]), eventColor(static_cast<int>(i)));
    item(QStringLiteral("Paused"), kPauseFill);
    return y + line + 2;
}

TimelineView::Geometry TimelineView::geometry(int width) const {
    Geometry g;
    g.labelWidth = labelWidth_;
    g.legendHeight = paintLegend(nullptr, width);
    g.headerHeight = g.legendHeight + kAxisHeight;
    return g;
}

void TimelineView::updateScrollBars() {
    const QSize area = viewport()->size();
    const Geometry g = geometry(area.width());
    if (fit_) {  // the width, no tighter than the least scale, until the observer zooms
        const double room = area.width() - g.labelWidth - 2 * kPad;
        scale_ = timeline_.longest > 0 ? std::clamp(room / timeline_.longest, kMinScale, kMaxScale) : kMinScale;
    }
    const int plot = static_cast<int>(std::ceil(timeline_.longest * scale_)) + 2 * kPad;
    horizontalScrollBar()->setRange(0, std::max(0, plot - (area.width() - g.labelWidth)));
    horizontalScrollBar()->setPageStep(std::max(1, area.width() - g.labelWidth));
    horizontalScrollBar()->setSingleStep(20);
    const int rows = static_cast<int>(timeline_.runs.size()) * kRowHeight;
    verticalScrollBar()->setRange(0, std::max(0, rows - (area.height() - g.headerHeight)));
    verticalScrollBar()->setPageStep(std::max(1, area.height() - g.headerHeight));
    verticalScrollBar()->setSingleStep(kRowHeight);
}

void TimelineView::resizeEvent(QResizeEvent *event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void TimelineView::paint(QPainter &p, QPoint origin, QSize size, const Geometry &g, std::size_t rows,
                         double scale) const {
    const QFontMetrics fm(font());
    const QPalette &pal = palette();
    const int plotLeft = g.labelWidth + kPad - origin.x();
    const auto xOf = [&](double seconds) { return plotLeft + static_cast<int>(std::lround(seconds * scale)); };
    p.fillRect(QRect(QPoint(0, 0), size), pal.color(QPalette::Base));

    // The rows, under the header and right of the labels.
    const QRect rowsArea(0, g.headerHeight, size.width(), size.height() - g.headerHeight);
    const QRect plotArea(g.labelWidth, g.headerHeight, size.width() - g.labelWidth, size.height() - g.headerHeight);
    const int firstRow = std::max(0, origin.y() / kRowHeight);
    const std::size_t lastRow =
        std::min(rows, static_cast<std::size_t>((origin.y() + rowsArea.height()) / kRowHeight + 1));
    const QColor stripe = pal.color(QPalette::AlternateBase);
    const QBrush pauseBrush(kPauseFill);
    for (std::size_t r = static_cast<std::size_t>(firstRow); r < lastRow; ++r) {
        const logtimeline::Run &run = timeline_.runs[r];
        const int top = g.headerHeight + static_cast<int>(r) * kRowHeight - origin.y();
        p.setClipRect(rowsArea);
        if (r % 2)
            p.fillRect(QRect(0, top, size.width(), kRowHeight), stripe);
        // A new participant starts below a line.
        if (r > 0 && timeline_.runs[r - 1].participant != run.participant) {
            p.setPen(pal.color(QPalette::Mid));
            p.drawLine(0, top, size.width(), top);
        }
        p.setClipRect(plotArea);
        const QRect bar(QPoint(xOf(run.start), top + 8), QPoint(std::max(xOf(run.end), xOf(run.start) + 2), top + kRowHeight - 8));
        p.fillRect(bar, QColor(0xd5, 0xdd, 0xe8));
        p.setPen(QPen(QColor(0x8a, 0x9b, 0xb0), 1, run.stopped ? Qt::SolidLine : Qt::DashLine));
        p.drawRect(bar.adjusted(0, 0, -1, -1));
        for (const logtimeline::Mark &mark : run.marks) {
            const int x = xOf(mark.seconds);
            if (x < plotArea.left() - kMarkWidth || x > plotArea.right() + kMarkWidth)
                continue;
            // Presses stand out a little taller than comments.
            const int inset = mark.event < 0 ? 7 : 3;
            p.fillRect(QRect(x - kMarkWidth / 2, top + inset, kMarkWidth, kRowHeight - 2 * inset),
                       mark.event < 0 ? commentColor() : eventColor(mark.event));
        }
        // Pauses over the marks: they take no scenario time, and must not hide among the entries.
        for (const logtimeline::Pause &pause : run.pauses) {
            const int left = xOf(pause.at) - kPauseWidth / 2;
            const int right = std::max(xOf(pause.resumed ? pause.resumedAt : run.end), left + kPauseWidth);
            const QRect area(QPoint(left, top + 2), QPoint(right, top + kRowHeight - 3));
            p.fillRect(area, pauseBrush);
            p.fillRect(area, QBrush(kPauseEdge, Qt::BDiagPattern));
            p.setPen(kPauseEdge);
            p.drawRect(area);
        }
        // The label column stays in place while the time axis scrolls.
        p.setClipRect(QRect(0, g.headerHeight, g.labelWidth, rowsArea.height()));
        p.fillRect(QRect(0, top, g.labelWidth, kRowHeight), r % 2 ? stripe : pal.color(QPalette::Base));
        p.setPen(pal.color(QPalette::Text));
        p.drawText(QRect(kPad, top, g.labelWidth - 2 * kPad, kRowHeight), Qt::AlignVCenter | Qt::AlignLeft,
                   fm.elidedText(runLabel(run), Qt::ElideRight, g.labelWidth - 2 * kPad));
    }

    // The header: the legend, then the time axis with its ticks.
    p.setClipping(false);
    p.fillRect(QRect(0, 0, size.width(), g.headerHeight), pal.color(QPalette::Window));
    paintLegend(&p, size.width());
    const int axis = g.headerHeight - 1;
    p.setPen(pal.color(QPalette::Dark));
    p.drawLine(0, axis, size.width(), axis);
    p.setClipRect(QRect(g.labelWidth, g.legendHeight, size.width() - g.labelWidth, kAxisHeight));
    const double step = tickStep(scale, fm.horizontalAdvance(QStringLiteral("00:00:00")) + 16);
    const double firstTick = std::floor(std::max(0, origin.x() - kPad) / scale / step) * step;
    for (double t = firstTick; t <= timeline_.longest + step; t += step) {
        const int x = xOf(t);
        if (x > size.width())
            break;
        p.setPen(pal.color(QPalette::Dark));
        p.drawLine(x, axis - 5, x, axis);
        p.setPen(pal.color(QPalette::Text));
        // Centred on its tick, but the first one starts at it rather than under the labels.
        const QString text = clock(t);
        const int half = fm.horizontalAdvance(text) / 2;
        const int left = std::max(x - half, g.labelWidth + 1);
        p.drawText(QRect(left, g.legendHeight, 2 * half + 2, kAxisHeight - 6), Qt::AlignCenter, text);
    }
    p.setClipping(false);
    p.setPen(pal.color(QPalette::Text));
    p.drawText(QRect(kPad, g.legendHeight, g.labelWidth - kPad, kAxisHeight - 4), Qt::AlignVCenter | Qt::AlignLeft,
               QStringLiteral("Scenario time"));
}

void TimelineView::paintEvent(QPaintEvent *) {
    QPainter p(viewport());
    const QSize size = viewport()->size();
    if (timeline_.runs.empty()) {
        p.setPen(palette().color(QPalette::PlaceholderText));
        p.drawText(QRect(QPoint(0, 0), size), Qt::AlignCenter | Qt::TextWordWrap,
                   QStringLiteral("No scenario timer was started in this log, so there is no timeline to show."));
        return;
    }
    paint(p, QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value()), size, geometry(size.width()),
          timeline_.runs.size(), scale_);
}

QImage TimelineView::picture(int *rowsLeftOut) const {
    // As wide as the timeline at the scale shown, within a picture's limits; the legend flows in
    // that width.
    const int labelWidth = geometry(800).labelWidth;
    const double scale = std::min(scale_, (kMaxPictureSide - labelWidth - 2 * kPad) / std::max(timeline_.longest, 1.0));
    const int width = std::max(600, labelWidth + static_cast<int>(std::ceil(timeline_.longest * scale)) + 2 * kPad);
    const Geometry g = geometry(width);
    const std::size_t rows =
        std::min(timeline_.runs.size(), static_cast<std::size_t>((kMaxPictureSide - g.headerHeight) / kRowHeight));
    if (rowsLeftOut)
        *rowsLeftOut = static_cast<int>(timeline_.runs.size() - rows);
    QImage image(width, g.headerHeight + static_cast<int>(rows) * kRowHeight, QImage::Format_RGB32);
    QPainter p(&image);
    p.setFont(font());
    paint(p, QPoint(0, 0), image.size(), g, rows, scale);
    p.end();
    return image;
}

QPoint TimelineView::markPosition(std::size_t run, std::size_t mark) const {
    const Geometry g = geometry(viewport()->width());
    const double seconds = timeline_.runs.at(run).marks.at(mark).seconds;
    return {g.labelWidth + kPad - horizontalScrollBar()->value() + static_cast<int>(std::lround(seconds * scale_)),
            g.headerHeight + static_cast<int>(run) * kRowHeight - verticalScrollBar()->value() + kRowHeight / 2};
}

bool TimelineView::hit(const QPoint &pos, std::size_t &run, std::size_t &mark) const {
    const Geometry g = geometry(viewport()->width());
    if (pos.y() < g.headerHeight || pos.x() < g.labelWidth)
        return false;
    const int row = (pos.y() - g.headerHeight + verticalScrollBar()->value()) / kRowHeight;
    if (row < 0 || static_cast<std::size_t>(row) >= timeline_.runs.size())
        return false;
    const std::vector<logtimeline::Mark> &marks = timeline_.runs[static_cast<std::size_t>(row)].marks;
    const double at = (pos.x() - g.labelWidth - kPad + horizontalScrollBar()->value()) / scale_;
    const double reach = (kHitDistance + kMarkWidth / 2.0) / scale_;
    auto it = std::lower_bound(marks.begin(), marks.end(), at - reach,
                               [](const logtimeline::Mark &m, double s) { return m.seconds < s; });
    std::size_t best = marks.size();
    for (; it != marks.end() && it->seconds <= at + reach; ++it)
        if (best == marks.size() || std::abs(it->seconds - at) < std::abs(marks[best].seconds - at))
            best = static_cast<std::size_t>(it - marks.begin());
    if (best == marks.size())
        return false;
    run = static_cast<std::size_t>(row);
    mark = best;
    return true;
}

QString TimelineView::toolTipAt(const QPoint &pos) const {
    std::size_t run = 0, mark = 0;
    if (hit(pos, run, mark)) {
        // Marks of the same second lie on each other: each is told.
        const std::vector<logtimeline::Mark> &marks = timeline_.runs[run].marks;
        const double seconds = marks[mark].seconds;
        std::size_t first = mark;
        while (first > 0 && marks[first - 1].seconds == seconds)
            --first;
        QStringList told;
        for (std::size_t i = first; i < marks.size() && marks[i].seconds == seconds; ++i) {
            const logtimeline::Mark &m = marks[i];
            QString head = clock(m.seconds);
            if (!m.pcTime.empty())
                head += QStringLiteral(" (") + QString::fromStdString(m.pcTime) + QLatin1Char(')');
            const QString kind =
                m.event < 0 ? QStringLiteral("Comment")
                            : QString::fromStdString(timeline_.eventNames[static_cast<std::size_t>(m.event)]);
            told << head + QStringLiteral(" - ") + kind + QStringLiteral(":\n") + QString::fromStdString(m.text);
        }
        return told.join(QStringLiteral("\n\n"));
    }
    // Over a label or a bar: what the run was.
    const Geometry g = geometry(viewport()->width());
    const int row = (pos.y() - g.headerHeight + verticalScrollBar()->value()) / kRowHeight;
    if (pos.y() < g.headerHeight || row < 0 || static_cast<std::size_t>(row) >= timeline_.runs.size())
        return {};
    const logtimeline::Run &r = timeline_.runs[static_cast<std::size_t>(row)];
    QString text = runLabel(r) + QStringLiteral(": ") + clock(r.end - r.start) +
                   (r.stopped ? QStringLiteral(", stopped") : QStringLiteral(", not stopped"));
    if (r.begunBeforeLog)
        text += QStringLiteral(", begun before the log's first row");
    for (const logtimeline::Pause &pause : r.pauses)
        text += QStringLiteral("\nPaused at %1").arg(clock(pause.at)) +
                (pause.length >= 0 ? QStringLiteral(" for %1").arg(clock(pause.length)) : QString());
    return text;
}

bool TimelineView::viewportEvent(QEvent *event) {
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const QString text = toolTipAt(help->pos());
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), text, viewport());
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

void TimelineView::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Plus || event->key() == Qt::Key_Equal)
        zoomIn();
    else if (event->key() == Qt::Key_Minus)
        zoomOut();
    else
        QAbstractScrollArea::keyPressEvent(event);
}

void TimelineView::wheelEvent(QWheelEvent *event) {
    if (event->modifiers() & Qt::ControlModifier) {
        event->angleDelta().y() > 0 ? zoomIn() : zoomOut();
        event->accept();
        return;
    }
    QAbstractScrollArea::wheelEvent(event);
}
