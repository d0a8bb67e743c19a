// The settings store and the stored name lists, read back as a later run of the program reads them.

#include "NameList.h"
#include "SettingsStore.h"
#include "TestSettings.h"

#include <QFile>
#include <QProcess>
#include <QtTest>

class TestLists : public QObject {
    Q_OBJECT

    TestSettings settings_;

    // "[value]", or "[<missing>]", as a process of its own reads the setting.
    static QString later(const QString &section, const QString &key) {
        QProcess probe;
        probe.start(QStringLiteral(SETTINGS_PROBE), {section, key});
        return probe.waitForFinished(30000) ? QString::fromUtf8(probe.readAllStandardOutput()) : "<probe failed>";
    }

private slots:
    void init() { TestSettings::clear(); }

    void valuesReadBackInALaterRun() {
        SettingsStore store;
        const QString values[] = {"Find, compare, buy", "  P 3  ", "@\"a\" = b; #c", QString::fromUtf8("Überweisung – 送金")};
        for (const QString &value : values) {
            store.SaveSetting("Scenarios", "Scenario 10", value);
            QCOMPARE(later("Scenarios", "Scenario 10"), '[' + value + ']');
        }
        QCOMPARE(store.GetSetting(settingkeys::MainWidth), QString("9000"));  // a default for a missing key
        store.DeleteSetting("Scenarios", "Scenario 10");
        QCOMPARE(later("Scenarios", "Scenario 10"), QString("[<missing>]"));
        // Deleting what is not there changes nothing, not even the file.
        store.SaveSetting("Scenarios", "Scenario 0", "kept");
        QFile file(settings_.iniPath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray before = file.readAll();
        store.DeleteSetting("Scenarios", "Scenario 7");
        store.DeleteSetting("Nowhere", "Nothing");
        file.seek(0);
        QCOMPARE(file.readAll(), before);
    }

    void nameLists() {
        SettingsStore store;
        QVERIFY(readNameList(store, settingkeys::Scenarios).count.isEmpty());
        QCOMPARE(readNameList(store, settingkeys::Buttons).count, QString("-1"));
        // A missing item key gives an empty item; the count text is kept exactly as stored.
        store.SaveSetting("Participants", "Number Of Participants", " 2");
        store.SaveSetting("Participants", "Participant 0", "b");
        store.SaveSetting("Participants", "Participant 2", "a");
        const StoredNameList list = readNameList(store, settingkeys::Participants);
        QVERIFY(list.count == " 2" && list.items == (QStringList{"b", "", "a"}));
        // A count typed into the file by hand reads no further than the lists' 16-bit index.
        store.SaveSetting("Scenarios", "Number Of Scenarios", "2147483647");
        QCOMPARE(readNameList(store, settingkeys::Scenarios).items.size(), 32768);

        // Rewritten shorter: the old keys go; eleven items are keyed without leading zeros.
        const QStringList eleven{"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k"};
        rewriteNameList(store, settingkeys::Buttons, "-1", eleven);
        QVERIFY(later("Buttons", "Button 10") == "[k]" && later("Buttons", "Number Of Buttons") == "[10]");
        rewriteNameList(store, settingkeys::Buttons, "10", {"x", "y"});
        QVERIFY(later("Buttons", "Button 2") == "[<missing>]" && later("Buttons", "Button 1") == "[y]");
        rewriteNameList(store, settingkeys::Buttons, "1", {});
        QVERIFY(later("Buttons", "Number Of Buttons") == "[-1]" && later("Buttons", "Button 0") == "[<missing>]");
    }
};

QTEST_GUILESS_MAIN(TestLists)
#include "tst_lists.moc"
