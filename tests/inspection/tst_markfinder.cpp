#include "MarkFinder.h"
#include "MarkFrames.h"
#include "TestMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <cmath>
#include <vector>

using namespace MarkFrames;

class TestMarkFinder : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void findsDrawnDisc_data();
    void findsDrawnDisc();
    void refusesSquares_data();
    void refusesSquares();
    void anyWidthAndFormat_data();
    void anyWidthAndFormat();
    void centreFirstAndMaxCount();
    void marginOfTenPixels_data();
    void marginOfTenPixels();
    void outsideCheckCorners();
    void nothingOnBlankOrNoise();
    void greyMatchesGammaFormula();
    void filtersEdgeCases();
    void fillBlobRefusals();
};

void TestMarkFinder::initTestCase()
{
    QLoggingCategory::setFilterRules(QStringLiteral("dravo.markfinder.debug=false"));
}

void TestMarkFinder::findsDrawnDisc_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPointF>("centre");
    QTest::addColumn<int>("expected");
    // First stage: 3.5 mm marks on the 320 x 240 image, 35 pixels.
    QTest::newRow("first stage, centre") << QSize(320, 240) << QPointF(161, 121) << 35;
    QTest::newRow("first stage, off centre") << QSize(320, 240) << QPointF(90.5, 60.5) << 35;
    // Second stage: the 300 x 300 crop at the camera's own resolution, 140 pixels.
    QTest::newRow("second stage") << QSize(300, 300) << QPointF(150, 150) << 140;
    QTest::newRow("second stage, off centre") << QSize(300, 300) << QPointF(120.5, 170.5) << 140;
    QTest::newRow("second stage, between pixels") << QSize(300, 300) << QPointF(140.3, 151.8) << 140;
}

void TestMarkFinder::findsDrawnDisc()
{
    QFETCH(QSize, size);
    QFETCH(QPointF, centre);
    QFETCH(int, expected);
    QImage image = paper(size.width(), size.height());
    disc(image, centre, expected);
    MarkCircle results[4];
    QCOMPARE(scanCircle(expected, image, results, 4, 0.1), 1);
    QVERIFY2(std::abs(results[0].x - centre.x()) <= 1.0 && std::abs(results[0].y - centre.y()) <= 1.0,
             qPrintable(QStringLiteral("found at %1, %2").arg(results[0].x).arg(results[0].y)));
    QVERIFY(results[0].diameter >= int(0.9 * expected) && results[0].diameter <= int(1.1 * expected));
    QCOMPARE(results[0].minDiameter, int(0.9 * expected));
    QCOMPARE(results[0].maxDiameter, int(1.1 * expected));
    // The scale and the moves of a run come from the sub-pixel size and
    // centre: a pixel off in 140 is 2 HPGL units at the far marks.
    QVERIFY2(std::abs(areaDiameter(results[0]) - expected) <= 0.3,
             qPrintable(QStringLiteral("diameter %1").arg(areaDiameter(results[0]))));
    QVERIFY2(std::abs(results[0].centreX - centre.x()) <= 0.1 && std::abs(results[0].centreY - centre.y()) <= 0.1,
             qPrintable(QStringLiteral("centre %1, %2").arg(results[0].centreX).arg(results[0].centreY)));
}

void TestMarkFinder::refusesSquares_data()
{
    QTest::addColumn<double>("side");
    QTest::newRow("side equals the diameter: too much area") << 35.0;
    QTest::newRow("smaller, area in range: not round") << 30.0;
    QTest::newRow("smaller still") << 28.0;
}

void TestMarkFinder::refusesSquares()
{
    QFETCH(double, side);
    QImage image = paper(320, 240);
    square(image, QPointF(160, 120), side);
    MarkCircle results[4];
    QCOMPARE(scanCircle(35, image, results, 4, 0.1), 0);
}

void TestMarkFinder::anyWidthAndFormat_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("format");
    // Rows of 3 x width bytes padded to 4: every width here but 320 pads.
    for (int width : {321, 317, 286, 299, 320}) {
        QTest::addRow("rgb888, width %d", width) << width << int(QImage::Format_RGB888);
        QTest::addRow("grey, width %d", width) << width << int(QImage::Format_Grayscale8);
    }
    QTest::newRow("argb32") << 301 << int(QImage::Format_ARGB32);
    QTest::newRow("indexed") << 303 << int(QImage::Format_Indexed8);
    QTest::newRow("mono") << 305 << int(QImage::Format_Mono);
    QTest::newRow("grey 16 bit") << 307 << int(QImage::Format_Grayscale16);
    QTest::newRow("rgba 64 bit") << 309 << int(QImage::Format_RGBA64);
}

void TestMarkFinder::anyWidthAndFormat()
{
    QFETCH(int, width);
    QFETCH(int, format);
    QImage drawn = paper(width, 240);
    const QPointF centre(width - 60, 180); // far from the first row: skew would show
    disc(drawn, centre, 35);
    const QImage image = drawn.convertToFormat(QImage::Format(format));
    MarkCircle results[1];
    QCOMPARE(scanCircle(35, image, results, 1, 0.1), 1);
    QVERIFY2(std::abs(results[0].x - centre.x()) <= 1.0 && std::abs(results[0].y - centre.y()) <= 1.0,
             qPrintable(QStringLiteral("found at %1, %2").arg(results[0].x).arg(results[0].y)));
}

void TestMarkFinder::centreFirstAndMaxCount()
{
    QImage image = paper(320, 240);
    disc(image, QPointF(40, 40), 35);
    disc(image, QPointF(161, 121), 35);
    MarkCircle results[4];
    results[3].x = 777; // a record past the count stays as it was
    QCOMPARE(scanCircle(35, image, results, 4, 0.1), 2);
    QVERIFY(std::abs(results[0].x - 161) <= 1 && std::abs(results[0].y - 121) <= 1);
    QVERIFY(std::abs(results[1].x - 40) <= 1 && std::abs(results[1].y - 40) <= 1);
    QCOMPARE(results[3].x, 777);
    QCOMPARE(results[3].minDiameter, results[0].minDiameter);

    MarkCircle one[1];
    QCOMPARE(scanCircle(35, image, one, 1, 0.1), 1);
    QVERIFY(std::abs(one[0].x - 161) <= 1);
    QCOMPARE(scanCircle(35, image, nullptr, 1, 0.1), 0);
    QCOMPARE(scanCircle(35, image, one, 0, 0.1), 0);
}

// A digital disc of radius 7 (15 pixels across) whose centre, as the shape
// test computes it, lies at column cx.
void TestMarkFinder::marginOfTenPixels_data()
{
    QTest::addColumn<int>("cx");
    QTest::addColumn<int>("cy");
    QTest::addColumn<int>("result");
    QTest::newRow("left edge, column 10") << 10 << 50 << 0;
    QTest::newRow("left edge, column 9") << 9 << 50 << -1;
    QTest::newRow("right edge, column w - 10") << 90 << 50 << 0;
    QTest::newRow("right edge, column w - 9") << 91 << 50 << -1;
    QTest::newRow("top, row 10") << 50 << 10 << 0;
    QTest::newRow("bottom, row h - 9") << 50 << 91 << -1;
}

void TestMarkFinder::marginOfTenPixels()
{
    QFETCH(int, cx);
    QFETCH(int, cy);
    QFETCH(int, result);
    const int w = 100, h = 100, r = 7;
    std::vector<uchar> image(size_t(w * h), 0);
    const int xc = cx - 1, yc = cy - 1; // the test takes minX + (width + 1) / 2
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if ((x - xc) * (x - xc) + (y - yc) * (y - yc) <= (r + 0.5) * (r + 0.5))
                image[size_t(y * w + x)] = 255;
    int box[4] = {};
    const int area = fillBlob(image.data(), w, h, xc, yc, 5, box);
    QCOMPARE(box[2], 15);
    MarkCircle record;
    record.minDiameter = 13;
    record.maxDiameter = 17;
    QCOMPARE(checkCircle(image.data(), w, h, area, 5, box, &record), result);
    if (result == 0) {
        QCOMPARE(record.x, cx);
        QCOMPARE(record.y, cy);
        QCOMPARE(record.diameter, 15);
    } else {
        QCOMPARE(record.diameter, 0);
    }
}

void TestMarkFinder::outsideCheckCorners()
{
    // d = 140: corner squares of side 19, at most 90 label pixels each.
    const int w = 300, h = 300, x = 150, y = 150, d = 140;
    std::vector<uchar> image(size_t(w * h), 0);
    QCOMPARE(outsideCheck(image.data(), w, h, x, y, d, 5), 0);
    for (int row = 80; row < 80 + 10; ++row)
        for (int col = 80; col < 80 + 9; ++col)
            image[size_t(row * w + col)] = 5; // 90 pixels: still passes
    QCOMPARE(outsideCheck(image.data(), w, h, x, y, d, 5), 0);
    image[size_t(95 * w + 95)] = 5; // the 91st
    QCOMPARE(outsideCheck(image.data(), w, h, x, y, d, 5), -1);
    // Below 35 pixels the limit is the whole square: it always passes.
    std::fill(image.begin(), image.end(), uchar(5));
    QCOMPARE(outsideCheck(image.data(), w, h, x, y, 34, 5), 0);
}

void TestMarkFinder::nothingOnBlankOrNoise()
{
    MarkCircle results[4];
    QCOMPARE(scanCircle(35, paper(320, 240), results, 4, 0.1), 0);
    QImage black = paper(320, 240);
    black.fill(Qt::black);
    QCOMPARE(scanCircle(35, black, results, 4, 0.1), 0);
    QCOMPARE(scanCircle(35, QImage(), results, 4, 0.1), 0);
    QCOMPARE(scanCircle(35, paper(1, 1), results, 4, 0.1), 0);
    QCOMPARE(scanCircle(35, paper(3, 500), results, 4, 0.1), 0);

    // Noise makes hundreds of blobs: the search gives up after 101 per strength.
    QImage noisy = paper(320, 240);
    noise(noisy, 7);
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(scanCircle(35, noisy, results, 4, 0.1), 0);
    QVERIFY(timer.elapsed() < 1000);
}

void TestMarkFinder::greyMatchesGammaFormula()
{
    float r[256], g[256], b[256];
    for (int v = 0; v < 256; ++v) {
        const float p = std::pow(float(v) / 255.0f, 2.2f);
        r[v] = p * 0.2973f;
        g[v] = p * 0.6274f;
        b[v] = p * 0.0753f;
    }
    QRandomGenerator random(11);
    std::vector<uchar> rgb;
    for (int v = 0; v < 256; ++v)
        rgb.insert(rgb.end(), {uchar(v), uchar(v), uchar(v)});
    for (int i = 0; i < 60000; ++i)
        rgb.insert(rgb.end(), {uchar(random.bounded(256)), uchar(random.bounded(256)), uchar(random.bounded(256))});
    const int count = int(rgb.size() / 3);
    std::vector<uchar> grey(static_cast<size_t>(count));
    rgbToGray(rgb.data(), grey.data(), count, 1);
    for (int i = 0; i < count; ++i) {
        const uchar *p = &rgb[size_t(i) * 3];
        const int expected = int(255.0f * std::pow(g[p[1]] + r[p[0]] + b[p[2]], 0.45454544f));
        QVERIFY2(grey[size_t(i)] == expected, qPrintable(QStringLiteral("rgb %1 %2 %3: %4, not %5")
                                                             .arg(p[0]).arg(p[1]).arg(p[2]).arg(grey[size_t(i)]).arg(expected)));
    }
    QCOMPARE(int(grey[0]), 0);
    QCOMPARE(int(grey[255]), 255);
}

void TestMarkFinder::filtersEdgeCases()
{
    const int w = 9, h = 7;
    std::vector<uchar> src(size_t(w * h), 200), dst(size_t(w * h), 0);
    src[size_t(3 * w + 4)] = 0;
    QCOMPARE(smoothImage(src.data(), dst.data(), w, h, 4), -1);
    QVERIFY(dst == src); // an even size leaves a copy
    QCOMPARE(smoothImage(src.data(), dst.data(), w, h, 5), 0);
    QCOMPARE(int(dst[0]), 200);                // the border band keeps the source
    QVERIFY(dst[size_t(3 * w + 4)] > 0);       // the dark pixel is smoothed
    QVERIFY(dst[size_t(3 * w + 4)] < 200);

    QCOMPARE(binarizeAdaptive(src.data(), dst.data(), w, h, 3, 5, 1), 0);
    QCOMPARE(int(dst[size_t(3 * w + 4)]), 255); // dark: foreground
    QCOMPARE(int(dst[size_t(1 * w + 1)]), 0);
    QCOMPARE(binarizeAdaptive(src.data(), dst.data(), w, h, 3, 5, 0), 0);
    QCOMPARE(int(dst[size_t(3 * w + 4)]), 0);

    // 3 x 3 morphology, clipped at the border: a corner looks at 2 x 2 pixels.
    std::vector<uchar> on(size_t(w * h), 255), out(size_t(w * h), 7);
    on[size_t(1 * w + 1)] = 0;
    morphErode(on.data(), out.data(), w, h);
    QCOMPARE(int(out[0]), 0);
    QCOMPARE(int(out[size_t(2 * w + 2)]), 0);
    QCOMPARE(int(out[size_t(3 * w + 3)]), 255);
    QCOMPARE(int(out[size_t(h * w - 1)]), 255);
    std::vector<uchar> off(size_t(w * h), 0);
    off[size_t((h - 1) * w + w - 1)] = 255;
    morphDilate(off.data(), out.data(), w, h);
    QCOMPARE(int(out[size_t((h - 2) * w + w - 2)]), 255);
    QCOMPARE(int(out[size_t((h - 3) * w + w - 1)]), 0);
}

void TestMarkFinder::fillBlobRefusals()
{
    std::vector<uchar> image(100, 255);
    int box[4] = {};
    QCOMPARE(fillBlob(image.data(), 10, 10, 0, 0, 4, box), 0);
    QCOMPARE(fillBlob(image.data(), 10, 10, 0, 0, 106, box), 0);
    QCOMPARE(fillBlob(image.data(), 10, 10, 0, 0, 5, nullptr), 0);
    QCOMPARE(fillBlob(image.data(), 10, 10, 10, 0, 5, box), 0);
    QCOMPARE(fillBlob(image.data(), 10, 10, 3, 3, 105, box), 100);
    QCOMPARE(box[0], 0);
    QCOMPARE(box[2], 10);
    QCOMPARE(int(image[99]), 105);
}

DRAVO_GUI_TEST_MAIN(TestMarkFinder)
#include "tst_markfinder.moc"
