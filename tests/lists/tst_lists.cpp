// The settings store and the stored name lists.

#include "NameList.h"
#include "SettingsStore.h"
#include "TestSettings.h"

#include <QFile>
#include <QProcess>
#include <QtTest>

class TestLists : public QObject {
    Q_OBJECT

    TestSettings settings_;

    static QString readInOtherProcess(const QString &section, const QString &key) {
        QProcess probe;
        probe.start(QStringLiteral(SETTINGS_PROBE), {section, key});
        if (!probe.waitForFinished(30000) || probe.exitCode() != 0)
            return QStringLiteral("<probe failed>");
        return QString::fromUtf8(probe.readAllStandardOutput());
    }

private slots:
    void init() { TestSettings::clear(); }

    void valuesReadBackInALaterRun_data() {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("commas") << "Scenarios" << "Scenario 0" << "Find, compare, buy";
        QTest::newRow("blanks around") << "Participants" << "Participant 3" << "  P 3  ";
        QTest::newRow("quotes, equals, at sign") << "Buttons" << "Button 1" << "@\"a\" = b; #c";
        QTest::newRow("non-ASCII") << "Scenarios" << "Scenario 1" << QString::fromUtf8("Überweisung – 送金");
    }
    void valuesReadBackInALaterRun() {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        SettingsStore().SaveSetting(section, key, value);
        QCOMPARE(readInOtherProcess(section, key), '[' + value + ']');
        QCOMPARE(SettingsStore().GetSetting(section, key, "default"), value);
    }

    void missingAndDeletedKeys() {
        SettingsStore store;
        QCOMPARE(store.GetSetting("Settings", "Maximized"), QString());
        QCOMPARE(store.GetSetting(settingkeys::MainWidth), QString("9000"));
        QCOMPARE(store.GetSetting(settingkeys::ScenarioReminder), QString("1"));

        store.SaveSetting("Reminders", "VCR Reminder", "0");
        store.DeleteSetting("Reminders", "VCR Reminder");
        QCOMPARE(store.GetSetting(settingkeys::VCRReminder), QString("1"));
        QCOMPARE(readInOtherProcess("Reminders", "VCR Reminder"), QString("[<missing>]"));

        // Deleting what is not there changes nothing, not even the file.
        store.SaveSetting("Scenarios", "Scenario 0", "kept");
        const QByteArray before = [&] {
            QFile f(settings_.iniPath());
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();
        QVERIFY(!before.isEmpty());
        store.DeleteSetting("Scenarios", "Scenario 7");
        store.DeleteSetting("Nowhere", "Nothing");
        QFile f(settings_.iniPath());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), before);
    }

    void readingNameLists() {
        SettingsStore store;
        StoredNameList list = readNameList(store, settingkeys::Scenarios);
        QCOMPARE(list.count, QString());
        QVERIFY(list.items.isEmpty());
        QCOMPARE(readNameList(store, settingkeys::Buttons).count, QString("-1"));

        store.SaveSetting("Scenarios", "Number Of Scenarios", "-1");
        store.SaveSetting("Scenarios", "Scenario 0", "stale");
        list = readNameList(store, settingkeys::Scenarios);
        QCOMPARE(list.count, QString("-1"));
        QVERIFY(list.items.isEmpty());

        // A missing item key gives an empty item; the count text is kept exactly as stored.
        store.SaveSetting("Participants", "Number Of Participants", " 2");
        store.SaveSetting("Participants", "Participant 0", "b");
        store.SaveSetting("Participants", "Participant 2", "a");
        list = readNameList(store, settingkeys::Participants);
        QCOMPARE(list.count, QString(" 2"));
        QCOMPARE(list.items, (QStringList{"b", "", "a"}));

        store.SaveSetting("Buttons", "Number Of Buttons", "many");
        QVERIFY(readNameList(store, settingkeys::Buttons).items.isEmpty());
        // A count typed into the file by hand reads no further than the lists' 16-bit index.
        store.SaveSetting("Scenarios", "Number Of Scenarios", "2147483647");
        QCOMPARE(readNameList(store, settingkeys::Scenarios).items.size(), 32768);
    }

    void rewritingNameLists() {
        SettingsStore store;
        const QStringList five{"a", "b", "c", "d", "e"};
        rewriteNameList(store, settingkeys::Scenarios, QString(), five);
        QCOMPARE(readNameList(store, settingkeys::Scenarios).items, five);
        QCOMPARE(store.GetSetting("Scenarios", "Number Of Scenarios"), QString("4"));

        rewriteNameList(store, settingkeys::Scenarios, "4", {"x", "y"});
        QCOMPARE(store.GetSetting("Scenarios", "Number Of Scenarios"), QString("1"));
        QCOMPARE(store.GetSetting("Scenarios", "Scenario 1"), QString("y"));
        for (int i = 2; i <= 4; ++i)
            QCOMPARE(readInOtherProcess("Scenarios", QString("Scenario %1").arg(i)), QString("[<missing>]"));

        rewriteNameList(store, settingkeys::Scenarios, "1", {});
        QCOMPARE(store.GetSetting("Scenarios", "Number Of Scenarios"), QString("-1"));
        QCOMPARE(store.GetSetting("Scenarios", "Scenario 0", "<missing>"), QString("<missing>"));

        // Eleven items: indices without leading zeros.
        QStringList eleven;
        for (int i = 0; i < 11; ++i)
            eleven << QString("n%1").arg(i);
        rewriteNameList(store, settingkeys::Buttons, "-1", eleven);
        QCOMPARE(readInOtherProcess("Buttons", "Button 10"), QString("[n10]"));
        QCOMPARE(readInOtherProcess("Buttons", "Button 01"), QString("[<missing>]"));
        QCOMPARE(readInOtherProcess("Buttons", "Number Of Buttons"), QString("[10]"));
    }
};

QTEST_GUILESS_MAIN(TestLists)
#include "tst_lists.moc"
