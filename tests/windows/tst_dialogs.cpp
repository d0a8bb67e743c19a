// The list set-up dialogs, used with the keys a person presses in the active dialog.

#include "lists/NameList.h"
#include "lists/SettingsStore.h"
#include "tests/support/Harness.h"
#include "tests/support/ScriptedPrompts.h"
#include "windows/frmSetUpList.h"

#include <QClipboard>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

class TestDialogs : public QObject {
    Q_OBJECT

    TestSettings settings_;
    ScriptedPrompts prompts_;
    std::unique_ptr<SettingsStore> store_;
    QString count_;
    int refreshed_ = 0;

    std::unique_ptr<frmSetUpList> open(const SetUpListKind &kind) {
        auto dialog = std::make_unique<frmSetUpList>(kind, *store_, prompts_, count_, [this] { ++refreshed_; });
        if (!showActive(dialog.get()))
            qFatal("the dialog does not become active");
        return dialog;
    }
    static void type(frmSetUpList &d, const QString &name) {
        QTest::keyClicks(d.txtScenario, name);
        QTest::keyClick(d.txtScenario, Qt::Key_Return);
    }
    static int selected(const frmSetUpList &d) {
        const QList<QListWidgetItem *> s = d.lstScenario->selectedItems();
        return s.isEmpty() ? -1 : d.lstScenario->row(s.first());
    }
    QStringList stored(const settingkeys::NameList &list) const { return readNameList(*store_, list).items; }

private slots:
    void init() {
        TestSettings::clear();
        prompts_.reset();
        store_ = std::make_unique<SettingsStore>();
        count_ = "stale";
        refreshed_ = 0;
    }
    void cleanup() { QVERIFY2(prompts_.done(), qPrintable(prompts_.report())); }

    void enterAddsOnceAndEscSaves() {
        auto d = open(kSetUpScenarios);
        QVERIFY(d->windowTitle() == "Quorvane - Set Up Scenarios" && count_.isEmpty() && !d->cmdEdit->isEnabled());
        QVERIFY(!(d->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)) &&
                (d->windowFlags() & Qt::CustomizeWindowHint));
        // No button is the default: Enter in the box adds once, Enter anywhere else adds nothing.
        for (const char *name : {"beta", "Alpha", "gamma", "beta", ""})
            type(*d, name);
        QVERIFY(d->names() == (QStringList{"Alpha", "beta", "beta", "gamma"}) && d->focusWidget() == d->txtScenario);
        d->lstScenario->setFocus();
        QTest::keyClick(d->lstScenario, Qt::Key_End);  // selecting copies the name into the box
        QTest::keyClick(d->lstScenario, Qt::Key_Return);
        QVERIFY(d->txtScenario->text() == "gamma" && d->names().size() == 4);
        QTest::keyClick(d->lstScenario, Qt::Key_Escape);  // Esc keeps the list, as OK does
        QVERIFY(!d->isVisible() && refreshed_ == 1 && stored(settingkeys::Scenarios).size() == 4);
        // Read afresh; Cancel (Enter on it) and the close box keep nothing.
        d = open(kSetUpScenarios);
        type(*d, "dropped");
        d->CancelButton->setFocus();
        QTest::keyClick(d->CancelButton, Qt::Key_Return);
        d = open(kSetUpScenarios);
        type(*d, "dropped too");
        d->close();
        QVERIFY(refreshed_ == 1 && stored(settingkeys::Scenarios) == (QStringList{"Alpha", "beta", "beta", "gamma"}));
    }

    void removingAndEditing() {
        rewriteNameList(*store_, settingkeys::Participants, {}, {"c", "a", "b", "d"});
        auto d = open(kSetUpParticipants);
        QVERIFY(d->names() == (QStringList{"a", "b", "c", "d"}) && count_ == "3");
        const auto remove = [&](int row, int then, const char *shown) {
            d->lstScenario->setCurrentRow(row);
            d->cmdRemove->click();
            return selected(*d) == then && d->txtScenario->text() == shown && d->focusWidget() == d->txtScenario;
        };
        QVERIFY(remove(1, 1, "c"));  // one in the middle: the name that followed it is selected
        QVERIFY(remove(2, 1, "c"));  // the last one: the new last
        prompts_.answerInput("Edit participant name.", QString());  // an edit cancelled changes nothing
        d->cmdEdit->click();
        prompts_.answerInput("Edit participant name.", "zeta");  // a double click edits; the new name takes its sorted place
        const QPoint first = d->lstScenario->visualItemRect(d->lstScenario->item(0)).center();
        QTest::mouseClick(d->lstScenario->viewport(), Qt::LeftButton, {}, first);
        QTest::mouseDClick(d->lstScenario->viewport(), Qt::LeftButton, {}, first);
        QCOMPARE(prompts_.calls.at(0).proposed, QString("c"));
        QCOMPARE(d->names(), (QStringList{"c", "zeta"}));
        QCOMPARE(selected(*d), -1);
        d->cmdEdit->click();  // nothing selected: nothing asked
        QVERIFY(remove(0, 0, "zeta") && remove(0, -1, ""));
        d->OKButton->click();  // saved empty: the count says so and no old key is left
        QCOMPARE(store_->GetSetting("Participants", "Number Of Participants"), QString("-1"));
        QCOMPARE(store_->GetSetting("Participants", "Participant 0", "<none>"), QString("<none>"));
    }

    void namesSortWithoutRegardToCase() {
        // Byte for byte every capital comes before every small letter; the lists mix them. Names
        // alike but for case keep the order they were stored in, also in a list long enough to be
        // sorted in pieces.
        QStringList tasks;
        for (int i = 0; i < 40; ++i)
            tasks << QString("Task %1").arg(i % 2 ? "x" : "X");
        rewriteNameList(*store_, settingkeys::Scenarios, {},
                        QStringList{"Zoom", "apple", "MANGO", "mango", "Banana"} + tasks);
        auto d = open(kSetUpScenarios);
        QCOMPARE(d->names(), QStringList({"apple", "Banana", "MANGO", "mango"}) + tasks + QStringList{"Zoom"});
        // Each added name takes its place: after the names alike without regard to case.
        for (const char *name : {"Mango", "cherry", "ZOO", "task X"})
            type(*d, name);
        const QStringList shown = QStringList({"apple", "Banana", "cherry", "MANGO", "mango", "Mango"}) + tasks +
                                  QStringList{"task X", "ZOO", "Zoom"};
        QCOMPARE(d->names(), shown);
        d->OKButton->click();
        QCOMPARE(stored(settingkeys::Scenarios), shown);
    }

    void savesReachTheDiskAtOnce() {
        // What is in the settings file itself, not in this process's copy of it: the program may be
        // killed at any time after.
        const QTemporaryDir copies;
        const auto onDisk = [&](const QString &key) {
            const QString copy = copies.filePath("copy.ini");
            QFile::remove(copy);
            QFile::copy(store_->fileName(), copy);
            return QSettings(copy, QSettings::IniFormat).value(key).toString();
        };
        store_->SaveSetting("Settings", "Maximized", "True");
        QCOMPARE(onDisk("Settings/Maximized"), QString("True"));
        rewriteNameList(*store_, settingkeys::Participants, {}, {"P1", "P2", "P3"});
        auto d = open(kSetUpParticipants);
        type(*d, "P4");
        d->OKButton->click();
        QCOMPARE(onDisk("Participants/Number Of Participants"), QString("3"));
        QCOMPARE(onDisk("Participants/Participant 3"), QString("P4"));
        store_->SaveSetting("Settings", "Maximized", "False");  // a save after a list's is on disk too
        QCOMPARE(onDisk("Settings/Maximized"), QString("False"));
    }

    void tenButtonsAtMostAndTheirKeys() {
        QStringList ten;
        for (int i = 0; i < 10; ++i)
            ten << QString("b%1").arg(i);
        rewriteNameList(*store_, settingkeys::Buttons, {}, ten);
        auto d = open(kSetUpCustomButtons);
        QVERIFY(d->windowTitle() == "Quorvane - Set Up Custom Event Buttons" &&
                d->height() < open(kSetUpScenarios)->height());
        QVERIFY(showActive(d.get()));
        prompts_.answerMessage("A maximum of 10 custom buttons may be created.", Prompts::OK);
        type(*d, "eleventh");  // one Enter: the limit said once, nothing added
        QCOMPARE(prompts_.calls.size(), 1);
        QCOMPARE(d->names().size(), 10);
        d->lstScenario->setCurrentRow(9);
        d->cmdRemove->click();
        d->txtScenario->clear();
        // An access key a menu or another button has already is said; the name is kept as typed.
        prompts_.answerMessage("Alt+E of \"&Error\" is taken already by the Edit menu", Prompts::OK);
        type(*d, "&Error");
        const auto edit = [&](int row, const char *name, const char *told) {
            d->lstScenario->setCurrentRow(row);
            prompts_.answerInput("Edit button name.", name);
            if (told)
                prompts_.answerMessage(told, Prompts::OK);
            d->cmdEdit->click();
        };
        edit(0, "Asks for &help again", "taken already by the Help menu");
        edit(0, "G&ives up", nullptr);  // free, and its own old key does not count
        edit(1, "Gets &it && leaves", "taken already by the button \"G&ives up\"");
        QCOMPARE(d->names().size(), 10);
        QVERIFY(d->names().contains("G&ives up"));
        QVERIFY(d->names().contains("Gets &it && leaves"));
    }

    void aPastedNameStaysOnOneLine() {
        auto d = open(kSetUpParticipants);
        QApplication::clipboard()->setText("Ann\r\nBob\tCarl");
        d->txtScenario->setFocus();
        QTest::keyClick(d->txtScenario, Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(d->txtScenario, Qt::Key_Return);
        QCOMPARE(d->names(), QStringList{"Ann Bob Carl"});
    }

    void aListThatCannotBeSavedIsSaidSo() {
        auto d = open(kSetUpScenarios);
        type(*d, "Checkout");
        settings_.makeUnwritable(true);
        prompts_.answerMessage("The list could not be saved", Prompts::OK);
        d->OKButton->click();
        settings_.makeUnwritable(false);
        QCOMPARE(prompts_.calls.size(), 1);
        QVERIFY(prompts_.calls.at(0).text.contains(store_->fileName()));
        QCOMPARE(refreshed_, 1);  // still used until the program ends
    }

    void altLettersTypeNothing() {
        auto d = open(kSetUpScenarios);
        d->txtScenario->setFocus();
        // Edit and Remove are disabled with nothing selected: their letters are commands that missed.
        for (const Qt::Key k : {Qt::Key_E, Qt::Key_R, Qt::Key_X})
            QTest::keyClick(d->txtScenario, k, Qt::AltModifier);
        QTest::keyClick(d->txtScenario, Qt::Key_Return);
        QCOMPARE(d->names(), QStringList());
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
