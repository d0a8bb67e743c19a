#pragma once
// A main window on a temporary log file, as at a real start: the header writer has left its
// titles in the event columns, the window is shown and active, keys go where a person's go. A
// private settings store, scripted prompts and a clock set by hand.

#include "lists/NameList.h"
#include "lists/SettingsStore.h"
#include "tests/support/Harness.h"
#include "tests/support/ScriptedPrompts.h"
#include "ui/CommentList.h"
#include "windows/frmLogger.h"

#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <memory>

class LoggerFixture {
public:
    TestSettings settings;
    QTemporaryDir dir;
    ScriptedPrompts prompts;
    FakeClock clock;
    SystemClock pcClock;
    std::unique_ptr<SettingsStore> store;
    std::unique_ptr<Session> session;
    std::unique_ptr<frmLogger> window;

    QString logPath() const { return dir.filePath(QStringLiteral("log.csv")); }
    QString path(const char *name) const { return dir.filePath(QString::fromUtf8(name)); }

    void reset() {
        window.reset();
        session.reset();
        TestSettings::clear();
        prompts.reset();
        clock = FakeClock();
        store = std::make_unique<SettingsStore>();
        for (const QFileInfo &entry :
             QDir(dir.path()).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System))
            entry.isDir() && !entry.isSymLink() ? (void)QDir(entry.filePath()).removeRecursively()
                                                : (void)QFile::remove(entry.filePath());
    }
    // After each test: every scripted answer used, nothing unexpected asked.
    void finish() {
        QVERIFY2(prompts.done(), qPrintable(prompts.report()));
        window.reset();
        session.reset();
    }

    // Loaded as the stored settings say, the clock ticked by the test alone; or, `onPcClock`, on
    // the PC's clock with the main timer ticking as in use.
    frmLogger &loadAsStored(bool onPcClock = false) {
        session = std::make_unique<Session>(*store, onPcClock ? static_cast<const Clock &>(pcClock) : clock);
        session->log().use(logPath());
        window = std::make_unique<frmLogger>(*session, prompts);
        if (window->WriteColumnHeader())
            qFatal("the log file cannot be prepared");
        window->Form_Load();
        if (!onPcClock)
            window->controls().tmrMainTimer->stop();
        if (!showActive(window.get()))
            qFatal("the main window does not become active");
        return *window;
    }
    // With the reminders as asked (off unless a test is about them).
    frmLogger &load(bool vcrReminder = false, bool scenarioReminder = false) {
        store->SaveSetting("Reminders", "VCR Reminder", vcrReminder ? "1" : "0");
        store->SaveSetting("Reminders", "Scenario Reminder", scenarioReminder ? "1" : "0");
        return loadAsStored();
    }

    const LoggerControls &c() const { return window->controls(); }
    // Types into the comment box and presses Enter, as the observer does.
    void enter(const QString &comment) {
        QTest::keyClicks(c().txtComment, comment);
        QTest::keyClick(c().txtComment, Qt::Key_Return);
    }
    void tick(int seconds) {
        clock.advance(seconds);
        window->tmrMainTimer_Timer();
    }

    QByteArray logBytes() const { return readBytes(logPath()); }
    // The last row of the file as it stands there.
    QByteArray lastRow() const {
        const QByteArray bytes = logBytes();
        return bytes.mid(bytes.lastIndexOf("\r\n", bytes.size() - 3) + 2);
    }
    // The rows after the header.
    std::vector<logformat::Record> rows() const {
        std::vector<logformat::Record> all = parseRecords(logBytes().toStdString());
        return {all.begin() + std::min<std::size_t>(1, all.size()), all.end()};
    }
    QStringList comments() const {
        QStringList out;
        for (const logformat::Record &r : rows())
            out << QString::fromStdString(r[logformat::Comment].text);
        return out;
    }
    QStringList listLines() const {
        QStringList out;
        for (int i = 0; i < window->comments().lineCount(); ++i)
            out << window->comments().line(i);
        return out;
    }

    void saveList(const settingkeys::NameList &list, const QStringList &items) {
        rewriteNameList(*store, list, {}, items);
    }
    void saveButtons(const QStringList &names) { saveList(settingkeys::Buttons, names); }
    void saveScenarios(const QStringList &names) { saveList(settingkeys::Scenarios, names); }
};
