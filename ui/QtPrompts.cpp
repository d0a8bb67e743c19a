#include "ui/Prompts.h"

#include "ui/AltLetterGuard.h"
#include "ui/OneLineValidator.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QEventLoop>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QScopeGuard>
#include <QTimer>

#include <utility>
#include <vector>

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

struct Pressed {
    int key;
    Qt::KeyboardModifiers modifiers;
};

// Keys pressed while a question asked, handed to the window they were meant for once it has the
// keyboard again: its shortcuts take a key only while it is the active window.
class LaterKeys final : public QObject {
public:
    LaterKeys(QWidget *owner, std::vector<Pressed> keys) : QObject(owner), owner_(owner), keys_(std::move(keys)) {
        owner->installEventFilter(this);
        if (QApplication::activeWindow() == owner)
            QTimer::singleShot(0, this, &LaterKeys::replay);
        QTimer::singleShot(5000, this, &QObject::deleteLater);  // never given back: they are dropped
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() == QEvent::WindowActivate)
            QTimer::singleShot(0, this, &LaterKeys::replay);
        return false;
    }

private:
    void replay() {
        if (keys_.empty())
            return;
        QWidget *target = owner_->focusWidget() ? owner_->focusWidget() : owner_;
        for (const Pressed &p : std::exchange(keys_, {})) {
            QKeyEvent press(QEvent::KeyPress, p.key, p.modifiers);
            QCoreApplication::sendEvent(target, &press);
            QKeyEvent release(QEvent::KeyRelease, p.key, p.modifiers);
            QCoreApplication::sendEvent(target, &release);
        }
        deleteLater();
    }

    QWidget *owner_;
    std::vector<Pressed> keys_;
};

// While a reminder asks, what the observer goes on typing is kept for the comment box instead of
// answering it: a blank would press the focused Yes, a "y" or an "n" would answer. The keys typed
// in the moment before the box has the keyboard still reach the window the observer typed in, so
// the box does not block that window (the toolkit would throw those keys away): it is made modal
// here, the other windows taking no click, no shortcut and no key but the box's answers.
// A command key pressed meanwhile (an event button's Ctrl+digit, a timer's F-key) is not lost
// either: it reaches the window again once the box has its answer.
class Reminder final : public QObject {
public:
    Reminder(QMessageBox &box, QString &typed, QWidget *owner) : box_(box), typed_(typed), owner_(owner) {
        qApp->installEventFilter(this);
    }
    ~Reminder() override {
        qApp->removeEventFilter(this);
        if (owner_ && !later_.empty())
            new LaterKeys(owner_, std::move(later_));
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        auto *target = qobject_cast<QWidget *>(watched);
        if (target == nullptr)
            return false;
        const bool inBox = target->window() == &box_;
        switch (event->type()) {
        case QEvent::KeyPress:
            return key(*static_cast<QKeyEvent *>(event), inBox);
        case QEvent::ShortcutOverride:
            if (inBox)
                return false;
            event->accept();  // no shortcut of another window fires: its key comes here as a press
            return true;
        case QEvent::KeyRelease:
        case QEvent::Shortcut:
        case QEvent::Close:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
            if (inBox)
                return false;
            event->ignore();
            return true;
        case QEvent::MouseButtonPress:
            if (inBox)
                return false;
            box_.raise();  // as a modal box comes forward
            box_.activateWindow();
            return true;
        default:
            return false;
        }
    }

private:
    bool key(const QKeyEvent &key, bool inBox) {
        const Qt::KeyboardModifiers commands = key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
        if (commands == Qt::AltModifier && (key.key() == Qt::Key_Y || key.key() == Qt::Key_N)) {
            if (inBox)
                return false;  // the buttons' own keys
            box_.done(key.key() == Qt::Key_Y ? QMessageBox::Yes : QMessageBox::No);
            return true;
        }
        if (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter || key.key() == Qt::Key_Escape) {
            if (inBox)
                return false;
            box_.done(key.key() == Qt::Key_Escape ? QMessageBox::No : QMessageBox::Yes);
            return true;
        }
        const bool functionKey = key.key() >= Qt::Key_F1 && key.key() <= Qt::Key_F35;
        if ((commands == Qt::ControlModifier || (functionKey && !(commands & Qt::AltModifier))) &&
            !key.isAutoRepeat() && !(key.key() >= Qt::Key_Shift && key.key() <= Qt::Key_ScrollLock)) {
            later_.push_back({key.key(), key.modifiers()});
            return true;
        }
        if (key.key() == Qt::Key_Backspace && !commands) {
            typed_.chop(1);
            return true;
        }
        const QString text = key.text();
        if (!commands && !text.isEmpty() && text.front().isPrint()) {
            typed_ += text;
            return true;
        }
        return !inBox;  // Tab and the like move within the box; the other windows take nothing
    }

    QMessageBox &box_;
    QString &typed_;
    QPointer<QWidget> owner_;
    std::vector<Pressed> later_;
};

}  // namespace

int QtPrompts::reminder(const QString &text, const QString &title, QString &typedMeanwhile) {
    QWidget *owner = QApplication::activeWindow();
    // Asked right after another question, before the window has the keyboard back: still its own.
    for (QWidget *w : QApplication::topLevelWidgets())
        if (owner == nullptr && w->isVisible() && w->windowType() == Qt::Window)
            owner = w;
    QMessageBox box(owner);
    const KeyboardFocusShown shown(owner);
    box.setWindowTitle(title);
    box.setText(text);
    box.setIcon(QMessageBox::NoIcon);
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    box.setWindowModality(Qt::NonModal);
    const Reminder modal(box, typedMeanwhile, owner);
    QEventLoop answered;
    QObject::connect(&box, &QDialog::finished, &answered, &QEventLoop::quit);
    box.show();
    box.activateWindow();
    answered.exec();
    return box.result() == QMessageBox::Yes ? Yes : No;
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
    if (dialog.kind == FileDialog::Kind::Save) {
        // A name typed without a suffix gets the one of the type chosen: the proposed name's at
        // first, then the filter's the observer picks.
        const QString suffix = QFileInfo(dialog.initialName).suffix();
        box.setDefaultSuffix(suffix.isEmpty() ? QStringLiteral("csv") : suffix);
        for (const QString &filter : box.nameFilters())
            if (!suffix.isEmpty() && filter.contains(QStringLiteral("*.") + suffix, Qt::CaseInsensitive))
                box.selectNameFilter(filter);
        QObject::connect(&box, &QFileDialog::filterSelected, &box, [&box](const QString &filter) {
            const qsizetype star = filter.indexOf(QStringLiteral("*."));
            if (star >= 0)
                box.setDefaultSuffix(filter.mid(star + 2).section(QLatin1Char(')'), 0, 0).section(QLatin1Char(' '), 0, 0));
        });
    }
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
