// The list set-up dialogs.

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
        dialog->show();
        return dialog;
    }
    static void add(frmSetUpList &d, const QString &name) {
        d.txtScenario->setText(name);
        d.cmdAdd->click();
    }
    static int selected(const frmSetUpList &d) {
        const QList<QListWidgetItem *> s = d.lstScenario->selectedItems();
        return s.isEmpty() ? -1 : d.lstScenario->row(s.first());
    }

private slots:
    void init() {
        TestSettings::clear();
        prompts_.reset();
        store_ = std::make_unique<SettingsStore>();
        count_ = "stale";
        refreshed_ = 0;
    }
    void cleanup() { QVERIFY2(prompts_.done(), qPrintable(prompts_.report())); }

    void addingKeepsTheListSorted() {
        auto d = open(kSetUpScenarios);
        QCOMPARE(d->windowTitle(), QString("Quorvane - Set Up Scenarios"));
        QVERIFY(count_.isEmpty() && !d->cmdEdit->isEnabled() && !d->cmdRemove->isEnabled());
        add(*d, "beta");
        add(*d, "Alpha");
        d->txtScenario->setText("gamma");
        QTest::keyClick(d->txtScenario, Qt::Key_Return);  // Enter in the box adds
        add(*d, "beta");                                  // duplicates are kept
        add(*d, "");                                      // an empty box adds nothing
        QCOMPARE(d->names(), (QStringList{"Alpha", "beta", "beta", "gamma"}));
        QVERIFY(d->txtScenario->text().isEmpty() && d->focusWidget() == d->txtScenario);
        d->OKButton->click();
        QVERIFY(!d->isVisible() && refreshed_ == 1);
        QCOMPARE(readNameList(*store_, settingkeys::Scenarios).items, (QStringList{"Alpha", "beta", "beta", "gamma"}));
    }

    void selectingAndRemoving() {
        rewriteNameList(*store_, settingkeys::Participants, {}, {"c", "a", "b"});
        auto d = open(kSetUpParticipants);
        QVERIFY(d->names() == (QStringList{"a", "b", "c"}) && count_ == "2");
        d->lstScenario->setCurrentRow(1);
        QVERIFY(d->cmdEdit->isEnabled() && d->cmdRemove->isEnabled() && d->txtScenario->text() == "b");
        d->cmdRemove->click();  // the middle one: the name that followed it is selected
        QVERIFY(d->names() == (QStringList{"a", "c"}) && selected(*d) == 1 && d->txtScenario->text() == "c");
        d->cmdRemove->click();  // the last one: the new last is selected
        QVERIFY(selected(*d) == 0 && d->txtScenario->text() == "a");
        d->cmdRemove->click();  // the only one: nothing left or selected
        QVERIFY(d->names().isEmpty() && selected(*d) == -1 && d->txtScenario->text().isEmpty());
        d->cmdRemove->click();
        QCOMPARE(d->focusWidget(), d->txtScenario);
        // Saved empty: the count says so and no old key is left.
        d->OKButton->click();
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
        QVERIFY(asked.text == "Edit scenario name." && asked.title == "Quorvane" && asked.proposed == "alpha");
        QCOMPARE(d->names(), (QStringList{"alpha", "beta", "gamma"}));
        prompts_.answerInput("zeta");
        const QPoint first = d->lstScenario->visualItemRect(d->lstScenario->item(0)).center();
        QTest::mouseClick(d->lstScenario->viewport(), Qt::LeftButton, {}, first);
        QTest::mouseDClick(d->lstScenario->viewport(), Qt::LeftButton, {}, first);
        QCOMPARE(d->names(), (QStringList{"beta", "gamma", "zeta"}));
        QVERIFY(selected(*d) == -1 && d->txtScenario->text() == "alpha" && d->cmdEdit->isEnabled());
        d->cmdEdit->click();  // nothing selected: nothing asked, nothing changed
        QCOMPARE(prompts_.calls.size(), 2);
    }

    void tenButtonsAtMost() {
        QStringList ten;
        for (int i = 0; i < 10; ++i)
            ten << QString("b%1").arg(i);
        rewriteNameList(*store_, settingkeys::Buttons, {}, ten);
        auto d = open(kSetUpCustomButtons);
        QCOMPARE(d->windowTitle(), QString("Quorvane - Set Up Custom Event Buttons"));
        QVERIFY(d->height() < open(kSetUpScenarios)->height());
        prompts_.answerMessage(Prompts::OK);
        d->cmdAdd->click();  // refused whatever the box holds
        QVERIFY(prompts_.calls.at(0).text == "A maximum of 10 custom buttons may be created." &&
                prompts_.calls[0].icon == Prompts::Icon::Exclamation && d->names().size() == 10);
        // Edit and Remove still work; after a removal Add works again.
        d->lstScenario->setCurrentRow(0);
        prompts_.answerInput("a0");
        d->cmdEdit->click();
        d->lstScenario->setCurrentRow(9);
        d->cmdRemove->click();
        add(*d, "new");
        QVERIFY(d->names().size() == 10 && d->names().contains("new") && d->names().contains("a0"));
    }

    void escapeSavesCancelAndCloseDoNot() {
        auto d = open(kSetUpScenarios);
        add(*d, "kept");
        QTest::keyClick(d.get(), Qt::Key_Escape);
        QVERIFY(refreshed_ == 1 && store_->GetSetting("Scenarios", "Scenario 0") == "kept");
        d = open(kSetUpScenarios);
        QCOMPARE(d->names(), QStringList{"kept"});  // read afresh
        add(*d, "dropped");
        d->CancelButton->click();
        d = open(kSetUpScenarios);
        add(*d, "dropped too");
        d->close();
        QVERIFY(refreshed_ == 1 && store_->GetSetting("Scenarios", "Number Of Scenarios") == "0");
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
