#include "CodeReading.h"
#include "GZint.h"
#include "TestMain.h"

#include <QApplication>
#include <QPainter>

class TestGZint : public QObject
{
    Q_OBJECT
private slots:
    void readsBack_data();
    void readsBack();
    void modulesAreWholePixels();
    void renderFitsTheRectangle();
    void refusesWhatCannotBeEncoded();
};

void TestGZint::readsBack_data()
{
    QTest::addColumn<int>("symbology");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("qr code") << int(GZint::QrCode) << QStringLiteral("00c0ffee") << QStringLiteral("QR-Code:00c0ffee");
    QTest::newRow("qr code, chinese") << int(GZint::QrCode) << QStringLiteral("标签 42") << QStringLiteral("QR-Code:标签 42");
    QTest::newRow("code 128") << int(GZint::Code128) << QStringLiteral("SN-12345") << QStringLiteral("CODE-128:SN-12345");
}

void TestGZint::readsBack()
{
    QFETCH(int, symbology);
    QFETCH(QString, text);
    QFETCH(QString, expected);
    GZint code(symbology);
    code.setText(text);
    const QImage image = code.image(4);
    QVERIFY(!image.isNull());
    QCOMPARE(CodeReading::decode(image), QStringList{expected});
}

void TestGZint::modulesAreWholePixels()
{
    GZint code;
    code.setText(QStringLiteral("A"));
    code.setQuietZone(0);
    const QImage one = code.image(1);
    const QImage three = code.image(3);
    QCOMPARE(one.width(), 21); // a version 1 QR code is 21 modules wide
    QCOMPARE(three.size(), one.size() * 3);
}

void TestGZint::renderFitsTheRectangle()
{
    QImage canvas(400, 300, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    GZint code;
    code.setText(QStringLiteral("hello"));
    QVERIFY(code.render(&painter, QRectF(100, 50, 200, 200)));
    painter.end();
    QCOMPARE(CodeReading::decode(canvas), QStringList{QStringLiteral("QR-Code:hello")});
    // Nothing outside the rectangle.
    for (int x = 0; x < 100; ++x)
        QCOMPARE(canvas.pixel(x, 150), qRgb(255, 255, 255));
}

void TestGZint::refusesWhatCannotBeEncoded()
{
    GZint ean(13); // EAN-13 takes digits only
    ean.setText(QStringLiteral("not digits"));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("GZint::image cannot encode"));
    QVERIFY(ean.image().isNull());
    QVERIFY(!ean.lastError().isEmpty());
    GZint empty;
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("GZint::image cannot encode"));
    QVERIFY(empty.image().isNull());
}

DRAVO_GUI_TEST_MAIN(TestGZint)
#include "tst_gzint.moc"
