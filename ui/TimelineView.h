#pragma once
// The session's timeline: a row per scenario timer run, labelled participant / scenario, along a
// time axis of scenario time; the run as a bar, its pauses hatched, each comment and event press
// as a mark (events in their button's colour, comments grey) with its text as a tool tip. A long
// session scrolls rather than crams: the label column and the axis stay in place, and Ctrl with
// the wheel or + and - zoom the time axis.

#include "core/timeline.h"

#include <QAbstractScrollArea>
#include <QColor>
#include <QImage>

class QPainter;

class TimelineView : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit TimelineView(QWidget *parent = nullptr);

    void setTimeline(logtimeline::Timeline timeline);
    const logtimeline::Timeline &timeline() const { return timeline_; }

    // Pixels per second of scenario time; a timeline set fits the width, but no tighter than
    // kMinScale so that close marks stay apart, until it is zoomed.
    double scale() const { return scale_; }
    void setScale(double pixelsPerSecond);
    void zoomIn();
    void zoomOut();
    static constexpr double kMinScale = 1.0;

    // A button's colour by its index in the timeline's event names; comments have their own.
    static QColor eventColor(int event);
    static QColor commentColor();

    // Where a mark is drawn, in viewport coordinates (the middle of its bar).
    QPoint markPosition(std::size_t run, std::size_t mark) const;
    // The text a tool tip shows at a point of the viewport; empty where there is nothing.
    QString toolTipAt(const QPoint &viewportPos) const;

    // Every row, the axis and the legend in one picture, as wide as the timeline at its scale
    // (within a limit). `rowsLeftOut` tells how many runs did not fit.
    QImage picture(int *rowsLeftOut = nullptr) const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    struct Geometry {
        int labelWidth = 0;
        int legendHeight = 0;
        int headerHeight = 0;  // legend and axis
    };
    Geometry geometry(int width) const;
    // Paints the first `rows` runs with the top left at the content point `origin`, in an area of
    // `size`, at `scale` pixels per second.
    void paint(QPainter &p, QPoint origin, QSize size, const Geometry &g, std::size_t rows, double scale) const;
    int paintLegend(QPainter *p, int width) const;
    void updateScrollBars();
    QString runLabel(const logtimeline::Run &run) const;
    // The run and mark nearest to a viewport point, within a few pixels.
    bool hit(const QPoint &viewportPos, std::size_t &run, std::size_t &mark) const;

    logtimeline::Timeline timeline_;
    int labelWidth_ = 0;
    double scale_ = kMinScale;
    bool fit_ = true;  // the scale follows the width until the observer zooms
};
