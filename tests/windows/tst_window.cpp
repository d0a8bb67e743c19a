// The main window's dialogs and windows: the list dialogs it opens, the real input box, moving the
// window, help, About and the session summary.

#include "tests/support/LoggerFixture.h"
#include "ui/HelpWindow.h"
#include "windows/frmSessionSummary.h"
#include "windows/frmSetUpList.h"

#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QMenu>
#include <QTableView>
#include <QInputDialog>
#include <QListWidget>
#include <QPushButton>
#include <QLabel>
#include <QSignalSpy>
#include <QTextBrowser>

class TestWindow : public QObject {
    Q_OBJECT

    LoggerFixture f;

    // Types names into the list dialog the command opens, each with Enter, then Esc (which
    // saves, as OK does) or Cancel.
    static void inListDialog(const QStringList &names, bool save, const char *expectedName) {
        QTimer::singleShot(0, [=] {
            auto *dialog = activeDialog<frmSetUpList>();
            QVERIFY(dialog && dialog->objectName() == expectedName);
            for (const QString &name : names) {
                QTest::keyClicks(dialog->txtScenario, name);
                QTest::keyClick(dialog->txtScenario, Qt::Key_Return);
            }
            save ? QTest::keyClick(dialog->txtScenario, Qt::Key_Escape) : dialog->CancelButton->click();
        });
    }

private slots:
    void init() { f.reset(); }
    void cleanup() { f.finish(); }

    void listDialogsRefreshTheWindow() {
        QVERIFY(writeBytes(f.logPath(), ""));
        frmLogger &w = f.load();
        QVERIFY(writeBytes(f.logPath(), ""));  // emptied behind the window: the button dialog gives it a header
        inListDialog({"beta", "Alpha"}, true, "frmSetUpScenarios");
        QTest::keyClick(w.controls().cmdSetUpScenarios, Qt::Key_Space);
        QComboBox *picker = w.controls().cmbScenarios;
        QCOMPARE(picker->count(), 2);
        QCOMPARE(picker->currentText(), QString("Alpha"));
        QCOMPARE(w.session().counts().scenarios, QString("1"));
        // Cancel leaves the participant picker as it was.
        w.controls().cmbParticipants->setEditText("typed");
        inListDialog({"P9"}, false, "frmSetUpParticipants");
        w.controls().cmdSetUpParticipants->click();
        QVERIFY(w.controls().cmbParticipants->currentText() == "typed" && w.controls().cmbParticipants->count() == 0);
        // The buttons: the bar, and the header of an empty log.
        inListDialog({"Error", "Help &Wanted"}, true, "frmSetUpCustomButtons");
        w.controls().mnuCustomizeEventButtons->trigger();
        QVERIFY(w.controls().cmd[1]->isVisible());
        QCOMPARE(w.controls().cmd[1]->text(), QString("Help &Wanted"));
        QVERIFY(!w.controls().cmd[2]->isVisible());
        QVERIFY(f.logBytes().contains("\"Comment\",\"Button - Error\",\"Button - Help Wanted\",\"Button - \""));
        f.enter("one");
        const QByteArray before = f.logBytes();  // a log with rows keeps its header
        inListDialog({"Third"}, true, "frmSetUpCustomButtons");
        w.mnuCustomizeEventButtons_Click();
        QVERIFY(f.logBytes() == before && w.controls().cmd[2]->isVisible());
    }

    void theEditBoxShowsACommentWhole() {
        frmLogger &w = f.load();
        QtPrompts real;
        int width = 0;
        QString selected;
        QTimer::singleShot(0, [&] {
            if (auto *box = activeDialog<QInputDialog>()) {
                width = box->width();
                auto *edit = box->findChild<QLineEdit *>();
                selected = edit->selectedText();
                QTest::keyClicks(edit, "new");  // typing replaces it
                QApplication::clipboard()->setText(" and\r\nmore");  // a pasted line break is a space
                QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
                QTest::keyClick(edit, Qt::Key_Return);
            }
        });
        const QString comment = "Clicked Help, then Back, then Help again, then gave up and asked the moderator";
        QCOMPARE(real.inputBox("Edit this comment.", "Quorvane", comment), QString("new and more"));
        QVERIFY2(width >= w.width(), qPrintable(QString("%1 < %2").arg(width).arg(w.width())));
        QCOMPARE(selected, comment);
    }

    void aboutMessage() {
        frmLogger &w = f.load();
        f.prompts.answerMessage("About Quorvane", Prompts::OK);
        QTest::keyClick(&w, Qt::Key_H, Qt::AltModifier);
        QTest::keyClick(w.controls().mnuHelp, Qt::Key_A);
        const QStringList lines = f.prompts.lastMessage().split('\n');
        QCOMPARE(lines.size(), 7);
        QCOMPARE(lines[0], QString("Title: Quorvane"));
        QCOMPARE(lines[1], QString("Version: 1.6.0"));
        QVERIFY(lines[2].startsWith("Copyright: "));
        QCOMPARE(lines[3], QString());
        QVERIFY(lines[4].startsWith("Availability: "));
    }

    void dragging_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("moves");
        QTest::newRow("label, right button") << "lblVCRTimeLabel" << int(Qt::RightButton) << true;
        QTest::newRow("frame's empty area, middle button") << "frameScenario" << int(Qt::MiddleButton) << true;
        QTest::newRow("background") << "client" << int(Qt::LeftButton) << true;
        QTest::newRow("disabled button in a frame") << "cmdPauseVCR" << int(Qt::LeftButton) << false;
    }
    void dragging() {
        QFETCH(QString, target);
        QFETCH(int, button);
        QFETCH(bool, moves);
        frmLogger &w = f.load();
        QWidget *widget = w.findChild<QWidget *>(target);
        QPoint at = widget->rect().center();  // empty places: a frame's corner, between the frames
        if (target == "frameScenario")
            at = QPoint(4, widget->height() - 4);
        else if (target == "client")
            at = w.controls().frameVCR->geometry().topLeft() - QPoint(3, -30);
        QSignalSpy started(&w, &frmLogger::windowMoveStarted);
        const QPoint before = w.pos();
        const auto drag = [&](QPoint by, Qt::MouseButtons held) {
            QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(widget->mapToGlobal(at) + by), Qt::NoButton, held,
                             {});
            QApplication::sendEvent(widget, &move);
        };
        QTest::mousePress(widget, Qt::MouseButton(button), {}, at);
        QCOMPARE(started.count(), moves ? 1 : 0);
        if (!moves)
            return;
        // The offscreen window system does no moves itself: the window follows the pointer, until
        // the button that started it is released.
        drag(QPoint(30, 20), Qt::MouseButton(button));
        QTest::mouseRelease(widget, Qt::MouseButton(button), {}, at);
        QCOMPARE(w.pos(), before + QPoint(30, 20));
        drag(QPoint(90, 90), Qt::NoButton);
        QCOMPARE(w.pos(), before + QPoint(30, 20));
    }

    void helpFromF1() {
        frmLogger &w = f.load();
        w.setHelpFile(QStringLiteral(HELP_FILE));
        QTest::keyClick(w.controls().txtComment, Qt::Key_F1);
        HelpWindow *help = w.helpWindow();
        QVERIFY(help && help->isVisible() && help->windowTitle() == "Quorvane Help");
        QCOMPARE(help->browser()->source().fragment(), QString("contents"));
        QVERIFY(help->browser()->toPlainText().contains("Session Summary"));
        QVERIFY((help->frameGeometry().center() - w.frameGeometry().center()).manhattanLength() < 40);
        QVERIFY(showActive(help));
        QTest::keyClick(help->browser(), Qt::Key_Escape);
        QVERIFY(!help->isVisible());
        // A missing help file is said in the help window.
        w.setHelpFile(f.dir.filePath("missing.html"));
        w.mnuContents_Click();
        QVERIFY(help->windowTitle().contains("not found") && help->browser()->toPlainText().contains("not found"));
    }

    void sessionSummaryFromF8() {
        f.saveScenarios({"Checkout"});
        frmLogger &w = f.load();
        QTest::keyClick(&w, Qt::Key_F5);
        f.tick(42);
        QTest::keyClick(&w, Qt::Key_F7);
        QTest::keyClick(&w, Qt::Key_F8);
        auto *summary = w.findChild<frmSessionSummary *>();
        QVERIFY(summary && summary->isVisible());
        QTRY_VERIFY(summary->isLoaded());
        QVERIFY(summary->windowTitle().endsWith("log.csv") &&
                summary->grdSummary->model()->index(0, 3).data().toString() == "00:00:42");
        // Exported beside the log, as CSV, from the keyboard; a file that cannot be written is said.
        QVERIFY(showActive(summary));
        summary->grdSummary->setFocus();
        QTest::keyClick(summary->grdSummary, Qt::Key_Tab);  // out of the table, past the timeline, to the buttons
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), summary->cmdExport);
        f.prompts.answerFile(f.path("summary.csv"));
        f.prompts.answerFile(f.path("no folder/summary.csv"));
        f.prompts.answerMessage("No such file or directory", Prompts::OK);
        QTest::keyClick(summary->cmdExport, Qt::Key_E, Qt::AltModifier);
        QTRY_COMPARE(f.prompts.calls.size(), 1);  // a button pressed by its key shows the press first
        QCOMPARE(f.prompts.lastFileDialog().directory, f.dir.path());
        QCOMPARE(f.prompts.lastFileDialog().initialName, QString("log summary.xlsx"));
        summary->cmdExport->click();
        QVERIFY(readBytes(f.path("summary.csv")).contains("\r\n\"Scenario\",\"\",\"Checkout\",\"00:00:42\",\"Done\",42,"));
        // Never over a log: not the current one, not another.
        const QByteArray log = f.logBytes();
        QVERIFY(writeBytes(f.path("other.csv"), log));
        for (const char *name : {"log.csv", "other.csv"}) {
            f.prompts.answerFile(f.path(name));
            f.prompts.answerMessage("The session summary was not saved: this file is a log", Prompts::OK);
            summary->cmdExport->click();
            QCOMPARE(readBytes(f.path(name)), log);
        }
    }
};

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
