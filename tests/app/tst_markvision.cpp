#include "AppTestSupport.h"

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
};

DRAVO_GUI_TEST_MAIN(TestMarkVision)
#include "tst_markvision.moc"
