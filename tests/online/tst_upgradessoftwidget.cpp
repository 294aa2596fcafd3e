#include "TestMain.h"
#include "UpgradesSoftWidget.h"

#include <QApplication>
#include <QMutex>
#include <QTcpServer>
#include <QTcpSocket>

namespace {
QMutex g_lock;
QString g_log; // what the widget logged, one line each
bool logged(const QString &text)
{
    QMutexLocker lock(&g_lock);
    return g_log.contains(text);
}
} // namespace

// The software-version query against a small HTTP server of the test, on a
// loopback address of its own at the service's port, and against nothing.
class TestUpgradesSoftWidget : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &text) {
            QMutexLocker lock(&g_lock);
            g_log += text + QLatin1Char('\n');
        });
    }
    void queryReachesTheService();
};

void TestUpgradesSoftWidget::queryReachesTheService()
{
    QTcpServer server;
    if (!server.listen(QHostAddress(QStringLiteral("127.0.0.53")), UpgradesSoftWidget::kPort))
        QSKIP("127.0.0.53:38021 is taken");
    QByteArray request;
    connect(&server, &QTcpServer::newConnection, this, [&] {
        QTcpSocket *socket = server.nextPendingConnection();
        connect(socket, &QTcpSocket::readyRead, socket, [&request, socket] {
            if (!(request += socket->readAll()).contains("\r\n\r\n"))
                return;
            socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nConnection: close\r\nContent-Length: 22\r\n\r\n"
                          R"({"code":200,"data":{}})");
            socket->disconnectFromHost();
        });
    });
    UpgradesSoftWidget widget;
    widget.setHost(QStringLiteral("127.0.0.53"));
    QCOMPARE(widget.url(), QStringLiteral("http://127.0.0.53:38021/machine/software/version"));
    widget.check(QStringLiteral("Dravolinte"), QStringLiteral("2.2.1"), QStringLiteral("Dravolinte"));
    QTRY_VERIFY_WITH_TIMEOUT(logged(QStringLiteral(R"({"code":200,"data":{}})")), 30000);
    QVERIFY2(request.startsWith("GET /machine/software/version?softName=Dravolinte&softVersion=2.2.1&softCode=Dravolinte "),
             request.constData());
    QVERIFY(!logged(QStringLiteral("Error")));

    // Nobody at the other address: the refusal is logged with the address.
    widget.setHost(QStringLiteral("127.0.0.54"));
    widget.check(QStringLiteral("Dravolinte"), QStringLiteral("2.2.1"), QStringLiteral("Dravolinte"));
    QTRY_VERIFY_WITH_TIMEOUT(logged(QStringLiteral("UpgradesSoftWidget::onGetFinished ConnectionRefusedError "
                                                   "http://127.0.0.54:38021/machine/software/version")), 30000);
}

DRAVO_GUI_TEST_MAIN(TestUpgradesSoftWidget)
#include "tst_upgradessoftwidget.moc"
