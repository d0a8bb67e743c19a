// The log file: format, appending, reading back, the header row.

#include "FileBytes.h"
#include "NativePath.h"
#include "Records.h"
#include "SettingsStore.h"
#include "TestSettings.h"
#include "WriteColumnHeader.h"
#include "logio.h"

#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace logformat;

namespace {

Record exampleRow(std::string comment, std::string event0 = "") {
    Record r;
    r.fill(Field::txt(""));
    r[Date] = Field::txt("12/05/2026");
    r[PCTime] = Field::txt("02:15:07 PM");
    r[VCRTime] = Field::txt("00:12:34");
    r[VCRSeconds] = Field::num(754);
    r[ScenarioTime] = Field::txt("00:03:10");
    r[ScenarioSeconds] = Field::num(190);
    r[Participant] = Field::txt("P3");
    r[Scenario] = Field::txt("Checkout");
    r[Comment] = Field::txt(std::move(comment));
    r[FirstEventColumn] = Field::txt(std::move(event0));
    return r;
}

std::vector<std::string> load(const QString &path, logfile::LoadOutcome *outcome = nullptr) {
    logfile::DisplayLines lines;
    const logfile::LoadOutcome out = logfile::readDisplayLines(toNativePath(path), lines);
    if (outcome)
        *outcome = out;
    std::vector<std::string> text;
    for (std::size_t i = 0; i < lines.size(); ++i)
        text.emplace_back(lines.line(i));
    return text;
}

}  // namespace

class TestLogFile : public QObject {
    Q_OBJECT

    TestSettings settings_;
    QTemporaryDir dir_;
    QString path(const char *name) const { return dir_.filePath(QString::fromUtf8(name)); }

private slots:
    void init() { TestSettings::clear(); }

    void exampleRowsByteForByte() {
        SettingsStore store;
        store.SaveSetting("Buttons", "Number Of Buttons", "1");
        store.SaveSetting("Buttons", "Button 0", "Error");
        store.SaveSetting("Buttons", "Button 1", "Help &Used");
        const std::string blank = "\"Button - \"";
        QCOMPARE(columnHeaderRow(eventColumnTitles(store)),
                 "\"Date\",\"PC Time\",\"VCR Time\",\"VCR Time In Seconds\",\"Scenario Time\",\"Scenario Time In "
                 "Seconds\",\"Participant\",\"Scenario\",\"Comment\",\"Button - Error\",\"Button - Help Used\"," +
                     blank + "," + blank + "," + blank + "," + blank + "," + blank + "," + blank + "," + blank + "," +
                     blank + "\r\n");
        QCOMPARE(encodeRow(exampleRow("Clicked Help, then left")),
                 std::string("\"12/05/2026\",\"02:15:07 PM\",\"00:12:34\",754,\"00:03:10\",190,\"P3\",\"Checkout\","
                             "\"Clicked Help, then left\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n"));
        Record press = exampleRow("Error", "Error");
        press[PCTime] = Field::txt("02:16:40 PM");
        press[VCRSeconds] = Field::num(847);
        QCOMPARE(encodeRow(press), std::string("\"12/05/2026\",\"02:16:40 PM\",\"00:12:34\",847,\"00:03:10\",190,\"P3\","
                                               "\"Checkout\",\"Error\",\"Error\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\","
                                               "\"\"\r\n"));
    }

    void roundTrip_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("number");
        QTest::newRow("commas and leading blanks") << "  a, b,, c" << 1.0;
        QTest::newRow("only blanks") << "   " << 12.0;
        QTest::newRow("empty text, zero") << "" << 0.0;
        QTest::newRow("negative number") << "x" << -86399.0;
        QTest::newRow("fraction, tab") << "tab\tinside" << 2.5;
        QTest::newRow("non-ASCII") << QString::fromUtf8("Größe – 測試 ✓") << 3723.0;
        QTest::newRow("line break inside quotes") << "two\r\nlines" << 5.0;
    }
    void roundTrip() {
        QFETCH(QString, text);
        QFETCH(double, number);
        Record r = exampleRow(text.toStdString(), text.toStdString());
        r[VCRSeconds] = Field::num(number);
        r[Participant] = Field::none();
        ParseStatus last{};
        const std::vector<Record> back = parseRecords(encodeRow(r) + encodeRow(r), &last);
        QCOMPARE(last, ParseStatus::End);
        QCOMPARE(back.size(), std::size_t(2));
        QVERIFY(back[0] == r);
        QCOMPARE(encodeRow(back[1]), encodeRow(r));
    }

    void readerRules() {
        // One record over two lines, blanks before fields, text after a closing quote, bare text and
        // numbers with blanks after them, a lone LF; then a record cut short.
        ParseStatus last{};
        const std::vector<Record> back = parseRecords("  \"a\"junk,2 , x y ,,\t\"e\"\r\n"
                                                      "\"f\",\"g\",\"h\",\"i\",\"j\",\"k\",\"l\",\"m\",\"n\",\"o\",\"p\","
                                                      "\"q\",\"r\",-7\n\"next\"",
                                                      &last);
        QCOMPARE(back.size(), std::size_t(1));
        QCOMPARE(last, ParseStatus::Truncated);
        QVERIFY(back[0][0] == Field::txt("a") && back[0][1] == Field::num(2) && back[0][2] == Field::txt("x y"));
        QVERIFY(back[0][3] == Field::none() && back[0][4] == Field::txt("e") && back[0][18] == Field::num(-7));
        // A double quote in a name cannot end its field early and shift the records after it.
        Record quoted = exampleRow("c");
        quoted[Participant] = Field::txt("Ann \"Mac\" Lee");
        const std::vector<Record> two = parseRecords(encodeRow(quoted) + encodeRow(exampleRow("second")));
        QCOMPARE(two.size(), std::size_t(2));
        QVERIFY(two[0][Participant] == Field::txt("Ann 'Mac' Lee") && two[1][Comment] == Field::txt("second"));
    }

    void reloading() {
        const QString file = path("display.csv");
        SettingsStore store;
        QVERIFY(!ensureColumnHeader(store, file).error);
        Record bare = exampleRow("Late start");
        bare[Participant] = Field::txt("");
        bare[ScenarioTime] = Field::num(12);
        const std::string rows = encodeRow(exampleRow(" Clicked, then left")) + encodeRow(bare);
        QVERIFY(!logfile::appendRow(toNativePath(file), rows, logfile::Sync::No));
        QCOMPARE(load(file), (std::vector<std::string>{
                                 "Participant    |    Scenario    |    Scenario Time    |    Comment",
                                 "P3    |    Checkout    |    00:03:10    |     Clicked, then left",
                                 "    |    Checkout    |    12    |    Late start"}));

        // The file missing, told apart from other failures; an empty file; a record cut short;
        // blank lines after the last row.
        logfile::LoadOutcome out;
        load(path("missing.csv"), &out);
        QCOMPARE(out.openError.code, 53);
        load(dir_.path(), &out);
        QVERIFY(out.openError.kind == logfile::FailureKind::Other && !out.openError.description.empty());
        QVERIFY(writeBytes(path("empty.csv"), ""));
        QVERIFY(load(path("empty.csv"), &out).empty() && out.end == logfile::ReadEnd::Complete);
        const std::string row = encodeRow(exampleRow("one"));
        QVERIFY(writeBytes(path("cut.csv"), QByteArray::fromStdString(row + row + row.substr(0, row.size() / 2))));
        QCOMPARE(load(path("cut.csv"), &out).size(), std::size_t(2));
        QCOMPARE(out.end, logfile::ReadEnd::CutShort);
        QVERIFY(writeBytes(path("trailing.csv"), QByteArray::fromStdString(row + "\r\n  \r\n")));
        QCOMPARE(load(path("trailing.csv"), &out).size(), std::size_t(1));
        QCOMPARE(out.end, logfile::ReadEnd::Complete);
    }

    void largeFileReadsLikeOneBuffer() {
        // Rows of varied length, one longer than the read buffer, so records and CR LF pairs fall
        // across every kind of buffer boundary.
        std::string bytes;
        std::vector<std::string> expected;
        for (int i = 0; i < 30000; ++i) {
            Record r = exampleRow(std::string(static_cast<std::size_t>(i % 97), 'c') + std::to_string(i));
            if (i == 777)
                r[Comment] = Field::txt(std::string(1'500'000, 'z'));
            r[ScenarioTime] = Field::txt(std::to_string(i));
            bytes += encodeRow(r);
            expected.push_back(displayLine("P3", "Checkout", std::to_string(i), r[Comment].text));
        }
        QVERIFY(writeBytes(path("large.csv"), QByteArray::fromStdString(bytes)));
        QVERIFY(load(path("large.csv")) == expected);
    }

    void aShortWriteLeavesOnlyWholeRows() {
        const QString file = path("full.csv");
        const std::string row = encodeRow(exampleRow("fits"));
        QVERIFY(!logfile::appendRow(toNativePath(file), row, logfile::Sync::Yes));
        // In a child process, as a full disk would: the file may grow by only half a row.
        const pid_t child = fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlim_t limit = row.size() + row.size() / 2;
            const rlimit rl{limit, limit};
            setrlimit(RLIMIT_FSIZE, &rl);
            const logfile::FileError err =
                logfile::appendRow(toNativePath(file), encodeRow(exampleRow("too much")), logfile::Sync::Yes);
            _exit(err.systemError == EFBIG && !err.description.empty() ? 0 : 1);
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        QCOMPARE(readBytes(file), QByteArray::fromStdString(row));
        QVERIFY(!logfile::appendRow(toNativePath(file), row, logfile::Sync::No));
        QCOMPARE(readBytes(file), QByteArray::fromStdString(row + row));
        QCOMPARE(logfile::appendRow(toNativePath(path("gone/log.csv")), row, logfile::Sync::No).code, 53);
    }

    void columnHeader_data() {
        QTest::addColumn<QStringList>("stored");
        QTest::addColumn<QString>("count");
        QTest::addColumn<QStringList>("titles");
        const QStringList blank(10, "Button - ");
        QTest::newRow("never saved") << QStringList() << QString() << blank;
        QTest::newRow("saved empty") << QStringList() << "-1" << blank;
        QStringList three = blank;
        for (int i = 0; i < 3; ++i)
            three[i] = QString("Button - %1").arg(QChar('A' + i));
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
        const ColumnHeaderOutcome out = ensureColumnHeader(store, file);
        QVERIFY(!out.error);
        QCOMPARE(out.buttonCount, count.isEmpty() ? QString("-1") : count);
        const std::vector<Record> rows = parseRecords(readBytes(file).toStdString());
        QCOMPARE(rows.size(), std::size_t(1));
        for (int i = 0; i < 10; ++i)
            QVERIFY(rows[0][FirstEventColumn + std::size_t(i)] == Field::txt(titles[i].toStdString()));

        // A file that holds anything is left byte for byte.
        QVERIFY(writeBytes(file, "no header, just \"anything\""));
        QCOMPARE(ensureColumnHeader(store, file).fileLength, 26LL);
        QCOMPARE(readBytes(file), QByteArray("no header, just \"anything\""));
    }
};

QTEST_GUILESS_MAIN(TestLogFile)
#include "tst_logfile.moc"
