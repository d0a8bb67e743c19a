// The toolkit layer: the main window's layout in twips and its controls as designed.

#include "ActiveWindow.h"
#include "CommentList.h"
#include "LoggerLayout.h"
#include "Twips.h"

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
            {lstComment, 120, 2280, 8640, 1875},
            {lblComments, 120, 4800, 855, 255},
            {txtComment, 1080, 4800, 6690, 285},
            {cmdEnter, 7890, 4800, 855, 285},
            {frameParticipant, 120, 120, 2800, 2055},
            {frameVCR, 3040, 120, 2800, 2055},
            {frameScenario, 5960, 120, 2800, 2055},
            {cmbParticipants, 120, 720, 1585, 315},
            {cmdSetUpParticipants, 1825, 720, 855, 315},
            {lblPCTimeLabel, 120, 1680, 1585, 255},
            {lblPCTime, 1705, 1680, 975, 255},
            {chkVCRTimeReminder, 120, 240, 2560, 375},
            {chkScenarioTimeReminder, 120, 240, 2640, 375},
            {lblSetVCRTimeLabel, 240, 780, 985, 255},
            {dtpVCRTime, 1345, 720, 1335, 375},
            {cmbScenarios, 120, 720, 1585, 315},
            {cmdSetUpScenarios, 1825, 720, 855, 315},
            {lblVCRTimeLabel, 120, 1680, 1705, 255},
            {lblVCRTime, 1825, 1680, 855, 255},
            {lblScenarioTimeLabel, 120, 1680, 1705, 255},
            {lblScenarioTime, 1825, 1680, 855, 255},
        };
        for (const Expected &e : table) {
            const Rect &r = g[e.control];
            const QByteArray where = "control " + QByteArray::number(int(e.control));
            QVERIFY2(r == (Rect{e.left, e.top, e.width, e.height}), where.constData());
        }
        for (const auto &[start, pause, stop] : {std::tuple{cmdStartVCR, cmdPauseVCR, cmdStopVCR},
                                                 std::tuple{cmdStartScenario, cmdPauseScenario, cmdStopScenario}}) {
            QCOMPARE(g[start].left, 120.0f);
            QVERIFY(qAbs(g[pause].left - 1013.33f) < 0.01f);
            QVERIFY(qAbs(g[stop].left - 1906.67f) < 0.01f);
            QVERIFY(qAbs(g[stop].width - 773.33f) < 0.01f);
            QVERIFY(qAbs(g[stop].left + g[stop].width - (2800 - 120)) < 0.01f);
        }
        for (int k = 0; k < 10; ++k)
            QVERIFY(g[eventButton(k)] == (Rect{120.0f + 876 * k, 4305, 756, 375}));
        QCOMPARE(g[eventButton(9)].left + g[eventButton(9)].width, 9000.0f - 240);

        // Laid out again at the same size, nothing moves.
        Geometry again = g;
        resize(again, 9000, 6000, "9");
        QVERIFY(again == g);
    }

    void thresholds() {
        const Geometry design = designGeometry();
        // Height just under 6000: the vertical pass leaves everything; from 6000 it runs.
        Geometry g = laidOut(8000, 5999, "9");
        QVERIFY(g == design);
        g = laidOut(8000, 6000, "9");
        QCOMPARE(g[lstComment].height, 1875.0f);
        QCOMPARE(g[lstComment].width, design[lstComment].width);
        // Width just under 9000: the horizontal pass leaves everything; from 9000 it runs.
        g = laidOut(8999, 5000, "9");
        QVERIFY(g == design);
        g = laidOut(9000, 5000, "9");
        QCOMPARE(g[frameVCR].width, 2800.0f);
        QCOMPARE(g[lstComment].width, 8640.0f);
        QCOMPARE(g[lstComment].height, design[lstComment].height);

        // Wider than 9000 but lower than 6000: only the horizontal pass, after an earlier layout.
        g = laidOut(9000, 7000, "9");
        const float height = g[lstComment].height;
        resize(g, 12000, 5000, "9");
        QCOMPARE(g[lstComment].height, height);
        QCOMPARE(g[lstComment].width, 11640.0f);
        QCOMPARE(g[frameScenario].left, 7960.0f);
        QCOMPARE(g[cmdEnter].left + g[cmdEnter].width, 12000.0f - 255);
    }

    void buttonRow_data() {
        QTest::addColumn<QString>("count");
        QTest::addColumn<bool>("reserved");
        QTest::addColumn<float>("width");
        QTest::newRow("none") << "-1" << false << 735.0f;
        QTest::newRow("never saved") << "" << false << 735.0f;
        QTest::newRow("not a number") << "abc" << false << 735.0f;
        QTest::newRow("one") << "0" << true << 8640.0f;
        QTest::newRow("ten") << "9" << true << 756.0f;
        QTest::newRow("twelve") << "11" << true << 610.0f;
    }
    void buttonRow() {
        QFETCH(QString, count);
        QFETCH(bool, reserved);
        QFETCH(float, width);
        const Geometry g = laidOut(9000, 6000, count);
        QCOMPARE(g[lstComment].height, reserved ? 1875.0f : 2355.0f);
        for (int k = 0; k < 10; ++k) {
            QCOMPARE(g[eventButton(k)].width, width);
            QCOMPARE(g[eventButton(k)].left, k * width + 120 + k * 120);
            QCOMPARE(g[eventButton(k)].top, 4305.0f);
        }
    }

    void theCommentListFollowsTheKeys() {
        struct Lines final : CommentListSource {
            int count = 1000;
            int lineCount() const override { return count; }
            QString lineText(int row) const override { return QString("line %1").arg(row); }
        } lines;
        CommentList list;
        list.resize(300, 10 * list.rowHeight() + 4);
        list.setSource(&lines);
        QVERIFY(showActive(&list));
        const auto shown = [&](int row) { return row >= list.topRow() && row < list.topRow() + 10; };
        list.setCurrentRow(999);
        QVERIFY(shown(999));
        QTest::keyClick(&list, Qt::Key_Home);
        QVERIFY(list.currentRow() == 0 && shown(0));
        QTest::keyClick(&list, Qt::Key_PageDown);
        QTest::keyClick(&list, Qt::Key_Down);
        QVERIFY(list.currentRow() == 11 && shown(11));
        QTest::keyClick(&list, Qt::Key_End);
        ++lines.count;  // a new line at the end, while the last one is selected and shown
        list.lineAppended();
        list.setCurrentRow(1000);
        QVERIFY(shown(1000) && list.rowAt(QPoint(5, 9 * list.rowHeight() + 2)) == 1000);
        list.resize(300, 3 * list.rowHeight());  // a smaller list keeps the selection in view
        QVERIFY(list.currentRow() == 1000 && list.topRow() + 3 > 1000);
    }
};

QTEST_MAIN(TestUi)
#include "tst_ui.moc"
