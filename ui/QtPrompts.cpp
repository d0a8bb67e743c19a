#include "ui/Prompts.h"

#include "ui/AltLetterGuard.h"
#include "ui/OneLineValidator.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QScopeGuard>

namespace {

// After a question the keyboard goes on where it was: the window shows where its focus is, so a
// blank never presses a button nobody could see had the focus.
class KeyboardFocusShown {
public:
    explicit KeyboardFocusShown(QWidget *window) : window_(window) {}
    ~KeyboardFocusShown() {
        if (window_)
            window_->setAttribute(Qt::WA_KeyboardFocusChange);
    }

private:
    QPointer<QWidget> window_;
};

QMessageBox::StandardButton toStandard(int answer) {
    switch (answer) {
    case Prompts::OK:
        return QMessageBox::Ok;
    case Prompts::Cancel:
        return QMessageBox::Cancel;
    case Prompts::Yes:
        return QMessageBox::Yes;
    case Prompts::No:
        return QMessageBox::No;
    default:
        return QMessageBox::NoButton;
    }
}

}  // namespace

int QtPrompts::messageBox(const QString &text, const QString &title, Buttons buttons, Icon icon, int defaultButton) {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(title);
    box.setText(text);
    box.setIcon(icon == Icon::Information   ? QMessageBox::Information
                : icon == Icon::Exclamation ? QMessageBox::Warning
                                            : QMessageBox::NoIcon);
    switch (buttons) {
    case Buttons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case Buttons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case Buttons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    }
    if (defaultButton != 0)
        box.setDefaultButton(toStandard(defaultButton));
    const KeyboardFocusShown shown(box.parentWidget());
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Yes;
    case QMessageBox::No:
        return No;
    case QMessageBox::Cancel:
        return Cancel;
    case QMessageBox::Ok:
        return OK;
    default:  // closed by Esc or the close box
        return buttons == Buttons::Ok ? OK : buttons == Buttons::YesNo ? No : Cancel;
    }
}

namespace {

// While a reminder asks, what the observer goes on typing is kept for the comment box instead of
// answering it: a blank would press the focused Yes, a "y" or an "n" would answer.
class TypingKeeper final : public QObject {
public:
    TypingKeeper(QWidget *box, QString &typed) : box_(box), typed_(typed) { qApp->installEventFilter(this); }
    ~TypingKeeper() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        auto *target = qobject_cast<QWidget *>(watched);
        if (event->type() != QEvent::KeyPress || target == nullptr || target->window() != box_)
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
            return false;  // Alt+Y, Alt+N: deliberate answers
        if (key->key() == Qt::Key_Backspace) {
            typed_.chop(1);
            return true;
        }
        const QString text = key->text();
        if (text.isEmpty() || !text.front().isPrint())
            return false;  // Enter, Esc, Tab and the like keep their meaning
        typed_ += text;
        return true;
    }

private:
    QWidget *box_;
    QString &typed_;
};

}  // namespace

int QtPrompts::reminder(const QString &text, const QString &title, QString &typedMeanwhile) {
    QMessageBox box(QApplication::activeWindow());
    const KeyboardFocusShown shown(box.parentWidget());
    box.setWindowTitle(title);
    box.setText(text);
    box.setIcon(QMessageBox::NoIcon);
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    const TypingKeeper keeper(&box, typedMeanwhile);
    return box.exec() == QMessageBox::Yes ? Yes : No;
}

QString QtPrompts::inputBox(const QString &prompt, const QString &title, const QString &proposed) {
    QWidget *parent = QApplication::activeWindow();
    QInputDialog box(parent);
    box.setWindowTitle(title);
    box.setLabelText(prompt);
    box.setTextValue(proposed);
    // As wide as the window it belongs to, so a comment shows whole while it is corrected, and the
    // text selected, so typing replaces it.
    // (The dialog sizes itself to its contents, so the text field is what is made wide.)
    if (auto *edit = box.findChild<QLineEdit *>()) {
        edit->setMinimumWidth(parent ? parent->width() : 600);
        edit->selectAll();
        ignoreUnclaimedAltLetters(edit);
        makeOneLine(edit);
    }
    return box.exec() == QDialog::Accepted ? box.textValue() : QString();
}

std::optional<QString> QtPrompts::fileDialog(const FileDialog &dialog) {
    const QPointer<QWidget> owner = QApplication::activeWindow();
    QFileDialog box(owner);
    // After the dialog's own "replace?" question no window may be active: give the keys back.
    const auto giveBackFocus = qScopeGuard([&owner] {
        if (owner)
            owner->activateWindow();
    });
    box.setNameFilter(dialog.filter);
    box.setFileMode(QFileDialog::AnyFile);  // an Open dialog also takes a new name
    box.setAcceptMode(dialog.kind == FileDialog::Kind::Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    box.setOption(QFileDialog::DontResolveSymlinks);
    if (dialog.kind == FileDialog::Kind::Save)
        box.setDefaultSuffix(QStringLiteral("csv"));
    if (!dialog.directory.isEmpty())
        box.setDirectory(dialog.directory);
    box.selectFile(dialog.initialName);
    for (;;) {
        if (box.exec() != QDialog::Accepted || box.selectedFiles().isEmpty())
            return std::nullopt;
        const QString path = box.selectedFiles().constFirst();
        if (QFileInfo(path).absoluteDir().exists())
            return path;
        QMessageBox::warning(&box, box.windowTitle(),
                             QStringLiteral("The folder of %1 does not exist.").arg(QDir::toNativeSeparators(path)));
    }
}
