#include "BoundedGet.h"
#include "TestMain.h"
#include "UpgradeServer.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QUrl>

// The online services' GET against the test's server: what is handed on is
// a whole answer; every way a transfer can go wrong is named, within bounds.
class TestBoundedGet : public QObject
{
    Q_OBJECT
private slots:
    void onlyWebAddresses_data();
    void onlyWebAddresses();
    void transfers_data();
    void transfers();
};

void TestBoundedGet::onlyWebAddresses_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("web");
    QTest::newRow("http") << "http://127.0.0.1:1/a" << true;
    QTest::newRow("https") << "HTTPS://127.0.0.1/a" << true;
    QTest::newRow("file") << "file:///etc/passwd" << false;
    QTest::newRow("data") << "data:text/plain,abc" << false;
    QTest::newRow("ftp") << "ftp://127.0.0.1/fw.bin" << false;
    QTest::newRow("no host") << "http:///fw.bin" << false;
    QTest::newRow("path") << "/etc/passwd" << false;
    QTest::newRow("empty") << "" << false;
}

void TestBoundedGet::onlyWebAddresses()
{
    QFETCH(QString, address);
    QFETCH(bool, web);
    const QUrl url(address, QUrl::TolerantMode);
    QCOMPARE(BoundedGet::isWebUrl(url), web);
    QNetworkAccessManager manager;
    QNetworkReply *reply = BoundedGet::start(manager, url, {});
    QCOMPARE(reply != nullptr, web);
    delete reply;
}

void TestBoundedGet::transfers_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("fault"); // empty: a whole answer
    QTest::newRow("whole") << "/fw.bin" << "";
    QTest::newRow("redirect within the web") << "/moved" << "";
    QTest::newRow("redirect to a file") << "/to-file" << "?";
    QTest::newRow("404") << "/missing" << "ContentNotFoundError";
    QTest::newRow("500") << "/broken" << "InternalServerError";
    QTest::newRow("204") << "/nothing" << "HTTP status 204";
    QTest::newRow("empty") << "/empty" << "empty body";
    QTest::newRow("truncated") << "/truncated" << "?";
    QTest::newRow("announced too large") << "/huge" << "larger than 1048576 bytes";
    QTest::newRow("endless") << "/endless" << "larger than 1048576 bytes";
    QTest::newRow("hang") << "/hang" << "no data for too long";
}

void TestBoundedGet::transfers()
{
    QFETCH(QString, path);
    QFETCH(QString, fault);
    UpgradeServer server;
    QVERIFY(server.listen(41, 0));
    const QByteArray firmware("FIRMWARE\x02\x03\x00\xff", 12);
    server.setReply("/fw.bin", firmware);
    server.setRawReply("/moved", "HTTP/1.1 302 Found\r\nLocation: /fw.bin\r\nContent-Length: 0\r\n\r\n");
    server.setRawReply("/to-file", "HTTP/1.1 302 Found\r\nLocation: file:///etc/passwd\r\nContent-Length: 0\r\n\r\n");
    server.setRawReply("/broken", "HTTP/1.1 500 Internal Server Error\r\nContent-Length: 2\r\n\r\n{}");
    server.setRawReply("/nothing", "HTTP/1.1 204 No Content\r\n\r\n");
    server.setRawReply("/empty", "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n");
    server.setRawReply("/truncated", "HTTP/1.1 200 OK\r\nContent-Length: 4096\r\n\r\n" + QByteArray(1000, 'f'));
    server.setRawReply("/huge", "HTTP/1.1 200 OK\r\nContent-Length: 104857600\r\n\r\n" + QByteArray(1000, 'f'), false);
    server.setEndless("/endless");
    server.setHang("/hang");

    QNetworkAccessManager manager;
    QNetworkReply *reply = BoundedGet::start(manager, QUrl(server.url(path)), {1000, 60000, 1 << 20});
    QVERIFY(reply);
    QSignalSpy finished(reply, &QNetworkReply::finished);
    QVERIFY(finished.wait(30000));
    const QByteArray body = reply->error() == QNetworkReply::NoError ? reply->readAll() : QByteArray();
    const QString why = BoundedGet::fault(reply, body);
    if (fault.isEmpty()) {
        QVERIFY2(why.isEmpty(), qPrintable(why));
        QCOMPARE(body, firmware);
        QCOMPARE(reply->url().path(), QStringLiteral("/fw.bin")); // where a redirect led
    } else {
        QVERIFY2(fault == QLatin1String("?") ? !why.isEmpty() : why.contains(fault), qPrintable(why));
    }
    delete reply;
}

DRAVO_TEST_MAIN(TestBoundedGet)
#include "tst_boundedget.moc"
