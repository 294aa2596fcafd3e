#include "tests/app/AppTestSupport.h"
#include "tests/inspection/marks/MarkFrames.h"

#include <QApplication>
#include <QPainter>
#include <QSignalSpy>

// What the cameras saw. A mark image answered for mark 2 during a task gives
// point and size (scaled to the 320-wide frame) for the steps and the film
// record for the overlay; a blank frame leaves nothing of the scan before.
class TestMarkVision : public QObject
{
    Q_OBJECT
private slots:
    void scanFillsPointAndFilm()
    {
        QImage frame(1280, 960, QImage::Format_RGB32);
        frame.fill(Qt::white);
        QPainter painter(&frame);
        painter.setBrush(Qt::black);
        painter.drawEllipse(QPointF(640, 480), 70, 70);
        painter.end();
        PartsFixture fx;
        fx.vision.setMarkIndex(2);
        fx.task.setTaskStatus(1);
        QSignalSpy repaint(&fx.vision, &MarkVision::filmViewUpdate);
        fx.vision.capturedMarkImage(1, QVariant(frame));
        QVERIFY(qAbs(fx.vision.scanMarkPoint().x() - 160) <= 1 && fx.vision.scanMarkSize() > 30);
        QVERIFY(qAbs(fx.vision.filmRecords()[2].x - 160) <= 1 && fx.vision.filmRecords()[1].diameter == -1.0f);
        fx.vision.clearFilm(2);
        fx.vision.clearFilm(2); // nothing left to clear
        QCOMPARE(repaint.count(), 2);
        frame.fill(Qt::white);
        fx.vision.scanMark(frame);
        QVERIFY(fx.vision.scanMarkPoint().isNull() && fx.vision.scanMarkSize() == 0.0f);
    }

    // The OCR models load on a thread of their own. A first-mark scan for printed digits while they
    // load, or before anybody started the load, waits for them (one log line) and reads; without
    // models it reads nothing and hangs not. Once the load is over no scan waits.
    void digitsWaitForTheModels_data()
    {
        QTest::addColumn<bool>("models");
        QTest::addColumn<bool>("started");
        QTest::addColumn<QString>("text");
        QTest::newRow("models loading") << true << true << "20240517";
        QTest::newRow("load not started") << true << false << "20240517";
        QTest::newRow("no models") << false << true << "";
    }
    void digitsWaitForTheModels()
    {
        QFETCH(bool, models);
        QFETCH(bool, started);
        QFETCH(QString, text);
        // Tesseract's own folders, or an empty one of this test's.
        const QByteArray prefix = qgetenv("TESSDATA_PREFIX");
        if (!models)
            qputenv("TESSDATA_PREFIX", QDir::current().absoluteFilePath(QStringLiteral("nowhere")).toUtf8());
        QImage frame = MarkFrames::markFrame({QPointF(600, 480)});
        MarkFrames::printed(frame, QPointF(680, 560), QStringLiteral("20240517"));
        PartsFixture fx("[Dravolinte]\nmarkType=2\n");
        fx.vision.initOcr();
        fx.cut.setSwitchCutFile(true);
        fx.vision.setMarkIndex(1);
        LogCapture log;
        if (started)
            fx.vision.startOcr(); // under way (some 150 ms) when the scan comes
        fx.vision.capturedMarkImage(1, QVariant(frame));
        QVERIFY(fx.vision.isOcrLoadOver());
        QCOMPARE(log.count(QStringLiteral("DravolinteApp::scanMark waits for the OCR models")), 1);
        QCOMPARE(log.count(QStringLiteral("Failed to initialize models.")), models ? 0 : 2); // the engine's line and initApp's
        QCOMPARE(fx.vision.filmRecords()[0].text, text);
        fx.cut.setSwitchCutFile(true);
        fx.vision.capturedMarkImage(1, QVariant(frame));
        QCOMPARE(log.count(QStringLiteral("waits for the OCR models")), 1);
        QCOMPARE(fx.vision.filmRecords()[0].text, text);
        qputenv("TESSDATA_PREFIX", prefix);
        if (prefix.isEmpty())
            qunsetenv("TESSDATA_PREFIX");
    }
};

DRAVO_GUI_TEST_MAIN(TestMarkVision)
#include "tst_markvision.moc"
