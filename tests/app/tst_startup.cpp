// The start-up dialog, wired to the real main window, used with keys in the active dialog.

#include "app/LoggerStartupHost.h"
#include "lists/SettingsStore.h"
#include "session/ColumnHeader.h"
#include "tests/support/Harness.h"
#include "tests/support/ScriptedPrompts.h"
#include "windows/CommentLines.h"
#include "windows/frmLogger.h"
#include "windows/frmStartup.h"

#include <QComboBox>
#include <QDir>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <sys/stat.h>

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
    // An older file on the recent list, to see whether the choice joins it.
    QString olderRecentFile() {
        QDir(dir_.path()).mkdir("older");
        const QString older = path("older/older.csv");
        writeBytes(older, kHeader);
        store_->SaveSetting("MRUFiles", "0", older);
        return older;
    }
    // Picks an option with the keyboard and presses Enter; the file dialog answers `file`, and a
    // message box that follows, whose text holds `message`, is answered `then`.
    void choose(int option, std::optional<QString> file, const QString &message = {}, int then = 0) {
        prompts_.answerFile(std::move(file));
        if (then)
            prompts_.answerMessage(message, then);
        startup_->optStartUp[option]->setFocus();
        QTest::keyClick(startup_->optStartUp[option], Qt::Key_Space);
        QTest::keyClick(startup_->optStartUp[option], Qt::Key_Return);
    }

private slots:
    void init() {
        TestSettings::clear();
        prompts_.reset();
        store_ = std::make_unique<SettingsStore>();
        host_ = std::make_unique<LoggerStartupHost>(*store_, prompts_, clock_);
        startup_ = std::make_unique<frmStartup>(prompts_, *host_);
        startup_->Form_Load();
        QVERIFY(showActive(startup_.get()));
    }
    void cleanup() {
        QVERIFY2(prompts_.done(), qPrintable(prompts_.report()));
        startup_.reset();
        host_.reset();
    }

    void createOverAFileWithRows() {
        QCOMPARE(startup_->windowTitle(), QString("Quorvane"));
        QCOMPARE(startup_->focusWidget(), startup_->optStartUp[0]);
        QCOMPARE(startup_->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint), 0);
        QVERIFY(startup_->windowFlags() & Qt::CustomizeWindowHint);
        const QString older = olderRecentFile();
        const QString file = path("Test 1.csv");
        QVERIFY(writeBytes(file, kHeader + "\"a\",\"b\"\r\n"));
        prompts_.answerFile(std::nullopt);  // Enter at once: the Save dialog; cancelled, the dialog stays
        QTest::keyClick(startup_.get(), Qt::Key_Return);
        const Prompts::FileDialog asked = prompts_.lastFileDialog();
        QCOMPARE(asked.kind, Prompts::FileDialog::Kind::Save);
        QCOMPARE(asked.initialName, QString("Usability Test Log.csv"));
        QCOMPARE(asked.directory, path("older"));  // the last log's folder
        QVERIFY(startup_->isVisible());
        QVERIFY(!logger());
        choose(0, file);
        QVERIFY(!startup_->isVisible());
        QVERIFY(logger());
        QVERIFY(logger()->isVisible());
        QVERIFY(readBytes(file).startsWith("\"Date\",\"PC Time\""));
        QCOMPARE(readBytes(file).count("\r\n"), 1);
        QCOMPARE(logger()->recentFiles().paths(), (QStringList{file, older}));
        QCOMPARE(logger()->controls().cmbParticipants->currentText(), QString("Participant Name"));
        QCOMPARE(logger()->windowTitle(), QString("Quorvane - Test 1.csv"));
        QCOMPARE(logger()->comments().lineCount(), 1);
    }

    void openExistingAndOtherFiles() {
        const QString older = olderRecentFile();
        // Not a log: asked, and No keeps the dialog and the file.
        QVERIFY(writeBytes(path("notes.csv"), "Dear diary"));
        choose(1, path("notes.csv"), "does not look like a Quorvane log", Prompts::No);
        QVERIFY(startup_->isVisible());
        QCOMPARE(readBytes(path("notes.csv")), QByteArray("Dear diary"));
        const QString file = path("existing.csv");
        QVERIFY(writeBytes(file, kHeader + "\"d\",\"t\",\"v\",0,\"s\",0,\"P1\",\"S1\",\"seen\",,,,,,,,,,\r\n"));
        choose(1, file);
        QCOMPARE(prompts_.lastFileDialog().kind, Prompts::FileDialog::Kind::Open);
        QVERIFY(logger());
        QCOMPARE(logger()->comments().line(1), QString("P1    |    S1    |    s    |    seen"));
        QCOMPARE(logger()->recentFiles().paths(), QStringList{older});  // not added on this road
        // A new name by a double click on the option; Esc in a start-up dialog ends the program.
        auto again = std::make_unique<frmStartup>(prompts_, *host_);
        again->Form_Load();
        QVERIFY(showActive(again.get()));
        prompts_.answerFile(path("fresh.csv"));
        QTest::mouseDClick(again->optStartUp[1], Qt::LeftButton);
        QVERIFY(readBytes(path("fresh.csv")).startsWith("\"Date\",\"PC Time\""));
        QCOMPARE(logger()->windowTitle(), QString("Quorvane - fresh.csv"));
        again->Form_Load();
        QVERIFY(showActive(again.get()));
        QSignalSpy ended(again.get(), &frmStartup::programEnded);
        QTest::keyClick(again.get(), Qt::Key_Escape);
        QCOMPARE(ended.count(), 1);
    }

    void failureMessages_data() {
        QTest::addColumn<int>("option");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        QTest::newRow("folder is a file") << 0 << "afile/log.csv"
                                          << "The following error occured:\n\nError number:  53\nError generated by: "
                                             "Quorvane\nError description: Not a directory";
        QTest::newRow("a folder") << 1 << "."
                                  << "The following error occured:\n\nError number:  21\nError generated by: "
                                     "Quorvane\nError description: Is a directory";
        QTest::newRow("a named pipe") << 1 << "pipe" << "Error description: This is a named pipe";
    }
    void failureMessages() {
        QFETCH(int, option);
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QVERIFY(writeBytes(path("afile"), ""));
        QFile::remove(path("pipe"));
        QVERIFY(mkfifo(QFile::encodeName(path("pipe")).constData(), 0600) == 0);
        choose(option, dir_.filePath(name), expected, Prompts::OK);
        const ScriptedPrompts::Call told = prompts_.calls.last();
        QCOMPARE(told.title, QString("Quorvane"));
        QCOMPARE(told.icon, Prompts::Icon::Exclamation);
        QVERIFY(startup_->isVisible());
        QVERIFY(!logger());
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
