#include "TestMain.h"
#include "mqttMessage.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

// The MQTT link against a real broker (mosquitto) on loopback, and against
// addresses where nothing answers.
class TestMqttMessage : public QObject
{
    Q_OBJECT
private slots:
    void refusedConnectionFailsWithinItsWait();
    void silentServerFailsAfterItsWait();
    void connectsToABroker();
};

void TestMqttMessage::refusedConnectionFailsWithinItsWait()
{
    mqttMessage client;
    mqttSetting setting;
    setting.host = QStringLiteral("127.0.0.77");
    setting.port = 1883;
    QTcpSocket probe;
    probe.connectToHost(setting.host, setting.port);
    if (probe.waitForConnected(300))
        QSKIP("something listens on 127.0.0.77:1883");
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!client.connectToServer(setting));
    QVERIFY(clock.elapsed() < 1500);
    QVERIFY(!client.isConnectToServer());
    // The generated client id is handed back.
    QVERIFY(!setting.clientId.isEmpty());
}

void TestMqttMessage::silentServerFailsAfterItsWait()
{
    // Takes the connection and never answers it.
    QTcpServer silent;
    QVERIFY(silent.listen(QHostAddress::LocalHost));
    mqttMessage client;
    mqttSetting setting;
    setting.host = QStringLiteral("127.0.0.1");
    setting.port = silent.serverPort();
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!client.connectToServer(setting));
    QVERIFY2(clock.elapsed() >= 950 && clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
}

void TestMqttMessage::connectsToABroker()
{
    const QString broker = QStandardPaths::findExecutable(QStringLiteral("mosquitto"), {"/usr/sbin", "/usr/bin"});
    if (broker.isEmpty())
        QSKIP("mosquitto is not installed");
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost));
    const quint16 port = probe.serverPort();
    probe.close();
    // Started with a port only, mosquitto listens on loopback alone.
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(broker, {QStringLiteral("-p"), QString::number(port)});
    QVERIFY(process.waitForStarted(5000));
    QVERIFY(QTest::qWaitFor([&] {
        QTcpSocket socket;
        socket.connectToHost(QStringLiteral("127.0.0.1"), port);
        return socket.waitForConnected(100);
    }, 5000));

    mqttMessage client;
    mqttSetting setting;
    setting.host = QStringLiteral("127.0.0.1");
    setting.port = port;
    setting.clientId = QStringLiteral("tst_mqttmessage");
    QVERIFY(client.connectToServer(setting));
    QVERIFY(client.isConnectToServer());
    QCOMPARE(setting.clientId, QStringLiteral("tst_mqttmessage"));
    // Connected already: a second call is refused and changes nothing.
    QVERIFY(!client.connectToServer(setting));
    QVERIFY(client.isConnectToServer());
    client.disconnectFromServer();
    QVERIFY(!client.isConnectToServer());

    process.terminate();
    QVERIFY(process.waitForFinished(5000));
}

DRAVO_TEST_MAIN(TestMqttMessage)
#include "tst_mqttmessage.moc"
