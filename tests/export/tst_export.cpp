// The spreadsheet exports: texts read as the dates, times and durations they are, texts kept as
// typed, and a workbook that replaces its target only when complete.

#include "core/logformat.h"
#include "export/cells.h"
#include "export/workbook.h"
#include "tests/support/Harness.h"
#include "tests/support/LogRecords.h"
#include "tests/support/SmallFileSystem.h"
#include "ui/NativePath.h"

#include <QTemporaryDir>
#include <QtTest>

#include <optional>

using namespace logformat;

Q_DECLARE_METATYPE(std::optional<double>)

namespace {

std::string logOf(int entries) {
    std::string log = encodeRow(headerRecord());
    Record r;
    r.fill(Field::txt(""));
    r[Date] = Field::txt("12/05/2026");
    r[ScenarioSeconds] = Field::num(5);
    for (int i = 0; i < entries; ++i) {
        r[Comment] = Field::txt("entry " + std::to_string(i));
        log += encodeRow(r);
    }
    return log;
}

}  // namespace

class TestExport : public QObject {
    Q_OBJECT

    TestFolder dir;
    QString path(const QString &name) const { return dir.path(name); }
    std::string native(const QString &name) const { return dir.native(name); }
    QStringList names(const QString &folder) const { return dir.names(folder); }

private slots:
    void init() {
        dir.empty();
    }

    void typedCells_data() {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<double>>("value");
        const std::optional<double> none;
        QTest::newRow("a date") << "date" << "12/05/2026" << std::optional<double>(46361);
        QTest::newRow("a leap day") << "date" << "02/29/2024" << std::optional<double>(45351);
        QTest::newRow("no leap day") << "date" << "02/29/2025" << none;
        QTest::newRow("day first, edited by hand") << "date" << "13/05/2026" << none;
        QTest::newRow("a date without its zeros") << "date" << "1/5/2026" << none;
        QTest::newRow("midnight") << "time" << "12:00:00 AM" << std::optional<double>(0);
        QTest::newRow("half past noon") << "time" << "12:30:00 PM" << std::optional<double>(0.5 + 1800 / 86400.0);
        QTest::newRow("a second before midnight") << "time" << "11:59:59 PM" << std::optional<double>(86399 / 86400.0);
        QTest::newRow("no such hour") << "time" << "13:00:00 PM" << none;
        QTest::newRow("a 24-hour time") << "time" << "14:15:07" << none;
        QTest::newRow("a duration") << "duration" << "00:12:34" << std::optional<double>(754 / 86400.0);
        QTest::newRow("past a day") << "duration" << "100:00:00" << std::optional<double>(100 / 24.0);
        QTest::newRow("sixty minutes") << "duration" << "00:60:00" << none;
        QTest::newRow("one hour digit") << "duration" << "1:00:00" << none;
        QTest::newRow("a time of day as duration") << "duration" << "02:15:07 PM" << none;
    }
    // A text that does not read as its column's type is kept as text, never turned into a wrong value.
    void typedCells() {
        QFETCH(QString, type);
        QFETCH(QString, text);
        QFETCH(std::optional<double>, value);
        const std::string t = text.toStdString();
        const std::optional<double> got = type == "date"   ? xlsxexport::dateValue(t)
                                          : type == "time" ? xlsxexport::timeOfDayValue(t)
                                                           : xlsxexport::durationValue(t);
        QCOMPARE(got.has_value(), value.has_value());
        if (value)
            QCOMPARE(*got, *value);
    }

    void cellTexts_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("cell");
        QTest::addColumn<int>("characters");
        QTest::newRow("UTF-8 kept") << QByteArray("Zürich ✓ 😀") << QByteArray("Zürich ✓ 😀") << 10;
        QTest::newRow("Latin-1 byte") << QByteArray("Z\xfcrich") << QByteArray("Z\xef\xbf\xbdrich") << 6;
        QTest::newRow("a cut sequence") << QByteArray("end \xe2\x9c") << QByteArray("end \xef\xbf\xbd\xef\xbf\xbd") << 6;
        QTest::newRow("an escape-like text") << QByteArray("_x0041_") << QByteArray("_x005F_x0041_") << 7;
        QTest::newRow("not an escape") << QByteArray("_x004_ _xZZZZ_") << QByteArray("_x004_ _xZZZZ_") << 14;
        QTest::newRow("a formula-like text") << QByteArray("=1+1") << QByteArray("=1+1") << 4;
    }
    // What a cell holds shows as typed in every spreadsheet, and the workbook stays readable.
    void cellTexts() {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, cell);
        QFETCH(int, characters);
        const xlsxexport::CellText out = xlsxexport::cellText(text.toStdString());
        QCOMPARE(QByteArray::fromStdString(out.text), cell);
        QCOMPARE(int(out.characters), characters);
        QVERIFY(!out.cut);
    }

    // A comment longer than a cell holds is cut where a character ends, and the cut is told.
    void aTextPastTheCellLimitIsCut() {
        const std::string text = std::string(32766, 'a') + "ü" + "beyond";
        const xlsxexport::CellText out = xlsxexport::cellText(text);
        QVERIFY(out.cut);
        QCOMPARE(out.characters, xlsxexport::kMaxCellCharacters);
        QCOMPARE(out.text, std::string(32766, 'a') + "ü");
    }

    // Cancelled part way: the file chosen is as it was, and no temporary file is left.
    void aCancelLeavesNothing() {
        QVERIFY(writeBytes(path("log.csv"), QByteArray::fromStdString(logOf(10000))));
        QVERIFY(writeBytes(path("log.xlsx"), "the old workbook"));
        int calls = 0;
        const xlsxexport::Outcome out = xlsxexport::exportLog(native("log.csv"), native("log.xlsx"), native("log.csv"),
                                                              [&](long long, long long) { return ++calls < 2; });
        QVERIFY(out.cancelled);
        QCOMPARE(readBytes(path("log.xlsx")), QByteArray("the old workbook"));
        QCOMPARE(names(dir.path()), QStringList({"log.csv", "log.xlsx"}));
    }

    // A disk that fills while the workbook is written: the old file stays, nothing else does.
    void aFullDiskLeavesTheOldWorkbook() {
        const QString small = path("small");
        SmallFileSystem full(small, 96 * 1024);
        QVERIFY(writeBytes(small + "/log.csv", QByteArray::fromStdString(logOf(200))));
        QVERIFY(writeBytes(small + "/log.xlsx", "the old workbook"));
        QVERIFY(writeBytes(path("big.csv"), QByteArray::fromStdString(logOf(20000))));
        const xlsxexport::Outcome out =
            xlsxexport::exportLog(native("big.csv"), toNativePath(small + "/log.xlsx"), toNativePath(small + "/log.csv"));
        QVERIFY(!out.done());
        QVERIFY2(out.error.systemError != 0, out.error.description.c_str());
        QCOMPARE(readBytes(small + "/log.xlsx"), QByteArray("the old workbook"));
        QCOMPARE(names(small), QStringList({"log.csv", "log.xlsx"}));
    }

    // The log exported is never its own target, even when it does not look like a log.
    void theLogIsNeverItsOwnExport() {
        QVERIFY(writeBytes(path("notes.csv"), "a,b\r\n"));
        const xlsxexport::Outcome out = xlsxexport::exportLog(native("notes.csv"), native("notes.csv"), "");
        QCOMPARE(int(out.refused.result), int(logfile::ExportTarget::Result::CurrentLog));
        QCOMPARE(readBytes(path("notes.csv")), QByteArray("a,b\r\n"));
    }
};

QTEST_MAIN(TestExport)
#include "tst_export.moc"
