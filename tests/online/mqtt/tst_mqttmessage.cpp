#include "online/carousel/CarouselImageWindow.h"
#include "tests/support/online/MqttBroker.h"
#include "tests/support/LogCapture.h"
#include "tests/support/TestMain.h"
#include "online/mqtt/mqttMessage.h"

#include <QApplication>
#include <memory>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <stdexcept>

namespace {

mqttSetting settingOf(const MqttBroker &broker, const QString &clientId = QString())
{
    mqttSetting setting;
    setting.host = broker.address();
    setting.port = broker.port();
    setting.clientId = clientId;
    return setting;
}

QStringList g_calls; // what the plain callbacks saw
void plainCallback(const QString &topic, const QByteArray &payload)
{
    g_calls << QStringLiteral("plain %1 %2").arg(topic, QString::fromUtf8(payload));
}
// A peer that speaks just enough MQTT to take a connection and refuse every
// subscription (SUBACK 0x80), which mosquitto never does; it notes the
// packet types it received.
class RefusingPeer : public QObject
{
public:
    QList<int> received;
    bool listen()
    {
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            QTcpSocket *socket = m_server.nextPendingConnection();
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(socket); });
        });
        return m_server.listen(QHostAddress(QStringLiteral("127.0.0.218")));
    }
    quint16 port() const { return m_server.serverPort(); }

private:
    void read(QTcpSocket *socket)
    {
        m_buffer += socket->readAll();
        for (;;) {
            qsizetype at = 1, length = 0, shift = 0;
            while (at < m_buffer.size() && (m_buffer[at] & 0x80))
                length |= qsizetype(m_buffer[at++] & 0x7f) << shift, shift += 7;
            if (at >= m_buffer.size())
                return;
            length |= qsizetype(m_buffer[at++] & 0x7f) << shift;
            if (m_buffer.size() < at + length)
                return;
            const int type = quint8(m_buffer[0]) >> 4;
            const QByteArray body = m_buffer.mid(at, length);
            m_buffer.remove(0, at + length);
            received << type;
            if (type == 1)
                socket->write(QByteArray("\x20\x02\x00\x00", 4));
            else if (type == 8)
                socket->write(QByteArray("\x90\x03", 2) + body.left(2) + '\x80');
            else if (type == 12)
                socket->write(QByteArray("\xd0\x00", 2));
        }
    }
    QTcpServer m_server;
    QByteArray m_buffer;
};
} // namespace

// The MQTT link against a real broker (mosquitto) on loopback addresses of
// the test's own, against a port that refuses and one that never answers,
// with a second client publishing.
class TestMqttMessage : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void failsWithinItsWait();
    void connectsAndLeavesCleanly();
    void account_data();
    void account();
    void subscribing();
    void subscriptionRefused();
    void callbacksOfTheExactTopic();
    void ads();
    void lossIsLoggedOnce();
    void backlogAfterAbsence();

private:
    bool started(MqttBroker &broker, MqttBroker::Options options = {})
    {
        if (MqttBroker::program().isEmpty())
            return false;
        options.address = QStringLiteral("127.0.0.%1").arg(m_nextAddress++);
        return broker.start(options);
    }
    // A broker of its own and the client connected to it.
    bool linked(MqttBroker &broker, mqttMessage &client, mqttSetting &setting, const QString &id = QString())
    {
        setting = started(broker) ? settingOf(broker, id) : mqttSetting();
        return !setting.host.isEmpty() && client.connectToServer(setting);
    }
    int m_nextAddress = 221;
    // Installed once the test runs: the test framework installs its own handler first.
    std::unique_ptr<LogCapture> m_log;
};

void TestMqttMessage::initTestCase()
{
    m_log = std::make_unique<LogCapture>();
    if (MqttBroker::program().isEmpty())
        QSKIP("mosquitto is not installed");
}

// Refused at once, or taken and never answered: false after the wait of one
// second (generous above it, as a loaded machine adds to it).
void TestMqttMessage::failsWithinItsWait()
{
    for (const bool silent : {false, true}) {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress(QStringLiteral("127.0.0.219"))));
        mqttSetting setting;
        setting.host = QStringLiteral("127.0.0.219");
        setting.port = server.serverPort();
        if (!silent)
            server.close();
        mqttMessage client;
        const int lost = m_log->count(QStringLiteral("[断开连接]"));
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!client.connectToServer(setting) && !client.isConnectToServer());
        QVERIFY2(clock.elapsed() >= 950 && clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(setting.clientId, client.clientId()); // this client's identifier, handed back
        QVERIFY(setting.clientId.startsWith(QStringLiteral("Dravolinte-")));
        QCOMPARE(m_log->count(QStringLiteral("[断开连接]")) - lost, silent ? 0 : 1);
    }
    QVERIFY(m_log->count(QStringLiteral("[客户端错误] \"Dravolinte-")) >= 1);
    QVERIFY(m_log->count(QStringLiteral("错误码: TransportInvalid")) >= 1);
}

void TestMqttMessage::connectsAndLeavesCleanly()
{
    MqttBroker broker;
    QVERIFY(started(broker));
    for (const QString &id : {QStringLiteral("asked"), QStringLiteral("destroyed")}) {
        mqttMessage client;
        mqttSetting setting = settingOf(broker, id);
        QVERIFY(client.connectToServer(setting) && client.isConnectToServer());
        QCOMPARE(setting.clientId, id);
        QCOMPARE(m_log->count(QStringLiteral("[成功连接] \"%1\"").arg(id)), 1);
        // Connected already: a second call is refused and changes nothing.
        setting.host = QStringLiteral("127.0.0.1");
        QVERIFY(!client.connectToServer(setting) && client.isConnectToServer());
        if (id == QLatin1String("asked")) {
            client.disconnectFromServer();
            QVERIFY(!client.isConnectToServer() && broker.waitForLog("Received DISCONNECT from asked"));
        }
    }
    QVERIFY(broker.waitForLog("Received DISCONNECT from destroyed"));
    // The same object keeps its own identifier from one connection to the next.
    mqttMessage client;
    mqttSetting first = settingOf(broker), second = settingOf(broker);
    QVERIFY(client.connectToServer(first));
    client.disconnectFromServer();
    QVERIFY(client.connectToServer(second));
    QCOMPARE(second.clientId, first.clientId);
    QCOMPARE(broker.count(QStringLiteral("New client connected from ")), 4);
    QVERIFY(broker.log().contains(QStringLiteral("as %1 (p2, c0").arg(first.clientId))); // MQTT 3.1.1, session kept
}

void TestMqttMessage::account_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("anonymous"); // the broker lets clients without a user name in
    QTest::addColumn<QString>("seen");   // how the broker names the client; empty: refused
    QTest::newRow("the account") << "admin" << "mivo@7351" << false << "as acct (p2, c0, k60, u'admin')";
    QTest::newRow("wrong password") << "admin" << "guess" << false << "";
    QTest::newRow("no account") << "" << "" << false << "";
    QTest::newRow("password without a user") << "" << "mivo@7351" << true << "as acct (p2, c0, k60).";
}

// The built-in account is let in, anything else gets CONNACK 5; a password
// without a user name is not sent (the client comes in as anonymous).
void TestMqttMessage::account()
{
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(bool, anonymous);
    QFETCH(QString, seen);
    MqttBroker broker;
    MqttBroker::Options options;
    options.users.insert(QStringLiteral("admin"), QStringLiteral("mivo@7351"));
    options.anonymous = anonymous;
    QVERIFY(started(broker, options));
    mqttMessage client;
    mqttSetting setting = settingOf(broker, QStringLiteral("acct"));
    setting.username = user;
    setting.password = password;
    const int refused = m_log->count(QStringLiteral("[客户端错误] \"acct\" 错误码: NotAuthorized"));
    QCOMPARE(client.connectToServer(setting), !seen.isEmpty());
    QCOMPARE(m_log->count(QStringLiteral("[客户端错误] \"acct\" 错误码: NotAuthorized")) - refused, seen.isEmpty() ? 1 : 0);
    QVERIFY(broker.waitForLog(seen.isEmpty() ? QStringLiteral("Sending CONNACK to 127.0.0.1 (0, 5)") : seen));
}

void TestMqttMessage::subscribing()
{
    MqttBroker broker;
    QVERIFY(started(broker));
    mqttMessage client;
    QVERIFY(!client.subTopic(QStringLiteral("a")));
    QCOMPARE(m_log->count(QStringLiteral("mqttMessage::subTopic 客户端未连接，延迟订阅...")), 1);
    mqttSetting setting = settingOf(broker);
    QVERIFY(client.connectToServer(setting));
    QVERIFY(!client.subTopic(QString()));
    QCOMPARE(m_log->count(QStringLiteral("mqttMessage::subTopic 订阅主题不能为空")), 1);
    QVERIFY(!client.subTopic(QStringLiteral("bad/#/filter")));
    QCOMPARE(m_log->count(QStringLiteral("mqttMessage::subTopic 订阅失败！Topic: \"bad/#/filter\"")), 1);

    QElapsedTimer clock;
    clock.start();
    QVERIFY(client.subTopic(QStringLiteral("news")));
    QVERIFY2(clock.elapsed() >= 950, qPrintable(QString::number(clock.elapsed())));
    clock.restart();
    QVERIFY(client.subTopic(QStringLiteral("news"), &plainCallback)); // held already: at once
    QVERIFY2(clock.elapsed() < 900, qPrintable(QString::number(clock.elapsed())));
    // No subscription follows by itself after a later connect.
    client.disconnectFromServer();
    QVERIFY(client.connectToServer(setting));
    QSignalSpy messages(&client, &mqttMessage::messageReceived);
    QVERIFY(broker.publish(QStringLiteral("late"), "x"));
    QVERIFY(broker.publish(QStringLiteral("news"), "kept by the broker's session"));
    QVERIFY(messages.wait(10000));
    QCOMPARE(messages.first().at(0).toString(), QStringLiteral("news"));
}

// The broker refuses the filter: said at once, false, nothing to unsubscribe later.
void TestMqttMessage::subscriptionRefused()
{
    RefusingPeer peer;
    QVERIFY(peer.listen());
    mqttMessage client;
    mqttSetting setting;
    setting.host = QStringLiteral("127.0.0.218");
    setting.port = peer.port();
    QVERIFY(client.connectToServer(setting));
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!client.subTopic(QStringLiteral("secret/plans"), &plainCallback));
    QVERIFY2(clock.elapsed() < 900, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(m_log->count(QStringLiteral("订阅失败，请检查主题权限: \"secret/plans\"")), 1);
    client.unSubTopic(QStringLiteral("secret/plans"));
    QVERIFY(client.pubTopic(QStringLiteral("after"), "x"));
    QTRY_VERIFY_WITH_TIMEOUT(peer.received.contains(3), 10000); // the PUBLISH came, no UNSUBSCRIBE before it
    QCOMPARE(peer.received.mid(0, 3), (QList<int>{1, 8, 3}));
}

void TestMqttMessage::callbacksOfTheExactTopic()
{
    MqttBroker broker;
    mqttMessage client;
    mqttSetting setting;
    QVERIFY(linked(broker, client, setting));
    QStringList calls;
    int thrown = 0;
    QVERIFY(client.subTopic(QStringLiteral("plant/#"), [&calls](const QString &t, const QByteArray &) { calls << "wild " + t; }));
    QVERIFY(client.subTopic(QStringLiteral("plant/line1"), [&thrown](const QString &, const QByteArray &) {
        ++thrown;
        throw std::runtime_error("broken handler");
    }));
    QVERIFY(client.subTopic(QStringLiteral("plant/line1"), &plainCallback));
    QVERIFY(client.subTopic(QStringLiteral("plant/line1"), &plainCallback)); // the same: once
    QSignalSpy messages(&client, &mqttMessage::messageReceived);
    g_calls.clear();
    for (const QByteArray payload : {"one", "two"})
        QVERIFY(broker.publish(QStringLiteral("plant/line1"), payload));
    QVERIFY(broker.publish(QStringLiteral("plant/line2"), "three"));
    QTRY_COMPARE_WITH_TIMEOUT(messages.size(), 3, 10000);
    QCOMPARE(messages.at(2).at(0).toString(), QStringLiteral("plant/line2"));
    QCOMPARE(messages.at(2).at(1).toByteArray(), QByteArray("three"));
    QVERIFY(calls.isEmpty()); // the wildcard's callback is not found for the topics it covers
    QCOMPARE(thrown, 1);
    QCOMPARE(m_log->count(QStringLiteral("threw, removed: broken handler")), 1);
    QCOMPARE(g_calls, (QStringList{"plain plant/line1 one", "plain plant/line1 two"}));

    // Removing a callback unsubscribes only when none is left.
    client.unSubTopic(QStringLiteral("plant/line1"), [](const QString &, const QByteArray &) {});
    client.unSubTopic(QStringLiteral("plant/line1"), &plainCallback);
    QVERIFY(broker.waitForLog(QStringLiteral("Received UNSUBSCRIBE from %1").arg(setting.clientId)));
    QVERIFY(broker.log().contains(QStringLiteral("\tplant/line1")));
    const int before = broker.count(QStringLiteral("Received UNSUBSCRIBE"));
    client.unSubTopic(QStringLiteral("never/subscribed"));
    client.pubTopic(QStringLiteral("ping"), "x"); // something for the broker to log after it
    QVERIFY(broker.waitForLog(QStringLiteral("Received PUBLISH from %1").arg(setting.clientId)));
    QCOMPARE(broker.count(QStringLiteral("Received UNSUBSCRIBE")), before);
    QVERIFY(client.pubTopic(QStringLiteral("plant/line2"), "from the program"));
}

// Ad messages feed the carousel: two images with one link, then every kind
// of message that changes nothing; each is passed on all the same.
void TestMqttMessage::ads()
{
    MqttBroker broker;
    mqttMessage client;
    mqttSetting setting;
    QVERIFY(linked(broker, client, setting));
    QVERIFY(client.showAD(QStringLiteral("planning_ad"), static_cast<QWindow *>(nullptr)));
    CarouselImageWindow *window = client.adWindow();
    QVERIFY(window && window->isHidden());
    QVERIFY(!client.showAD(QStringLiteral("other"), static_cast<QWindow *>(nullptr)));
    QCOMPARE(client.adWindow(), window);
    QCOMPARE(client.adTopic(), QStringLiteral("planning_ad"));
    QSignalSpy messages(&client, &mqttMessage::messageReceived);
    const auto publish = [&](const QByteArray &payload) {
        const qsizetype before = messages.size();
        return broker.publish(QStringLiteral("planning_ad"), payload)
               && QTest::qWaitFor([&] { return messages.size() > before; }, 10000);
    };
    const QByteArray twoImages = R"({"messageType":2,"coverImage":"http://127.0.0.9:9/a.png,http://127.0.0.9:9/b.png","link":"http://a.test/x"})";
    QVERIFY(publish(twoImages));
    QCOMPARE(window->images().count(), 2);
    QCOMPARE(window->images().items().at(1).link, QStringLiteral("http://a.test/x"));
    QCOMPARE(window->buttons().size(), 2);

    struct Case { QByteArray payload; const char *line; };
    // Ten thousand addresses: too long a message with real ones, twenty kept of short ones.
    QByteArray many = R"({"messageType":2,"coverImage":")", manyShort = many;
    for (int i = 0; i < 10000; ++i) {
        many += "http://127.0.0.9:9/" + QByteArray::number(i) + ".png,";
        manyShort += "x,";
    }
    many += R"(","link":""})";
    manyShort += R"(","link":""})";
    const QByteArray large = R"({"messageType":2,"coverImage":"x","pad":")" + QByteArray(70000, 'p') + "\"}";
    const Case unchanged[] = {
        {"<not json>", "not a JSON object"},
        {R"({"messageType":"2","coverImage":"http://127.0.0.9:9/c.png"})", "messageType 0"},
        {R"({"messageType":1,"coverImage":"http://127.0.0.9:9/c.png"})", "messageType 1"},
        {R"({"coverImage":"http://127.0.0.9:9/c.png"})", "messageType -1"},
        {R"({"messageType":2,"coverImage":["http://127.0.0.9:9/c.png"]})", "no image text"},
        {large, "over 65536"},
        {many, "over 65536"},
    };
    for (const Case &c : unchanged) {
        const int before = m_log->count(QString::fromUtf8(c.line));
        QVERIFY(publish(c.payload));
        QCOMPARE(m_log->count(QString::fromUtf8(c.line)), before + 1);
        QCOMPARE(window->images().count(), 2);
    }
    QCOMPARE(messages.last().at(1).toByteArray(), many); // passed on all the same
    const QByteArray commas = R"({"messageType":2,"coverImage":",,","link":"http://a.test/y"})";
    QVERIFY(publish(commas));
    QCOMPARE(window->images().count(), 3); // three empty addresses: nothing fetched, nothing shown
    QCOMPARE(window->images().pendingDownloads(), 0);
    QVERIFY(publish(manyShort));
    QCOMPARE(window->images().count(), CarouselImages::kMaxImages);
    QCOMPARE(window->images().pendingDownloads(), 0);

    // hideAD unsubscribes; the carousel keeps its images.
    client.hideAD();
    QVERIFY(broker.waitForLog(QStringLiteral("Received UNSUBSCRIBE from %1").arg(setting.clientId)));
    QCOMPARE(window->images().count(), CarouselImages::kMaxImages);
    QVERIFY(!client.showAD(QStringLiteral("planning_ad"), static_cast<QWindow *>(nullptr)));
    delete window;
}

// The broker is killed: one line for the loss and one for the fault, and no
// more in the ten seconds after (nothing tries again).
void TestMqttMessage::lossIsLoggedOnce()
{
    MqttBroker broker;
    mqttMessage client;
    mqttSetting setting;
    QVERIFY(linked(broker, client, setting, QStringLiteral("vanishing")));
    const QString lost = QStringLiteral("[断开连接] \"vanishing\"");
    const QString fault = QStringLiteral("[客户端错误] \"vanishing\" 错误码: TransportInvalid");
    broker.kill();
    QTRY_COMPARE_WITH_TIMEOUT(m_log->count(lost), 1, 10000);
    QCOMPARE(m_log->count(fault), 1);
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!QTest::qWaitFor([&] { return m_log->count(lost) > 1 || m_log->count(fault) > 1; }, 10000));
    QVERIFY(!client.isConnectToServer());
    QVERIFY(!client.subTopic(QStringLiteral("news")));
}

// With the session kept, what came while the client was away is replayed at
// once on its return: the last ad stands, nothing breaks.
void TestMqttMessage::backlogAfterAbsence()
{
    MqttBroker broker;
    mqttMessage client;
    mqttSetting setting;
    QVERIFY(linked(broker, client, setting, QStringLiteral("returning")));
    QVERIFY(client.showAD(QStringLiteral("planning_ad"), static_cast<QWindow *>(nullptr)));
    client.disconnectFromServer();
    for (int i = 1; i <= 50; ++i)
    {
        const QByteArray ad = R"({"messageType":2,"coverImage":")" + QByteArray("http://127.0.0.9:9/a.png,").repeated(i % 3 + 1)
                              + R"(x","link":"http://a.test/)" + QByteArray::number(i) + "\"}";
        QVERIFY(broker.publish(QStringLiteral("planning_ad"), ad));
    }
    QSignalSpy messages(&client, &mqttMessage::messageReceived);
    QVERIFY(client.connectToServer(setting));
    QTRY_COMPARE_WITH_TIMEOUT(messages.size(), 50, 30000);
    QCOMPARE(client.adWindow()->images().items().first().link, QStringLiteral("http://a.test/50"));
    QCOMPARE(client.adWindow()->images().count(), 50 % 3 + 2);
    delete client.adWindow();
}

DRAVO_GUI_TEST_MAIN(TestMqttMessage)
#include "tst_mqttmessage.moc"
