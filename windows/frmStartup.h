#pragma once
// The program's first window: create a new log file or open an existing one.

#include "core/logio.h"

#include <QDialog>
#include <array>

class Prompts;
class QLabel;
class QPushButton;
class QRadioButton;

// What the start-up dialog needs of the main window, which it may not know itself.
class StartupHost {
public:
    virtual ~StartupHost() = default;
    // The chosen file becomes the current log file.
    virtual void useLogFile(const QString &path) = 0;
    // Gives an empty current log file its header row.
    virtual logfile::FileError writeColumnHeader() = 0;
    // Loads and shows the main window on the current log file. A new file also goes on top of the
    // recently used files, and the participant box then reads "Participant Name".
    virtual void showMainWindow(bool newFile) = 0;
    // Where the file dialogs open: the folder of the most recently used log, else the user's
    // documents, else home.
    virtual QString startFolder() const = 0;
};

class frmStartup : public QDialog {
    Q_OBJECT

public:
    frmStartup(Prompts &prompts, StartupHost &host, QWidget *parent = nullptr);

    void Form_Load();
    void OKButton_Click();
    void optStartUp_DblClick();
    void CancelButton_Click();

    QPushButton *OKButton = nullptr;
    QPushButton *CancelButton = nullptr;
    QLabel *Label1 = nullptr;
    std::array<QRadioButton *, 2> optStartUp{};

signals:
    // Cancel or closing the dialog: the program ends.
    void programEnded();

protected:
    void reject() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void OpenExistingLogFile();
    void CreateNewLogFile();
    void startLog(bool create);

    Prompts &prompts_;
    StartupHost &host_;
};
