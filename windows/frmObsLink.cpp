#include "windows/frmObsLink.h"

#include "ui/AppIcon.h"
#include "ui/AppTitle.h"
#include "ui/Style.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

frmObsLink::frmObsLink(const ObsSettings &settings, QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmObsLink"));
    setWindowTitle(kAppTitle + QStringLiteral(" - OBS Studio Recording"));
    setWindowIcon(appIcon());
    setFont(designFont());
    setWindowFlags(kFixedDialogFlags);

    auto *form = new QFormLayout(this);
    auto *note = new QLabel(QStringLiteral("The VCR timer follows OBS Studio's recording. In OBS Studio, Tools > "
                                           "WebSocket Server Settings: tick Enable WebSocket server; Show Connect "
                                           "Info there tells the port and the password."),
                            this);
    note->setWordWrap(true);
    form->addRow(note);
    txtHost = new QLineEdit(settings.host, this);
    txtHost->setObjectName(QStringLiteral("txtHost"));
    form->addRow(QStringLiteral("&Host:"), txtHost);
    txtPort = new QSpinBox(this);
    txtPort->setObjectName(QStringLiteral("txtPort"));
    txtPort->setRange(1, 65535);
    txtPort->setValue(settings.port);
    form->addRow(QStringLiteral("P&ort:"), txtPort);
    txtPassword = new QLineEdit(settings.password, this);
    txtPassword->setObjectName(QStringLiteral("txtPassword"));
    txtPassword->setEchoMode(QLineEdit::Password);
    txtPassword->setPlaceholderText(QStringLiteral("none"));
    form->addRow(QStringLiteral("&Password:"), txtPassword);

    auto *buttons = new QDialogButtonBox(this);
    OKButton = buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);  // Enter in a box links
    CancelButton = buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
    form->setSizeConstraint(QLayout::SetFixedSize);  // as every dialog of the program: a fixed size
    note->setFixedWidth(360);
    txtHost->setFocus();
}

ObsSettings frmObsLink::settings() const {
    ObsSettings s;
    s.host = txtHost->text().trimmed().isEmpty() ? ObsSettings().host : txtHost->text().trimmed();
    s.port = txtPort->value();
    s.password = txtPassword->text();
    return s;
}
