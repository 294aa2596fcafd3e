#include "TestMain.h"
#include "mqttMessage.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>

namespace {
mqttSetting loopback(quint16 port, const QString &clientId = QString())
{
    mqttSetting setting;
    setting.host = QStringLiteral("127.0.0.1");
    setting.port = port;
    setting.clientId = clientId;
    return setting;
}
} // namespace

// The MQTT link against a real broker (mosquitto) on loopback, and against
// ports where nothing answers.
class TestMqttMessage : public QObject
{
    Q_OBJECT
private slots:
    void failsWithinItsWait();
    void connectsAndLeavesCleanly();
};

// Refused at once, or taken and never answered (a wait of one second; generous
// above it, as a loaded machine adds to it).
void TestMqttMessage::failsWithinItsWait()
{
    for (const bool silent : {false, true}) {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        mqttSetting setting = loopback(server.serverPort());
        if (!silent)
            server.close();
        mqttMessage client;
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!client.connectToServer(setting) && !client.isConnectToServer());
        QVERIFY2(clock.elapsed() >= (silent ? 950 : 0) && clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(!setting.clientId.isEmpty()); // the generated id is handed back
    }
}

void TestMqttMessage::connectsAndLeavesCleanly()
{
    const QString broker = QStandardPaths::findExecutable(QStringLiteral("mosquitto"), {"/usr/sbin", "/usr/bin"});
    if (broker.isEmpty())
        QSKIP("mosquitto is not installed");
    QTcpServer probe; // for a free port
    QVERIFY(probe.listen(QHostAddress::LocalHost));
    const quint16 port = probe.serverPort();
    probe.close();
    // Started with a port only, mosquitto listens on loopback alone; verbose, it logs each DISCONNECT.
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(broker, {QStringLiteral("-v"), QStringLiteral("-p"), QString::number(port)});
    QByteArray log;
    const auto logged = [&](const QByteArray &text) {
        return QTest::qWaitFor([&] { return (log += process.readAll()).contains(text); }, 30000);
    };
    QVERIFY(logged(" running"));

    for (const QString &id : {QStringLiteral("asked"), QStringLiteral("destroyed")}) {
        mqttMessage client;
        mqttSetting setting = loopback(port, id);
        QVERIFY(client.connectToServer(setting) && client.isConnectToServer());
        QCOMPARE(setting.clientId, id);
        // Connected already: a second call is refused and changes nothing.
        QVERIFY(!client.connectToServer(setting) && client.isConnectToServer());
        if (id == QLatin1String("asked")) {
            client.disconnectFromServer();
            QVERIFY(!client.isConnectToServer() && logged("Received DISCONNECT from asked"));
        }
    }
    // Destroyed while connected, the network thread said goodbye and was joined, not cancelled.
    QVERIFY(logged("Received DISCONNECT from destroyed"));
    process.terminate();
    QVERIFY(process.waitForFinished(30000));
}

DRAVO_TEST_MAIN(TestMqttMessage)
#include "tst_mqttmessage.moc"
