#include "ui/Prompts.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QScopeGuard>

namespace {

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
