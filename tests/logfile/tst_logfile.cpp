// The log file: format, appending, reading back, the header row.

#include "FileBytes.h"
#include "NativePath.h"
#include "SettingsStore.h"
#include "TestSettings.h"
#include "WriteColumnHeader.h"
#include "logformat.h"
#include "logio.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace logformat;
using logfile::FailureKind;

namespace {

Record exampleRow(std::string comment, std::string event0) {
    Record r;
    r[Date] = Field::txt("12/05/2026");
    r[PCTime] = Field::txt("02:15:07 PM");
    r[VCRTime] = Field::txt("00:12:34");
    r[VCRSeconds] = Field::num(754);
    r[ScenarioTime] = Field::txt("00:03:10");
    r[ScenarioSeconds] = Field::num(190);
    r[Participant] = Field::txt("P3");
    r[Scenario] = Field::txt("Checkout");
    r[Comment] = Field::txt(std::move(comment));
    for (std::size_t i = FirstEventColumn; i < kFieldCount; ++i)
        r[i] = Field::txt("");
    r[FirstEventColumn] = Field::txt(std::move(event0));
    return r;
}

std::vector<Record> parseAll(std::string_view bytes, ParseStatus *last = nullptr) {
    std::vector<Record> out;
    std::size_t pos = 0;
    RecordView view;
    for (;;) {
        const ParseStatus st = parseRecord(bytes, pos, true, view);
        if (st != ParseStatus::Parsed) {
            if (last)
                *last = st;
            return out;
        }
        Record r;
        for (std::size_t i = 0; i < kFieldCount; ++i)
            r[i] = toField(view[i]);
        out.push_back(std::move(r));
    }
}

std::vector<std::string> linesOf(const logfile::DisplayLines &lines) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < lines.size(); ++i)
        out.emplace_back(lines.line(i));
    return out;
}

}  // namespace

class TestLogFile : public QObject {
    Q_OBJECT

private:
    TestSettings settings_;
    QTemporaryDir dir_;
    QString path(const char *name) const { return dir_.filePath(QString::fromUtf8(name)); }

private slots:
    void init() { TestSettings::clear(); }

    void exampleRowsAreWrittenByteForByte() {
        SettingsStore store;
        store.SaveSetting("Buttons", "Number Of Buttons", "1");
        store.SaveSetting("Buttons", "Button 0", "Error");
        store.SaveSetting("Buttons", "Button 1", "Help &Used");
        QCOMPARE(columnHeaderRow(eventColumnTitles(store)),
                 std::string("\"Date\",\"PC Time\",\"VCR Time\",\"VCR Time In Seconds\",\"Scenario Time\","
                             "\"Scenario Time In Seconds\",\"Participant\",\"Scenario\",\"Comment\","
                             "\"Button - Error\",\"Button - Help Used\",\"Button - \",\"Button - \",\"Button - \","
                             "\"Button - \",\"Button - \",\"Button - \",\"Button - \",\"Button - \"\r\n"));
        QCOMPARE(encodeRow(exampleRow("Clicked Help, then left", "")),
                 std::string("\"12/05/2026\",\"02:15:07 PM\",\"00:12:34\",754,\"00:03:10\",190,\"P3\",\"Checkout\","
                             "\"Clicked Help, then left\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n"));
        Record press = exampleRow("Error", "Error");
        press[PCTime] = Field::txt("02:16:40 PM");
        press[VCRTime] = Field::txt("00:14:07");
        press[VCRSeconds] = Field::num(847);
        press[ScenarioTime] = Field::txt("00:04:43");
        press[ScenarioSeconds] = Field::num(283);
        QCOMPARE(encodeRow(press),
                 std::string("\"12/05/2026\",\"02:16:40 PM\",\"00:14:07\",847,\"00:04:43\",283,\"P3\",\"Checkout\","
                             "\"Error\",\"Error\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n"));
    }

    void roundTrip_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("number");
        QTest::newRow("commas and leading blanks") << "  a, b,, c" << 1.0;
        QTest::newRow("only blanks") << "   " << 12.0;
        QTest::newRow("empty text, zero") << "" << 0.0;
        QTest::newRow("negative number") << "x" << -86399.0;
        QTest::newRow("fraction") << "tab\tinside" << 2.5;
        QTest::newRow("large whole number") << "y" << 1e17;
        QTest::newRow("non-ASCII") << QString::fromUtf8("Größe – 測試 ✓") << 3723.0;
        QTest::newRow("line break inside quotes") << "two\r\nlines" << 5.0;
    }
    void roundTrip() {
        QFETCH(QString, text);
        QFETCH(double, number);
        Record r = exampleRow(text.toStdString(), text.toStdString());
        r[VCRSeconds] = Field::num(number);
        r[ScenarioSeconds] = Field::num(-0.0);
        r[Participant] = Field::none();
        const std::string bytes = encodeRow(r) + encodeRow(r);
        ParseStatus last{};
        const std::vector<Record> back = parseAll(bytes, &last);
        QCOMPARE(last, ParseStatus::End);
        QCOMPARE(back.size(), std::size_t(2));
        r[ScenarioSeconds] = Field::num(0);  // a negative zero is written as 0
        QVERIFY(back[0] == r);
        QCOMPARE(encodeRow(back[1]), encodeRow(r));
        QVERIFY(encodeRow(r).find("-0,") == std::string::npos);
    }

    void readerRules() {
        // One record spread over two lines, blanks before fields, text after a closing quote,
        // bare text, bare numbers with trailing blanks, and a lone LF as a line end.
        const std::string bytes = "  \"a\"junk,2 , x y ,,\t\"e\"\r\n"
                                  "\"f\",\"g\",\"h\",\"i\",\"j\",\"k\",\"l\",\"m\",\"n\",\"o\",\"p\",\"q\",\"r\",-7\n"
                                  "\"next\"";
        ParseStatus last{};
        const std::vector<Record> back = parseAll(bytes, &last);
        QCOMPARE(back.size(), std::size_t(1));
        QCOMPARE(last, ParseStatus::Truncated);
        const Record &r = back[0];
        QVERIFY(r[0] == Field::txt("a"));
        QVERIFY(r[1] == Field::num(2));
        QVERIFY(r[2] == Field::txt("x y"));
        QVERIFY(r[3] == Field::none());
        QVERIFY(r[4] == Field::txt("e"));
        QVERIFY(r[5] == Field::txt("f"));
        QVERIFY(r[18] == Field::num(-7));
    }

    void quoteInTextCannotShiftLaterRecords() {
        Record r = exampleRow("c", "");
        r[Participant] = Field::txt("Ann \"Mac\" Lee");
        r[Scenario] = Field::txt("S\"1");
        const std::vector<Record> back = parseAll(encodeRow(r) + encodeRow(exampleRow("second", "")));
        QCOMPARE(back.size(), std::size_t(2));
        QVERIFY(back[0][Participant] == Field::txt("Ann 'Mac' Lee"));
        QVERIFY(back[0][Scenario] == Field::txt("S'1"));
        QVERIFY(back[1][Comment] == Field::txt("second"));
    }

    void displayLinesFromFile() {
        const QString file = path("display.csv");
        SettingsStore store;
        QVERIFY(!writeColumnHeader(store, file).error);
        std::string rows = encodeRow(exampleRow(" Clicked Help, then left", ""));
        Record empties = exampleRow("Late start", "");
        empties[Participant] = Field::txt("");
        empties[ScenarioTime] = Field::num(12);
        rows += encodeRow(empties);
        QVERIFY(!logfile::appendRow(toNativePath(file), rows, logfile::Sync::No));

        logfile::DisplayLines lines;
        const logfile::LoadOutcome out = logfile::readDisplayLines(toNativePath(file), lines);
        QVERIFY(!out.openError);
        QCOMPARE(out.end, logfile::ReadEnd::Complete);
        QCOMPARE(linesOf(lines), (std::vector<std::string>{
                                     "Participant    |    Scenario    |    Scenario Time    |    Comment",
                                     "P3    |    Checkout    |    00:03:10    |     Clicked Help, then left",
                                     "    |    Checkout    |    12    |    Late start"}));
    }

    void reloadEndings() {
        const std::string row = encodeRow(exampleRow("one", ""));
        logfile::DisplayLines lines;
        lines.append("kept from before");

        // The file is missing: told apart from other failures, the lines untouched.
        logfile::LoadOutcome out = logfile::readDisplayLines(toNativePath(path("missing.csv")), lines);
        QCOMPARE(out.openError.kind, FailureKind::NotFound);
        QCOMPARE(out.openError.code, 53);
        QCOMPARE(lines.size(), std::size_t(1));

        // A folder is not a log file: another failure, with the system's description.
        out = logfile::readDisplayLines(toNativePath(dir_.path()), lines);
        QCOMPARE(out.openError.kind, FailureKind::Other);
        QVERIFY(!out.openError.description.empty());
        QCOMPARE(lines.size(), std::size_t(1));

        // An empty file empties the list.
        QVERIFY(writeBytes(path("empty.csv"), ""));
        out = logfile::readDisplayLines(toNativePath(path("empty.csv")), lines);
        QCOMPARE(out.end, logfile::ReadEnd::Complete);
        QVERIFY(lines.empty());

        // A last record cut short: the whole ones before it stay.
        const std::string cut = row + row + row.substr(0, row.size() / 2);
        QVERIFY(writeBytes(path("cut.csv"), QByteArray::fromStdString(cut)));
        out = logfile::readDisplayLines(toNativePath(path("cut.csv")), lines);
        QCOMPARE(out.end, logfile::ReadEnd::CutShort);
        QCOMPARE(lines.size(), std::size_t(2));

        // Cut just after a closing quote and its comma: still short of a record.
        QVERIFY(writeBytes(path("cut2.csv"), QByteArray::fromStdString(row + row.substr(0, row.find(",\"P3\"") + 1))));
        out = logfile::readDisplayLines(toNativePath(path("cut2.csv")), lines);
        QCOMPARE(out.end, logfile::ReadEnd::CutShort);
        QCOMPARE(lines.size(), std::size_t(1));

        // Blank lines after the last row are a clean end.
        QVERIFY(writeBytes(path("trailing.csv"), QByteArray::fromStdString(row + "\r\n  \r\n")));
        out = logfile::readDisplayLines(toNativePath(path("trailing.csv")), lines);
        QCOMPARE(out.end, logfile::ReadEnd::Complete);
        QCOMPARE(lines.size(), std::size_t(1));
    }

    void largeFileReadsLikeOneBuffer() {
        // Rows of varied length, one far longer than the read buffer, so records and CR LF pairs
        // fall across every kind of buffer boundary.
        std::string bytes;
        std::vector<std::string> expected;
        for (int i = 0; i < 30000; ++i) {
            Record r = exampleRow(std::string(static_cast<std::size_t>(i % 97), 'c') + std::to_string(i), "");
            if (i == 777)
                r[Comment] = Field::txt(std::string(1'500'000, 'z'));
            r[ScenarioSeconds] = Field::num(i);
            r[ScenarioTime] = i % 5 == 0 ? Field::num(i) : Field::txt(std::to_string(i));
            bytes += encodeRow(r);
            expected.push_back(displayLine("P3", "Checkout", std::to_string(i), r[Comment].text));
        }
        const QString file = path("large.csv");
        QVERIFY(writeBytes(file, QByteArray::fromStdString(bytes)));
        logfile::DisplayLines lines;
        const logfile::LoadOutcome out = logfile::readDisplayLines(toNativePath(file), lines);
        QCOMPARE(out.end, logfile::ReadEnd::Complete);
        QCOMPARE(lines.size(), expected.size());
        QVERIFY(linesOf(lines) == expected);
    }

    void appendKeepsOnlyWholeRowsWhenTheDiskFills() {
        const QString file = path("full.csv");
        const std::string row = encodeRow(exampleRow("fits", ""));
        QVERIFY(!logfile::appendRow(toNativePath(file), row, logfile::Sync::Yes));

        // In a child process, as a full disk would: the file may grow by only half a row.
        const pid_t child = fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlim_t limit = row.size() + row.size() / 2;
            rlimit rl{limit, limit};
            setrlimit(RLIMIT_FSIZE, &rl);
            const logfile::FileError err =
                logfile::appendRow(toNativePath(file), encodeRow(exampleRow("too much", "")), logfile::Sync::Yes);
            _exit(err.kind == FailureKind::Other && err.systemError == EFBIG && !err.description.empty() ? 0 : 1);
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0);
        QCOMPARE(readBytes(file), QByteArray::fromStdString(row));

        // The next entry goes after the last whole row.
        QVERIFY(!logfile::appendRow(toNativePath(file), row, logfile::Sync::No));
        QCOMPARE(readBytes(file), QByteArray::fromStdString(row + row));
    }

    void appendFailures() {
        logfile::FileError err =
            logfile::appendRow(toNativePath(path("no such folder/log.csv")), "x\r\n", logfile::Sync::No);
        QCOMPARE(err.kind, FailureKind::NotFound);
        QCOMPARE(err.code, 53);

        if (geteuid() == 0)
            QSKIP("the permission check needs a user other than root");
        const QString locked = path("locked.csv");
        QVERIFY(writeBytes(locked, ""));
        QVERIFY(QFile::setPermissions(locked, QFileDevice::ReadOwner));
        err = logfile::appendRow(toNativePath(locked), "x\r\n", logfile::Sync::No);
        QCOMPARE(err.kind, FailureKind::InUse);
        QCOMPARE(err.code, 70);
        QCOMPARE(err.description, std::string("Permission denied"));
    }

    void columnHeader_data() {
        QTest::addColumn<QStringList>("stored");
        QTest::addColumn<QString>("count");
        QTest::addColumn<QStringList>("titles");
        const QStringList blank(10, "Button - ");
        QTest::newRow("never saved") << QStringList() << QString() << blank;
        QTest::newRow("saved empty") << QStringList() << "-1" << blank;
        QStringList three = blank;
        three[0] = "Button - A";
        three[1] = "Button - B";
        three[2] = "Button - C";
        QTest::newRow("three") << QStringList{"A", "B", "C"} << "2" << three;
        QStringList names, ten;
        for (int i = 0; i < 12; ++i)
            names << QString("N%1").arg(i);
        for (int i = 0; i < 10; ++i)
            ten << QString("Button - N%1").arg(i);
        QTest::newRow("ten") << names.mid(0, 10) << "9" << ten;
        QTest::newRow("twelve") << names << "11" << ten;
        QStringList marked = blank;
        marked[0] = "Button - Say 'no' now";
        QTest::newRow("quote and ampersand") << QStringList{"Say \"no\" &now&&"} << "0" << marked;
    }
    void columnHeader() {
        QFETCH(QStringList, stored);
        QFETCH(QString, count);
        QFETCH(QStringList, titles);
        SettingsStore store;
        if (!count.isEmpty())
            store.SaveSetting("Buttons", "Number Of Buttons", count);
        for (int i = 0; i < stored.size(); ++i)
            store.SaveSetting("Buttons", QString("Button %1").arg(i), stored[i]);

        const QString file = path("header.csv");
        QFile::remove(file);
        const ColumnHeaderOutcome out = writeColumnHeader(store, file);
        QVERIFY(!out.error);
        QCOMPARE(out.fileLength, 0LL);
        QCOMPARE(out.buttonCount, count.isEmpty() ? QString("-1") : count);
        QCOMPARE(QStringList(out.titles.begin(), out.titles.end()), titles);

        const std::vector<Record> rows = parseAll(readBytes(file).toStdString());
        QCOMPARE(rows.size(), std::size_t(1));
        QVERIFY(rows[0][Comment] == Field::txt("Comment"));
        for (int i = 0; i < 10; ++i)
            QVERIFY(rows[0][FirstEventColumn + std::size_t(i)] == Field::txt(titles[i].toStdString()));
    }

    void columnHeaderLeavesAFileWithContentAlone() {
        SettingsStore store;
        const QString file = path("kept.csv");
        const QByteArray before = "no header here, just \"anything\"";
        QVERIFY(writeBytes(file, before));
        const ColumnHeaderOutcome out = writeColumnHeader(store, file);
        QVERIFY(!out.error);
        QCOMPARE(out.fileLength, qint64(before.size()));
        QCOMPARE(readBytes(file), before);

        const ColumnHeaderOutcome missing = writeColumnHeader(store, path("gone/x.csv"));
        QCOMPARE(missing.error.kind, FailureKind::NotFound);
    }
};

QTEST_GUILESS_MAIN(TestLogFile)
#include "tst_logfile.moc"
