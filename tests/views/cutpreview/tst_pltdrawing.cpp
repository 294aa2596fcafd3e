#include "views/cutpreview/PltDrawing.h"
#include "tests/support/TestMain.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <cmath>

// The preview thins the paths to what the screen can show: the picture must
// stay the one that every point would draw.
class TestPltDrawing : public QObject
{
    Q_OBJECT
private slots:
    void thinnedAsDrawnWhole_data()
    {
        QTest::addColumn<double>("step"); // points between path points
        QTest::newRow("a point per 20th of a pixel") << 0.05;
        QTest::newRow("a point per pixel") << 1.3;
        QTest::newRow("coarse") << 6.0;
    }
    void thinnedAsDrawnWhole()
    {
        QFETCH(double, step);
        PltLayout layout;
        layout.page = layout.area = QRectF(0, 0, 200, 400);
        QList<QPolygonF> paths;
        for (int ring = 0; ring < 12; ++ring) { // circles, spirals and zigzags
            QPolygonF p;
            const QPointF c(20 + (ring % 4) * 50, 30 + (ring / 4) * 120);
            const double r = 6 + ring * 1.5;
            const int n = int(2 * M_PI * r / step) + 3;
            for (int i = 0; i <= n; ++i) {
                const double a = (ring % 3 == 1 ? 6 : 2) * M_PI * i / n;
                const double rr = ring % 3 == 1 ? r * i / n : r + (ring % 3 == 2 ? 3 * (i % 2) : 0);
                p << c + QPointF(rr * std::cos(a), rr * std::sin(a));
            }
            paths << p;
        }
        const QSize size(800, 420); // a pixel per point
        QImage thinned(size, QImage::Format_ARGB32), whole(size, QImage::Format_ARGB32);
        {
            QPainter painter(&thinned);
            PltDrawing::paint(&painter, size, layout, paths);
        }
        {
            QPainter painter(&whole);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.fillRect(whole.rect(), Qt::white);
            const double scale = std::min((size.height() - 4) / 200.0, (size.width() - 4) / 400.0);
            const QRectF sheet((size.width() - 400 * scale) / 2, (size.height() - 200 * scale) / 2, 400 * scale, 200 * scale);
            painter.fillRect(sheet, QColor(0xEB, 0xEB, 0xEB));
            painter.translate(sheet.bottomLeft());
            painter.rotate(-90);
            painter.scale(scale, scale);
            QPen pen(Qt::blue, 0);
            pen.setCosmetic(true);
            painter.setPen(pen);
            for (const QPolygonF &p : std::as_const(paths))
                painter.drawPolyline(p);
        }
        int inked = 0, differ = 0;
        for (int y = 0; y < size.height(); ++y) {
            for (int x = 0; x < size.width(); ++x) {
                const QRgb a = thinned.pixel(x, y), b = whole.pixel(x, y);
                inked += qBlue(b) - qRed(b) > 50;
                differ += std::abs(qRed(a) - qRed(b)) > 100 || std::abs(qBlue(a) - qBlue(b)) > 100;
            }
        }
        QVERIFY(inked > 2000);
        QVERIFY2(differ * 50 < inked, qPrintable(QStringLiteral("%1 of %2").arg(differ).arg(inked)));
    }
};

DRAVO_GUI_TEST_MAIN(TestPltDrawing)
#include "tst_pltdrawing.moc"
