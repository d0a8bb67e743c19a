// The session's models without any widget: the timers as state machines, the entry an observer's
// action makes, and the log session's outcomes when the file behaves and when it does not.

#include "lists/NameList.h"
#include "lists/SettingsStore.h"
#include "session/Session.h"
#include "tests/support/Harness.h"

#include <QTemporaryDir>
#include <QtTest>
#include <dlfcn.h>
#include <sys/stat.h>

// Reads of files, made to fail when a test says so: the core's own calls of pread come here first.
namespace {
int failingReads = 0;
}  // namespace

extern "C" ssize_t pread(int fd, void *buffer, size_t count, off_t offset) {
    static const auto real = reinterpret_cast<ssize_t (*)(int, void *, size_t, off_t)>(dlsym(RTLD_NEXT, "pread"));
    if (failingReads > 0) {
        --failingReads;
        errno = EIO;
        return -1;
    }
    return real(fd, buffer, count, offset);
}

namespace {

const QDateTime kStart(QDate(2026, 12, 5), QTime(14, 15, 7));

// A row of another program: 19 fields, its comment `comment`.
QByteArray rowOf(const char *comment) {
    return QByteArray("\"d\",\"t\",\"v\",0,\"s\",0,\"P\",\"S\",\"") + comment + "\",,,,,,,,,,\r\n";
}

}  // namespace

class TestSession : public QObject {
    Q_OBJECT

    TestSettings settings_;
    QTemporaryDir dir_;
    FakeClock clock_;
    std::unique_ptr<SettingsStore> store_;
    std::unique_ptr<Session> session_;

    QString path(const char *name) const { return dir_.filePath(QString::fromUtf8(name)); }
    QString log() const { return path("log.csv"); }
    LogSession &logSession() { return session_->log(); }
    // The current log's lines, as the comment list shows them.
    QStringList lines() {
        QStringList out;
        for (std::size_t i = 0; i < logSession().lineCount(); ++i)
            out << QString::fromStdString(logSession().index().displayLine(i));
        return out;
    }
    LogSession::AppendResult append(const QString &comment) {
        return logSession().append(session_->entry(comment, {}, {QStringLiteral("P1"), QStringLiteral("Checkout")}));
    }

private slots:
    void init() {
        TestSettings::clear();
        clock_.set(kStart);
        store_ = std::make_unique<SettingsStore>();
        session_ = std::make_unique<Session>(*store_, clock_, settings_.runtimeDir() + "/notes");
        for (const QString &name : QDir(dir_.path()).entryList(QDir::Files | QDir::System))
            QFile::remove(dir_.filePath(name));
    }

    void theTapeClock() {
        ManualTape &tape = session_->tape();
        tape.setPosition(23 * 3600 + 59 * 60 + 58);
        tape.start(clock_.now());
        QCOMPARE(tape.shown(), 23 * 3600 + 59 * 60 + 58);  // at once, before any tick
        QVERIFY(tape.positionLocked());
        tape.setPosition(5);  // locked while it runs
        clock_.advance(2);
        session_->tick();
        QCOMPARE(clockText(tape.shown()), QString("00:00:00"));  // past midnight it counts on
        clock_.advance(5);  // a late tick skips seconds, it never drifts
        session_->tick();
        QCOMPARE(tape.shown(), 5);
        tape.pause();
        clock_.advance(30);
        session_->tick();
        QCOMPARE(tape.shown(), 5);  // paused: held
        QCOMPARE(tape.position(), 5);
        tape.start(clock_.now());
        clock_.advance(4);
        session_->tick();
        QCOMPARE(tape.shown(), 9);  // resumed from where it was held
        tape.stop();
        QCOMPARE(tape.shown(), 0);
        QCOMPARE(tape.position(), 9);  // the next start goes on from the last position...
        QVERIFY(!tape.positionLocked());
        tape.setPosition(3723);  // ...unless the observer sets another
        tape.start(clock_.now());
        QCOMPARE(clockText(tape.shown()), QString("01:02:03"));
    }

    void theScenarioTimer() {
        ScenarioTimer &timer = session_->scenario();
        QCOMPARE(QString(timer.startMarker()), QString("START"));
        timer.start(clock_.now());
        clock_.advance(65);
        session_->tick();
        QCOMPARE(timer.shown(), 65);
        timer.pause();
        QCOMPARE(QString(timer.startMarker()), QString("RESUME"));
        clock_.advance(100);
        session_->tick();
        QCOMPARE(timer.shown(), 65);
        timer.start(clock_.now());  // a resume goes on from the time shown
        clock_.advance(5);
        session_->tick();
        QCOMPARE(timer.shown(), 70);
        timer.stop();
        QCOMPARE(timer.shown(), 0);
        QCOMPARE(QString(timer.startMarker()), QString("START"));
        timer.start(clock_.now());
        clock_.advance(10);
        session_->tick();
        QCOMPARE(timer.shown(), 10);  // a start counts from 0 again
    }

    void anEntryCarriesWhatIsShown() {
        ManualTape &tape = session_->tape();
        tape.setPosition(3723);
        tape.start(clock_.now());
        clock_.set(QDateTime(QDate(2026, 12, 5), QTime(23, 59, 59)));
        const int onTape = 3723 + static_cast<int>(kStart.secsTo(clock_.now()));
        session_->tick();
        session_->scenario().start(clock_.now());
        clock_.set(QDateTime(QDate(2026, 12, 6), QTime(0, 0, 2)));  // no tick since: the clocks show the last one
        const LogEntry e = session_->entry("Hesitates", {}, {"P3", "Checkout"});
        const logformat::Record r = e.record();
        QCOMPARE(r[logformat::Date], logformat::Field::txt("12/06/2026"));  // the date is read afresh
        QCOMPARE(r[logformat::PCTime], logformat::Field::txt("11:59:59 PM"));
        QCOMPARE(r[logformat::VCRTime], logformat::Field::txt("10:46:55"));
        QCOMPARE(r[logformat::VCRSeconds], logformat::Field::num(onTape));
        QCOMPARE(r[logformat::ScenarioTime], logformat::Field::txt("00:00:00"));
        QCOMPARE(r[logformat::ScenarioSeconds], logformat::Field::num(0));
        QCOMPARE(e.displayLine(), std::string("P3    |    Checkout    |    00:00:00    |    Hesitates"));
        // A line break that reaches an entry, from wherever it came, is a space in its row.
        QCOMPARE(session_->entry("two\nlines", {}, {"P1", "Checkout"}).record()[logformat::Comment],
                 logformat::Field::txt("two lines"));
    }

    void appendingToALog() {
        logSession().use(log());
        QVERIFY(!logSession().writeHeader(log()));
        QVERIFY(!logSession().reload().openError);
        LogSession::AppendResult r = append("first");
        QCOMPARE(r.kind, LogSession::AppendResult::Kind::Written);
        QVERIFY(!r.reloaded);
        QCOMPARE(lines().last(), QString("P1    |    Checkout    |    00:00:00    |    first"));
        // What another copy wrote shows with the next entry.
        QFile other(log());
        QVERIFY(other.open(QIODevice::Append));
        other.write(rowOf("theirs"));
        other.close();
        r = append("mine");
        QVERIFY(r.reloaded);
        QCOMPARE(lines().size(), 4);
        QVERIFY(lines()[2].endsWith("theirs"));
        QVERIFY(lines()[3].endsWith("mine"));
    }

    void aLogWhoseEndWasCutShort() {
        QVERIFY(writeBytes(log(), rowOf("one") + "\"12/05/2026\",\"02:1"));
        logSession().use(log());
        logSession().reload();
        const LogSession::AppendResult r = append("two");
        QCOMPARE(r.kind, LogSession::AppendResult::Kind::Written);
        QCOMPARE(r.tail.result, logfile::TailRepair::Result::SetAside);
        QCOMPARE(readBytes(log() + ".damaged-row.txt"), QByteArray("\"12/05/2026\",\"02:1"));
        QVERIFY(readBytes(log()).startsWith(rowOf("one") + "\"12/05/2026\",\"02:15:07 PM\""));
        QCOMPARE(lines().size(), 2);  // the lines follow the mended file
    }

    void aLogThatIsGoneOrNoFile() {
        QVERIFY(writeBytes(log(), rowOf("one")));
        logSession().use(log());
        logSession().reload();
        QVERIFY(QFile::remove(log()));
        LogSession::AppendResult r = append("lost?");
        QCOMPARE(r.kind, LogSession::AppendResult::Kind::Gone);
        QVERIFY(!QFile::exists(log()));  // not made again, headerless, behind the observer's back
        QCOMPARE(lines().size(), 1);
        QVERIFY(!logSession().createAgain());
        QVERIFY(readBytes(log()).startsWith("\"Date\",\"PC Time\""));
        logSession().reload();
        QCOMPARE(append("kept").kind, LogSession::AppendResult::Kind::Written);
        QCOMPARE(lines().size(), 2);
        // A named pipe where the log was: refused at once, nothing added to the list.
        QVERIFY(QFile::remove(log()));
        QVERIFY(mkfifo(QFile::encodeName(log()).constData(), 0600) == 0);
        r = append("into a pipe");
        QCOMPARE(r.kind, LogSession::AppendResult::Kind::Failed);
        QCOMPARE(r.error.kind, logfile::FailureKind::NotRegular);
        QCOMPARE(lines().size(), 2);
    }

    void editingAComment() {
        QVERIFY(writeBytes(log(), rowOf("one") + "\"cut short\r\n" + rowOf("three")));
        logSession().use(log());
        logSession().reload();
        QCOMPARE(logSession().commentAt(0).comment, QString("one"));
        QCOMPARE(logSession().commentAt(1).result, LogSession::CommentLookup::Result::Damaged);
        QCOMPARE(logSession().changeComment(2, "3").result, LogSession::CommentChange::Result::Done);
        QCOMPARE(readBytes(log()), rowOf("one") + "\"cut short\r\n" + rowOf("3"));
        QVERIFY(lines()[2].endsWith("|    3"));
        // Another program took the first row out: line 2 no longer shows record 2.
        QVERIFY(writeBytes(log(), "\"cut short\r\n" + rowOf("3")));
        QCOMPARE(logSession().commentAt(2).result, LogSession::CommentLookup::Result::Changed);
        QCOMPARE(logSession().changeComment(2, "x").result, LogSession::CommentChange::Result::Changed);
        QCOMPARE(readBytes(log()), "\"cut short\r\n" + rowOf("3"));
        // A read that fails is said as such, not as a file changed behind the list.
        logSession().reload();
        failingReads = 1;
        const LogSession::CommentLookup unread = logSession().commentAt(1);
        failingReads = 0;
        QCOMPARE(unread.result, LogSession::CommentLookup::Result::Failed);
        QCOMPARE(unread.error.systemError, EIO);
    }

    void startingAfreshListsTheButtonsOfNow() {
        rewriteNameList(*store_, settingkeys::Buttons, {}, {"Error", "Help &Used"});
        QVERIFY(writeBytes(log(), rowOf("one")));
        logSession().use(log());
        QVERIFY(!logSession().startAfresh());
        const QByteArray bytes = readBytes(log());
        QVERIFY(bytes.contains("\"Comment\",\"Button - Error\",\"Button - Help Used\",\"Button - \""));
        QCOMPARE(bytes.count("\r\n"), 1);
        QCOMPARE(logSession().header().buttonCount, QString("1"));
    }
};

QTEST_GUILESS_MAIN(TestSession)
#include "tst_session.moc"
