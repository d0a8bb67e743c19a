// The main window's list dialogs, moving the window, help and About.

#include "HelpWindow.h"
#include "LoggerFixture.h"
#include "frmSetUpList.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTextBrowser>
#include <QTimer>

class TestWindow : public QObject {
    Q_OBJECT

    LoggerFixture f;

    // Adds names in the list dialog the command opens, then OK or Cancel.
    static void inListDialog(const QStringList &names, bool ok, const char *expectedName = nullptr) {
        QTimer::singleShot(0, [=] {
            auto *dialog = qobject_cast<frmSetUpList *>(QApplication::activeModalWidget());
            QVERIFY(dialog != nullptr);
            if (expectedName)
                QCOMPARE(dialog->objectName(), QString(expectedName));
            for (const QString &name : names) {
                dialog->txtScenario->setText(name);
                dialog->cmdAdd->click();
            }
            (ok ? dialog->OKButton : dialog->CancelButton)->click();
        });
    }

private slots:
    void init() { f.reset(); }
    void cleanup() { f.finish(); }

    void scenarioDialogRefreshesThePicker() {
        frmLogger &w = f.load();
        inListDialog({"beta", "Alpha", "gamma"}, true, "frmSetUpScenarios");
        w.controls().cmdSetUpScenarios->click();
        QComboBox *picker = w.controls().cmbScenarios;
        QVERIFY(picker->count() == 3 && picker->currentText() == "Alpha" && picker->toolTip() == "Alpha");
        QCOMPARE(f.window->modVariables.ScenarioCount, QString("2"));

        // Cancel in the participant dialog leaves its picker as it was.
        w.controls().cmbParticipants->setEditText("typed");
        inListDialog({"P9"}, false, "frmSetUpParticipants");
        w.controls().cmdSetUpParticipants->click();
        QVERIFY(w.controls().cmbParticipants->currentText() == "typed" && w.controls().cmbParticipants->count() == 0);
    }

    void buttonDialogRefreshesBarAndHeader() {
        // An empty log file gets a header row with the new buttons.
        frmLogger &w = f.load();
        QVERIFY(writeBytes(f.logPath(), ""));
        inListDialog({"Error", "Help &Used"}, true, "frmSetUpCustomButtons");
        w.controls().mnuCustomizeEventButtons->trigger();
        QVERIFY(w.controls().cmd[1]->isVisible() && w.controls().cmd[1]->text() == "Help &Used");
        QVERIFY(!w.controls().cmd[2]->isVisible());
        QVERIFY(f.logBytes().contains("\"Comment\",\"Button - Error\",\"Button - Help Used\",\"Button - \""));
        QCOMPARE(f.listLines().size(), 1);

        // A log with rows keeps its header as it was.
        const QByteArray before = f.logBytes();
        inListDialog({"Third"}, true);
        w.mnuCustomizeEventButtons_Click();
        QCOMPARE(f.logBytes(), before);
        QVERIFY(w.controls().cmd[2]->isVisible());
    }

    void aboutMessage() {
        frmLogger &w = f.load();
        f.prompts.answerMessage(Prompts::OK);
        w.controls().mnuAbout->trigger();
        const ScriptedPrompts::Call told = f.prompts.calls.at(0);
        QVERIFY(told.title == "About Quorvane" && told.icon == Prompts::Icon::Information &&
                told.buttons == Prompts::Buttons::Ok);
        const QStringList lines = told.text.split('\n');
        QCOMPARE(lines.size(), 7);
        QVERIFY(lines[0] == "Title: Quorvane" && lines[1] == "Version: 1.6.0" && lines[3].isEmpty());
        QVERIFY(lines[2].startsWith("Copyright: ") && lines[2].size() > 11);
        QVERIFY(lines[4].startsWith("Availability: http"));
        QVERIFY(lines[5].startsWith("Author: ") && lines[6].startsWith("Email: ") && lines[6].contains('@'));
    }

    void dragging_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("moves");
        QTest::newRow("label, right button") << "lblVCRTimeLabel" << int(Qt::RightButton) << true;
        QTest::newRow("value label, middle button") << "lblPCTime" << int(Qt::MiddleButton) << true;
        QTest::newRow("comments label") << "lblComments" << int(Qt::LeftButton) << true;
        QTest::newRow("frame's empty area") << "frameScenario" << int(Qt::LeftButton) << true;
        QTest::newRow("background") << "client" << int(Qt::LeftButton) << true;
        QTest::newRow("button in a frame") << "cmdStartVCR" << int(Qt::LeftButton) << false;
        QTest::newRow("disabled button in a frame") << "cmdPauseVCR" << int(Qt::LeftButton) << false;
        QTest::newRow("picker") << "cmbScenarios" << int(Qt::LeftButton) << false;
    }
    void dragging() {
        QFETCH(QString, target);
        QFETCH(int, button);
        QFETCH(bool, moves);
        frmLogger &w = f.load();
        QWidget *widget = w.findChild<QWidget *>(target);
        QVERIFY(widget);
        // Empty places: the frame's corner under its title, the background between the frames.
        QPoint at = widget->rect().center();
        if (target == "frameScenario")
            at = QPoint(4, widget->height() - 4);
        else if (target == "client")
            at = w.controls().frameVCR->geometry().topLeft() - QPoint(3, -30);
        QSignalSpy started(&w, &frmLogger::windowMoveStarted);
        const QPoint before = w.pos();
        QTest::mousePress(widget, Qt::MouseButton(button), {}, at);
        QCOMPARE(started.count(), moves ? 1 : 0);
        if (!moves)
            return;
        // The offscreen window system does no moves itself: the window follows the pointer.
        QMouseEvent drag(QEvent::MouseMove, QPointF(at), QPointF(widget->mapToGlobal(at) + QPoint(30, 20)),
                         Qt::MouseButton(button), Qt::MouseButton(button), {});
        QApplication::sendEvent(widget, &drag);
        QTest::mouseRelease(widget, Qt::MouseButton(button), {}, at);
        QCOMPARE(w.pos(), before + QPoint(30, 20));
    }

    void helpContents() {
        frmLogger &w = f.load();
        w.setHelpFile(QStringLiteral(HELP_FILE));
        w.controls().mnuContents->trigger();
        HelpWindow *help = w.helpWindow();
        QVERIFY(help && help->isVisible());
        QCOMPARE(help->browser()->source().fragment(), QString("contents"));
        const QString text = help->browser()->toPlainText();
        for (const char *topic : {"Before the test", "Starting a log", "The timers", "Logging comments",
                                  "Correcting a comment", "Where your settings are kept"})
            QVERIFY2(text.contains(topic), topic);

        // A missing help file is said in the help window; nothing else happens.
        w.setHelpFile(f.dir.filePath("missing.html"));
        w.mnuContents_Click();
        QVERIFY(help->browser()->toPlainText().contains("The help file was not found"));
    }
};

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
