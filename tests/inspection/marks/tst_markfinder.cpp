#include "inspection/marks/MarkFinder.h"
#include "tests/inspection/marks/MarkFrames.h"
#include "tests/support/TestMain.h"

#include <QApplication>
#include <QLoggingCategory>
#include <cmath>
#include <vector>

using namespace MarkFrames;

class TestMarkFinder : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QLoggingCategory::setFilterRules(QStringLiteral("dravo.markfinder.debug=false")); }

    void scanCircle_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<QPointF>("centre"); // (0, 0): no mark
        QTest::addColumn<int>("diameter");
        auto row = [](const QByteArray &name, QSize size, QPointF centre, int diameter, int format = 4 /* RGB32 */) {
            QImage image = paper(size.width(), size.height());
            disc(image, centre, diameter);
            QTest::newRow(name.constData()) << image.convertToFormat(QImage::Format(format)) << centre << diameter;
        };
        // A 3.5 mm mark is 35 pixels in the first stage's 320 x 240 frame, 140 in the second's 300 x 300 crop.
        row("first stage", {320, 240}, {90.5, 60.5}, 35);
        row("second stage, between pixels", {300, 300}, {140.3, 151.8}, 140);
        // Rows of 3 x width bytes padded to 4, the disc far from the first row where skew would show.
        for (int width : {321, 317, 286})
            row("rgb888, width " + QByteArray::number(width), {width, 240}, {width - 60.0, 180}, 35,
                QImage::Format_RGB888);
        for (int format : {QImage::Format_Grayscale8, QImage::Format_Indexed8, QImage::Format_Mono,
                           QImage::Format_Grayscale16, QImage::Format_RGBA64})
            row("format " + QByteArray::number(format), {303, 240}, {243, 180}, 35, format);
        QImage black = paper(320, 240);
        black.fill(Qt::black);
        const QList<QPair<const char *, QImage>> blanks{
            {"blank", paper(320, 240)}, {"black", black}, {"noise: the search stops at 101 blobs", noise(320, 240, 7)},
            {"null", QImage()}, {"one pixel", paper(1, 1)}, {"3 wide", paper(3, 500)}};
        for (const auto &blank : blanks)
            QTest::newRow(blank.first) << blank.second << QPointF() << 35;
        // As wide as the mark: too much area; narrower: the area fits, the shape is not round.
        for (double side : {35.0, 30.0, 28.0}) {
            QImage image = paper(320, 240);
            square(image, QPointF(160, 120), side);
            QTest::addRow("square of %g", side) << image << QPointF() << 35;
        }
    }
    void scanCircle()
    {
        QFETCH(QImage, image);
        QFETCH(QPointF, centre);
        QFETCH(int, diameter);
        MarkCircle found[4];
        QCOMPARE(::scanCircle(diameter, image, found, 4, 0.1), centre.isNull() ? 0 : 1);
        if (centre.isNull())
            return;
        const MarkCircle &c = found[0];
        QVERIFY2(std::abs(c.x - centre.x()) <= 1 && std::abs(c.y - centre.y()) <= 1, qPrintable(QString::number(c.x)));
        QVERIFY(c.minDiameter == int(0.9 * diameter) && c.maxDiameter == int(1.1 * diameter));
        if (image.format() == QImage::Format_Mono || image.format() == QImage::Format_Indexed8)
            return; // no shading left to measure
        // The scale and the moves of a run come from the sub-pixel size and
        // centre: a pixel off in 140 is 2 HPGL units at the far marks.
        QVERIFY2(std::abs(areaDiameter(c) - diameter) <= 0.3, qPrintable(QString::number(areaDiameter(c))));
        QVERIFY2(std::abs(c.centreX - centre.x()) <= 0.1 && std::abs(c.centreY - centre.y()) <= 0.1,
                 qPrintable(QStringLiteral("centre %1, %2").arg(c.centreX).arg(c.centreY)));
    }

    // Nearest the centre first, at most as many as asked; records past the count stay as they were.
    void centreFirstAndBounds()
    {
        QImage image = paper(320, 240);
        disc(image, QPointF(40, 40), 35);
        disc(image, QPointF(161, 121), 35);
        MarkCircle found[4];
        found[3].x = 777;
        QCOMPARE(::scanCircle(35, image, found, 4, 0.1), 2);
        QVERIFY(std::abs(found[0].x - 161) <= 1 && std::abs(found[1].x - 40) <= 1 && found[3].x == 777);
        QVERIFY(::scanCircle(35, image, found, 1, 0.1) == 1 && std::abs(found[0].x - 161) <= 1);
        QCOMPARE(::scanCircle(35, image, nullptr, 1, 0.1) + ::scanCircle(35, image, found, 0, 0.1), 0);
    }

    // The grey conversion's table lookup gives exactly what the gamma formula gives.
    void greyMatchesGammaFormula()
    {
        QRandomGenerator random(11);
        std::vector<uchar> rgb;
        for (int i = 0; i < 3 * 60256; ++i) // every grey, then random colours
            rgb.push_back(uchar(i < 3 * 256 ? i / 3 : random.bounded(256)));
        std::vector<uchar> grey(rgb.size() / 3);
        rgbToGray(rgb.data(), grey.data(), int(grey.size()), 1);
        auto linear = [](uchar v, float weight) { return std::pow(float(v) / 255.0f, 2.2f) * weight; };
        for (size_t i = 0; i < grey.size(); ++i) {
            const uchar *p = &rgb[i * 3];
            const float sum = linear(p[1], 0.6274f) + linear(p[0], 0.2973f) + linear(p[2], 0.0753f);
            QVERIFY2(grey[i] == int(255.0f * std::pow(sum, 0.45454544f)),
                     qPrintable(QStringLiteral("rgb %1 %2 %3: %4").arg(p[0]).arg(p[1]).arg(p[2]).arg(grey[i])));
        }
    }
};

DRAVO_GUI_TEST_MAIN(TestMarkFinder)
#include "tst_markfinder.moc"
