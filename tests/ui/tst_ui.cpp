// The toolkit layer: the main window's layout in twips and its controls as designed.

#include "tests/support/Harness.h"
#include "ui/CommentList.h"
#include "ui/LoggerControls.h"
#include "ui/LoggerLayout.h"
#include "ui/Twips.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QMainWindow>
#include <QtTest>

using namespace layout;

namespace {

struct Expected {
    Control control;
    float left, top, width, height;
};

Geometry laidOut(double W, double H, const QString &count) {
    Geometry g = designGeometry();
    resize(g, W, H, count);
    return g;
}

}  // namespace

class TestUi : public QObject {
    Q_OBJECT

private slots:
    void workedExampleAtDefaultSize() {
        const Geometry g = laidOut(9000, 6000, "9");
        const Expected table[] = {
            {lstComment, 120, 2280, 8640, 1875},         {lblComments, 120, 4800, 855, 255},
            {txtComment, 1080, 4800, 6690, 285},         {cmdEnter, 7890, 4800, 855, 285},
            {frameParticipant, 120, 120, 2800, 2055},    {frameVCR, 3040, 120, 2800, 2055},
            {frameScenario, 5960, 120, 2800, 2055},      {cmbParticipants, 120, 720, 1585, 315},
            {cmdSetUpParticipants, 1825, 720, 855, 315}, {lblPCTimeLabel, 120, 1680, 1585, 255},
            {lblPCTime, 1705, 1680, 975, 255},           {chkVCRTimeReminder, 120, 240, 2560, 375},
            {chkScenarioTimeReminder, 120, 240, 2640, 375}, {lblSetVCRTimeLabel, 240, 780, 985, 255},
            {dtpVCRTime, 1345, 720, 1335, 375},          {cmbScenarios, 120, 720, 1585, 315},
            {cmdSetUpScenarios, 1825, 720, 855, 315},    {lblVCRTimeLabel, 120, 1680, 1705, 255},
            {lblVCRTime, 1825, 1680, 855, 255},          {lblScenarioTimeLabel, 120, 1680, 1705, 255},
            {lblScenarioTime, 1825, 1680, 855, 255},     {eventButton(9), 8004, 4305, 756, 375}};
        for (const Expected &e : table)
            QVERIFY2(g[e.control] == (Rect{e.left, e.top, e.width, e.height}), qPrintable(QString::number(e.control)));
        // Start, Pause and Stop share their frame, 120 apart, the last 120 short of its edge.
        for (const Control start : {cmdStartVCR, cmdStartScenario}) {
            const Rect &pause = g[Control(start + 1)], &stop = g[Control(start + 2)];
            QVERIFY(qAbs(g[start].left - 120) < 0.01f);
            QVERIFY(qAbs(pause.left - 1013.33f) < 0.01f);
            QVERIFY(qAbs(stop.width - 773.33f) < 0.01f);
            QVERIFY(qAbs(stop.left + stop.width - (2800 - 120)) < 0.01f);
        }
        Geometry again = g;  // laid out again at the same size, nothing moves
        resize(again, 9000, 6000, "9");
        QVERIFY(again == g);
    }

    void thresholds() {
        const Geometry design = designGeometry();
        // Just under 6000 high or 9000 wide, a pass leaves everything; from there it runs.
        QVERIFY(laidOut(8000, 5999, "9") == design);
        QVERIFY(laidOut(8999, 5000, "9") == design);
        QVERIFY(laidOut(8000, 6000, "9")[lstComment] == (Rect{120, 2280, 8655, 1875}));
        QVERIFY(laidOut(8000, 6000, "-1")[lstComment] == (Rect{120, 2280, 8655, 2355}));  // no button row
        // Wider than 9000 but lower than 6000: only the horizontal pass, after an earlier layout.
        Geometry g = laidOut(9000, 7000, "9");
        const float height = g[lstComment].height;
        resize(g, 12000, 5000, "9");
        QCOMPARE(g[lstComment].height, height);
        QCOMPARE(g[lstComment].width, 11640.0f);
        QCOMPARE(g[frameScenario].left, 7960.0f);
        QCOMPARE(g[cmdEnter].left + g[cmdEnter].width, 12000.0f - 255);
    }

    void tabMovesAlongTheDesignedOrder() {
        QMainWindow window;
        const LoggerControls c = createLoggerControls(&window);
        QVERIFY(showActive(&window));
        c.chkVCRTimeReminder->setFocus();
        QStringList visited{c.chkVCRTimeReminder->objectName()};
        for (int i = 0; i < 25; ++i) {
            // The time picker's Tab goes through its hours, minutes and seconds first.
            QWidget *from = QApplication::focusWidget();
            for (int k = 0; k < 4 && QApplication::focusWidget() == from; ++k)
                QTest::keyClick(from, Qt::Key_Tab);
            QWidget *focus = QApplication::focusWidget();
            // A combo box's own line edit takes the focus for it.
            visited << (qobject_cast<QLineEdit *>(focus) && focus->parentWidget() != c.client
                            ? focus->parentWidget()->objectName()
                            : focus->objectName());
        }
        QCOMPARE(visited, (QStringList{"chkVCRTimeReminder", "dtpVCRTime", "cmdStartVCR", "cmdPauseVCR", "cmdStopVCR",
                                       "chkScenarioTimeReminder", "cmdSetUpScenarios", "cmbScenarios",
                                       "cmdStartScenario", "cmdPauseScenario", "cmdStopScenario", "lstComment",
                                       "txtComment", "cmdSetUpParticipants", "cmbParticipants", "cmdEnter", "cmd1",
                                       "cmd2", "cmd3", "cmd4", "cmd5", "cmd6", "cmd7", "cmd8", "cmd9", "cmd0"}));
        // Frames and labels are places to drag the window by, not stops for the keyboard.
        QCOMPARE(c.dragSurfaces().size(), 11);
    }

    void theCommentListFollowsTheKeys() {
        struct Lines final : CommentListSource {
            int lineCount() const override { return 1000; }
            QString lineText(int row) const override { return QString("line %1").arg(row); }
        } lines;
        CommentList list;
        list.resize(300, 10 * list.rowHeight() + 4);
        list.setSource(&lines);
        QVERIFY(showActive(&list));
        const auto shown = [&](int row) { return row >= list.topRow() && row < list.topRow() + 10; };
        list.setCurrentRow(999);
        QTest::keyClick(&list, Qt::Key_Home);
        QTest::keyClick(&list, Qt::Key_PageDown);
        QTest::keyClick(&list, Qt::Key_Down);
        QCOMPARE(list.currentRow(), 11);
        QVERIFY(shown(11));
        list.resize(300, 3 * list.rowHeight());  // a smaller list keeps the selection in view
        QCOMPARE(list.currentRow(), 11);
        QVERIFY(list.topRow() + 3 > 11);
    }
};

QTEST_MAIN(TestUi)
#include "tst_ui.moc"
