// The list set-up dialogs.

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
    void add(frmSetUpList &d, const QString &name) {
        d.txtScenario->setText(name);
        d.cmdAdd->click();
    }
    void store(const char *section, const char *countKey, const char *word, const QStringList &names) {
        store_->SaveSetting(section, countKey, QString::number(names.size() - 1));
        for (int i = 0; i < names.size(); ++i)
            store_->SaveSetting(section, QStringLiteral("%1 %2").arg(word).arg(i), names[i]);
    }
    static int selectedRow(const frmSetUpList &d) {
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
        QCOMPARE(d->objectName(), QString("frmSetUpScenarios"));
        QCOMPARE(d->windowTitle(), QString("Quorvane - Set Up Scenarios"));
        QCOMPARE(count_, QString());
        QVERIFY(!d->cmdEdit->isEnabled() && !d->cmdRemove->isEnabled());
        add(*d, "beta");
        add(*d, "Alpha");
        d->txtScenario->setText("gamma");
        QTest::keyClick(d->txtScenario, Qt::Key_Return);  // Enter in the box adds
        add(*d, "beta");                                  // duplicates are kept
        add(*d, "");                                      // an empty box adds nothing
        QCOMPARE(d->names(), (QStringList{"Alpha", "beta", "beta", "gamma"}));
        QCOMPARE(d->txtScenario->text(), QString());
        QCOMPARE(d->focusWidget(), d->txtScenario);
        d->OKButton->click();
        QVERIFY(!d->isVisible());
        QCOMPARE(refreshed_, 1);
        QCOMPARE(store_->GetSetting("Scenarios", "Number Of Scenarios"), QString("3"));
        QCOMPARE(store_->GetSetting("Scenarios", "Scenario 0"), QString("Alpha"));
        QCOMPARE(store_->GetSetting("Scenarios", "Scenario 3"), QString("gamma"));
    }

    void selectingAndRemoving() {
        store("Participants", "Number Of Participants", "Participant", {"c", "a", "b"});
        auto d = open(kSetUpParticipants);
        QCOMPARE(d->lstScenario->objectName(), QString("lstParticipant"));
        QCOMPARE(d->names(), (QStringList{"a", "b", "c"}));
        QCOMPARE(count_, QString("2"));
        d->lstScenario->setCurrentRow(1);
        QVERIFY(d->cmdEdit->isEnabled() && d->cmdRemove->isEnabled());
        QCOMPARE(d->txtScenario->text(), QString("b"));
        // The middle one: the name that followed it is selected.
        d->cmdRemove->click();
        QCOMPARE(d->names(), (QStringList{"a", "c"}));
        QCOMPARE(selectedRow(*d), 1);
        QCOMPARE(d->txtScenario->text(), QString("c"));
        // The last one: the new last is selected.
        d->cmdRemove->click();
        QCOMPARE(selectedRow(*d), 0);
        QCOMPARE(d->txtScenario->text(), QString("a"));
        // The only one: nothing left, nothing selected, the box emptied.
        d->cmdRemove->click();
        QVERIFY(d->names().isEmpty());
        QCOMPARE(selectedRow(*d), -1);
        QCOMPARE(d->txtScenario->text(), QString());
        d->cmdRemove->click();  // nothing to remove
        QCOMPARE(d->focusWidget(), d->txtScenario);

        // Saved empty: the count says so and no old key is left.
        d->OKButton->click();
        QCOMPARE(store_->GetSetting("Participants", "Number Of Participants"), QString("-1"));
        for (int i = 0; i < 3; ++i)
            QCOMPARE(store_->GetSetting("Participants", QString("Participant %1").arg(i), "<none>"), QString("<none>"));
    }

    void editing() {
        store("Scenarios", "Number Of Scenarios", "Scenario", {"alpha", "beta", "gamma"});
        auto d = open(kSetUpScenarios);
        d->lstScenario->setCurrentRow(0);
        prompts_.answerInput(QString());  // cancelled
        d->cmdEdit->click();
        QCOMPARE(prompts_.calls[0].text, QString("Edit scenario name."));
        QCOMPARE(prompts_.calls[0].title, QString("Quorvane"));
        QCOMPARE(prompts_.calls[0].proposed, QString("alpha"));
        QCOMPARE(d->names(), (QStringList{"alpha", "beta", "gamma"}));
        prompts_.answerInput("zeta");
        const QPoint first = d->lstScenario->visualItemRect(d->lstScenario->item(0)).center();
        QTest::mouseClick(d->lstScenario->viewport(), Qt::LeftButton, {}, first);
        QTest::mouseDClick(d->lstScenario->viewport(), Qt::LeftButton, {}, first);
        QCOMPARE(d->names(), (QStringList{"beta", "gamma", "zeta"}));
        QCOMPARE(selectedRow(*d), -1);
        QCOMPARE(d->txtScenario->text(), QString("alpha"));
        QVERIFY(d->cmdEdit->isEnabled());
        d->cmdEdit->click();  // nothing selected: nothing asked, nothing changed
        QCOMPARE(prompts_.calls.size(), 2);
        QCOMPARE(d->names(), (QStringList{"beta", "gamma", "zeta"}));
    }

    void shorteningAList() {
        store("Scenarios", "Number Of Scenarios", "Scenario", {"a", "b", "c", "d", "e"});
        auto d = open(kSetUpScenarios);
        for (int i = 0; i < 3; ++i) {
            d->lstScenario->setCurrentRow(0);
            d->cmdRemove->click();
        }
        d->OKButton->click();
        QCOMPARE(store_->GetSetting("Scenarios", "Number Of Scenarios"), QString("1"));
        QCOMPARE(store_->GetSetting("Scenarios", "Scenario 0"), QString("d"));
        for (int i = 2; i <= 4; ++i)
            QCOMPARE(store_->GetSetting("Scenarios", QString("Scenario %1").arg(i), "<none>"), QString("<none>"));
    }

    void tenButtonsAtMost() {
        QStringList ten;
        for (int i = 0; i < 10; ++i)
            ten << QString("b%1").arg(i);
        store("Buttons", "Number Of Buttons", "Button", ten);
        auto d = open(kSetUpCustomButtons);
        QCOMPARE(d->windowTitle(), QString("Quorvane - Set Up Custom Event Buttons"));
        QVERIFY(d->height() < open(kSetUpScenarios)->height());
        prompts_.answerMessage(Prompts::OK);
        d->cmdAdd->click();  // refused whatever the box holds
        QCOMPARE(prompts_.calls[0].text, QString("A maximum of 10 custom buttons may be created."));
        QCOMPARE(prompts_.calls[0].icon, Prompts::Icon::Exclamation);
        QCOMPARE(d->names().size(), 10);
        // Edit and Remove still work; after a removal Add works again.
        d->lstScenario->setCurrentRow(0);
        prompts_.answerInput("a0");
        d->cmdEdit->click();
        d->lstScenario->setCurrentRow(9);
        d->cmdRemove->click();
        add(*d, "new");
        QCOMPARE(d->names().size(), 10);
        QVERIFY(d->names().contains("new") && d->names().contains("a0"));
    }

    void escapeSavesCancelAndCloseDoNot() {
        auto d = open(kSetUpScenarios);
        add(*d, "kept");
        QTest::keyClick(d.get(), Qt::Key_Escape);
        QCOMPARE(refreshed_, 1);
        QCOMPARE(store_->GetSetting("Scenarios", "Scenario 0"), QString("kept"));

        d = open(kSetUpScenarios);
        QCOMPARE(d->names(), QStringList{"kept"});  // read afresh
        add(*d, "dropped");
        d->CancelButton->click();
        d = open(kSetUpScenarios);
        add(*d, "dropped too");
        d->close();
        QCOMPARE(refreshed_, 1);
        QCOMPARE(store_->GetSetting("Scenarios", "Number Of Scenarios"), QString("0"));
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
