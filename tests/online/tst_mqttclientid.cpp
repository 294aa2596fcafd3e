#include "MqttClientId.h"
#include "TestMain.h"

#include <QRegularExpression>

// The client id of a program on a machine: one per machine and program,
// whatever else changes, and short and plain enough for any broker.
class TestMqttClientId : public QObject
{
    Q_OBJECT
private slots:
    void onePerMachineAndProgram_data();
    void onePerMachineAndProgram();
};

void TestMqttClientId::onePerMachineAndProgram_data()
{
    QTest::addColumn<QStringList>("a"); // machine id, host name, program
    QTest::addColumn<QStringList>("b");
    QTest::addColumn<bool>("same");
    const QString m = QStringLiteral("3d1219c7c4c5404aaa1f6d2a48adfda4");
    const QString p = QStringLiteral("Dravolinte");
    QTest::newRow("the same machine, another host name") << QStringList{m, "line-1", p} << QStringList{m, "line-2", p} << true;
    QTest::newRow("another machine, the same host name") << QStringList{m, "debian", p}
                                                         << QStringList{"9f0c2e77a1d84b0c8e5b1d2a3c4e5f60", "debian", p} << false;
    QTest::newRow("another program on the machine") << QStringList{m, "h", p} << QStringList{m, "h", "Dravolinte-2"} << false;
    QTest::newRow("no machine id: the host name") << QStringList{"", "line-1", p} << QStringList{"", "line-1", p} << true;
    QTest::newRow("no machine id, other hosts") << QStringList{"", "line-1", p} << QStringList{"", "line-2", p} << false;
    QTest::newRow("a host named as a machine id") << QStringList{m, "h", p} << QStringList{"", m, p} << false;
}

void TestMqttClientId::onePerMachineAndProgram()
{
    QFETCH(QStringList, a);
    QFETCH(QStringList, b);
    QFETCH(bool, same);
    const QString first = MqttClientId::derive(a.at(0).toUtf8(), a.at(1), a.at(2));
    const QString second = MqttClientId::derive(b.at(0).toUtf8(), b.at(1), b.at(2));
    QCOMPARE(first == second, same);
    static const QRegularExpression plain(QStringLiteral("^Dravolinte-[0-9a-f]{12}$"));
    QVERIFY2(plain.match(first).hasMatch() && plain.match(second).hasMatch(), qPrintable(first + ' ' + second));
}

DRAVO_TEST_MAIN(TestMqttClientId)
#include "tst_mqttclientid.moc"
