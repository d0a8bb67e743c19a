#pragma once
// The three list set-up dialogs (scenarios, participants, custom event buttons): one design and
// one behaviour, told apart by a table of what differs.

#include "lists/SettingKeys.h"

#include <QDialog>
#include <functional>

class Prompts;
class QFrame;
class QLineEdit;
class QListWidget;
class QPushButton;
class SettingsStore;

struct SetUpListKind {
    const char *dialogName;   // frmSetUpScenarios, ...
    const char *titleSuffix;  // after "Quorvane"
    const char *textBoxName;
    const char *listName;
    settingkeys::NameList keys;
    const char *editPrompt;
    int limit;  // the most names a list may hold; 0 for no limit
    bool shortWindow;
    bool accessKeys;  // the names are captions whose "&" letter presses them
};

extern const SetUpListKind kSetUpScenarios;
extern const SetUpListKind kSetUpParticipants;
extern const SetUpListKind kSetUpCustomButtons;

class frmSetUpList : public QDialog {
    Q_OBJECT

public:
    // `count` is the shared count variable of the list: set to the stored count as the dialog
    // opens, and used on OK to delete the keys of the list as it was read. `refresh` updates the
    // main window after OK has saved the list.
    frmSetUpList(const SetUpListKind &kind, SettingsStore &store, Prompts &prompts, QString &count,
                 std::function<void()> refresh, QWidget *parent = nullptr);

    void Form_Load();
    void lstScenario_Click();
    void lstScenario_DblClick();
    void txtScenario_KeyDown(int KeyCode);
    void cmdAdd_Click();
    void cmdEdit_Click();
    void cmdRemove_Click();
    void OKButton_Click();
    void CancelButton_Click();

    QStringList names() const;

    QLineEdit *txtScenario = nullptr;  // txtParticipant, txtButton in the other two
    QListWidget *lstScenario = nullptr;
    QPushButton *cmdAdd = nullptr;
    QPushButton *cmdEdit = nullptr;
    QPushButton *cmdRemove = nullptr;
    QPushButton *OKButton = nullptr;
    QPushButton *CancelButton = nullptr;
    QFrame *Line1 = nullptr;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    // Puts a name in its sorted place: after every name that equals it without regard to case.
    void addSorted(const QString &name);
    // Says when the access key of a caption about to be stored is taken already (by a menu of the
    // main window or another button), so that it would not press its button.
    void warnOfTakenAccessKey(const QString &name, int editedRow);

    const SetUpListKind &kind_;
    SettingsStore &store_;
    Prompts &prompts_;
    QString &count_;
    std::function<void()> refresh_;
};
