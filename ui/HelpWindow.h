#pragma once
// The program's help: an HTML document, the user's guide, shown in a window of its own.

#include <QWidget>

class QTextBrowser;

// "Quorvane Help.html" where it is installed (the share folder beside the program's bin folder),
// else in the program's own folder, as in a build tree.
QString defaultHelpFile();

class HelpWindow : public QWidget {
    Q_OBJECT

public:
    explicit HelpWindow(QWidget *parent = nullptr);
    // Shows the document at its contents; a missing document is said in the window itself (and
    // in its title).
    void showContents(const QString &helpFile);
    // Shows the window centred over `over`, in front.
    void showOver(const QWidget *over);
    QTextBrowser *browser() const { return browser_; }

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    QTextBrowser *browser_;
};
