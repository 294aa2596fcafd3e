#include "tests/support/TestMain.h"
#include "app/vision/ImageProvider.h"

#include <QApplication>

// "image://myImage/<id>": the print preview, the camera frame or nothing,
// whatever the id; the frame is the one its source has at the request.
class TestImageProvider : public QObject
{
    Q_OBJECT

private slots:
    void ids_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("served"); // "print", "frame" or "none"
        QTest::newRow("print preview") << "printImg12345" << "print";
        QTest::newRow("camera frame") << "frameImg678" << "frame";
        QTest::newRow("both words") << "frameImg1printImg2" << "print";
        QTest::newRow("capital P") << "PrintImg1" << "none";
        QTest::newRow("empty") << "" << "none";
        QTest::newRow("path-like") << "../../frameImg/../x?y#z" << "frame";
        QTest::newRow("long") << QString(100000, QLatin1Char('x')) << "none";
        QTest::newRow("non-Latin") << QStringLiteral("帧frameImg") << "frame";
    }
    void ids()
    {
        QFETCH(QString, id);
        QFETCH(QString, served);
        ImageProvider provider;
        QImage print(30, 20, QImage::Format_RGB32);
        print.fill(Qt::red);
        provider.setPrintImage(print);
        int asked = 0;
        provider.setFrameSource([&] {
            ++asked;
            QImage frame(64, 48, QImage::Format_RGB888);
            frame.fill(Qt::green);
            return frame;
        });
        const QImage image = provider.requestImage(id, nullptr, QSize());
        const QPixmap pixmap = provider.requestPixmap(id, nullptr, QSize());
        const QSize want = served == QLatin1String("print") ? QSize(30, 20)
                           : served == QLatin1String("frame") ? QSize(64, 48)
                                                              : QSize(0, 0);
        QCOMPARE(image.size(), want);
        QCOMPARE(pixmap.size(), want);
        QCOMPARE(image.isNull(), served == QLatin1String("none"));
        QCOMPARE(asked > 0, served == QLatin1String("frame"));
    }

    // Before a print file or a frame: null images, not a crash.
    void nothingYet()
    {
        ImageProvider provider;
        QVERIFY(provider.requestImage(QStringLiteral("printImg1"), nullptr, QSize()).isNull());
        QVERIFY(provider.requestImage(QStringLiteral("frameImg1"), nullptr, QSize()).isNull());
        provider.setFrameSource([] { return QImage(); });
        QVERIFY(provider.requestPixmap(QStringLiteral("frameImg2"), nullptr, QSize()).isNull());
    }
};

DRAVO_GUI_TEST_MAIN(TestImageProvider)
#include "tst_imageprovider.moc"
