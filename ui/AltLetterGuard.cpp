#include "ui/AltLetterGuard.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>

namespace {

class Guard final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::KeyPress) {
            // A menu or a button that took the key would have had it as a shortcut before this.
            const auto *key = static_cast<QKeyEvent *>(event);
            const Qt::KeyboardModifiers mods = key->modifiers() & (Qt::AltModifier | Qt::ControlModifier);
            if (mods == Qt::AltModifier && !key->text().isEmpty() && key->text().front().isPrint())
                return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

Guard *guard() {
    static Guard *shared = new Guard(QCoreApplication::instance());
    return shared;
}

}  // namespace

void ignoreUnclaimedAltLetters(QWidget *editor) {
    editor->installEventFilter(guard());
    // A picker's text is typed into its own line edit.
    if (auto *picker = qobject_cast<QComboBox *>(editor); picker && picker->lineEdit())
        picker->lineEdit()->installEventFilter(guard());
}
