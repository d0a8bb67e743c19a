#include "windows/frmStartup.h"

#include "ui/AppIcon.h"
#include "ui/NativePath.h"
#include "ui/Prompts.h"
#include "ui/Style.h"
#include "ui/Twips.h"
#include "windows/FileMessages.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

namespace {

const QString kFilter = QStringLiteral("Log Files (*.csv)");
const QString kProposedName = QStringLiteral("Usability Test Log.csv");

}  // namespace

frmStartup::frmStartup(Prompts &prompts, StartupHost &host, QWidget *parent)
    : QDialog(parent), prompts_(prompts), host_(host) {
    setObjectName(QStringLiteral("frmStartup"));
    setWindowIcon(appIcon());
    setFont(designFont());
    // A fixed dialog frame: no minimize or maximize box.
    setWindowFlags(kFixedDialogFlags);
    setFixedSize(twipsToPixels(5175), twipsToPixels(2070));

    const auto place = [](QWidget *w, const char *name, double l, double t, double wd, double h) {
        w->setObjectName(QString::fromLatin1(name));
        w->setGeometry(twipsToPixels(l, t, wd, h));
    };
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    place(OKButton, "OKButton", 2520, 1560, 1215, 375);
    OKButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    place(CancelButton, "CancelButton", 3840, 1560, 1215, 375);
    CancelButton->setAutoDefault(false);
    Label1 = new QLabel(QStringLiteral("What would you like to do?"), this);
    place(Label1, "Label1", 120, 120, 2295, 255);
    optStartUp[0] = new QRadioButton(QStringLiteral("Create a new usability test log file"), this);
    place(optStartUp[0], "optStartUp0", 240, 480, 4695, 375);
    optStartUp[1] = new QRadioButton(QStringLiteral("Open an existing usability test log file"), this);
    place(optStartUp[1], "optStartUp1", 240, 960, 4695, 375);
    optStartUp[0]->setChecked(true);
    for (QRadioButton *option : optStartUp)
        option->installEventFilter(this);
    setTabOrder(OKButton, CancelButton);
    setTabOrder(CancelButton, optStartUp[0]);
    setTabOrder(optStartUp[0], optStartUp[1]);

    connect(OKButton, &QPushButton::clicked, this, &frmStartup::OKButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &frmStartup::CancelButton_Click);
}

void frmStartup::Form_Load() {
    setWindowTitle(kAppTitle);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    show();
    optStartUp[0]->setFocus();
}

void frmStartup::OKButton_Click() {
    if (optStartUp[0]->isChecked())
        CreateNewLogFile();
    else if (optStartUp[1]->isChecked())
        OpenExistingLogFile();
}

void frmStartup::optStartUp_DblClick() { OKButton_Click(); }

void frmStartup::CancelButton_Click() {
    hide();
    emit programEnded();
}

void frmStartup::reject() { CancelButton_Click(); }  // Esc and the close box

bool frmStartup::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::MouseButtonDblClick && (watched == optStartUp[0] || watched == optStartUp[1])) {
        static_cast<QRadioButton *>(watched)->setChecked(true);
        optStartUp_DblClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void frmStartup::OpenExistingLogFile() { startLog(false); }
void frmStartup::CreateNewLogFile() { startLog(true); }

void frmStartup::startLog(bool create) {
    const std::optional<QString> path =
        prompts_.fileDialog({create ? Prompts::FileDialog::Kind::Save : Prompts::FileDialog::Kind::Open,
                             create ? kProposedName : QString(), kFilter, host_.startFolder()});
    if (!path)
        return;  // the dialog stays for another choice
    if (!create) {
        // A file that is not a log is used only when the observer says so.
        const logfile::LogCheck check = logfile::checkLogFile(toNativePath(*path));
        if (check.result == logfile::LogCheck::Result::NotLog && !confirmNotALog(prompts_, *path, check.reason))
            return;
    }
    host_.useLogFile(*path);
    logfile::FileError error =
        create ? logfile::createEmpty(toNativePath(*path)) : logfile::touchForAppend(toNativePath(*path));
    if (!error)
        error = host_.writeColumnHeader();
    if (error) {
        prompts_.messageBox(logFileFailureMessage(create, error), kAppTitle, Prompts::Buttons::Ok,
                            Prompts::Icon::Exclamation);
        return;
    }
    host_.showMainWindow(create);
    accept();
}
