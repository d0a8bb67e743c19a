// A session from the keyboard as a fast typist meets it: nothing typed is lost to a reminder, a
// slip is taken back with one key and kept beside the log, and every command has its key.

#include "core/logrewrite.h"
#include "tests/support/LoggerFixture.h"

#include <QComboBox>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>

namespace {
const QString kStart = QStringLiteral("***START SCENARIO TIMER - Checkout***");
}  // namespace

class TestKeys : public QObject {
    Q_OBJECT

    LoggerFixture f;

    // To the focus widget of the active window, as a real key goes.
    static void key(int k, Qt::KeyboardModifiers mods = {}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(k), mods);
    }
    static void type(const QString &text) { QTest::keyClicks(QApplication::focusWidget(), text); }
    // The message box shown now (a reminder blocks its window by itself, not as a modal dialog).
    static QMessageBox *shownMessageBox() {
        QMessageBox *box = nullptr;
        (void)QTest::qWaitFor([&] {
            for (QWidget *w : QApplication::topLevelWidgets())
                if (auto *b = qobject_cast<QMessageBox *>(w); b && b->isVisible())
                    box = b;
            return box != nullptr;
        }, 2000);
        return box;
    }
    // The scenario reminder on, asked by the real message box; false if the window is not active.
    bool withRealReminder(QtPrompts &real) {
        f.session = std::make_unique<Session>(*f.store, f.clock);
        f.saveScenarios({"Checkout"});
        f.saveButtons({"Error", "Hesitation"});
        f.store->SaveSetting("Reminders", "VCR Reminder", "0");
        f.store->SaveSetting("Reminders", "Scenario Reminder", "1");
        f.session->log().use(f.logPath());
        f.window = std::make_unique<frmLogger>(*f.session, real);
        if (f.window->WriteColumnHeader())
            return false;
        f.window->Form_Load();
        f.window->controls().tmrMainTimer->stop();
        return showActive(f.window.get());
    }
    frmLogger &window(bool vcrReminder = false, bool scenarioReminder = false) {
        f.saveScenarios({"Checkout", "Search", "Wishlist"});
        f.saveList(settingkeys::Participants, {"P1", "P2"});
        f.saveButtons({"Error", "Hesitation"});
        return f.load(vcrReminder, scenarioReminder);
    }

private slots:
    void init() { f.reset(); }
    void cleanup() { f.finish(); }

    void typingGoesOnWhileAReminderAsks_data() {
        QTest::addColumn<QString>("answer");  // the deliberate answer, after the sentence
        QTest::addColumn<QStringList>("logged");
        QTest::newRow("Enter: Yes") << "Enter" << QStringList{kStart, "Not sure where the basket is, yes or no"};
        QTest::newRow("Alt+Y") << "Alt+Y" << QStringList{kStart, "Not sure where the basket is, yes or no"};
        QTest::newRow("Esc: No") << "Esc" << QStringList{"Not sure where the basket is, yes or no"};
        QTest::newRow("Alt+N") << "Alt+N" << QStringList{"Not sure where the basket is, yes or no"};
    }
    void typingGoesOnWhileAReminderAsks() {
        QFETCH(QString, answer);
        QFETCH(QStringList, logged);
        QtPrompts real;  // the real question, answered by keys
        QVERIFY(withRealReminder(real));
        int asked = 0;
        // The first key asks; the rest of the sentence, blanks, y and n included, goes on being typed.
        QTimer::singleShot(0, [&] {
            QMessageBox *box = shownMessageBox();
            if (!box)
                return;
            ++asked;
            // Keys typed before the box has the keyboard still reach the comment box's window.
            QTest::keyClicks(f.c().txtComment, "ot sure ");
            if (!showActive(box))
                return;
            QWidget *keys = box->focusWidget() ? box->focusWidget() : box;
            QTest::keyClicks(keys, "where the basket is, yes or no");
            if (answer == "Enter")
                QTest::keyClick(keys, Qt::Key_Return);
            else if (answer == "Esc")
                QTest::keyClick(keys, Qt::Key_Escape);
            else
                QTest::keyClick(keys, answer == "Alt+Y" ? Qt::Key_Y : Qt::Key_N, Qt::AltModifier);
            // A key that presses a button shows the press first; unanswered, no test waits for a person.
            if (!QTest::qWaitFor([box] { return !box->isVisible(); }, 2000))
                box->reject();
        });
        QTest::keyClicks(f.c().txtComment, "N");
        QCOMPARE(asked, 1);
        QCOMPARE(f.c().txtComment->text(), QString("Not sure where the basket is, yes or no"));
        QCOMPARE(f.c().cmdPauseScenario->isEnabled(), logged.size() == 2);  // started by the answer only
        if (logged.size() == 1)  // after No the reminder asks again at the next key; No once more
            QTimer::singleShot(0, [] {
                if (QMessageBox *box = shownMessageBox())
                    box->reject();
            });
        QTest::keyClick(f.c().txtComment, Qt::Key_Return);
        QCOMPARE(f.comments(), logged.size() == 2 ? logged : QStringList());
        QCOMPARE(f.c().txtComment->text(), logged.size() == 2 ? QString() : logged.first());
    }

    void anEventKeyWhileAReminderAsksIsNotLost() {
        QtPrompts real;
        QVERIFY(withRealReminder(real));
        QTimer::singleShot(0, [] {
            QMessageBox *box = shownMessageBox();
            if (!box || !showActive(box))
                return;
            QWidget *keys = box->focusWidget() ? box->focusWidget() : box;
            QTest::keyClick(keys, Qt::Key_2, Qt::ControlModifier);  // Hesitation, pressed at once
            QTest::keyClick(keys, Qt::Key_Return);
            if (!QTest::qWaitFor([box] { return !box->isVisible(); }, 2000))
                box->reject();
        });
        key(Qt::Key_1, Qt::ControlModifier);  // Error asks to start the scenario timer first
        QCOMPARE(f.comments(), (QStringList{kStart, "Error"}));
        QVERIFY(showActive(f.window.get()));  // the window manager gives the window the keyboard back
        QTRY_COMPARE(f.comments(), (QStringList{kStart, "Error", "Hesitation"}));
    }

    void aSlipIsTakenBack() {
        window();
        f.enter("first");
        key(Qt::Key_F5);  // a marker in between
        key(Qt::Key_1, Qt::ControlModifier);  // Error, where Hesitation was meant
        const QByteArray withSlip = f.logBytes();
        const QByteArray slip = f.lastRow();
        f.c().txtComment->setFocus();
        key(Qt::Key_Z, Qt::ControlModifier);  // in the comment box too
        QCOMPARE(f.comments(), (QStringList{"first", kStart}));
        QCOMPARE(f.logBytes(), withSlip.left(withSlip.size() - slip.size()));
        QCOMPARE(f.listLines().size(), 3);
        const QString aside = f.logPath() + ".removed-rows.csv";
        QCOMPARE(readBytes(aside), f.logBytes().left(f.logBytes().indexOf("\r\n") + 2) + slip);  // kept whole
        key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);  // redo: byte for byte, in its place
        QCOMPARE(f.logBytes(), withSlip);
        QCOMPARE(f.listLines().size(), 4);
        key(Qt::Key_Z, Qt::ControlModifier);
        key(Qt::Key_Z, Qt::ControlModifier);  // a marker is passed by: the comment before it goes
        QCOMPARE(f.comments(), QStringList{kStart});
        key(Qt::Key_2, Qt::ControlModifier);  // the right button now
        QCOMPARE(f.comments(), (QStringList{kStart, "Hesitation"}));
        key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);  // a new entry ends what redo could do
        QCOMPARE(f.comments(), (QStringList{kStart, "Hesitation"}));
        // The line edit's own undo does not bring back a comment just logged.
        f.enter("logged once");
        key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f.c().txtComment->text(), QString());
        QCOMPARE(f.comments(), (QStringList{kStart, "Hesitation"}));
    }

    void aChosenEntryIsRemoved() {
        window();
        f.enter("one");
        key(Qt::Key_F5);
        f.enter("two");
        const QByteArray before = f.logBytes();
        f.c().lstComment->setFocus();
        f.window->selectLine(2);  // the START marker: said at once, not after a Yes to taking it out
        f.prompts.answerMessage("Markers stay in the log", Prompts::OK);
        key(Qt::Key_Delete);
        QCOMPARE(f.logBytes(), before);
        f.c().lstComment->setFocus();
        f.window->selectLine(1);
        f.prompts.answerMessage("P1    |    Checkout    |    00:00:00    |    one", Prompts::No);  // shown, and kept
        key(Qt::Key_Delete);
        QCOMPARE(f.logBytes(), before);
        f.c().lstComment->setFocus();
        f.prompts.answerMessage("Take this entry out of the log?", Prompts::Yes);
        key(Qt::Key_Delete);
        QCOMPARE(f.comments(), (QStringList{kStart, "two"}));
        QCOMPARE(f.listLines().size(), 3);
        QVERIFY(readBytes(f.logPath() + ".removed-rows.csv").endsWith(",\"one\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n"));
        QCOMPARE(QApplication::focusWidget(), f.c().txtComment);
        // Delete in the comment box deletes text, nothing else.
        type("abc");
        key(Qt::Key_Home);
        key(Qt::Key_Delete);
        QCOMPARE(f.c().txtComment->text(), QString("bc"));
        QCOMPARE(f.comments().size(), 2);
    }

    void everyCommandHasItsKey() {
        frmLogger &w = window();
        f.enter("to correct");
        // Ctrl+E edits the selected line; Ctrl+L and Esc come back to the comment box.
        f.prompts.answerInput("Edit this comment.", "corrected");
        key(Qt::Key_E, Qt::ControlModifier);
        QCOMPARE(f.comments(), QStringList{"corrected"});
        f.c().cmdStartVCR->setFocus();
        key(Qt::Key_L, Qt::ControlModifier);
        QCOMPARE(QApplication::focusWidget(), f.c().txtComment);
        f.c().cmdStartVCR->setFocus();
        key(Qt::Key_Escape);
        QCOMPARE(QApplication::focusWidget(), f.c().txtComment);
        // The next and the previous scenario and participant, as a choice in the picker.
        key(Qt::Key_PageDown, Qt::ControlModifier);
        QCOMPARE(f.c().cmbScenarios->currentText(), QString("Search"));
        QCOMPARE(f.c().cmbScenarios->toolTip(), QString("Search"));
        key(Qt::Key_PageDown, Qt::ControlModifier);
        key(Qt::Key_PageDown, Qt::ControlModifier);  // the last one stays the last one
        QCOMPARE(f.c().cmbScenarios->currentText(), QString("Wishlist"));
        key(Qt::Key_PageUp, Qt::ControlModifier);
        QCOMPARE(f.c().cmbScenarios->currentText(), QString("Search"));
        key(Qt::Key_PageDown, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(f.c().cmbParticipants->currentText(), QString("P2"));
        f.enter("in the next scenario");
        QCOMPARE(f.rows().back()[logformat::Scenario], logformat::Field::txt("Search"));
        QCOMPARE(f.rows().back()[logformat::Participant], logformat::Field::txt("P2"));
        // File > Export to Spreadsheet by its letter: a workbook named after the log, beside it.
        f.prompts.answerFile(std::nullopt);
        key(Qt::Key_F, Qt::AltModifier);
        QTRY_VERIFY(f.c().mnuFile->isVisible());
        QTest::keyClick(f.c().mnuFile, Qt::Key_S);
        QTRY_COMPARE(f.prompts.lastFileDialog().initialName, QString("log.xlsx"));
        // The Set Up buttons by their keys.
        for (const auto &[letter, dialogName] : {std::pair{Qt::Key_U, "frmSetUpScenarios"}, {Qt::Key_P, "frmSetUpParticipants"}}) {
            QVERIFY(showActive(&w));
            f.c().txtComment->setFocus();
            QString opened;
            QTimer watch;  // the dialog opens after the button shows its press
            connect(&watch, &QTimer::timeout, [&] {
                if (auto *d = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
                    opened = d->objectName();
                    d->close();
                }
            });
            watch.start(20);
            key(letter, Qt::AltModifier);
            QTRY_COMPARE(opened, QString(dialogName));
        }
    }
};

QTEST_MAIN(TestKeys)
#include "tst_keys.moc"
