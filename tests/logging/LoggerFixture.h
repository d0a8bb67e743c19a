#pragma once
// A main window on a temporary log file, with a private settings store, scripted prompts and a
// clock set by hand.

#include "CommentLines.h"
#include "FakeClock.h"
#include "FileBytes.h"
#include "Records.h"
#include "ScriptedPrompts.h"
#include "SettingsStore.h"
#include "TestSettings.h"
#include "WriteColumnHeader.h"
#include "frmLogger.h"

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
    std::unique_ptr<SettingsStore> store;
    std::unique_ptr<frmLogger> window;

    QString logPath() const { return dir.filePath(QStringLiteral("log.csv")); }
    QString path(const char *name) const { return dir.filePath(QString::fromUtf8(name)); }

    // A fresh store and shared state, and a log file holding only its header row.
    void reset() {
        window.reset();
        TestSettings::clear();
        prompts.reset();
        clock = FakeClock();
        store = std::make_unique<SettingsStore>();
        QFile::remove(logPath());
        QVERIFY(!ensureColumnHeader(*store, logPath()).error);
    }
    // After each test: every scripted answer used, nothing unexpected asked.
    void finish() {
        QVERIFY2(prompts.done(), qPrintable(prompts.report()));
        window.reset();
    }

    frmLogger &load() {
        window = std::make_unique<frmLogger>(*store, prompts, clock);
        // As at start-up: the header writer leaves its titles in the event columns.
        window->modVariables.LogFilePath = logPath();
        if (window->WriteColumnHeader())
            qFatal("the log file cannot be prepared");
        window->Form_Load();
        return *window;
    }
    // Loaded with the reminders as asked (off by default) and the clock ticked by the test only.
    frmLogger &loadQuiet(bool vcrReminder = false, bool scenarioReminder = false) {
        store->SaveSetting("Reminders", "VCR Reminder", vcrReminder ? "1" : "0");
        store->SaveSetting("Reminders", "Scenario Reminder", scenarioReminder ? "1" : "0");
        frmLogger &w = load();
        w.controls().tmrMainTimer->stop();
        return w;
    }

    void enter(const QString &comment) {
        window->controls().txtComment->setText(comment);
        window->cmdEnter_Click();
    }
    void tick(int seconds) {
        clock.advance(seconds);
        window->tmrMainTimer_Timer();
    }

    QByteArray logBytes() const { return readBytes(logPath()); }
    // The rows after the header.
    std::vector<logformat::Record> rows() const {
        std::vector<logformat::Record> all = parseRecords(logBytes().toStdString());
        if (!all.empty())
            all.erase(all.begin());
        return all;
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

    void saveList(const char *section, const char *countKey, const char *itemWord, const QStringList &items) {
        store->SaveSetting(section, countKey, QString::number(items.size() - 1));
        for (int i = 0; i < items.size(); ++i)
            store->SaveSetting(section, QStringLiteral("%1 %2").arg(itemWord).arg(i), items[i]);
    }
    void saveButtons(const QStringList &names) { saveList("Buttons", "Number Of Buttons", "Button", names); }
    void saveScenarios(const QStringList &names) { saveList("Scenarios", "Number Of Scenarios", "Scenario", names); }
};
