// The list set-up dialogs, used with the keys a person presses in the active dialog.

#include "ActiveWindow.h"
#include "NameList.h"
#include "ScriptedPrompts.h"
#include "SettingsStore.h"
#include "TestSettings.h"
#include "frmSetUpList.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
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
        QVERIFY(d->windowTitle() == "Quorvane - Set Up Scenarios" && count_.isEmpty());
        QVERIFY(!d->cmdEdit->isEnabled() && !d->cmdRemove->isEnabled());
        // No button is the default: Enter in the box adds once, Enter anywhere else adds nothing.
        for (const QPushButton *b : d->findChildren<QPushButton *>())
            QVERIFY(!b->isDefault() && !b->autoDefault());
        for (const char *name : {"beta", "Alpha", "gamma", "beta", ""})
            type(*d, name);
        QCOMPARE(d->names(), (QStringList{"Alpha", "beta", "beta", "gamma"}));
        QVERIFY(d->txtScenario->text().isEmpty() && d->focusWidget() == d->txtScenario);
        d->lstScenario->setFocus();
        QTest::keyClick(d->lstScenario, Qt::Key_End);  // selecting copies the name into the box
        QCOMPARE(d->txtScenario->text(), QString("gamma"));
        QTest::keyClick(d->lstScenario, Qt::Key_Return);
        QCOMPARE(d->names().size(), 4);
        QTest::keyClick(d->lstScenario, Qt::Key_Escape);  // Esc keeps the list, as OK does
        QVERIFY(!d->isVisible() && refreshed_ == 1);
        QCOMPARE(stored(settingkeys::Scenarios), (QStringList{"Alpha", "beta", "beta", "gamma"}));
        // Read afresh; Cancel and the close box keep nothing.
        d = open(kSetUpScenarios);
        type(*d, "dropped");
        d->CancelButton->setFocus();
        QTest::keyClick(d->CancelButton, Qt::Key_Return);  // Enter on a button presses it
        d = open(kSetUpScenarios);
        type(*d, "dropped too");
        d->close();
        QVERIFY(refreshed_ == 1 && stored(settingkeys::Scenarios).size() == 4);
    }

    void removingSelects() {
        rewriteNameList(*store_, settingkeys::Participants, {}, {"c", "a", "b", "d"});
        auto d = open(kSetUpParticipants);
        QVERIFY(d->names() == (QStringList{"a", "b", "c", "d"}) && count_ == "3");
        d->lstScenario->setCurrentRow(1);
        QVERIFY(d->cmdEdit->isEnabled() && d->txtScenario->text() == "b");
        d->cmdRemove->click();  // one in the middle: the name that followed it is selected
        QVERIFY(d->names() == (QStringList{"a", "c", "d"}) && selected(*d) == 1 && d->txtScenario->text() == "c");
        d->lstScenario->setCurrentRow(2);
        d->cmdRemove->click();  // the last one: the new last is selected
        QVERIFY(selected(*d) == 1 && d->txtScenario->text() == "c");
        d->cmdRemove->click();
        QVERIFY(selected(*d) == 0 && d->txtScenario->text() == "a");
        d->cmdRemove->click();  // the only one: nothing left or selected
        QVERIFY(d->names().isEmpty() && selected(*d) == -1 && d->focusWidget() == d->txtScenario);
        d->OKButton->click();  // saved empty: the count says so and no old key is left
        QCOMPARE(store_->GetSetting("Participants", "Number Of Participants"), QString("-1"));
        QCOMPARE(store_->GetSetting("Participants", "Participant 0", "<none>"), QString("<none>"));
    }

    void editing() {
        rewriteNameList(*store_, settingkeys::Scenarios, {}, {"alpha", "beta", "gamma"});
        auto d = open(kSetUpScenarios);
        d->lstScenario->setCurrentRow(0);
        prompts_.answerInput(QString());  // cancelled
        d->cmdEdit->click();
        const ScriptedPrompts::Call asked = prompts_.calls.at(0);
        QVERIFY(asked.text == "Edit scenario name." && asked.proposed == "alpha" && d->names().size() == 3);
        prompts_.answerInput("zeta");
        const QPoint first = d->lstScenario->visualItemRect(d->lstScenario->item(0)).center();
        QTest::mouseClick(d->lstScenario->viewport(), Qt::LeftButton, {}, first);
        QTest::mouseDClick(d->lstScenario->viewport(), Qt::LeftButton, {}, first);
        QVERIFY(d->names() == (QStringList{"beta", "gamma", "zeta"}) && selected(*d) == -1);
        d->cmdEdit->click();  // nothing selected: nothing asked, nothing changed
        QCOMPARE(prompts_.calls.size(), 2);
    }

    void tenButtonsAtMostAndTheirKeys() {
        QStringList ten;
        for (int i = 0; i < 10; ++i)
            ten << QString("b%1").arg(i);
        rewriteNameList(*store_, settingkeys::Buttons, {}, ten);
        auto d = open(kSetUpCustomButtons);
        QVERIFY(d->windowTitle() == "Quorvane - Set Up Custom Event Buttons" && d->height() < open(kSetUpScenarios)->height());
        QVERIFY(!(d->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)) &&
                (d->windowFlags() & Qt::CustomizeWindowHint));
        QVERIFY(showActive(d.get()));
        prompts_.answerMessage(Prompts::OK);
        type(*d, "eleventh");  // one Enter: the limit said once, nothing added
        QVERIFY(prompts_.calls.size() == 1 && prompts_.calls[0].text == "A maximum of 10 custom buttons may be created.");
        QCOMPARE(d->names().size(), 10);
        d->lstScenario->setCurrentRow(9);
        d->cmdRemove->click();
        d->txtScenario->clear();
        // An access key a menu or another button has already is said; the name is kept as typed.
        prompts_.answerMessage(Prompts::OK);
        type(*d, "&Error");
        QVERIFY(prompts_.calls.at(1).text.contains("Alt+E") && prompts_.calls[1].text.contains("the Edit menu"));
        d->lstScenario->setCurrentRow(0);
        prompts_.answerInput("Asks for &help again");
        prompts_.answerMessage(Prompts::OK);
        d->cmdEdit->click();
        QVERIFY(prompts_.calls.at(3).text.contains("the Help menu"));
        d->lstScenario->setCurrentRow(0);
        prompts_.answerInput("G&ives up");  // free, and its own old key does not count
        d->cmdEdit->click();
        d->lstScenario->setCurrentRow(1);
        prompts_.answerInput("Gets &it && leaves");
        prompts_.answerMessage(Prompts::OK);
        d->cmdEdit->click();
        QVERIFY(prompts_.calls.last().text.contains("the button \"G&ives up\""));
        QVERIFY(d->names().contains("G&ives up") && d->names().contains("Gets &it && leaves") && d->names().size() == 10);
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
