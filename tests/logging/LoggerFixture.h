#pragma once
// A main window on a temporary log file, with a private settings store, scripted prompts and a
// clock set by hand.

#include "CommentListModel.h"
#include "FakeClock.h"
#include "FileBytes.h"
#include "ScriptedPrompts.h"
#include "SettingsStore.h"
#include "TestSettings.h"
#include "WriteColumnHeader.h"
#include "frmLogger.h"
#include "logformat.h"
#include "modVariables.h"

#include <QFile>
#include <QTemporaryDir>
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

    // A fresh store and shared state, and a log file holding only its header row.
    void reset() {
        window.reset();
        TestSettings::clear();
        prompts.reset();
        clock = FakeClock();
        store = std::make_unique<SettingsStore>();
        modVariables = SharedState{};
        QFile::remove(logPath());
        modVariables.LogFilePath = logPath();
        QVERIFY(!writeColumnHeader(*store, logPath()).error);
    }

    frmLogger &load() {
        window = std::make_unique<frmLogger>(*store, prompts, clock);
        window->Form_Load();
        return *window;
    }

    QByteArray logBytes() const { return readBytes(logPath()); }

    QStringList listLines() const {
        QStringList out;
        for (int i = 0; i < window->comments().rowCount(); ++i)
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
    void saveParticipants(const QStringList &names) {
        saveList("Participants", "Number Of Participants", "Participant", names);
    }
};
