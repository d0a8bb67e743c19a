#include "HelpWindow.h"

#include "AppIcon.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

QString defaultHelpFile() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/Quorvane Help.html");
}

HelpWindow::HelpWindow(QWidget *parent) : QWidget(parent, Qt::Window), browser_(new QTextBrowser(this)) {
    setObjectName(QStringLiteral("helpWindow"));
    setWindowTitle(QStringLiteral("Quorvane Help"));
    setWindowIcon(appIcon());
    browser_->setObjectName(QStringLiteral("helpBrowser"));
    browser_->setOpenExternalLinks(true);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    resize(640, 560);
}

void HelpWindow::showContents(const QString &helpFile) {
    if (!QFileInfo::exists(helpFile)) {
        browser_->setHtml(QStringLiteral("<h2>Help is not available</h2><p>The help file was not found:</p><p><tt>%1</tt></p>"
                                         "<p>It belongs in the same folder as the program.</p>")
                              .arg(helpFile.toHtmlEscaped()));
        return;
    }
    QUrl contents = QUrl::fromLocalFile(helpFile);
    contents.setFragment(QStringLiteral("contents"));
    browser_->setSource(contents);
}
