#include "online/mqtt/MqttClientId.h"
#include "tests/support/TestMain.h"

// One client id per machine and program, whatever else changes; short and
// plain. Rows: machine id, host name and program, twice.
class TestMqttClientId : public QObject
{
    Q_OBJECT
private slots:
    void onePerMachineAndProgram_data()
    {
        QTest::addColumn<QStringList>("a");
        QTest::addColumn<QStringList>("b");
        QTest::addColumn<bool>("same");
        const QString m = "3d1219c7c4c5404aaa1f6d2a48adfda4", p = "Dravolinte";
        QTest::newRow("another host name") << QStringList{m, "line-1", p} << QStringList{m, "line-2", p} << true;
        QTest::newRow("another machine") << QStringList{m, "h", p} << QStringList{"9f0c2e77a1d8", "h", p} << false;
        QTest::newRow("another program") << QStringList{m, "h", p} << QStringList{m, "h", "Dravolinte-2"} << false;
        QTest::newRow("no machine id, other hosts") << QStringList{"", "line-1", p} << QStringList{"", "line-2", p} << false;
        QTest::newRow("a host named as a machine id") << QStringList{m, "h", p} << QStringList{"", m, p} << false;
    }
    void onePerMachineAndProgram()
    {
        QFETCH(QStringList, a);
        QFETCH(QStringList, b);
        QFETCH(bool, same);
        const QString first = MqttClientId::derive(a[0].toUtf8(), a[1], a[2]), second = MqttClientId::derive(b[0].toUtf8(), b[1], b[2]);
        QCOMPARE(first == second, same);
        QVERIFY(QRegularExpression("^Dravolinte-[0-9a-f]{12}$").match(first).hasMatch());
    }
};

DRAVO_TEST_MAIN(TestMqttClientId)
#include "tst_mqttclientid.moc"
