// Exports replace a file only when complete, and never a log, a pipe, a device or a folder.

#include "core/filereplace.h"
#include "tests/support/Harness.h"
#include "tests/support/LogRecords.h"
#include "tests/support/SmallFileSystem.h"
#include "ui/NativePath.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using Target = logfile::ExportTarget::Result;

namespace {

const QByteArray kLog = QByteArray::fromStdString(logformat::encodeRow(headerRecord()));
const QByteArray kOld = "what the file held before\n";

// A socket file at `path`, of this folder's own.
bool bindSocket(const std::string &path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const bool bound = fd >= 0 && ::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0;
    if (fd >= 0)
        ::close(fd);
    return bound;
}

}  // namespace

class TestFileReplace : public QObject {
    Q_OBJECT

    TestFolder dir;
    QString path(const QString &name) const { return dir.path(name); }
    std::string native(const QString &name) const { return dir.native(name); }
    QStringList names() const { return dir.names(); }

private slots:
    void init() {
        dir.empty();
        QVERIFY(writeBytes(path("log.csv"), kLog));
        // A target that blocked would hang the test: let it fail instead.
        ::alarm(60);
    }
    void cleanup() { ::alarm(0); }

    void targets_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("expected");
        QTest::newRow("a new file") << "new" << int(Target::Ok);
        QTest::newRow("a file of the user's") << "file" << int(Target::Ok);
        QTest::newRow("the current log") << "log" << int(Target::CurrentLog);
        QTest::newRow("a hard link to the current log") << "hard link" << int(Target::CurrentLog);
        QTest::newRow("another log") << "other log" << int(Target::OtherLog);
        QTest::newRow("a named pipe") << "pipe" << int(Target::NotRegular);
        QTest::newRow("a folder") << "folder" << int(Target::NotRegular);
        QTest::newRow("a socket") << "socket" << int(Target::NotRegular);
        QTest::newRow("a link to a pipe") << "link to pipe" << int(Target::NotRegular);
    }
    // A refused target is left exactly as it was, and nothing of ours stays in the folder.
    void targets() {
        QFETCH(QString, kind);
        QFETCH(int, expected);
        QString target = path("target");
        const std::string t = toNativePath(target);
        if (kind == "file")
            QVERIFY(writeBytes(target, kOld));
        else if (kind == "log")
            target = path("log.csv");
        else if (kind == "hard link")
            QCOMPARE(::link(native("log.csv").c_str(), t.c_str()), 0);
        else if (kind == "other log")
            QVERIFY(writeBytes(target, kLog));
        else if (kind == "pipe")
            QCOMPARE(::mkfifo(t.c_str(), 0600), 0);
        else if (kind == "folder")
            QVERIFY(QDir().mkdir(target));
        else if (kind == "socket")  // not a device: a fault here must never replace a system file
            QVERIFY(bindSocket(t));
        else if (kind == "link to pipe") {
            QCOMPARE(::mkfifo(native("pipe").c_str(), 0600), 0);
            QCOMPARE(::symlink("pipe", t.c_str()), 0);
        }
        const QStringList before = names();
        const bool regular = QFileInfo(target).isFile() && !QFileInfo(target).isSymLink();
        const QByteArray old = regular ? readBytes(target) : QByteArray();

        const logfile::ReplaceOutcome out =
            logfile::replaceFile(toNativePath(target), native("log.csv"), "the export\r\n");
        QCOMPARE(int(out.refused.result), expected);
        QCOMPARE(out.error.description, std::string());
        if (expected == int(Target::Ok)) {
            QCOMPARE(readBytes(target), QByteArray("the export\r\n"));
        } else {
            QCOMPARE(names(), before);
            if (regular)
                QCOMPARE(readBytes(target), old);
        }
        QCOMPARE(readBytes(path("log.csv")), kLog);
        QVERIFY2(!names().join(' ').contains(".quorvane-"), qPrintable(names().join(' ')));
    }

    // The same log by another letter case, on a file system that ignores case, is the same file:
    // what tells is the device and inode, never the spelling.
    void theLogByAnyNameIsTheLog() {
        QCOMPARE(::symlink("log.csv", native("LOG.CSV").c_str()), 0);
        QCOMPARE(int(logfile::checkExportTarget(native("LOG.CSV"), native("log.csv")).result), int(Target::CurrentLog));
    }

    // A file replaced keeps its permissions; one reached through a symbolic link is replaced
    // where the link points, the link kept.
    void replacedInPlaceOfTheOld() {
        QVERIFY(writeBytes(path("real.csv"), kOld));
        QCOMPARE(::chmod(native("real.csv").c_str(), 0640), 0);
        QCOMPARE(::symlink("real.csv", native("link.csv").c_str()), 0);
        QVERIFY(logfile::replaceFile(native("link.csv"), native("log.csv"), "new\r\n").done());
        QCOMPARE(readBytes(path("real.csv")), QByteArray("new\r\n"));
        QVERIFY(QFileInfo(path("link.csv")).isSymLink());
        struct stat st {};
        QCOMPARE(::stat(native("real.csv").c_str(), &st), 0);
        QCOMPARE(st.st_mode & 07777, mode_t(0640));
    }

    // A write cut short by a full disk leaves the old file whole and no temporary file.
    void aFullDiskLeavesTheOldFile() {
        const QString small = path("small");
        SmallFileSystem full(small, 64 * 1024);
        const QString target = small + "/summary.csv";
        QVERIFY(writeBytes(target, kOld));
        const logfile::ReplaceOutcome out =
            logfile::replaceFile(toNativePath(target), native("log.csv"), std::string(1 << 20, 'x'));
        QVERIFY(!out.done());
        QVERIFY(out.error.systemError == ENOSPC || out.error.systemError == EFBIG);
        QCOMPARE(readBytes(target), kOld);
        QCOMPARE(dir.names(small), QStringList{"summary.csv"});
    }

    // A temporary file given up is removed; one committed is gone under its own name.
    void aReplacementGivenUpLeavesNothing() {
        logfile::ExportTarget refused;
        {
            logfile::FileReplacement file;
            QVERIFY(!file.create(native("out.xlsx"), native("log.csv"), refused));
            QCOMPARE(names().size(), 2);
            QVERIFY(QFileInfo::exists(QString::fromStdString(file.tempPath())));
        }
        QCOMPARE(names(), QStringList{"log.csv"});
    }
};

QTEST_MAIN(TestFileReplace)
#include "tst_filereplace.moc"
