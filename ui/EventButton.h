#pragma once
// A custom event button: its caption is the event it logs, and a small hint in its corner shows
// the key that presses it, so the observer sees the shortcut without reading a tool tip. The hint
// shows only where the caption leaves room for it, and a caption cut short shows whole in the
// tool tip.

#include <QPushButton>

class EventButton : public QPushButton {
    Q_OBJECT

public:
    EventButton(const QString &hint, QWidget *parent = nullptr);
    QString hint() const { return hint_; }
    // Whether the hint fits beside the caption, and whether the caption fits at all.
    bool hintShown() const;
    bool captionCut() const;
    // The tool tip as it shows: with the whole caption in front when the button cuts it short.
    QString shownToolTip() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    bool event(QEvent *event) override;

private:
    QFont hintFont() const;
    QRect captionRoom() const;
    int captionWidth() const;

    QString hint_;
};
