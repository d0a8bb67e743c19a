#include "ui/HelpWindow.h"

#include "ui/AppIcon.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace {
const QString kHelpName = QStringLiteral("Quorvane Help.html");
const QString kTitle = QStringLiteral("Quorvane Help");
}  // namespace

QString defaultHelpFile() {
    const QString bin = QCoreApplication::applicationDirPath();
    const QString installed = bin + QStringLiteral("/../share/quorvane/") + kHelpName;
    return QFileInfo::exists(installed) ? QFileInfo(installed).canonicalFilePath() : bin + u'/' + kHelpName;
}

HelpWindow::HelpWindow(QWidget *parent) : QWidget(parent, Qt::Window), browser_(new QTextBrowser(this)) {
    setObjectName(QStringLiteral("helpWindow"));
    setWindowTitle(kTitle);
    setWindowIcon(appIcon());
    browser_->setObjectName(QStringLiteral("helpBrowser"));
    browser_->setOpenExternalLinks(true);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    resize(720, 600);
}

void HelpWindow::showContents(const QString &helpFile) {
    if (!QFileInfo::exists(helpFile)) {
        setWindowTitle(kTitle + QStringLiteral(" - not found"));
        browser_->setHtml(QStringLiteral("<h2>Help is not available</h2><p>The help file was not found:</p><p><tt>%1</tt></p>"
                                         "<p>It belongs in the share/quorvane folder beside the program's folder, or "
                                         "in the program's own folder.</p>")
                              .arg(helpFile.toHtmlEscaped()));
        return;
    }
    setWindowTitle(kTitle);
    QUrl contents = QUrl::fromLocalFile(helpFile);
    contents.setFragment(QStringLiteral("contents"));
    browser_->setSource(contents);
}

void HelpWindow::showOver(const QWidget *over) {
    if (!isVisible() && over != nullptr) {
        QRect frame = frameGeometry();
        frame.moveCenter(over->frameGeometry().center());
        move(frame.topLeft());
    }
    show();
    raise();
    activateWindow();
}

void HelpWindow::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}
