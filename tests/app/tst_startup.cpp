// The start-up dialog, wired to the real main window.

#include "FakeClock.h"
#include "FileBytes.h"
#include "LoggerStartupHost.h"
#include "ScriptedPrompts.h"
#include "SettingsStore.h"
#include "TestSettings.h"
#include "frmLogger.h"
#include "frmStartup.h"
#include "modVariables.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <unistd.h>

namespace {

const QByteArray kHeaderStart = "\"Date\",\"PC Time\",";

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
    QStringList lines() const {
        QStringList out;
        for (int i = 0; i < logger()->controls().lstComment->model()->rowCount(); ++i)
            out << logger()->controls().lstComment->model()->index(i, 0).data().toString();
        return out;
    }

private slots:
    void init() {
        TestSettings::clear();
        prompts_.reset();
        modVariables = SharedState{};
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
        QCOMPARE(startup_->windowTitle(), QString("Quorvane"));
        QVERIFY(startup_->optStartUp[0]->isChecked());
        QCOMPARE(startup_->focusWidget(), startup_->optStartUp[0]);
        prompts_.answerFile(std::nullopt);
        QTest::keyClick(startup_.get(), Qt::Key_Return);
        QCOMPARE(prompts_.calls.size(), 1);
        const Prompts::FileDialog &asked = prompts_.calls[0].dialog;
        QCOMPARE(asked.kind, Prompts::FileDialog::Kind::Save);
        QCOMPARE(asked.initialName, QString("Usability Test Log.csv"));
        QCOMPARE(asked.filter, QString("Log Files (*.csv)"));
        // Cancelled: the dialog stays and no main window exists.
        QVERIFY(startup_->isVisible());
        QVERIFY(logger() == nullptr);
    }

    void createOverAFileWithRows() {
        const QString older = path("older.csv");
        QVERIFY(writeBytes(older, "x"));
        store_->SaveSetting("MRUFiles", "0", older);
        const QString file = path("Test 1.csv");
        QVERIFY(writeBytes(file, kHeaderStart + "\r\n\"a\",\"b\"\r\n"));
        prompts_.answerFile(file);
        startup_->OKButton->click();

        QVERIFY(!startup_->isVisible());
        QVERIFY(logger() && logger()->isVisible());
        QVERIFY(readBytes(file).startsWith(kHeaderStart));
        QCOMPARE(readBytes(file).count("\r\n"), 1);
        QCOMPARE(lines().size(), 1);
        QCOMPARE(logger()->recentFiles().paths(), (QStringList{file, older}));
        QCOMPARE(logger()->controls().mnuMRU[0]->text(), file);
        QCOMPARE(logger()->controls().cmbParticipants->currentText(), QString("Participant Name"));
        QCOMPARE(logger()->windowTitle(), QString("Quorvane - Test 1.csv"));
    }

    void openAnExistingFile() {
        const QString older = path("older.csv");
        QVERIFY(writeBytes(older, "x"));
        store_->SaveSetting("MRUFiles", "0", older);
        const QString file = path("existing.csv");
        QVERIFY(writeBytes(file, "\"Date\"" + QByteArray(",\"x\"").repeated(18) + "\r\n" + "\"d\",\"t\",\"v\",0,\"s\",0,\"P1\",\"S1\",\"seen\",,,,,,,,,,\r\n"));
        startup_->optStartUp[1]->setChecked(true);
        prompts_.answerFile(file);
        startup_->OKButton->click();
        QCOMPARE(prompts_.calls[0].dialog.kind, Prompts::FileDialog::Kind::Open);
        QCOMPARE(prompts_.calls[0].dialog.initialName, QString());
        QCOMPARE(lines().size(), 2);
        QCOMPARE(lines()[1], QString("P1    |    S1    |    s    |    seen"));
        QCOMPARE(logger()->recentFiles().paths(), QStringList{older});
        QCOMPARE(logger()->windowTitle(), QString("Quorvane - existing.csv"));
    }

    void openANewNameByDoubleClick() {
        const QString file = path("fresh.csv");
        prompts_.answerFile(file);
        QTest::mouseDClick(startup_->optStartUp[1], Qt::LeftButton);
        QVERIFY(startup_->optStartUp[1]->isChecked());
        QVERIFY(readBytes(file).startsWith(kHeaderStart));
        QCOMPARE(lines().size(), 1);
    }

    void cancelEndsTheProgram() {
        QSignalSpy ended(startup_.get(), &frmStartup::programEnded);
        startup_->CancelButton->click();
        QCOMPARE(ended.count(), 1);
        startup_->show();
        QTest::keyClick(startup_.get(), Qt::Key_Escape);
        QCOMPARE(ended.count(), 2);
        QVERIFY(logger() == nullptr);
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
        QTest::newRow("read-only folder") << true << "locked/log.csv"
                                          << "This file cannot be created. If the file is being used by another "
                                             "program, close that program and try again.\n\nError number:  70\nError "
                                             "generated by: Quorvane\nError description: Permission denied";
    }
    void failureMessages() {
        QFETCH(bool, create);
        QFETCH(QString, name);
        QFETCH(QString, expected);
        if (name.startsWith("locked")) {
            if (geteuid() == 0)
                QSKIP("a read-only folder does not stop root");
            QVERIFY(QDir(dir_.path()).mkpath("locked"));
            QFile::setPermissions(path("locked"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        }
        QVERIFY(writeBytes(path("afile"), ""));
        startup_->optStartUp[create ? 0 : 1]->setChecked(true);
        prompts_.answerFile(dir_.filePath(name));
        prompts_.answerMessage(Prompts::OK);
        startup_->OKButton->click();
        QCOMPARE(prompts_.calls[1].text, expected);
        QCOMPARE(prompts_.calls[1].title, QString("Quorvane"));
        QCOMPARE(prompts_.calls[1].icon, Prompts::Icon::Exclamation);
        QVERIFY(startup_->isVisible());
        QVERIFY(logger() == nullptr);
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
