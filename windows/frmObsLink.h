#pragma once
// How OBS Studio's WebSocket server is reached: host, port and password, as OBS Studio shows
// them under Tools > WebSocket Server Settings.

#include "session/tape/ObsLink.h"

#include <QDialog>

class QLineEdit;
class QPushButton;
class QSpinBox;

class frmObsLink : public QDialog {
    Q_OBJECT

public:
    explicit frmObsLink(const ObsSettings &settings, QWidget *parent = nullptr);

    ObsSettings settings() const;

    QLineEdit *txtHost = nullptr;
    QSpinBox *txtPort = nullptr;
    QLineEdit *txtPassword = nullptr;
    QPushButton *OKButton = nullptr;
    QPushButton *CancelButton = nullptr;
};
