// The start-up dialog, wired to the real main window.

#include "CommentLines.h"
#include "FakeClock.h"
#include "FileBytes.h"
#include "FileMessages.h"
#include "LoggerStartupHost.h"
#include "ScriptedPrompts.h"
#include "SettingsStore.h"
#include "TestSettings.h"
#include "WriteColumnHeader.h"
#include "frmLogger.h"
#include "frmStartup.h"

#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace {
const QByteArray kHeader = QByteArray::fromStdString(columnHeaderRow(EventColumnTitles{}));
}  // namespace

class TestStartup : public QObject {
    Q_OBJECT

    TestSettings settings_;
    QTemporaryDir dir_;
    ScriptedPrompts prompts_;
    FakeClock clock_;
    std::unique_ptr<SettingsStore> store_;
    std::unique_ptr<LoggerStartupHost> host_;
    std::unique_ptr<frmStartup> startup_;

    QString path(const char *name) const { return dir_.filePath(QString::fromUtf8(name)); }
    frmLogger *logger() const { return host_->logger(); }
    int lineCount() const { return logger()->comments().lineCount(); }
    // An older file on the recent list, to see whether the choice joins it.
    QString olderRecentFile() {
        const QString older = path("older.csv");
        writeBytes(older, "x");
        store_->SaveSetting("MRUFiles", "0", older);
        return older;
    }

private slots:
    void init() {
        TestSettings::clear();
        prompts_.reset();
        store_ = std::make_unique<SettingsStore>();
        host_ = std::make_unique<LoggerStartupHost>(*store_, prompts_, clock_);
        startup_ = std::make_unique<frmStartup>(prompts_, *host_);
        startup_->Form_Load();
    }
    void cleanup() {
        QVERIFY2(prompts_.done(), qPrintable(prompts_.report()));
        startup_.reset();
        host_.reset();
    }

    void enterAtOnceProposesANewFile() {
        QVERIFY(startup_->windowTitle() == "Quorvane" && startup_->optStartUp[0]->isChecked());
        QCOMPARE(startup_->focusWidget(), startup_->optStartUp[0]);
        prompts_.answerFile(std::nullopt);
        QTest::keyClick(startup_.get(), Qt::Key_Return);
        const Prompts::FileDialog asked = prompts_.calls.at(0).dialog;
        QVERIFY(asked.kind == Prompts::FileDialog::Kind::Save && asked.initialName == "Usability Test Log.csv" &&
                asked.filter == "Log Files (*.csv)");
        QVERIFY(startup_->isVisible() && logger() == nullptr);  // cancelled: the dialog stays
    }

    void createOverAFileWithRows() {
        const QString older = olderRecentFile();
        const QString file = path("Test 1.csv");
        QVERIFY(writeBytes(file, kHeader + "\"a\",\"b\"\r\n"));
        prompts_.answerFile(file);
        startup_->OKButton->click();
        QVERIFY(!startup_->isVisible() && logger() && logger()->isVisible());
        QVERIFY(readBytes(file).startsWith("\"Date\",\"PC Time\"") && readBytes(file).count("\r\n") == 1);
        QCOMPARE(lineCount(), 1);
        QCOMPARE(logger()->recentFiles().paths(), (QStringList{file, older}));
        QCOMPARE(logger()->controls().cmbParticipants->currentText(), QString("Participant Name"));
        QCOMPARE(logger()->windowTitle(), QString("Quorvane - Test 1.csv"));
    }

    void openExistingAndNewFiles() {
        const QString older = olderRecentFile();
        const QString file = path("existing.csv");
        QVERIFY(writeBytes(file, kHeader + "\"d\",\"t\",\"v\",0,\"s\",0,\"P1\",\"S1\",\"seen\",,,,,,,,,,\r\n"));
        startup_->optStartUp[1]->setChecked(true);
        prompts_.answerFile(file);
        startup_->OKButton->click();
        QVERIFY(prompts_.calls.at(0).dialog.kind == Prompts::FileDialog::Kind::Open &&
                prompts_.calls[0].dialog.initialName.isEmpty());
        QVERIFY(lineCount() == 2 && logger()->comments().line(1) == "P1    |    S1    |    s    |    seen");
        QCOMPARE(logger()->recentFiles().paths(), QStringList{older});  // not added on this road
        QCOMPARE(logger()->windowTitle(), QString("Quorvane - existing.csv"));

        // A double click on an option means OK; Open takes a new name and starts a log there.
        auto again = std::make_unique<frmStartup>(prompts_, *host_);
        again->Form_Load();
        prompts_.answerFile(path("fresh.csv"));
        QTest::mouseDClick(again->optStartUp[1], Qt::LeftButton);
        QVERIFY(readBytes(path("fresh.csv")).startsWith("\"Date\",\"PC Time\"") && !again->isVisible());
        QCOMPARE(logger()->modVariables.LogFilePath, path("fresh.csv"));
    }

    void cancelEndsTheProgram() {
        QSignalSpy ended(startup_.get(), &frmStartup::programEnded);
        startup_->CancelButton->click();
        startup_->show();
        QTest::keyClick(startup_.get(), Qt::Key_Escape);
        QVERIFY(ended.count() == 2 && logger() == nullptr);
    }

    void failureMessages_data() {
        QTest::addColumn<bool>("create");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        QTest::newRow("folder is a file") << true << "afile/log.csv"
                                          << "The following error occured:\n\nError number:  53\nError generated by: "
                                             "Quorvane\nError description: Not a directory";
        QTest::newRow("a folder") << false << "."
                                  << "The following error occured:\n\nError number:  21\nError generated by: "
                                     "Quorvane\nError description: Is a directory";
    }
    void failureMessages() {
        QFETCH(bool, create);
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QVERIFY(writeBytes(path("afile"), ""));
        startup_->optStartUp[create ? 0 : 1]->setChecked(true);
        prompts_.answerFile(dir_.filePath(name));
        prompts_.answerMessage(Prompts::OK);
        startup_->OKButton->click();
        const ScriptedPrompts::Call told = prompts_.calls.at(1);
        QVERIFY(told.text == expected && told.title == "Quorvane" && told.icon == Prompts::Icon::Exclamation);
        QVERIFY(startup_->isVisible() && logger() == nullptr);
        // The code of a file in use or barred gets its own first line.
        logfile::FileError denied = logfile::FileError::fromErrno(EACCES);
        QVERIFY(logFileFailureMessage(true, denied).startsWith("This file cannot be created. If the file is being used"));
        QVERIFY(logFileFailureMessage(false, denied).contains("cannot be opened.") &&
                logFileFailureMessage(false, denied).contains("Error number:  70\n"));
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
