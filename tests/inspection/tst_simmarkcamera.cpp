// The test mark camera: the frame it renders over a printed mark is read by
// the finder and the mark scan at the pixel the geometry says, and it takes
// its position from the simulator.
#include "MarkFinder.h"
#include "MarkScanner.h"
#include "SimController.h"
#include "SimMarkCamera.h"
#include "TestMain.h"

#include <QSignalSpy>
#include <QTest>

namespace {

PrintedWeb printedWeb()
{
    PrintedWeb web;
    web.page = QSizeF(100, 60);
    web.spacing = 5;
    web.setMarkedArea(QRectF(5, 5, 50, 90)); // x along, y across
    return web;
}

} // namespace

class TestSimMarkCamera : public QObject
{
    Q_OBJECT

private slots:
    // The camera stands beside mark 2 of page 1: the finder and the scan see
    // the mark where it lies on the web, for a print in place and for one
    // shifted, turned and scaled.
    void frameShowsTheMarkWhereItLies_data()
    {
        QTest::addColumn<QPointF>("shift");
        QTest::addColumn<double>("rotation");
        QTest::addColumn<double>("scale");
        QTest::addColumn<QPointF>("beside"); // camera centre from the mark, mm
        QTest::newRow("in place, centred") << QPointF() << 0.0 << 1.0 << QPointF();
        QTest::newRow("in place, off centre") << QPointF() << 0.0 << 1.0 << QPointF(2.5, -4.0);
        QTest::newRow("shifted 0.1 mm") << QPointF(0.1, 0) << 0.0 << 1.0 << QPointF(-1.0, 3.0);
        QTest::newRow("turned 5 degrees") << QPointF() << 5.0 << 1.0 << QPointF(1.5, 1.5);
        QTest::newRow("scaled 1.01") << QPointF(0.2, -0.3) << 0.0 << 1.01 << QPointF(-3.0, -2.0);
    }
    void frameShowsTheMarkWhereItLies()
    {
        QFETCH(QPointF, shift);
        QFETCH(double, rotation);
        QFETCH(double, scale);
        QFETCH(QPointF, beside);
        PrintedWeb web = printedWeb();
        web.shift = shift;
        web.rotation = rotation;
        web.scale = scale;
        const QPointF mark = web.markOnWeb(1, 1);
        QVERIFY(qAbs(mark.x() - (65 + 55)) < 5); // page 1, the far corner
        const QPointF centre = mark + beside;
        const QSize size(1280, 960);
        const QImage frame = SimMarkCamera::render(web, centre, size);
        const QPointF expected = SimMarkCamera::toPixel(mark, centre, size);
        QVERIFY(QRectF(QPointF(), QSizeF(size)).contains(expected));

        MarkCircle found[4];
        QCOMPARE(scanCircle(140, frame, found, 4, 0.1), 1);
        QVERIFY2(qAbs(found[0].x - expected.x()) <= 1 && qAbs(found[0].y - expected.y()) <= 1,
                 qPrintable(QStringLiteral("%1,%2 for %3,%4").arg(found[0].x).arg(found[0].y)
                                .arg(expected.x()).arg(expected.y())));

        MarkScanParams params;
        params.cameraWidth = 320;
        params.cameraHeight = 240;
        params.markSize = 3.5;
        const MarkScanResult r = MarkScanner().scan(frame, params, nullptr);
        QVERIFY(r.found());
        QVERIFY2((r.point * 4.0 - expected).manhattanLength() <= 4, qPrintable(QString::number(r.point.x())));
        QVERIFY(qAbs(r.diameter * 4.0 - 140 * scale) <= 8);
    }

    // Between the marks, or with the lens cap on, the frame shows none.
    void noMarkInView()
    {
        const PrintedWeb web = printedWeb();
        MarkScanParams params;
        const QPointF between = (web.markOnWeb(0, 0) + web.markOnWeb(0, 1)) / 2.0;
        QVERIFY(!MarkScanner().scan(SimMarkCamera::render(web, between, QSize(1280, 960)), params, nullptr).found());
        QVERIFY(!MarkScanner()
                     .scan(SimMarkCamera::render(web, web.markOnWeb(0, 0), QSize(1280, 960), true), params, nullptr)
                     .found());
    }

    // The camera stands at the simulator's web position and knife 0 across,
    // plus its offset; a request for another camera, or without a simulator
    // answering, gets no frame.
    void answersFromTheSimulatorsPosition()
    {
        SimController sim;
        QVERIFY2(sim.start(), qPrintable(sim.errorOutput()));
        PrintedWeb web = printedWeb();
        const QPointF mark = web.markOnWeb(1, 2);
        SimMarkCamera camera(&sim);
        camera.web = web;
        camera.cameraOffset = QPointF(20, -10);
        // Knife 0 placed so that the camera stands 1 mm short of the mark along the web.
        QVERIFY(sim.control(QStringLiteral("set web %1").arg((mark.x() - 1 - 20) * 40)));
        QVERIFY(sim.control(QStringLiteral("set point0 7,%1").arg((mark.y() + 10) * 40)));
        QSignalSpy frames(&camera, &SimMarkCamera::capturedMarkImage);
        emit camera.capture(QVariant(2));
        QCOMPARE(frames.count(), 0);
        emit camera.capture(QVariant(1));
        QCOMPARE(frames.count(), 1);
        QCOMPARE(frames.at(0).at(0).toInt(), 1);
        const QImage frame = frames.at(0).at(1).value<QImage>();
        MarkCircle found[4];
        QCOMPARE(scanCircle(140, frame, found, 4, 0.1), 1);
        QVERIFY(qAbs(found[0].x - 640) <= 1);
        QVERIFY(qAbs(found[0].y - (480 - 40)) <= 1);

        sim.stop();
        emit camera.capture(QVariant(1));
        QCOMPARE(frames.count(), 1);
        QCOMPARE(camera.answered, 1);
    }
};

DRAVO_TEST_MAIN(TestSimMarkCamera)
#include "tst_simmarkcamera.moc"
