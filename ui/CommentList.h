#pragma once
// The comment list: one line of text per record, any number of lines. It asks for a line's text
// only when it paints that line, and every line is one height, so adding a line, selecting one
// and scrolling cost the same at ten lines and at a million.

#include <QAbstractScrollArea>
#include <QString>

// Where the list's lines come from.
class CommentListSource {
public:
    virtual ~CommentListSource() = default;
    virtual int lineCount() const = 0;
    virtual QString lineText(int row) const = 0;
};

class CommentList : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit CommentList(QWidget *parent = nullptr);

    void setSource(const CommentListSource *source);
    // The source's lines were replaced: nothing stays selected.
    void reset();
    // One line more at the end, or one line's text changed.
    void lineAppended();
    void lineChanged(int row);

    int count() const;
    // The selected line, -1 for none.
    int currentRow() const { return current_; }
    // Selects a line (-1: none) and scrolls it into view.
    void setCurrentRow(int row);
    int rowHeight() const;
    // The line at a point of the viewport, -1 for none.
    int rowAt(const QPoint &viewportPos) const;
    // The first line shown.
    int topRow() const;

signals:
    void currentRowChanged(int row);
    // A double click on a line.
    void rowDoubleClicked(int row);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void changeEvent(QEvent *event) override;

private:
    void updateScrollRange();
    void scrollToCurrent();
    int visibleRows() const;

    const CommentListSource *source_ = nullptr;
    int current_ = -1;
};
