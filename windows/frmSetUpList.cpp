#include "windows/frmSetUpList.h"

#include "lists/NameList.h"
#include "lists/SettingsStore.h"
#include "ui/AccessKeys.h"
#include "ui/AltLetterGuard.h"
#include "ui/AppIcon.h"
#include "ui/OneLineValidator.h"
#include "ui/Prompts.h"
#include "ui/Style.h"
#include "ui/Twips.h"
#include "windows/FileMessages.h"
#include "windows/Pickers.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <algorithm>
#include <ranges>

const SetUpListKind kSetUpScenarios{"frmSetUpScenarios", " - Set Up Scenarios", "txtScenario", "lstScenario",
                                    settingkeys::Scenarios, "Edit scenario name.", 0, false, false};
const SetUpListKind kSetUpParticipants{"frmSetUpParticipants", " - Set Up Participants", "txtParticipant",
                                       "lstParticipant", settingkeys::Participants, "Edit participant name.", 0,
                                       false, false};
const SetUpListKind kSetUpCustomButtons{"frmSetUpCustomButtons", " - Set Up Custom Event Buttons", "txtButton",
                                        "lstButton", settingkeys::Buttons, "Edit button name.", 10, true, true};

frmSetUpList::frmSetUpList(const SetUpListKind &kind, SettingsStore &store, Prompts &prompts, QString &count,
                           std::function<void()> refresh, QWidget *parent)
    : QDialog(parent), kind_(kind), store_(store), prompts_(prompts), count_(count), refresh_(std::move(refresh)) {
    setObjectName(QString::fromLatin1(kind.dialogName));
    setWindowIcon(appIcon());
    setFont(designFont());
    setWindowFlags(kFixedDialogFlags);
    const double bottom = kind.shortWindow ? 2760 : 3480;  // the button dialog is shorter
    setFixedSize(twipsToPixels(5910), twipsToPixels(kind.shortWindow ? 3255 : 3975));

    const auto place = [](QWidget *w, const char *name, double l, double t, double wd, double h) {
        w->setObjectName(QString::fromLatin1(name));
        w->setGeometry(twipsToPixels(l, t, wd, h));
    };
    txtScenario = new QLineEdit(this);
    place(txtScenario, kind.textBoxName, 120, 120, 4335, 285);
    ignoreUnclaimedAltLetters(txtScenario);
    makeOneLine(txtScenario);
    lstScenario = new QListWidget(this);
    place(lstScenario, kind.listName, 120, 480, 4335, kind.shortWindow ? 2010 : 2790);
    cmdAdd = new QPushButton(QStringLiteral("&Add"), this);
    place(cmdAdd, "cmdAdd", 4560, 120, 1215, 375);
    cmdEdit = new QPushButton(QStringLiteral("&Edit"), this);
    place(cmdEdit, "cmdEdit", 4560, 600, 1215, 375);
    cmdRemove = new QPushButton(QStringLiteral("&Remove"), this);
    place(cmdRemove, "cmdRemove", 4560, 1080, 1215, 375);
    OKButton = new QPushButton(QStringLiteral("&OK"), this);
    place(OKButton, "OKButton", 3240, bottom, 1215, 375);
    CancelButton = new QPushButton(QStringLiteral("&Cancel"), this);
    place(CancelButton, "CancelButton", 4560, bottom, 1215, 375);
    Line1 = new QFrame(this);
    Line1->setFrameShape(QFrame::HLine);
    Line1->setFrameShadow(QFrame::Sunken);
    place(Line1, "Line1", 120, bottom - 120 - 15, 5640, 30);
    // No button is the default: Enter in the text box means Add, and Enter elsewhere adds nothing.
    for (QPushButton *b : {cmdAdd, cmdEdit, cmdRemove, OKButton, CancelButton})
        b->setAutoDefault(false);
    QWidget *order[] = {txtScenario, lstScenario, cmdAdd, cmdEdit, cmdRemove, OKButton, CancelButton};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(lstScenario, &QListWidget::itemSelectionChanged, this, [this] {
        if (!lstScenario->selectedItems().isEmpty())
            lstScenario_Click();
    });
    connect(lstScenario, &QListWidget::itemDoubleClicked, this, &frmSetUpList::lstScenario_DblClick);
    connect(txtScenario, &QLineEdit::returnPressed, this, [this] { txtScenario_KeyDown(13); });
    connect(cmdAdd, &QPushButton::clicked, this, &frmSetUpList::cmdAdd_Click);
    connect(cmdEdit, &QPushButton::clicked, this, &frmSetUpList::cmdEdit_Click);
    connect(cmdRemove, &QPushButton::clicked, this, &frmSetUpList::cmdRemove_Click);
    connect(OKButton, &QPushButton::clicked, this, &frmSetUpList::OKButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &frmSetUpList::CancelButton_Click);
    Form_Load();
}

void frmSetUpList::Form_Load() {
    setWindowTitle(kAppTitle + QString::fromLatin1(kind_.titleSuffix));
    lstScenario->clear();
    StoredNameList stored = readNameList(store_, kind_.keys);
    count_ = stored.count;
    // Sorted once and shown in one go: names alike without regard to case keep their stored order,
    // as adding them one by one would.
    sortNames(stored.items);
    lstScenario->addItems(stored.items);
    cmdEdit->setEnabled(false);
    cmdRemove->setEnabled(false);
}

QStringList frmSetUpList::names() const {
    QStringList out;
    for (int i = 0; i < lstScenario->count(); ++i)
        out << lstScenario->item(i)->text();
    return out;
}

void frmSetUpList::addSorted(const QString &name) {
    const auto rows = std::views::iota(0, lstScenario->count());
    const auto after = std::upper_bound(rows.begin(), rows.end(), name, [this](const QString &added, int row) {
        return QString::compare(added, lstScenario->item(row)->text(), Qt::CaseInsensitive) < 0;
    });
    lstScenario->insertItem(static_cast<int>(after - rows.begin()), name);
}

void frmSetUpList::lstScenario_Click() {
    cmdEdit->setEnabled(true);
    cmdRemove->setEnabled(true);
    txtScenario->setText(lstScenario->currentItem()->text());
}

void frmSetUpList::lstScenario_DblClick() { cmdEdit_Click(); }

void frmSetUpList::txtScenario_KeyDown(int KeyCode) {
    if (KeyCode == 13)
        cmdAdd_Click();
}

void frmSetUpList::cmdAdd_Click() {
    if (kind_.limit > 0 && lstScenario->count() >= kind_.limit) {
        prompts_.messageBox(QStringLiteral("A maximum of 10 custom buttons may be created."), kAppTitle,
                            Prompts::Buttons::Ok, Prompts::Icon::Exclamation);
        return;
    }
    if (txtScenario->text().isEmpty())
        return;
    warnOfTakenAccessKey(txtScenario->text(), -1);
    addSorted(txtScenario->text());
    txtScenario->clear();
    txtScenario->setFocus();
}

void frmSetUpList::cmdEdit_Click() {
    QListWidgetItem *selected = lstScenario->selectedItems().value(0);
    if (selected == nullptr)
        return;  // nothing selected, nothing to edit (after an edit or the last removal)
    const QString answer = prompts_.inputBox(QString::fromLatin1(kind_.editPrompt), kAppTitle, selected->text());
    if (answer.isEmpty())
        return;
    // Taking an item out moves the selection; that is no choice of the observer's.
    warnOfTakenAccessKey(answer, lstScenario->row(selected));
    const QSignalBlocker quiet(lstScenario);
    delete lstScenario->takeItem(lstScenario->row(selected));
    addSorted(answer);
    lstScenario->setCurrentRow(-1, QItemSelectionModel::Clear);
    lstScenario->clearSelection();
}

void frmSetUpList::cmdRemove_Click() {
    const QList<QListWidgetItem *> selected = lstScenario->selectedItems();
    const int remembered = selected.isEmpty() ? -1 : lstScenario->row(selected.first());
    if (lstScenario->count() > 0) {
        if (remembered >= 0) {
            const QSignalBlocker quiet(lstScenario);
            delete lstScenario->takeItem(remembered);
            lstScenario->setCurrentRow(-1, QItemSelectionModel::Clear);
        }
        // The name that followed the removed one, or the new last one.
        const int last = lstScenario->count() - 1;
        const int next = last >= remembered ? remembered : last;
        if (next >= 0) {
            lstScenario->setCurrentRow(next, QItemSelectionModel::ClearAndSelect);
        } else {
            lstScenario->clearSelection();
            if (lstScenario->count() == 0)
                txtScenario->clear();  // the removed name is gone from the list, so from the box too
        }
    }
    txtScenario->setFocus();
}

void frmSetUpList::OKButton_Click() {
    rewriteNameList(store_, kind_.keys, count_, names());
    if (store_.takeSaveFailure())
        prompts_.messageBox(settingsNotSaved(store_, QStringLiteral("The list could not be saved")), kAppTitle,
                            Prompts::Buttons::Ok, Prompts::Icon::Exclamation);
    if (refresh_)
        refresh_();
    accept();
}

void frmSetUpList::CancelButton_Click() { reject(); }

void frmSetUpList::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Escape) {
        OKButton_Click();  // Esc keeps the list, as OK does
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // A button with the focus takes Enter as a press, as on a keyboard-driven desktop.
        if (auto *button = qobject_cast<QPushButton *>(focusWidget())) {
            button->click();
            return;
        }
    }
    QDialog::keyPressEvent(event);
}

void frmSetUpList::warnOfTakenAccessKey(const QString &name, int editedRow) {
    const QChar key = accessKeyOf(name);
    if (!kind_.accessKeys || key.isNull())
        return;
    QString clash;
    for (const TakenAccessKey &taken : kWindowAccessKeys)
        if (accessKeyOf(QString::fromLatin1(taken.caption)) == key)
            clash = QStringLiteral("is taken already by %1, so Alt+%2 will not press this button.")
                        .arg(QString::fromLatin1(taken.owner), key);
    // Between buttons the first in the list, the leftmost, keeps the key.
    QStringList after = names();
    if (editedRow >= 0)
        after.removeAt(editedRow);
    for (qsizetype row = 0; clash.isEmpty() && row < after.size(); ++row) {
        if (accessKeyOf(after[row]) != key)
            continue;
        const bool before = QString::compare(after[row], name, Qt::CaseInsensitive) <= 0;
        clash = before ? QStringLiteral("is taken already by the button \"%1\", which comes before it, so Alt+%2 "
                                        "will press \"%1\" and not this button.")
                             .arg(after[row], key)
                       : QStringLiteral("is taken already by the button \"%1\", which comes after it, so Alt+%2 "
                                        "will now press this button and \"%1\" goes without a key.")
                             .arg(after[row], key);
    }
    if (clash.isEmpty())
        return;
    prompts_.messageBox(QStringLiteral("The access key Alt+%1 of \"%2\" %3\n\nThe name is kept as you typed it. To "
                                       "give the button a key of its own, put the & before another letter; Ctrl with "
                                       "the button's number presses it in any case.")
                            .arg(key, name, clash),
                        kAppTitle, Prompts::Buttons::Ok, Prompts::Icon::Exclamation);
}
