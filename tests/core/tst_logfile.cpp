// The log file: rows byte for byte, damaged rows, two copies at once, limits, odd files.

#include "core/logindex.h"
#include "core/logrewrite.h"
#include "core/presence.h"
#include "lists/SettingsStore.h"
#include "session/ColumnHeader.h"
#include "tests/support/Harness.h"
#include "ui/NativePath.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <csignal>
#include <functional>
#include <dlfcn.h>
#include <cstring>
#include <grp.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

// Flushes of folders, counted, and made to fail when a test says so: the core's own calls of fsync
// come here before the system's.
namespace {
int folderFlushes = 0;
bool folderFlushFails = false;
}  // namespace

// A lock about to be taken by the core, with something done just before it.
std::function<void()> beforeNextLock;

extern "C" int flock(int fd, int operation) {
    static const auto real = reinterpret_cast<int (*)(int, int)>(dlsym(RTLD_NEXT, "flock"));
    if (beforeNextLock && operation == (LOCK_EX | LOCK_NB))
        std::exchange(beforeNextLock, nullptr)();
    return real(fd, operation);
}

extern "C" int fsync(int fd) {
    static const auto real = reinterpret_cast<int (*)(int)>(dlsym(RTLD_NEXT, "fsync"));
    struct stat st {};
    if (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ++folderFlushes;
        if (folderFlushFails) {
            errno = EIO;
            return -1;
        }
    }
    return real(fd);
}

using namespace logformat;
using logfile::AppendOutcome;
using Edit = logfile::CommentEdit::Result;

namespace {

std::string rowOf(const std::string &comment) {
    Record r;
    r.fill(Field::txt(""));
    r[Date] = Field::txt("12/05/2026");
    r[VCRSeconds] = Field::num(754);
    r[ScenarioSeconds] = Field::num(190);
    r[Participant] = Field::txt("P3");
    r[Comment] = Field::txt(comment);
    return encodeRow(r);
}
std::string unended(const std::string &comment) { return rowOf(comment).substr(0, rowOf(comment).size() - 2); }

// The comment of each line the list shows, "#" for a damaged one. The list and the program's
// reader, which find whole rows 64 bytes at a time, must read the same records as the reader
// rules one record at a time: the same lines damaged, and every field of the reader's alike.
QStringList listed(const std::string &path) {
    logfile::LogIndex index;
    logfile::RecordReader reader;
    if (index.load(path).openError || reader.open(path))
        return {"<cannot open>"};
    const std::string bytes = readBytes(QString::fromStdString(path)).toStdString();
    const std::vector<Record> alone = parseRecords(bytes);
    QStringList out;
    RecordView fromList, fromReader;
    RecordSpan span;
    std::size_t pos = 0;
    for (std::size_t i = 0; i < index.size(); ++i) {
        index.fields(i, fromList);
        const bool damaged = index.shape(i) == Shape::Damaged;
        if (scanRecord(bytes, pos, true, span, fromReader) != ScanStatus::Found ||
            (span.shape == Shape::Damaged) != damaged || i >= alone.size())
            return {"<the list and the reader rules disagree>"};
        pos = span.end;
        if ((reader.next(fromReader) == logfile::RecordReader::Step::Damaged) != damaged ||
            fromReader[Comment].text != fromList[Comment].text)
            return {"<reader and list disagree>"};
        for (std::size_t k = 0; k < kFieldCount; ++k)
            if (!(toField(fromReader[k]) == alone[i][k]))
                return {QString("<the reader's field %1 of record %2 is not the rules' one>").arg(k).arg(i)};
        out << (damaged ? QString("#") : QString::fromStdString(std::string(fromList[Comment].text)));
    }
    return reader.next(fromReader) == logfile::RecordReader::Step::End && alone.size() == index.size()
               ? out
               : QStringList{"<reader reads more>"};
}

// How many of this process's open files are `path`.
int openDescriptorsTo(const QString &path) {
    int count = 0;
    for (const QFileInfo &fd : QDir("/proc/self/fd").entryInfoList(QDir::System | QDir::NoDotAndDotDot))
        count += fd.symLinkTarget() == QFileInfo(path).canonicalFilePath() ? 1 : 0;
    return count;
}

AppendOutcome::Result append(const QString &path, const std::string &row) {
    return logfile::appendRow(toNativePath(path), row, logfile::Sync::No).result;
}

}  // namespace

class TestLogFile : public QObject {
    Q_OBJECT

    TestSettings settings_;
    QTemporaryDir dir_;
    QString path(const char *name) const { return dir_.filePath(QString::fromUtf8(name)); }
    std::string native(const char *name) const { return toNativePath(path(name)); }

private slots:
    void init() {
        TestSettings::clear();
        for (const QString &name :
             QDir(dir_.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System)) {
            QFile::setPermissions(dir_.filePath(name), QFile::ReadOwner | QFile::WriteOwner);
            QFile::remove(dir_.filePath(name));
        }
    }

    void headerAndRowsByteForByte() {
        SettingsStore store;
        store.SaveSetting("Buttons", "Number Of Buttons", "11");
        store.SaveSetting("Buttons", "Button 0", "Error");
        store.SaveSetting("Buttons", "Button 1", "Say \"no\" &now&&");  // cleaned as a caption
        for (int i = 2; i < 12; ++i)
            store.SaveSetting("Buttons", QString("Button %1").arg(i), QString("N%1").arg(i));
        QVERIFY(!ensureColumnHeader(store, path("h.csv")).error);
        QCOMPARE(readBytes(path("h.csv")).toStdString(),
                 "\"Date\",\"PC Time\",\"VCR Time\",\"VCR Time In Seconds\",\"Scenario Time\",\"Scenario Time In "
                 "Seconds\",\"Participant\",\"Scenario\",\"Comment\",\"Button - Error\",\"Button - Say 'no' now\","
                 "\"Button - N2\",\"Button - N3\",\"Button - N4\",\"Button - N5\",\"Button - N6\",\"Button - N7\","
                 "\"Button - N8\",\"Button - N9\"\r\n");
        QCOMPARE(rowOf("Clicked Help, then left"),
                 std::string("\"12/05/2026\",\"\",\"\",754,\"\",190,\"P3\",\"\",\"Clicked "
                             "Help, then left\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\","
                             "\"\",\"\"\r\n"));
        // A file that holds anything keeps it; a count no store can hold still gives a header.
        QVERIFY(writeBytes(path("h.csv"), "anything"));
        QCOMPARE(ensureColumnHeader(store, path("h.csv")).fileLength, 8);
        QCOMPARE(readBytes(path("h.csv")), QByteArray("anything"));
        store.SaveSetting("Buttons", "Number Of Buttons", "2147483647");
        QVERIFY(!ensureColumnHeader(store, path("h2.csv")).error);
        QVERIFY(readBytes(path("h2.csv")).endsWith("N9\"\r\n"));
    }

    // Stored between the quotes exactly as typed, and read back so, whatever a spreadsheet would
    // make of it.
    void roundTrip_data() {
        QTest::addColumn<QString>("text");
        for (const char *text : {"  a, b,,\tc", "   ", "", "Größe – 測試 ✓", "=1+1", "- hesitates", "'@SUM(A1)"})
            QTest::newRow(text) << QString::fromUtf8(text);
    }
    void roundTrip() {
        QFETCH(QString, text);
        Record r;
        r.fill(Field::txt(text.toStdString()));
        r[VCRSeconds] = Field::num(-86399.5);
        r[ScenarioSeconds] = Field::num(0);
        r[Participant] = Field::none();
        QVERIFY(writeBytes(path("round.csv"), QByteArray::fromStdString(encodeRow(r) + encodeRow(r))));
        QCOMPARE(listed(native("round.csv")), QStringList(2, text));
        QVERIFY(readBytes(path("round.csv")).contains(",\"" + text.toUtf8() + "\",\"" + text.toUtf8() + "\","));
        const std::vector<Record> back = parseRecords(readBytes(path("round.csv")).toStdString());
        QCOMPARE(back.size(), std::size_t(2));
        QVERIFY(back[0] == r);
    }

    void damagedRowsCostThemselvesAlone_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        const std::string two = rowOf("two");
        std::string broken = two;
        broken.replace(broken.find(",754,"), 5, ",754\n");
        std::string lastBroken = rowOf("last");  // a line break in the last field's text
        lastBroken.insert(lastBroken.size() - 3, "t\r\nwo");
        std::string spaced = rowOf("blanks");  // as another program may write it
        for (std::size_t at = 0; (at = spaced.find(',', at)) != std::string::npos; at += 3)
            spaced.replace(at, 1, ", \t");
        const auto row = [](const char *name, const std::string &bytes, const QStringList &lines) {
            QTest::newRow(name) << QByteArray::fromStdString(bytes) << lines;
        };
        row("cut short", rowOf("1") + two.substr(0, 40) + rowOf("3") + rowOf("4"), {"1", "#", "4"});  // rows glued on
        row("cut short at the end", rowOf("1") + two.substr(0, 70), {"1", "#"});
        row("blank lines", rowOf("1") + "\r\n" + two + " \t\r\n" + rowOf("3"), {"1", "two", "3"});
        row("twenty fields", rowOf("1") + unended("two") + ",\"twenty\"\r\n" + rowOf("3"), {"1", "#", "3"});
        row("a line break in a text", rowOf("1") + rowOf("t\r\nwo") + rowOf("3"), {"1", "t\r\nwo", "3"});
        row("a line end for a comma", rowOf("1") + broken + rowOf("3"), {"1", "two", "3"});
        row("a half row, then a row", rowOf("1") + two.substr(0, 60) + "\r\n" + rowOf("3"), {"1", "#", "3"});
        row("no line end at the end", rowOf("1") + unended("two"), {"1", "two"});
        row("blanks before fields", rowOf("1") + spaced + rowOf("3"), {"1", "blanks", "3"});
        row("a CR alone in a text", rowOf("1") + rowOf("t\rwo") + rowOf("3"), {"1", "t\rwo", "3"});
        row("a line break in the last text", rowOf("1") + lastBroken + rowOf("3"), {"1", "last", "3"});
        row("a text over five lines, one blank", rowOf("1") + rowOf("a\r\nb\nc\r\n\r\nd") + rowOf("3"),
            {"1", "a\r\nb\nc\r\n\r\nd", "3"});
        // Together they would have the fields of a row; with no text open, each is a line of its own.
        std::string fifteen = "\"p\"";
        for (int i = 1; i < 15; ++i)
            fifteen += ",\"p\"";
        row("three half rows with no text open",
            rowOf("1") + "\"x\",\"y\"\r\n\"z\",\r\n" + fifteen + "\r\n" + rowOf("3"), {"1", "#", "#", "#", "3"});
    }
    void damagedRowsCostThemselvesAlone() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        QVERIFY(writeBytes(path("damaged.csv"), bytes));
        QCOMPARE(listed(native("damaged.csv")), lines);
    }

    void theLogIsOpenOnlyWhileRead() {
        const QString log = path("held.csv");
        std::string rows;
        for (int i = 0; i < 3000; ++i)
            rows += rowOf("r" + std::to_string(i));
        QVERIFY(writeBytes(log, QByteArray::fromStdString(rows)));
        logfile::LogIndex index;
        QVERIFY(!index.load(toNativePath(log)).openError);
        QVERIFY(index.displayLine(0).ends_with("|    r0"));
        QCOMPARE(openDescriptorsTo(log), 0);  // a log on a USB stick can be ejected while it is shown
        QCOMPARE(index.changed(), logfile::LogIndex::Change::None);
        // Another program rewrites it in place without its first row: no line shows another's row.
        QFile inPlace(log);
        QVERIFY(inPlace.open(QIODevice::ReadWrite | QIODevice::Truncate));
        inPlace.write(QByteArray::fromStdString(rows.substr(rowOf("r0").size())));
        inPlace.close();
        QCOMPARE(index.changed(), logfile::LogIndex::Change::Shrank);
        QCOMPARE(index.displayLine(2999), std::string());  // its old place holds no row, or another's
        QVERIFY(!index.load(toNativePath(log)).openError);
        QCOMPARE(index.size(), 2999u);
        QVERIFY(index.displayLine(2998).ends_with("|    r2999"));
        QCOMPARE(append(log, rowOf("more")), AppendOutcome::Result::Done);  // grown by another
        QCOMPARE(index.changed(), logfile::LogIndex::Change::Changed);
        QVERIFY(QFile::remove(log));
        QCOMPARE(index.changed(), logfile::LogIndex::Change::Gone);
    }

    void editsChangeOnlyTheirRecord() {
        // Rows another program wrote may hold texts a spreadsheet would take for formulas: kept as they are.
        std::string before = rowOf("one") + rowOf("two").substr(0, 40) + rowOf("three") + rowOf("four");
        for (std::size_t at; (at = before.find("\"P3\"")) != std::string::npos;)
            before.replace(at, 4, "\"-P1\"");
        before.replace(before.find("\"three\""), 7, "\"'=three\"");
        const std::string file = native("edit.csv");
        QVERIFY(writeBytes(path("edit.csv"), QByteArray::fromStdString(before)));
        logfile::LogIndex index;
        QVERIFY(!index.load(file).openError);
        QCOMPARE(index.size(), std::size_t(3));
        // The damaged line's record, and a line no longer its record's, are not edited.
        QCOMPARE(logfile::replaceComment(file, index.offset(1), index.displayLine(1), "x").result, Edit::RecordChanged);
        QCOMPARE(logfile::replaceComment(file, index.offset(2), index.displayLine(0), "x").result, Edit::RecordChanged);
        const logfile::CommentEdit edit = logfile::replaceComment(file, index.offset(2), index.displayLine(2), "vier");
        QCOMPARE(edit.result, Edit::Done);
        std::string after = before;
        after.replace(after.rfind("\"four\""), 6, "\"vier\"");
        QCOMPARE(readBytes(path("edit.csv")).toStdString(), after);
        index.replaced(2, edit.oldLength, edit.newLength, edit.after);
        QVERIFY(index.displayLine(2).ends_with("|    vier"));
    }

    void aHugeFileWithoutLineEnds() {
        // A disk image or a preallocated file chosen as the log: told apart from a log by its start
        // alone, and read in little memory if used all the same, its endless line one damaged row.
        const QString huge = path("image.csv");
        QFile file(huge);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(10LL << 30));
        QVERIFY(inChildWithMemory(64 << 20, [&] {
            // Told from its first 64 KiB, not after reading 10 GB.
            const logfile::LogCheck check = logfile::checkLogFile(toNativePath(huge));
            return check.result == logfile::LogCheck::Result::NotLog &&
                   check.reason.find("first line is longer") != std::string::npos;
        }));
        QVERIFY(file.resize(512LL << 20));  // read whole, so smaller: the system makes up holes slowly
        file.close();
        QVERIFY(inChildWithMemory(128 << 20, [&] {
            logfile::LogIndex index;
            return !index.load(toNativePath(huge)).readError && index.size() == 1 &&
                   index.shape(0) == Shape::Damaged && index.displayLine(0).starts_with("    |");
        }));
        // Longer than the memory the reader may take: it must pass over the line, not hold it.
        QVERIFY(writeBytes(huge, QByteArray(80 << 20, 'x') + "\r\n" + QByteArray::fromStdString(rowOf("after it"))));
        QVERIFY(inChildWithMemory(64 << 20, [&] {
            logfile::RecordReader reader;
            RecordView record;
            return !reader.open(toNativePath(huge)) && reader.next(record) == logfile::RecordReader::Step::Damaged &&
                   reader.next(record) == logfile::RecordReader::Step::Record && record[Comment].text == "after it";
        }));
        QVERIFY(QFile::remove(huge));
    }

    void changesReachTheDisk() {
        folderFlushes = 0;
        QVERIFY(!logfile::createEmpty(native("new.csv")));
        QVERIFY(!logfile::ensureHeader(native("new2.csv"), rowOf("h"), logfile::Sync::Yes).error);
        QCOMPARE(folderFlushes, 2);  // a new log's name is on disk too
        QVERIFY(writeBytes(path("edit.csv"), QByteArray::fromStdString(rowOf("one"))));
        logfile::LogIndex index;
        index.load(native("edit.csv"));
        folderFlushFails = true;  // the change is made, but said to be perhaps not on disk
        const logfile::CommentEdit edit = logfile::replaceComment(native("edit.csv"), 0, index.displayLine(0), "1");
        const logfile::FileError fresh = logfile::startAfresh(native("new.csv"), rowOf("h"));
        const logfile::FileError created = logfile::ensureHeader(native("new3.csv"), rowOf("h"), logfile::Sync::Yes).error;
        folderFlushFails = false;
        QCOMPARE(edit.result, Edit::Done);
        QCOMPARE(edit.error.kind, logfile::FailureKind::NotFlushed);
        QCOMPARE(readBytes(path("edit.csv")).toStdString(), rowOf("1"));
        QCOMPARE(fresh.kind, logfile::FailureKind::NotFlushed);
        QCOMPARE(created.kind, logfile::FailureKind::NotFlushed);
    }

    void rewritesKeepTheLogsOwnerAndNames() {
        // A name as long as a name may be: the change's own temporary name still fits.
        const QString longName = path((std::string(251, 'x') + ".csv").c_str());
        QVERIFY(writeBytes(longName, QByteArray::fromStdString(rowOf("one"))));
        QVERIFY(writeBytes(dir_.filePath(QString::fromStdString(logfile::replacementPrefix(std::string(251, 'x') +
                                                                                            ".csv") + "7")),
                           "left by a kill"));
        QVERIFY(writeBytes(path(".qv-00000000-0"), "another log's"));
        if (geteuid() == 0)  // the superuser gives the new copy to the log's owner and group
            QCOMPARE(chown(QFile::encodeName(longName).constData(), 65534, 65534), 0);
        logfile::LogIndex index;
        index.load(toNativePath(longName));
        QCOMPARE(logfile::replaceComment(toNativePath(longName), 0, index.displayLine(0), "1").result, Edit::Done);
        QCOMPARE(readBytes(longName).toStdString(), rowOf("1"));
        QCOMPARE(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{".qv-00000000-0", QFileInfo(longName).fileName()}));
        if (geteuid() == 0) {
            QCOMPARE(QFileInfo(longName).ownerId(), 65534u);
            QCOMPARE(QFileInfo(longName).groupId(), 65534u);
        }
        // Other names of the log, and an owner this user cannot give the copy to, are said beforehand.
        QVERIFY(writeBytes(path("log.csv"), QByteArray::fromStdString(rowOf("one"))));
        QVERIFY(link(native("log.csv").c_str(), native("other name.csv").c_str()) == 0);
        QCOMPARE(logfile::replaceRisk(native("log.csv")).otherNames, 1ul);
        if (geteuid() != 0)
            QSKIP("the rest needs another user: run as the superuser");
        QVERIFY(QFile::setPermissions(dir_.path(), QFileDevice::Permissions(0x7755)));
        QVERIFY(QFile::setPermissions(path("log.csv"), QFileDevice::Permissions(0x6666)));
        QVERIFY(inChild([&] {
            const logfile::ReplaceRisk risk = logfile::replaceRisk(native("log.csv"));
            index.load(native("log.csv"));
            // A log it may write in a folder it may not: it is the folder that must be writable.
            const logfile::CommentEdit refused =
                logfile::replaceComment(native("log.csv"), 0, index.displayLine(0), "x");
            return risk.ownerChanges && risk.groupChanges &&
                   refused.error.kind == logfile::FailureKind::FolderNotWritable &&
                   refused.error.description.find("folder") != std::string::npos;
        }, 65534));
        QVERIFY(QFile::setPermissions(dir_.path(), QFileDevice::Permissions(0x7700)));
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
        QCOMPARE(repair.asidePath, native("tail.csv.damaged-row-2.txt"));
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
        const std::string log = native("shared.csv");
        QVERIFY(writeBytes(path("shared.csv"), QByteArray::fromStdString(rowOf("header"))));
        const auto copy = [&log](int k) {
            for (int i = 0; i < 300; ++i) {
                if (logfile::appendRow(log, rowOf(std::to_string(k) + "-" + std::to_string(i)), logfile::Sync::No)
                        .result != AppendOutcome::Result::Done)
                    return false;
                if (i % 30 != 29)
                    continue;
                // Edit an earlier row of its own, found afresh: the other copy moves rows too.
                const std::string old = std::to_string(k) + "-" + std::to_string(i - 10);
                Edit result = Edit::RecordChanged;
                for (int attempt = 0; attempt < 20 && result == Edit::RecordChanged; ++attempt) {
                    logfile::LogIndex index;
                    index.load(log);
                    for (std::size_t r = 0; r < index.size(); ++r)
                        if (index.displayLine(r).ends_with("|    " + old))
                            result =
                                logfile::replaceComment(log, index.offset(r), index.displayLine(r), old + " edited")
                                    .result;
                }
                if (result != Edit::Done)
                    return false;
            }
            return true;
        };
        const pid_t first = fork();
        if (first == 0)
            _exit(copy(0) ? 0 : 1);
        QVERIFY(inChild([&] { return copy(1); }));
        int status = 0;
        QVERIFY(waitpid(first, &status, 0) == first && WIFEXITED(status) && WEXITSTATUS(status) == 0);
        QStringList expected{"header"};
        for (int k = 0; k < 2; ++k)
            for (int i = 0; i < 300; ++i)
                expected << QString("%1-%2%3").arg(k).arg(i).arg(i % 30 == 19 ? " edited" : "");
        QStringList got = listed(log);
        std::sort(expected.begin(), expected.end());
        std::sort(got.begin(), got.end());
        QCOMPARE(got, expected);
        QCOMPARE(QDir(dir_.path()).entryList(QDir::Files), QStringList{"shared.csv"});  // no copies left behind
    }

    void aLockHeldByAnotherProgramIsWaitedForBriefly() {
        const QString log = path("locked.csv");
        const std::string bytes = rowOf("one") + rowOf("two").substr(0, 30);
        QVERIFY(writeBytes(log, QByteArray::fromStdString(bytes)));
        int waited = 0;
        logfile::setLockWait({std::chrono::milliseconds(100), [](void *n) { ++*static_cast<int *>(n); }, &waited});
        const logfile::UniqueFd other = logfile::openFile(toNativePath(log), O_RDONLY);
        QCOMPARE(flock(other.get(), LOCK_EX), 0);  // as a spreadsheet or another copy would
        const auto lockedOut = [](const logfile::FileError &e) {
            return e.kind == logfile::FailureKind::InUse && e.description.find("lock") != std::string::npos;
        };
        QVERIFY(lockedOut(logfile::appendRow(toNativePath(log), rowOf("x"), logfile::Sync::No).error));
        QVERIFY(lockedOut(logfile::repairTail(toNativePath(log)).error));
        QVERIFY(lockedOut(logfile::replaceComment(toNativePath(log), 0, "", "x").error));
        QVERIFY(lockedOut(logfile::startAfresh(toNativePath(log), rowOf("h"))));
        QVERIFY(waited > 0);  // the caller's own work went on while it waited
        QCOMPARE(readBytes(log).toStdString(), bytes);
        QCOMPARE(flock(other.get(), LOCK_UN), 0);
        QCOMPARE(logfile::repairTail(toNativePath(log)).result, logfile::TailRepair::Result::SetAside);
        logfile::setLockWait({});
    }

    void aShortWriteLeavesOnlyWholeRows() {
        const std::string row = rowOf("fits");
        QVERIFY(writeBytes(path("full.csv"), QByteArray::fromStdString(row)));
        // As a full disk would: the file may grow by only half a row.
        QVERIFY(inChild([&] {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlim_t limit = row.size() + row.size() / 2;
            const rlimit rl{limit, limit};
            setrlimit(RLIMIT_FSIZE, &rl);
            const AppendOutcome out = logfile::appendRow(native("full.csv"), rowOf("too much"), logfile::Sync::Yes);
            return out.result == AppendOutcome::Result::Failed && out.error.systemError == EFBIG;
        }));
        QCOMPARE(readBytes(path("full.csv")).toStdString(), row);
        QCOMPARE(append(path("full.csv"), row), AppendOutcome::Result::Done);
        QCOMPARE(readBytes(path("full.csv")).toStdString(), row + row);
    }

    void oddFilesAreRefusedAtOnce() {
        QCOMPARE(mkfifo(native("fifo").c_str(), 0600), 0);
        QVERIFY(QFile::link(path("fifo"), path("link")));
        const int sock = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, native("socket").c_str(), sizeof address.sun_path - 1);
        QVERIFY(bind(sock, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0);
        alarm(20);  // a call that blocks ends the test run instead of hanging it
        for (const std::string &target :
             {native("fifo"), native("link"), native("."), std::string("/dev/null"), native("socket")}) {
            logfile::LogIndex index;
            for (const logfile::FileError &e :
                 {logfile::appendRow(target, rowOf("x"), logfile::Sync::No).error,
                  logfile::ensureHeader(target, rowOf("h"), logfile::Sync::No).error, logfile::createEmpty(target),
                  logfile::touchForAppend(target), index.load(target).openError})
                QVERIFY2(e.kind == logfile::FailureKind::NotRegular, target.c_str());
            QVERIFY2(!logfile::checkLogFile(target).error.description.empty(), target.c_str());
        }
        alarm(0);
        ::close(sock);
    }

    void whatAFileHolds() {
        using R = logfile::LogCheck::Result;
        QByteArray binary;
        for (int i = 0; i < 256; ++i)
            binary += char(i);
        const QByteArray header = QByteArray::fromStdString(columnHeaderRow(EventColumnTitles{}));
        const QString text = QString::fromUtf8(header);
        const std::pair<QByteArray, R> files[] = {
            {QByteArray(), R::Empty},
            {header + QByteArray::fromStdString(rowOf("a") + "\"12/0"), R::Log},  // a log with a row cut short
            {QByteArray(header).replace("\"Comment\"", "\"Notes, 2nd\""), R::Log},  // its Comment title edited
            {binary, R::NotLog},
            {QByteArray("\xff\xfe", 2) + QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2),
             R::NotLog},
            {"Dear diary,\nit rained.\n", R::NotLog},
            {header + QByteArray("x,y\r\n").repeated(5), R::NotLog}};  // a header, then no rows of a log
        for (const auto &[bytes, result] : files) {
            QVERIFY(writeBytes(path("check.csv"), bytes));
            QCOMPARE(logfile::checkLogFile(native("check.csv")).result, result);
        }
        QCOMPARE(logfile::checkLogFile(native("missing.csv")).result, R::Missing);
    }

    void rewritesGoWhereLinksPointAndSpareOthersFiles() {
        QVERIFY(writeBytes(path("real.csv"), QByteArray::fromStdString(rowOf("one") + rowOf("two") + rowOf("three"))));
        QVERIFY(QFile::link(path("real.csv"), path("link.csv")));
        for (const char *mine : {"link.csv.bak", "real.csv.bak"})
            QVERIFY(writeBytes(path(mine), "mine"));
        const std::string link = native("link.csv");
        QVERIFY(QFile::setPermissions(path("real.csv"), QFile::ReadOwner | QFile::WriteOwner | QFile::WriteGroup));
        logfile::LogIndex index;
        index.load(link);
        const logfile::CommentEdit edit = logfile::replaceComment(link, index.offset(1), index.displayLine(1), "2");
        QCOMPARE(edit.result, Edit::Done);
        // The link stays a link, the file keeps its permissions whatever the umask.
        QVERIFY(QFileInfo(path("link.csv")).isSymLink());
        QVERIFY(QFile::permissions(path("real.csv")) & QFile::WriteGroup);
        QCOMPARE(readBytes(path("real.csv")).toStdString(), rowOf("one") + rowOf("2") + rowOf("three"));
        QVERIFY(!logfile::startAfresh(link, rowOf("header")));
        QVERIFY(QFileInfo(path("link.csv")).isSymLink());
        QCOMPARE(readBytes(path("real.csv")).toStdString(), rowOf("header"));
        // The rows emptied out are kept beside the log, after a header row since the log had none.
        QCOMPARE(readBytes(path("link.csv.removed-rows.csv")).toStdString(),
                 rowOf("header") + rowOf("one") + rowOf("2") + rowOf("three"));
        QCOMPARE(readBytes(path("real.csv.bak")) + readBytes(path("link.csv.bak")), QByteArray("minemine"));
        QCOMPARE(QDir(dir_.path()).entryList(QDir::Files | QDir::System).size(), 5);  // nothing left behind
        // A log that cannot be written is not rewritten either, in a folder that can be.
        QVERIFY(QFile::setPermissions(path("real.csv"), QFile::ReadOwner | QFile::ReadOther));
        QVERIFY(QFile::setPermissions(dir_.path(), QFileDevice::Permissions(0x7777)));
        QVERIFY(inChild([&] {
            index.load(link);  // it can be read: only the writing is refused
            const auto inUse = [](const logfile::FileError &e) { return e.kind == logfile::FailureKind::InUse; };
            return index.size() == 1 &&
                   inUse(logfile::replaceComment(link, index.offset(0), index.displayLine(0), "x").error) &&
                   inUse(logfile::startAfresh(link, rowOf("h"))) &&
                   append(path("link.csv"), rowOf("x")) == AppendOutcome::Result::Failed;
        }, 65534));
        QCOMPARE(readBytes(path("real.csv")).toStdString(), rowOf("header"));
    }

    void longRecordsAndBufferEdges() {
        // Rows of varied length, one longer than every buffer, so records and CR LF pairs fall on
        // every kind of boundary; then an edit of the long record and of one after it.
        std::string bytes;
        QStringList expected;
        for (int i = 0; i < 20000; ++i) {
            const std::string comment =
                i == 777 ? std::string(3'000'000, 'z') : std::string(std::size_t(i % 97), 'c') + std::to_string(i);
            bytes += rowOf(comment);
            expected << QString::fromStdString(comment);
        }
        const std::string file = native("large.csv");
        QVERIFY(writeBytes(path("large.csv"), QByteArray::fromStdString(bytes)));
        QCOMPARE(listed(file), expected);
        logfile::LogIndex index;
        index.load(file);
        for (const std::size_t r : {std::size_t(777), std::size_t(778)}) {
            const logfile::CommentEdit edit =
                logfile::replaceComment(file, index.offset(r), index.displayLine(r), "short");
            QCOMPARE(edit.result, Edit::Done);
            index.replaced(r, edit.oldLength, edit.newLength, edit.after);
            expected[int(r)] = "short";
        }
        QCOMPARE(listed(file), expected);
        QVERIFY(index.displayLine(19999).ends_with(expected.last().toStdString()));
    }

    void otherCopiesAreNoticed() {
        const std::string runtime = native("running");
        QVERIFY(writeBytes(path("log.csv"), ""));
        QVERIFY(QFile::link(path("log.csv"), path("alias.csv")));
        auto first = std::make_unique<logfile::Presence>(runtime, "first");
        logfile::Presence second(runtime, "second");
        QCOMPARE(first->announce(native("log.csv")), 0);
        QCOMPARE(second.announce(native("alias.csv")), 1);  // the same file by another name
        QCOMPARE(second.announce(native("other.csv")), 0);
        QCOMPARE(first->announce(native("other.csv")), 1);
        first.reset();
        QVERIFY(writeBytes(path("running/ended"), QByteArray::fromStdString(native("other.csv"))));
        QCOMPARE(second.announce(native("other.csv")), 0);  // a copy that ended counts no more
        QCOMPARE(QDir(path("running")).entryList(QDir::Files), QStringList{"second"});
        // A copy that looks while another's note is being made does not take it for an ended one.
        logfile::Presence third(runtime, "third");
        beforeNextLock = [&] { second.announce(native("other.csv")); };
        QCOMPARE(third.announce(native("other.csv")), 1);
        logfile::Presence fourth(runtime, "fourth");
        QCOMPARE(fourth.announce(native("other.csv")), 2);
    }
};

QTEST_GUILESS_MAIN(TestLogFile)
#include "tst_logfile.moc"
