// The log file: rows byte for byte, damaged rows, two copies at once, limits, odd files.

#include "FileBytes.h"
#include "NativePath.h"
#include "Records.h"
#include "SettingsStore.h"
#include "TestSettings.h"
#include "WriteColumnHeader.h"
#include "logindex.h"
#include "logrewrite.h"
#include "presence.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace logformat;
using logfile::AppendOutcome;

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
std::string rowOf(const std::string &comment) { return encodeRow(exampleRow(comment)); }
std::string unended(const std::string &comment) { return rowOf(comment).substr(0, rowOf(comment).size() - 2); }

// The comment of each line the list shows, "#" for a damaged one; the program's reader must read
// the same records.
QStringList listed(const std::string &path) {
    logfile::LogIndex index;
    logfile::RecordReader reader;
    if (index.load(path).openError || reader.open(path))
        return {"<cannot open>"};
    QStringList out;
    RecordView fromList, fromReader;
    for (std::size_t i = 0; i < index.size(); ++i) {
        index.fields(i, fromList);
        const bool damaged = index.shape(i) == Shape::Damaged;
        const auto step = reader.next(fromReader);
        if ((step == logfile::RecordReader::Step::Damaged) != damaged || fromReader[Comment].text != fromList[Comment].text)
            return {"<reader and list disagree>"};
        out << (damaged ? QString("#") : QString::fromStdString(std::string(fromList[Comment].text)));
    }
    if (reader.next(fromReader) != logfile::RecordReader::Step::End)
        out << "<reader reads more>";
    return out;
}

AppendOutcome::Result append(const QString &path, const std::string &row) {
    return logfile::appendRow(toNativePath(path), row, logfile::Sync::No).result;
}

// Fails the test run instead of hanging when a call blocks (on a named pipe, say).
struct Watchdog {
    Watchdog() { alarm(20); }
    ~Watchdog() { alarm(0); }
};

}  // namespace

class TestLogFile : public QObject {
    Q_OBJECT

    TestSettings settings_;
    QTemporaryDir dir_;
    QString path(const char *name) const { return dir_.filePath(QString::fromUtf8(name)); }

private slots:
    void init() {
        TestSettings::clear();
        for (const QString &name : QDir(dir_.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System)) {
            QFile::setPermissions(dir_.filePath(name), QFile::ReadOwner | QFile::WriteOwner);
            QFile::remove(dir_.filePath(name));
        }
    }

    void exampleRowsByteForByte() {
        SettingsStore store;
        store.SaveSetting("Buttons", "Number Of Buttons", "1");
        store.SaveSetting("Buttons", "Button 0", "Error");
        store.SaveSetting("Buttons", "Button 1", "Help &Used");
        const std::string blank = ",\"Button - \"";
        QCOMPARE(columnHeaderRow(eventColumnTitles(store)),
                 "\"Date\",\"PC Time\",\"VCR Time\",\"VCR Time In Seconds\",\"Scenario Time\",\"Scenario Time In "
                 "Seconds\",\"Participant\",\"Scenario\",\"Comment\",\"Button - Error\",\"Button - Help Used\"" +
                     blank + blank + blank + blank + blank + blank + blank + blank + "\r\n");
        QCOMPARE(rowOf("Clicked Help, then left"),
                 std::string("\"12/05/2026\",\"02:15:07 PM\",\"00:12:34\",754,\"00:03:10\",190,\"P3\",\"Checkout\","
                             "\"Clicked Help, then left\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n"));
    }

    void roundTrip_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("number");
        QTest::addColumn<QString>("stored");  // between the quotes in the file
        QTest::newRow("commas and leading blanks, tab") << "  a, b,,\tc" << -86399.0 << "  a, b,,\tc";
        QTest::newRow("only blanks") << "   " << 2.5 << "   ";
        QTest::newRow("empty text, zero") << "" << 0.0 << "";
        QTest::newRow("non-ASCII") << QString::fromUtf8("Größe – 測試 ✓") << 12.0 << QString::fromUtf8("Größe – 測試 ✓");
        // A spreadsheet must not run these as formulas; the program still shows them as typed.
        QTest::newRow("a formula") << "=1+1" << 1.0 << "'=1+1";
        QTest::newRow("a dash") << "- hesitates" << 1.0 << "'- hesitates";
        QTest::newRow("an apostrophe before @") << "'@SUM(A1)" << 1.0 << "''@SUM(A1)";
    }
    void roundTrip() {
        QFETCH(QString, text);
        QFETCH(double, number);
        QFETCH(QString, stored);
        Record r = exampleRow(text.toStdString(), text.toStdString());
        r[VCRSeconds] = Field::num(number);
        r[Participant] = Field::none();
        const QString file = path("round.csv");
        QVERIFY(writeBytes(file, QByteArray::fromStdString(encodeRow(r) + encodeRow(r))));
        QCOMPARE(listed(toNativePath(file)), QStringList(2, text));
        QVERIFY(readBytes(file).contains(",\"" + stored.toUtf8() + "\",\"" + stored.toUtf8() + "\","));  // Comment, event
        const std::vector<Record> back = parseRecords(readBytes(file).toStdString());
        QVERIFY(back.size() == 2 && back[0] == r);
        QCOMPARE(encodeRow(back[1]), encodeRow(r));
    }

    void damagedRowsCostThemselvesAlone_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        const std::string two = rowOf("two");
        QTest::newRow("cut short, later rows glued on")
            << QByteArray::fromStdString(rowOf("one") + two.substr(0, 40) + rowOf("three") + rowOf("four"))
            << QStringList{"one", "#", "four"};
        QTest::newRow("cut short at the end") << QByteArray::fromStdString(rowOf("one") + two.substr(0, 70))
                                              << QStringList{"one", "#"};
        QTest::newRow("blank lines") << QByteArray::fromStdString(rowOf("one") + "\r\n" + two + " \t\r\n" + rowOf("3"))
                                     << QStringList{"one", "two", "3"};
        QTest::newRow("twenty fields") << QByteArray::fromStdString(rowOf("one") + unended("two") + ",\"x\"\r\n" + rowOf("3"))
                                       << QStringList{"one", "#", "3"};
        QTest::newRow("a line break in a text")
            << QByteArray::fromStdString(rowOf("one") + rowOf("t\r\nwo") + rowOf("3")) << QStringList{"one", "t\r\nwo", "3"};
        std::string broken = two;
        broken.replace(broken.find(",754,"), 5, ",754\n");
        QTest::newRow("a line end for a comma") << QByteArray::fromStdString(rowOf("one") + broken + rowOf("3"))
                                                << QStringList{"one", "two", "3"};
        QTest::newRow("a half row before a whole one")
            << QByteArray::fromStdString(rowOf("one") + rowOf("two").substr(0, 60) + "\r\n" + rowOf("3"))
            << QStringList{"one", "#", "3"};
        QTest::newRow("no line end at the end") << QByteArray::fromStdString(rowOf("one") + unended("two"))
                                                << QStringList{"one", "two"};
    }
    void damagedRowsCostThemselvesAlone() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        QVERIFY(writeBytes(path("damaged.csv"), bytes));
        QCOMPARE(listed(toNativePath(path("damaged.csv"))), lines);
    }

    void editsChangeOnlyTheirRecord() {
        const std::string before = rowOf("one") + rowOf("two").substr(0, 40) + rowOf("three") + rowOf("four");
        const std::string file = toNativePath(path("edit.csv"));
        QVERIFY(writeBytes(path("edit.csv"), QByteArray::fromStdString(before)));
        logfile::LogIndex index;
        QVERIFY(!index.load(file).openError && index.size() == 3);
        // The damaged line's record cannot be edited in the wrong place, nor can a stale line.
        QCOMPARE(logfile::replaceComment(file, index.offset(1), index.displayLine(1), "x").result,
                 logfile::CommentEdit::Result::RecordChanged);
        QCOMPARE(logfile::replaceComment(file, index.offset(2), index.displayLine(0), "x").result,
                 logfile::CommentEdit::Result::RecordChanged);
        const logfile::CommentEdit edit = logfile::replaceComment(file, index.offset(2), index.displayLine(2), "vier");
        QCOMPARE(edit.result, logfile::CommentEdit::Result::Done);
        std::string after = before;
        after.replace(after.rfind("\"four\""), 6, "\"vier\"");
        QCOMPARE(readBytes(path("edit.csv")).toStdString(), after);
        index.replaced(2, edit.oldLength, edit.newLength, edit.fd, edit.file);
        QVERIFY(index.displayLine(2).ends_with("|    vier") && index.displayLine(0).ends_with("|    one"));
    }

    void newRowsNeverStartInsideADamagedOne() {
        const QString log = path("tail.csv");
        const std::string cut = rowOf("two").substr(0, 50);
        QVERIFY(writeBytes(log, QByteArray::fromStdString(rowOf("one") + cut)));
        QVERIFY(writeBytes(log + ".damaged-row.txt", "the observer's own file"));
        QCOMPARE(append(log, rowOf("three")), AppendOutcome::Result::TailNotEnded);
        // Set aside whole, beside the log, never over a file that exists; then rows go on.
        const logfile::TailRepair repair = logfile::repairTail(toNativePath(log));
        QCOMPARE(repair.result, logfile::TailRepair::Result::SetAside);
        QCOMPARE(QString::fromStdString(repair.asidePath), log + ".damaged-row-2.txt");
        QCOMPARE(readBytes(log + ".damaged-row-2.txt").toStdString(), cut);
        QCOMPARE(readBytes(log + ".damaged-row.txt"), QByteArray("the observer's own file"));
        QCOMPARE(append(log, rowOf("three")), AppendOutcome::Result::Done);
        QCOMPARE(readBytes(log).toStdString(), rowOf("one") + rowOf("three"));
        // A whole row that only lacks its line end keeps its place and gets one.
        QVERIFY(writeBytes(log, QByteArray::fromStdString(rowOf("one") + unended("two"))));
        QCOMPARE(logfile::repairTail(toNativePath(log)).result, logfile::TailRepair::Result::Ended);
        QCOMPARE(readBytes(log).toStdString(), rowOf("one") + rowOf("two"));
        // A log deleted behind the program is not made again, headerless, by the next entry.
        QVERIFY(QFile::remove(log));
        QCOMPARE(append(log, rowOf("lost?")), AppendOutcome::Result::Gone);
        QVERIFY(!QFile::exists(log));
    }

    void twoCopiesLoseNothing() {
        // Two processes append and edit the same log as fast as they can.
        const std::string log = toNativePath(path("shared.csv"));
        QVERIFY(writeBytes(path("shared.csv"), QByteArray::fromStdString(rowOf("header"))));
        constexpr int kRows = 300;
        pid_t children[2];
        for (int k = 0; k < 2; ++k) {
            children[k] = fork();
            QVERIFY(children[k] >= 0);
            if (children[k] > 0)
                continue;
            bool ok = true;
            for (int i = 0; i < kRows && ok; ++i) {
                ok = logfile::appendRow(log, rowOf(std::to_string(k) + "-" + std::to_string(i)), logfile::Sync::No).result ==
                     AppendOutcome::Result::Done;
                if (i % 30 != 29)
                    continue;
                // Edit an earlier row of its own, found afresh: the other copy moves rows too.
                const std::string old = std::to_string(k) + "-" + std::to_string(i - 10);
                logfile::CommentEdit::Result result = logfile::CommentEdit::Result::RecordChanged;
                for (int attempt = 0; attempt < 20 && result == logfile::CommentEdit::Result::RecordChanged; ++attempt) {
                    logfile::LogIndex index;
                    index.load(log);
                    for (std::size_t r = 0; r < index.size(); ++r)
                        if (index.displayLine(r).ends_with("|    " + old))
                            result = logfile::replaceComment(log, index.offset(r), index.displayLine(r), old + " edited")
                                         .result;
                }
                ok = ok && result == logfile::CommentEdit::Result::Done;
            }
            _exit(ok ? 0 : 1);
        }
        for (const pid_t child : children) {
            int status = 0;
            QCOMPARE(waitpid(child, &status, 0), child);
            QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        }
        QStringList expected{"header"};
        for (int k = 0; k < 2; ++k)
            for (int i = 0; i < kRows; ++i)
                expected << QString("%1-%2%3").arg(k).arg(i).arg(i % 30 == 19 ? " edited" : "");
        QStringList got = listed(log);
        std::sort(expected.begin(), expected.end());
        std::sort(got.begin(), got.end());
        QCOMPARE(got, expected);
        QCOMPARE(QDir(dir_.path()).entryList(QDir::Files), QStringList{"shared.csv"});  // no copies left behind
    }

    void aShortWriteLeavesOnlyWholeRows() {
        const QString file = path("full.csv");
        const std::string row = rowOf("fits");
        QCOMPARE(append(file + "x", row), AppendOutcome::Result::Gone);
        QVERIFY(writeBytes(file, QByteArray::fromStdString(row)));
        // In a child process, as a full disk would: the file may grow by only half a row.
        const pid_t child = fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlim_t limit = row.size() + row.size() / 2;
            const rlimit rl{limit, limit};
            setrlimit(RLIMIT_FSIZE, &rl);
            const AppendOutcome out = logfile::appendRow(toNativePath(file), rowOf("too much"), logfile::Sync::Yes);
            _exit(out.result == AppendOutcome::Result::Failed && out.error.systemError == EFBIG ? 0 : 1);
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        QCOMPARE(readBytes(file).toStdString(), row);
        QCOMPARE(append(file, row), AppendOutcome::Result::Done);
        QCOMPARE(readBytes(file).toStdString(), row + row);
    }

    void oddFilesAreRefusedAtOnce_data() {
        QTest::addColumn<QString>("file");
        QTest::newRow("named pipe") << "fifo";
        QTest::newRow("link to a named pipe") << "link";
        QTest::newRow("folder") << ".";
        QTest::newRow("device") << "/dev/null";
        QTest::newRow("socket") << "socket";
    }
    void oddFilesAreRefusedAtOnce() {
        QFETCH(QString, file);
        QVERIFY(mkfifo(toNativePath(path("fifo")).c_str(), 0600) == 0);
        QVERIFY(QFile::link(path("fifo"), path("link")));
        const int sock = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, toNativePath(path("socket")).c_str(), sizeof address.sun_path - 1);
        QVERIFY(bind(sock, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0);
        const std::string target = toNativePath(file.startsWith('/') ? file : path(file.toUtf8()));
        const Watchdog watchdog;
        QCOMPARE(logfile::appendRow(target, rowOf("x"), logfile::Sync::No).error.kind, logfile::FailureKind::NotRegular);
        QCOMPARE(logfile::ensureHeader(target, rowOf("h"), logfile::Sync::No).error.kind, logfile::FailureKind::NotRegular);
        QCOMPARE(logfile::createEmpty(target).kind, logfile::FailureKind::NotRegular);
        QCOMPARE(logfile::touchForAppend(target).kind, logfile::FailureKind::NotRegular);
        QCOMPARE(logfile::checkLogFile(target).result, logfile::LogCheck::Result::Unusable);
        logfile::LogIndex index;
        QCOMPARE(index.load(target).openError.kind, logfile::FailureKind::NotRegular);
        QVERIFY(!logfile::checkLogFile(target).error.description.empty());
        ::close(sock);
    }

    void whatAFileHolds_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("result");
        using R = logfile::LogCheck::Result;
        QByteArray binary;
        for (int i = 0; i < 256; ++i)
            binary += char(i);
        const QByteArray header = QByteArray::fromStdString(columnHeaderRow(EventColumnTitles{}));
        QTest::newRow("empty") << QByteArray() << int(R::Empty);
        QTest::newRow("a log, a row cut short") << header + QByteArray::fromStdString(rowOf("a") + "\"12/0") << int(R::Log);
        QTest::newRow("binary") << binary << int(R::NotLog);
        const QString text = QString::fromUtf8(header);
        QTest::newRow("UTF-16") << QByteArray("\xff\xfe", 2) + QByteArray(reinterpret_cast<const char *>(text.utf16()),
                                                                          text.size() * 2)
                                << int(R::NotLog);
        QTest::newRow("text") << QByteArray("Dear diary,\nit rained.\n") << int(R::NotLog);
        QTest::newRow("a header, then no rows of a log") << header + QByteArray("x,y\r\n").repeated(5) << int(R::NotLog);
    }
    void whatAFileHolds() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, result);
        QVERIFY(writeBytes(path("check.csv"), bytes));
        QCOMPARE(int(logfile::checkLogFile(toNativePath(path("check.csv"))).result), result);
        QCOMPARE(logfile::checkLogFile(toNativePath(path("missing.csv"))).result, logfile::LogCheck::Result::Missing);
    }

    void rewritesGoWhereLinksPointAndSpareOthersFiles() {
        const std::string rows = rowOf("one") + rowOf("two") + rowOf("three");
        QVERIFY(writeBytes(path("real.csv"), QByteArray::fromStdString(rows)));
        QVERIFY(QFile::link(path("real.csv"), path("link.csv")));
        for (const char *mine : {"link.csv.bak", "real.csv.bak"})
            QVERIFY(writeBytes(path(mine), "mine"));
        const std::string link = toNativePath(path("link.csv"));
        logfile::LogIndex index;
        index.load(link);
        const logfile::CommentEdit edit = logfile::replaceComment(link, index.offset(1), index.displayLine(1), "2");
        QCOMPARE(edit.result, logfile::CommentEdit::Result::Done);
        ::close(edit.fd);
        QVERIFY(QFileInfo(path("link.csv")).isSymLink());
        QCOMPARE(readBytes(path("real.csv")).toStdString(), rowOf("one") + rowOf("2") + rowOf("three"));
        QVERIFY(!logfile::startAfresh(link, rowOf("header")));
        QCOMPARE(readBytes(path("link.csv")).toStdString(), rowOf("header"));
        QVERIFY(QFileInfo(path("link.csv")).isSymLink());
        QCOMPARE(readBytes(path("real.csv.bak")) + readBytes(path("link.csv.bak")), QByteArray("minemine"));
        QCOMPARE(QDir(dir_.path()).entryList(QDir::Files | QDir::System).size(), 4);  // nothing left behind
        // A log that cannot be written is not rewritten either (tried as a user who may not write
        // it: the superuser may write any file).
        QVERIFY(QFile::setPermissions(path("real.csv"), QFile::ReadOwner | QFile::ReadOther));
        QVERIFY(QFile::setPermissions(dir_.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                       QFile::ReadOther | QFile::ExeOther));
        const pid_t child = fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            if (geteuid() == 0 && setuid(65534) != 0)
                _exit(2);
            index.load(link);
            const bool refused =
                logfile::replaceComment(link, index.offset(0), index.displayLine(0), "x").error.kind ==
                    logfile::FailureKind::InUse &&
                logfile::startAfresh(link, rowOf("h")).kind == logfile::FailureKind::InUse &&
                append(path("link.csv"), rowOf("x")) == AppendOutcome::Result::Failed;
            _exit(refused ? 0 : 1);
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        QCOMPARE(readBytes(path("real.csv")).toStdString(), rowOf("header"));
    }

    void longRecordsAndBufferEdges() {
        // Rows of varied length, one longer than every buffer, so records and CR LF pairs fall on
        // every kind of boundary; then an edit of the long record and one after it.
        std::string bytes;
        QStringList expected;
        for (int i = 0; i < 20000; ++i) {
            const std::string comment = i == 777 ? std::string(3'000'000, 'z') : std::string(std::size_t(i % 97), 'c') + std::to_string(i);
            bytes += rowOf(comment);
            expected << QString::fromStdString(comment);
        }
        const std::string file = toNativePath(path("large.csv"));
        QVERIFY(writeBytes(path("large.csv"), QByteArray::fromStdString(bytes)));
        QCOMPARE(listed(file), expected);
        logfile::LogIndex index;
        index.load(file);
        for (const std::size_t r : {std::size_t(777), std::size_t(778)}) {
            const logfile::CommentEdit edit = logfile::replaceComment(file, index.offset(r), index.displayLine(r), "short");
            QCOMPARE(edit.result, logfile::CommentEdit::Result::Done);
            index.replaced(r, edit.oldLength, edit.newLength, edit.fd, edit.file);
            expected[int(r)] = "short";
        }
        QCOMPARE(listed(file), expected);
        QVERIFY(index.displayLine(19999).ends_with(expected.last().toStdString()));
    }

    void otherCopiesAreNoticed() {
        const QString runtime = path("running");
        const std::string log = toNativePath(path("log.csv"));
        QVERIFY(writeBytes(path("log.csv"), ""));
        QVERIFY(QFile::link(path("log.csv"), path("alias.csv")));
        auto first = std::make_unique<logfile::Presence>(toNativePath(runtime), "first");
        logfile::Presence second(toNativePath(runtime), "second");
        QCOMPARE(first->announce(log), 0);
        QCOMPARE(second.announce(toNativePath(path("alias.csv"))), 1);  // the same file by another name
        QCOMPARE(second.announce(toNativePath(path("other.csv"))), 0);
        QCOMPARE(first->announce(toNativePath(path("other.csv"))), 1);
        first.reset();
        QVERIFY(writeBytes(runtime + "/ended", QByteArray::fromStdString(toNativePath(path("other.csv")))));
        QCOMPARE(second.announce(toNativePath(path("other.csv"))), 0);  // a copy that ended counts no more
        QCOMPARE(QDir(runtime).entryList(QDir::Files), QStringList{"second"});
    }

    void columnHeader_data() {
        QTest::addColumn<QStringList>("stored");
        QTest::addColumn<QString>("count");
        QTest::addColumn<QString>("last");  // the title of the last event column
        QStringList twelve;
        for (int i = 0; i < 12; ++i)
            twelve << QString("N%1").arg(i);
        QTest::newRow("never saved") << QStringList() << QString() << "Button - ";
        QTest::newRow("three") << QStringList{"A", "Say \"no\" &now&&", "C"} << "2" << "Button - ";
        QTest::newRow("twelve") << twelve << "11" << "Button - N9";
        QTest::newRow("a count no store can hold") << QStringList{"A"} << "2147483647" << "Button - ";
    }
    void columnHeader() {
        QFETCH(QStringList, stored);
        QFETCH(QString, count);
        QFETCH(QString, last);
        SettingsStore store;
        if (!count.isEmpty())
            store.SaveSetting("Buttons", "Number Of Buttons", count);
        for (int i = 0; i < stored.size(); ++i)
            store.SaveSetting("Buttons", QString("Button %1").arg(i), stored[i]);
        const QString file = path("header.csv");
        const ColumnHeaderOutcome out = ensureColumnHeader(store, file);
        QVERIFY(!out.error);
        const std::vector<Record> rows = parseRecords(readBytes(file).toStdString());
        QCOMPARE(rows.size(), std::size_t(1));
        QVERIFY(rows[0][FirstEventColumn + 9] == Field::txt(last.toStdString()));
        if (stored.size() == 3)
            QVERIFY(rows[0][FirstEventColumn + 1] == Field::txt("Button - Say 'no' now"));
        // A file that holds anything is left byte for byte.
        QVERIFY(writeBytes(file, "no header, just \"anything\""));
        QCOMPARE(ensureColumnHeader(store, file).fileLength, 26LL);
        QCOMPARE(readBytes(file), QByteArray("no header, just \"anything\""));
    }
};

QTEST_GUILESS_MAIN(TestLogFile)
#include "tst_logfile.moc"
