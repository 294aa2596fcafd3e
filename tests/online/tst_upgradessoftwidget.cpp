#include "TestMain.h"
#include "UpgradesSoftWidget.h"

#include <QApplication>
#include <QMutex>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

// The software-version query against a small HTTP server of the test, on a
// loopback address of its own at the service's port.
class TestUpgradesSoftWidget : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void queryReachesTheService();
    void refusedServiceIsLogged();

private:
    static void handler(QtMsgType, const QMessageLogContext &, const QString &text);
    static QStringList s_lines;
    static QMutex s_lock;
    QtMessageHandler m_previous = nullptr;
    static bool logged(const QString &text);
};

QStringList TestUpgradesSoftWidget::s_lines;
QMutex TestUpgradesSoftWidget::s_lock;

void TestUpgradesSoftWidget::handler(QtMsgType, const QMessageLogContext &, const QString &text)
{
    QMutexLocker lock(&s_lock);
    s_lines << text;
}

bool TestUpgradesSoftWidget::logged(const QString &text)
{
    QMutexLocker lock(&s_lock);
    for (const QString &line : std::as_const(s_lines)) {
        if (line.contains(text))
            return true;
    }
    return false;
}

void TestUpgradesSoftWidget::init()
{
    {
        QMutexLocker lock(&s_lock);
        s_lines.clear();
    }
    m_previous = qInstallMessageHandler(&TestUpgradesSoftWidget::handler);
}

void TestUpgradesSoftWidget::cleanup()
{
    qInstallMessageHandler(m_previous);
}

void TestUpgradesSoftWidget::queryReachesTheService()
{
    QTcpServer server;
    if (!server.listen(QHostAddress(QStringLiteral("127.0.0.53")), UpgradesSoftWidget::kPort))
        QSKIP("127.0.0.53:38021 is taken");
    QByteArray request;
    connect(&server, &QTcpServer::newConnection, this, [&] {
        QTcpSocket *socket = server.nextPendingConnection();
        connect(socket, &QTcpSocket::readyRead, socket, [&request, socket] {
            request += socket->readAll();
            if (!request.contains("\r\n\r\n"))
                return;
            const QByteArray body = R"({"code":200,"data":{}})";
            socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nConnection: close\r\nContent-Length: "
                          + QByteArray::number(body.size()) + "\r\n\r\n" + body);
            socket->disconnectFromHost();
        });
    });

    UpgradesSoftWidget widget;
    widget.setHost(QStringLiteral("127.0.0.53"));
    QCOMPARE(widget.url(), QStringLiteral("http://127.0.0.53:38021/machine/software/version"));
    widget.check(QStringLiteral("Dravolinte"), QStringLiteral("2.2.1"), QStringLiteral("Dravolinte"));
    QTRY_VERIFY_WITH_TIMEOUT(request.contains("\r\n\r\n"), 5000);
    QVERIFY2(request.startsWith("GET /machine/software/version?softName=Dravolinte&softVersion=2.2.1&softCode=Dravolinte "),
             request.constData());
    QTRY_VERIFY_WITH_TIMEOUT(logged(QStringLiteral(R"({"code":200,"data":{}})")), 5000);
    QVERIFY(!logged(QStringLiteral("Error")));
}

void TestUpgradesSoftWidget::refusedServiceIsLogged()
{
    UpgradesSoftWidget widget;
    widget.setHost(QStringLiteral("127.0.0.54"));
    widget.check(QStringLiteral("Dravolinte"), QStringLiteral("2.2.1"), QStringLiteral("Dravolinte"));
    QTRY_VERIFY_WITH_TIMEOUT(logged(QStringLiteral("UpgradesSoftWidget::onGetFinished ConnectionRefusedError "
                                                   "http://127.0.0.54:38021/machine/software/version")),
                             5000);
}

DRAVO_GUI_TEST_MAIN(TestUpgradesSoftWidget)
#include "tst_upgradessoftwidget.moc"
