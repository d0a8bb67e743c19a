#pragma once
// The program's help: an HTML document installed beside the program, shown in a window of its own.

#include <QWidget>

class QTextBrowser;

// "Quorvane Help.html" in the program's folder.
QString defaultHelpFile();

class HelpWindow : public QWidget {
    Q_OBJECT

public:
    explicit HelpWindow(QWidget *parent = nullptr);
    // Shows the document at its contents; a missing document is said in the window itself.
    void showContents(const QString &helpFile);
    QTextBrowser *browser() const { return browser_; }

private:
    QTextBrowser *browser_;
};
