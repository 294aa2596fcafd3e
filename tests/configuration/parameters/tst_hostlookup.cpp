#include "configuration/Config.h"
#include "tests/configuration/ConfigFixture.h"
#include "tests/support/TestMain.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace {

// The online-services server as the lookup meets it, on an address of its own.
class LookupServer : public QObject
{
public:
    enum Behaviour { Answers, Silent, Trickles };
    static constexpr const char *kAddress = "127.0.0.23";

    explicit LookupServer(Behaviour behaviour, const QByteArray &body = QByteArray()) : m_behaviour(behaviour), m_body(body)
    {
        m_listening = m_server.listen(QHostAddress(QLatin1String(kAddress)), 38021);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection())
                serve(socket);
        });
    }
    bool listening() const { return m_listening; }
    QStringList paths() const { return m_paths; }

private:
    void serve(QTcpSocket *socket)
    {
        socket->setParent(this);
        connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
            const QByteArray request = socket->readAll();
            m_paths << QString::fromLatin1(request.split(' ').value(1));
            if (m_behaviour == Silent)
                return;
            const QByteArray head = "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: "
                                    + QByteArray::number(m_body.size()) + "\r\n\r\n";
            if (m_behaviour == Answers) {
                socket->write(head + m_body);
                return;
            }
            // A byte every 500 ms: never idle for a second, never done.
            socket->write(head + m_body.left(1));
            auto *timer = new QTimer(socket);
            connect(timer, &QTimer::timeout, socket, [socket] { socket->write(" "); });
            timer->start(500);
        });
    }

    Behaviour m_behaviour;
    QByteArray m_body;
    QTcpServer m_server;
    bool m_listening = false;
    QStringList m_paths;
};

} // namespace

// The public address and location: kept for the day, asked of the online-services
// server otherwise; every kind of failure keeps what was kept, within 2 s.
class TestHostLookup : public QObject
{
    Q_OBJECT

    std::unique_ptr<Config> m_config;

    void freshConfig(const QString &text, const QDate &date)
    {
        m_config.reset();
        m_config = std::make_unique<Config>(startConfigTest());
        m_config->setProperty(Config::CPT_IP, QString::fromLatin1(LookupServer::kAddress));
        m_config->setProperty(Config::CPT_Host_Ip, text);
        m_config->setProperty(Config::CPT_Host_Ip_Date, date);
    }

private slots:
    void cleanup() { m_config.reset(); }

    // Today's text is answered without asking; yesterday's is asked again and replaced.
    void keptForTheDay()
    {
        LookupServer server(LookupServer::Answers, R"({"code":0,"data":"203.0.113.7"})");
        QVERIFY(server.listening());
        freshConfig("198.51.100.1", QDate::currentDate());
        QCOMPARE(m_config->updateHostIp(), QStringLiteral("198.51.100.1"));
        QVERIFY(server.paths().isEmpty());
        freshConfig("198.51.100.1", QDate::currentDate().addDays(-1));
        QCOMPARE(m_config->updateHostIp(), QStringLiteral("203.0.113.7"));
        QCOMPARE(m_config->getProperty(Config::CPT_Host_Ip_Date).toDate(), QDate::currentDate());
        QCOMPARE(m_config->updateHostIp(), QStringLiteral("203.0.113.7"));
        QCOMPARE(server.paths(), QStringList{"/getIP"});
        QCOMPARE(m_config->updateHostLocation(), QStringLiteral("203.0.113.7"));
        QCOMPARE(m_config->getProperty(Config::CPT_Host_Location).toString(), QStringLiteral("203.0.113.7"));
        QCOMPARE(server.paths(), (QStringList{"/getIP", "/getLocation"}));
    }

    // An empty text is stored with today's date, and asked again on the next call.
    void emptyText()
    {
        LookupServer server(LookupServer::Answers, R"({"data":""})");
        freshConfig("198.51.100.1", QDate::currentDate().addDays(-1));
        QCOMPARE(m_config->updateHostIp(), QString());
        QCOMPARE(m_config->getProperty(Config::CPT_Host_Ip_Date).toDate(), QDate::currentDate());
        m_config->updateHostIp();
        QCOMPARE(server.paths().size(), 2);
    }

    void failures_data()
    {
        QTest::addColumn<int>("behaviour"); // -1: nothing listens
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("atLeastMs");
        QTest::addColumn<int>("atMostMs");
        QTest::newRow("nothing listens") << -1 << QByteArray() << 0 << 1500;
        QTest::newRow("silent") << int(LookupServer::Silent) << QByteArray() << 800 << 1900;
        QTest::newRow("trickling") << int(LookupServer::Trickles) << QByteArray(R"({"data":"1.2.3.4"})") << 1800 << 3000;
        QTest::newRow("a web page") << int(LookupServer::Answers) << QByteArray("<html><body>hi</body></html>") << 0 << 1500;
        QTest::newRow("data not a text") << int(LookupServer::Answers) << QByteArray(R"({"data":42})") << 0 << 1500;
        QTest::newRow("no data") << int(LookupServer::Answers) << QByteArray(R"({"code":1})") << 0 << 1500;
        QTest::newRow("too large") << int(LookupServer::Answers)
                                   << QByteArray(R"({"data":")") + QByteArray(70000, 'x') + QByteArray(R"("})") << 0 << 1900;
    }
    // Yesterday's text comes back and nothing is stored.
    void failures()
    {
        QFETCH(int, behaviour);
        QFETCH(QByteArray, body);
        QFETCH(int, atLeastMs);
        QFETCH(int, atMostMs);
        std::unique_ptr<LookupServer> server;
        if (behaviour >= 0) {
            server = std::make_unique<LookupServer>(LookupServer::Behaviour(behaviour), body);
            QVERIFY(server->listening());
        }
        freshConfig("198.51.100.1", QDate::currentDate().addDays(-1));
        if (body.startsWith('<') || body.contains("42") || body.contains("code"))
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("reply without a text \"data\""));
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(m_config->updateHostIp(), QStringLiteral("198.51.100.1"));
        const qint64 took = clock.elapsed();
        QVERIFY2(took >= atLeastMs && took <= atMostMs, qPrintable(QString::number(took)));
        QCOMPARE(m_config->getProperty(Config::CPT_Host_Ip).toString(), QStringLiteral("198.51.100.1"));
        QCOMPARE(m_config->getProperty(Config::CPT_Host_Ip_Date).toDate(), QDate::currentDate().addDays(-1));
    }
};

DRAVO_TEST_MAIN(TestHostLookup)
#include "tst_hostlookup.moc"
