// The main window: load and exit, the pickers, the event button bar, the comment list.

#include "LoggerFixture.h"
#include "Twips.h"
#include "logio.h"
#include "presence.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>

class TestMainWindow : public QObject {
    Q_OBJECT

    LoggerFixture f;

private slots:
    void init() { f.reset(); }
    void cleanup() { f.finish(); }

    void loadWithAnEmptyStore() {
        frmLogger &w = f.loadAsStored();
        const LoggerControls &c = w.controls();
        QCOMPARE(w.windowTitle(), QString("Quorvane"));
        QVERIFY(!w.isMaximized() && w.outerWidth() == 9000 && w.outerHeight() == 6000);
        QVERIFY(c.chkVCRTimeReminder->isChecked() && c.chkScenarioTimeReminder->isChecked());
        QVERIFY(c.cmbScenarios->count() == 0 && c.cmbParticipants->currentText().isEmpty());
        for (const QPushButton *b : c.cmd)
            QVERIFY(b->isHidden() && !b->isEnabled());
        QCOMPARE(c.lblPCTime->text(), QString("02:15:07 PM"));
        QVERIFY(c.lblVCRTime->text() == "00:00:00" && c.lblScenarioTime->text() == "00:00:00");
        QVERIFY(c.cmdStartVCR->isEnabled() && !c.cmdPauseVCR->isEnabled() && !c.cmdStopScenario->isEnabled());
        // A file holding only its header row: one line, selected; the focus in the comment box.
        QCOMPARE(f.listLines(), QStringList{"Participant    |    Scenario    |    Scenario Time    |    Comment"});
        QVERIFY(w.listIndex() == 0 && w.focusWidget() == c.txtComment);
        // Laid out for its size: the list fills the space left without a button row.
        QCOMPARE(c.lstComment->geometry(), twipsToPixels(120, 2280, 8640, 2355));
    }

    void placementAtLoad_data() {
        QTest::addColumn<QString>("maximized");
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("height");
        QTest::addColumn<double>("expectWidth");  // 0: maximized; -1: the screen's width
        QTest::addColumn<double>("expectHeight");
        QTest::newRow("True") << "True" << "10500" << "7290" << 0.0 << 0.0;
        QTest::newRow("False with sizes") << "False" << "10500" << "7290" << 10500.0 << 7290.0;
        QTest::newRow("False without sizes") << "False" << "" << "" << 9000.0 << 6000.0;
        QTest::newRow("missing") << "" << "10500" << "7290" << 9000.0 << 6000.0;
        QTest::newRow("other text") << "false" << "10500" << "7290" << 9000.0 << 6000.0;
        QTest::newRow("not a number") << "False" << "wide" << "7290" << 9000.0 << 7290.0;
        QTest::newRow("larger than the screen") << "False" << "999999" << "7290" << -1.0 << 7290.0;
        QTest::newRow("too small to use") << "False" << "15" << "-3" << 4500.0 << 4500.0;
    }
    void placementAtLoad() {
        QFETCH(QString, maximized);
        QFETCH(QString, width);
        QFETCH(QString, height);
        QFETCH(double, expectWidth);
        QFETCH(double, expectHeight);
        if (!maximized.isEmpty())
            f.store->SaveSetting("Settings", "Maximized", maximized);
        if (!width.isEmpty()) {
            f.store->SaveSetting("Settings", "MainWidth", width);
            f.store->SaveSetting("Settings", "MainHeight", height);
        }
        f.store->SaveSetting("Reminders", "VCR Reminder", "0");
        f.store->SaveSetting("Reminders", "Scenario Reminder", "2");  // only exactly 1 ticks a box
        frmLogger &w = f.loadAsStored();
        QCOMPARE(w.isMaximized(), expectWidth == 0);
        if (expectWidth < 0)
            expectWidth = pixelsToTwips(QGuiApplication::primaryScreen()->availableGeometry().width()) + 120;
        if (expectWidth > 0)
            QVERIFY2(qAbs(w.outerWidth() - expectWidth) <= 150 && w.outerHeight() == expectHeight,
                     qPrintable(QString("%1 x %2").arg(w.outerWidth()).arg(w.outerHeight())));
        QVERIFY(!w.controls().chkVCRTimeReminder->isChecked() && !w.controls().chkScenarioTimeReminder->isChecked());
    }

    void exit_data() {
        QTest::addColumn<QString>("state");
        QTest::addColumn<QStringList>("saved");  // Maximized, MainWidth, MainHeight
        QTest::newRow("normal") << "normal" << QStringList{"False", "10500", "7290"};
        QTest::newRow("maximized") << "maximized" << QStringList{"True", "11000", "8000"};
        QTest::newRow("minimized") << "minimized" << QStringList{"previous", "11000", "8000"};
        QTest::newRow("close box") << "closed" << QStringList{"False", "10500", "7290"};
    }
    void exit() {
        QFETCH(QString, state);
        QFETCH(QStringList, saved);
        f.store->SaveSetting("Settings", "Maximized", "previous");
        f.store->SaveSetting("Settings", "MainWidth", "11000");
        f.store->SaveSetting("Settings", "MainHeight", "8000");
        frmLogger &w = f.load();
        w.setOuterSize(10500, 7290);
        if (state == "maximized")
            w.showMaximized();
        else if (state == "minimized")
            w.showMinimized();
        QTRY_VERIFY(w.outerWidth() == 10500 || state == "maximized" || state == "minimized");
        QTest::keyClick(&w, Qt::Key_F5);  // a running scenario timer stops with the program, silently
        w.controls().chkVCRTimeReminder->setChecked(true);
        const QByteArray log = f.logBytes();
        QSignalSpy ended(&w, &frmLogger::programEnded);
        if (state == "closed")
            w.close();
        else
            w.controls().mnuExit->trigger();
        w.close();  // closing afterwards runs nothing again
        QVERIFY(ended.count() == 1 && !w.isVisible() && !w.controls().tmrMainTimer->isActive());
        QCOMPARE(f.logBytes(), log);
        SettingsStore later;
        QCOMPARE((QStringList{later.GetSetting("Settings", "Maximized"), later.GetSetting("Settings", "MainWidth"),
                              later.GetSetting("Settings", "MainHeight")}),
                 saved);
        QVERIFY(later.GetSetting("Reminders", "VCR Reminder") == "1" && later.GetSetting("Reminders", "Scenario Reminder") == "0");
    }

    void pickers() {
        f.saveScenarios({"Task 10", "beta", "Alpha"});
        f.saveList(settingkeys::Participants, {"P1"});
        frmLogger &w = f.load();
        QComboBox *scenarios = w.controls().cmbScenarios;
        QCOMPARE(scenarios->itemText(0) + scenarios->itemText(1) + scenarios->itemText(2), QString("AlphabetaTask 10"));
        QVERIFY(scenarios->currentText() == "Alpha" && scenarios->toolTip() == "Alpha");
        QCOMPARE(w.modVariables.ScenarioCount, QString("2"));
        QVERIFY(w.controls().cmbParticipants->currentText() == "P1" && w.controls().cmbParticipants->toolTip() == "P1");
        // A name typed is logged as typed, even the start of a listed one; the tool tip stays.
        QTest::mouseClick(scenarios->lineEdit(), Qt::LeftButton);
        scenarios->lineEdit()->selectAll();
        QTest::keyClicks(scenarios->lineEdit(), "Task 1");
        QTest::keyClick(scenarios->lineEdit(), Qt::Key_Tab);
        f.enter("typed scenario");
        QVERIFY(f.rows().back()[logformat::Scenario] == logformat::Field::txt("Task 1"));
        QVERIFY(scenarios->toolTip() == "Alpha" && scenarios->count() == 3);
        // Picked from the list: the tool tip follows. Saved empty: nothing listed or selected.
        scenarios->setCurrentIndex(2);
        emit scenarios->activated(2);
        QCOMPARE(scenarios->toolTip(), QString("Task 10"));
        f.store->SaveSetting("Scenarios", "Number Of Scenarios", "-1");
        w.GetScenarios();
        QVERIFY(scenarios->count() == 0 && scenarios->currentText().isEmpty() && w.modVariables.ScenarioCount == "-1");
    }

    void buttonBar_data() {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("storedWidth");  // of the window, as left by the last exit
        QTest::addColumn<float>("width");
        QStringList twelve;
        for (int i = 0; i < 12; ++i)
            twelve << QString("E%1").arg(i);
        QTest::newRow("never saved") << QStringList() << "" << 0.0f;
        QTest::newRow("one") << QStringList{"Help &Used"} << "" << 8640.0f;
        QTest::newRow("ten") << twelve.mid(0, 10) << "" << 756.0f;
        QTest::newRow("twelve") << twelve << "" << 610.0f;
        // Placed before the window takes its stored size, at the width it has then.
        QTest::newRow("three, in a narrow window") << twelve.mid(0, 3) << "6000" << 2800.0f;
    }
    void buttonBar() {
        QFETCH(QStringList, names);
        QFETCH(QString, storedWidth);
        QFETCH(float, width);
        if (!names.isEmpty())
            f.saveButtons(names);
        if (!storedWidth.isEmpty()) {
            f.store->SaveSetting("Settings", "Maximized", "False");
            f.store->SaveSetting("Settings", "MainWidth", storedWidth);
        }
        frmLogger &w = f.load();
        const int shown = std::min(10, int(names.size()));
        for (int k = 0; k < 10; ++k) {
            const QPushButton *b = w.controls().cmd[std::size_t(k)];
            QCOMPARE(b->isVisible() && b->isEnabled(), k < shown);
            if (k >= shown)
                continue;
            QCOMPARE(b->text(), names[k]);
            QCOMPARE(b->geometry(), twipsToPixels(120 + k * (width + 120), 4305, width, 375));
        }
        // Fewer names saved later: the surplus buttons are hidden and disabled again.
        f.saveButtons({"Only"});
        w.GetButtons();
        QVERIFY(w.controls().cmd[0]->isVisible() && !w.controls().cmd[1]->isVisible() && !w.controls().cmd[9]->isEnabled());
    }

    void theListShowsTheFileToItsLastLine() {
        std::string rows;
        for (int i = 0; i < 500; ++i) {
            logformat::Record r;
            r.fill(logformat::Field::txt("S, one"));
            r[logformat::ScenarioTime] = logformat::Field::txt("00:00:" + std::to_string(10 + i % 50));
            r[logformat::Comment] = logformat::Field::txt("  comment " + std::to_string(i));
            rows += logformat::encodeRow(r);
            if (i == 250)
                rows += "\"a row cut short\r\n";
        }
        QVERIFY(writeBytes(f.logPath(), QByteArray::fromStdString(logformat::encodeRow({}) + rows)));
        frmLogger &w = f.load();
        const QStringList lines = f.listLines();
        QCOMPARE(lines.size(), 502);
        QCOMPARE(lines[501], QString("S, one    |    S, one    |    00:00:59    |      comment 499"));
        QVERIFY(lines[253].endsWith("comment 251") && lines[252].endsWith("|    "));  // the damaged line alone
        // The last line is selected and in view.
        const CommentList *list = w.controls().lstComment;
        const int bottom = (501 - list->topRow() + 1) * list->rowHeight();
        QVERIFY(w.listIndex() == 501 && list->topRow() > 0 && bottom <= list->viewport()->height());
        // The file gone: said, the list left as it was.
        f.prompts.answerMessage(Prompts::OK);
        QVERIFY(QFile::remove(f.logPath()));
        w.GetLogData();
        const ScriptedPrompts::Call told = f.prompts.calls.at(0);
        QVERIFY(told.text == "This file no longer exists." && told.title == "File Not Found");
        QCOMPARE(f.listLines(), lines);
    }

    void anotherCopyOnTheSameLog() {
        QVERIFY(writeBytes(f.logPath(), ""));
        logfile::Presence other(QFile::encodeName(f.settings.runtimeDir() + "/quorvane-logs").toStdString(), "other");
        other.announce(QFile::encodeName(f.logPath()).toStdString());
        f.prompts.answerMessage(Prompts::OK);
        f.load();
        QVERIFY(f.prompts.calls.at(0).text.startsWith("Another copy of Quorvane is logging to this file too"));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
