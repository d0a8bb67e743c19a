#pragma once
// Every modal question the program asks goes through here, so tests can answer it.

#include "ui/AppTitle.h"

#include <QString>
#include <optional>

class QWidget;

class Prompts {
public:
    // Button codes returned by messageBox.
    enum Answer { OK = 1, Cancel = 2, Yes = 6, No = 7 };
    enum class Buttons { Ok, OkCancel, YesNo };
    enum class Icon { None, Information, Exclamation };

    struct FileDialog {
        enum class Kind { Open, Save } kind = Kind::Open;
        QString initialName;
        QString filter;     // e.g. "Log Files (*.csv)"
        QString directory;  // the folder it opens in
    };

    virtual ~Prompts() = default;
    // `defaultButton` is one of the Answer codes, or 0 for the toolkit's choice.
    virtual int messageBox(const QString &text, const QString &title, Buttons buttons, Icon icon,
                           int defaultButton = 0) = 0;
    // A reminder: a Yes/No question, Yes the default, asked while the observer may be typing. Only
    // deliberate answers answer it (Enter, Esc, Alt+Y, Alt+N, a click); the text typed while it
    // asks is handed back in `typedMeanwhile`, in order.
    virtual int reminder(const QString &text, const QString &title, QString &typedMeanwhile) = 0;
    // The text typed, or empty text when cancelled.
    virtual QString inputBox(const QString &prompt, const QString &title, const QString &proposed) = 0;
    // The chosen full path; nothing when cancelled.
    virtual std::optional<QString> fileDialog(const FileDialog &dialog) = 0;
};

// The real dialogs, parented to the active window.
class QtPrompts final : public Prompts {
public:
    int messageBox(const QString &text, const QString &title, Buttons buttons, Icon icon, int defaultButton) override;
    int reminder(const QString &text, const QString &title, QString &typedMeanwhile) override;
    QString inputBox(const QString &prompt, const QString &title, const QString &proposed) override;
    std::optional<QString> fileDialog(const FileDialog &dialog) override;
};
