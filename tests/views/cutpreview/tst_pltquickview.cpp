#include "platform/graphics/paths/GPathProcess.h"
#include "views/cutpreview/PltQuickView.h"
#include "tests/support/Recorder.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestMain.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <functional>

namespace {

using Pixel = std::function<bool(QRgb)>;
// Antialiased ends count from a fifth of the colour on.
const Pixel blue = [](QRgb c) { return qBlue(c) - qRed(c) > 50 && qBlue(c) - qGreen(c) > 50; };
const Pixel red = [](QRgb c) { return qRed(c) - qGreen(c) > 50 && qRed(c) - qBlue(c) > 50; };
const Pixel black = [](QRgb c) { return qRed(c) < 90 && qGreen(c) < 90 && qBlue(c) < 90 && qAlpha(c) > 200; };
const Pixel dark = [](QRgb c) { return qGray(c) < 170 && qAlpha(c) > 200; };
const Pixel sheet = [](QRgb c) { return qRed(c) == 0xEB && qGreen(c) == 0xEB && qBlue(c) == 0xEB; };

QImage render(PltQuickView &view)
{
    QImage image(view.size().toSize(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    view.paint(&painter);
    return image;
}

QRect bounds(const QImage &image, const Pixel &is, QRect within = QRect())
{
    QRect r;
    const QRect area = within.isNull() ? image.rect() : within.intersected(image.rect());
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (is(image.pixel(x, y)))
                r |= QRect(x, y, 1, 1);
    return r;
}

// Rows (or columns) holding at least `least` such pixels, merged into runs: how many separate lines.
int lines(const QImage &image, const Pixel &is, bool rows, int least)
{
    int runs = 0;
    bool inRun = false;
    const int outer = rows ? image.height() : image.width(), inner = rows ? image.width() : image.height();
    for (int i = 0; i < outer; ++i) {
        int n = 0;
        for (int j = 0; j < inner; ++j)
            n += is(rows ? image.pixel(j, i) : image.pixel(i, j));
        if (n >= least && !inRun)
            ++runs;
        inRun = n >= least;
    }
    return runs;
}

// The sheet of a PS length and width (plotter units) in an item: pixels per
// point, its left and bottom edges.
struct Sheet
{
    double scale, left, bottom;
};
Sheet sheetOf(QSizeF item, double length, double width)
{
    const double pageW = GPathProcess::hpgl2Point(width), pageH = GPathProcess::hpgl2Point(length);
    const double scale = std::min((item.height() - 4) / pageW, (item.width() - 4) / pageH);
    return {scale, (item.width() - pageH * scale) / 2, (item.height() + pageW * scale) / 2};
}

// Where a plotter point (along the web, across it) lands, with the area offset.
QPointF screenOf(QSizeF item, double length, double width, QPointF plotter, QPointF offset = QPointF())
{
    const Sheet s = sheetOf(item, length, width);
    return QPointF(s.left + GPathProcess::hpgl2Point(plotter.x() + offset.x()) * s.scale,
                   s.bottom - GPathProcess::hpgl2Point(plotter.y() + offset.y()) * s.scale);
}

bool near(QPointF a, QPointF b, double tolerance = 2.0)
{
    return std::fabs(a.x() - b.x()) <= tolerance && std::fabs(a.y() - b.y()) <= tolerance;
}

QString file(const QString &name, const QByteArray &bytes)
{
    const QString path = QDir::current().absoluteFilePath(name);
    writeFile(path, bytes);
    return path;
}

} // namespace

class TestPltQuickView : public QObject
{
    Q_OBJECT
private slots:
    void lShapeLengthLeftToRightWidthUpwards();
    void areaOffsetAndLanes();
    void marks_data();
    void marks();
    void layoutWithoutUsableHeader_data();
    void layoutWithoutUsableHeader();
    void eachItemKeepsItsFile();
    void badInput_data();
    void badInput();
    void tooSmallAnItem();
};

// The page turned: its length (PS value 0, the plotter's X) runs left to
// right, its width (PS value 1, Y) upwards.
void TestPltQuickView::lShapeLengthLeftToRightWidthUpwards()
{
    PltQuickView view;
    view.setSize(QSizeF(400, 300));
    QSignalSpy changed(&view, &PltQuickView::fileChanged);
    const QString name = file("l.plt", "IN;PS8000,4000,0,0,0;MD0,0,8000,4000,0;PU1000,1000;PD7000,1000,7000,3000;");
    view.setFile(name);
    view.setFile(name);
    QCOMPARE(changed.count(), 2); // every set, also the same path
    const QImage image = render(view);
    const QRect sheetRect = bounds(image, sheet);
    QVERIFY2(std::fabs(double(sheetRect.width()) / sheetRect.height() - 2.0) < 0.03, qPrintable(QString::number(sheetRect.width())));
    const QRect path = bounds(image, blue);
    QVERIFY(near(path.bottomLeft(), screenOf(view.size(), 8000, 4000, {1000, 1000})));
    QVERIFY(near(path.topRight(), screenOf(view.size(), 8000, 4000, {7000, 3000})));
    // The long leg along the bottom, the short one up at the right end.
    QVERIFY(path.width() > 2 * path.height());
    QVERIFY(bounds(image, blue, QRect(path.left(), path.top(), path.width() / 2, path.height() / 2)).isNull());
    QCOMPARE(image.pixel(2, 2), qRgb(255, 255, 255));
}

// The paths lie at the area's offset, once per knife lane; the lanes after the
// first are bordered by red dashed lines.
void TestPltQuickView::areaOffsetAndLanes()
{
    PltQuickView view;
    view.setSize(QSizeF(600, 400));
    view.setFile(file("offset.plt", "IN;PS8000,4000,1000,400,0;MD0,0,6000,3000,0;PU500,300;PD2500,300;"));
    QImage image = render(view);
    QRect path = bounds(image, blue);
    QVERIFY(near(path.bottomLeft(), screenOf(view.size(), 8000, 4000, {500, 300}, {1000, 400})));
    QVERIFY(near(path.bottomRight(), screenOf(view.size(), 8000, 4000, {2500, 300}, {1000, 400})));
    QCOMPARE(lines(image, red, true, 20), 0);

    view.setFile(file("lanes.plt", "IN;PS8000,4000,0,0,0,0,0,400,800;MD0,0,8000,4000,3;PU0,100;PD4000,100;"));
    image = render(view);
    QCOMPARE(view.layout().lanes, (QList<double>{0, GPathProcess::hpgl2Point(400.0), GPathProcess::hpgl2Point(800.0)}));
    QCOMPARE(lines(image, blue, true, 60), 3);
    QCOMPARE(lines(image, red, true, 20), 2);
    const Sheet at = sheetOf(view.size(), 8000, 4000);
    for (double lane : {400.0, 800.0}) {
        const int y = qRound(at.bottom - int(GPathProcess::hpgl2Point(lane)) * at.scale);
        QVERIFY2(!bounds(image, red, QRect(0, y - 2, image.width(), 5)).isNull(), qPrintable(QString::number(y)));
    }
}

void TestPltQuickView::marks_data()
{
    QTest::addColumn<QByteArray>("ps");
    QTest::addColumn<QList<QPointF>>("marked");   // area corners (plotter units along, across) with a mark
    QTest::addColumn<QList<QPointF>>("unmarked"); // corners without one
    QTest::addColumn<bool>("ring");               // a stroked circle: its centre black, half way out not
    QTest::addColumn<double>("diameter");         // of the top-left mark, points (0: not checked)
    const QPointF tl(400, 400), tr(400, 3600), bl(7600, 400), br(7600, 3600);
    QTest::newRow("type 0: two discs") << QByteArray("PS8000,4000,400,400,0,400") << QList<QPointF>{tl, tr}
                                       << QList<QPointF>{bl, br} << false << 0.0;
    QTest::newRow("type 4: four discs") << QByteArray("PS8000,4000,400,400,4,400") << QList<QPointF>{tl, tr, bl, br}
                                        << QList<QPointF>{} << false << 0.0;
    QTest::newRow("type 3: crossed circle") << QByteArray("PS8000,4000,400,400,3,400") << QList<QPointF>{tl}
                                            << QList<QPointF>{tr, bl, br} << true << 0.0;
    // The mark size: 400 units (10 mm) as the sixth value, 5 pt without it.
    QTest::newRow("sixth value as size") << QByteArray("PS8000,4000,400,400,1,400") << QList<QPointF>{tl}
                                         << QList<QPointF>{} << false << GPathProcess::hpgl2Point(400.0);
    QTest::newRow("5 pt without") << QByteArray("PS8000,4000,400,400,1") << QList<QPointF>{tl} << QList<QPointF>{}
                                  << false << 5.0;
}

void TestPltQuickView::marks()
{
    QFETCH(QByteArray, ps);
    QFETCH(QList<QPointF>, marked);
    QFETCH(QList<QPointF>, unmarked);
    QFETCH(bool, ring);
    QFETCH(double, diameter);
    PltQuickView view;
    view.setSize(QSizeF(600, 450));
    view.setFile(file("marks.plt", "IN;" + ps + ";MD0,0,7200,3200,0;PU3000,1500;PD5000,1500;"));
    const QImage image = render(view);
    const double scale = sheetOf(view.size(), 8000, 4000).scale;
    const auto at = [&](QPointF corner) { return screenOf(view.size(), 8000, 4000, corner).toPoint(); };
    for (const QPointF &c : marked)
        QVERIFY2(black(image.pixel(at(c))), qPrintable(QStringLiteral("%1,%2").arg(c.x()).arg(c.y())));
    for (const QPointF &c : unmarked)
        QVERIFY(!black(image.pixel(at(c))));
    const QPoint centre = at(marked.first());
    if (ring) { // stroked, three mark sizes across, with its two diameters
        const double r = 1.5 * GPathProcess::hpgl2Point(400.0) * scale;
        const int d = qRound(r * M_SQRT1_2), h = qRound(r / 2);
        const auto inked = [&](QPoint p) { return !bounds(image, dark, QRect(centre + p - QPoint(1, 1), QSize(3, 3))).isNull(); };
        QVERIFY(inked({h, 0}) && inked({-h, 0}) && inked({0, h}) && inked({0, -h})); // the cross
        QVERIFY(inked({d, d}) && inked({-d, -d}));                                   // the ring
        QVERIFY(!inked({qRound(r / 3), qRound(r / 3)}));                             // not filled
    }
    if (diameter > 0) {
        // Down the mark's column only the disc is black (the start bars lie beside it).
        const int reach = qRound(diameter * scale) + 4;
        const QRect blob = bounds(image, black, QRect(centre.x(), centre.y() - reach, 1, 2 * reach));
        QVERIFY2(std::fabs(blob.height() - diameter * scale) <= 2, qPrintable(QString::number(blob.height())));
    }
}

// A header that is missing, short or not usable leaves nothing of the last
// file's layout: an A4 sheet without marks or lanes. PS without MD: the area
// runs to the page's far edges.
void TestPltQuickView::layoutWithoutUsableHeader_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("a4");
    QTest::newRow("no header") << QByteArray("IN;PU0,0;PD4000,0;") << true;
    QTest::newRow("four PS values") << QByteArray("IN;PS8000,4000,0,0;PU0,0;PD4000,0;") << true;
    QTest::newRow("short first MD") << QByteArray("IN;PS8000,4000,0,0,4;MD1,2;PU0,0;PD4000,0;") << true;
    QTest::newRow("PS past 256 bytes") << QByteArray(256, ' ') + "IN;PS8000,4000,0,0,4;PU0,0;PD4000,0;" << true;
    QTest::newRow("page not a number") << QByteArray("IN;PSx,y,0,0,4;PU0,0;PD4000,0;") << true;
    QTest::newRow("page of size 0") << QByteArray("IN;PS0,-5,0,0,4;PU0,0;PD4000,0;") << true;
    QTest::newRow("PS without MD") << QByteArray("IN;PS8000,4000,400,800,4;PU0,0;PD4000,0;") << false;
}

void TestPltQuickView::layoutWithoutUsableHeader()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, a4);
    PltQuickView view;
    view.setSize(QSizeF(600, 420));
    view.setFile(file("full.plt", "IN;PS8000,4000,400,400,4,0,0,400,800;MD4,0,7200,3200,3;PU0,0;PD4000,0;"));
    QVERIFY(view.layout().hasMarks && view.layout().lanes.size() == 3);
    view.setFile(file("next.plt", text));
    const PltLayout layout = view.layout();
    const QImage image = render(view);
    QCOMPARE(layout.hasMarks, !a4);
    QVERIFY(layout.lanes.isEmpty());
    QCOMPARE(lines(image, red, true, 20), 0);
    QCOMPARE(view.paths().size(), 1);
    if (a4) {
        QCOMPARE(layout.page.size(), QSizeF(GPathProcess::mm2Point(210.0), GPathProcess::mm2Point(297.0)));
        const QRect s = bounds(image, sheet);
        QVERIFY2(std::fabs(double(s.width()) / s.height() - 297.0 / 210.0) < 0.02, qPrintable(QString::number(s.width())));
        QVERIFY(bounds(image, black).isNull());
    } else {
        const QRectF page = layout.page;
        QCOMPARE(layout.area.bottomRight(), page.bottomRight());
        QCOMPARE(layout.area.topLeft(), GPathProcess::hpgl2Point(QPointF(800, 400)));
        // Type 4: a mark at the page's far corner too.
        QVERIFY(black(image.pixel(screenOf(view.size(), 8000, 4000, {8000, 4000}).toPoint() + QPoint(-1, 1))));
    }
}

// Two previews, two files: each item draws its own.
void TestPltQuickView::eachItemKeepsItsFile()
{
    PltQuickView first, second;
    first.setSize(QSizeF(300, 200));
    second.setSize(QSizeF(300, 200));
    first.setFile(file("one.plt", "IN;PS8000,4000,0,0,0;MD0,0,8000,4000,0;PU0,0;PD8000,0;"));
    const QImage before = render(first);
    second.setFile(file("two.plt", "IN;PS8000,4000,0,0,0;MD0,0,8000,4000,0;PU0,2000;PD100,2000;PU0,3000;PD100,3000;"));
    QCOMPARE(first.paths().size(), 1);
    QCOMPARE(second.paths().size(), 2);
    QCOMPARE(render(first), before);
}

void TestPltQuickView::badInput_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes"); // null: no such file
    QTest::addColumn<int>("paths");        // -1: any
    QTest::addColumn<int>("marks");        // the layout has marks afterwards; -1: either
    QByteArray binary;
    for (int i = 0; i < 200000; ++i)
        binary += char((i * 7919) >> 5);
    QByteArray big = "IN;PU0,0;PD";
    while (big.size() < 10 * 1024 * 1024)
        big += "1,1,2,2,3,3,4,4,5,5,";
    QTest::newRow("empty") << "empty.plt" << QByteArray("") << 0 << 0;
    QTest::newRow("binary") << "binary.plt" << binary << -1 << -1;
    QTest::newRow("truncated") << "cut.plt" << QByteArray("IN;PS8000,4000,0,0,0;MD0,0,8000,40") << 0 << 1;
    QTest::newRow("10 MB, one path") << "big.hpgl" << big + "0,0;" << 3 << 0; // delivered in pieces
    QTest::newRow("NaN and huge") << "nan.plt" << QByteArray("IN;PU0,0;PDNaN,5,1e300,1,2147483647,0,10,10;") << -1 << 0;
    // Nothing loaded: the earlier drawing stays.
    QTest::newRow("capital suffix") << "upper.PLT" << QByteArray("IN;PU0,0;PD10,10;PD20,0;PU;PD9,9;") << 1 << 1;
    QTest::newRow("other suffix") << "notes.txt" << QByteArray("IN;PU0,0;PD10,10;") << 1 << 1;
    // Cannot be opened: the layout stays, the paths go.
    QTest::newRow("missing") << "missing.plt" << QByteArray() << 0 << 1;
    QTest::newRow("blanks and Chinese") << "切割 文件 1.plt" << QByteArray("IN;PU0,0;PD10,10;") << 1 << 0;
}

// Nothing crashes, each case says so in the log or on the page, and the picture stays inside the item.
void TestPltQuickView::badInput()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(int, paths);
    QFETCH(int, marks);
    NotifierRecorder recorder;
    PltQuickView view;
    view.setSize(QSizeF(640, 360));
    view.setFile(file("before.plt", "IN;PS8000,4000,0,0,4;MD0,0,8000,4000,0;PU0,0;PD100,100;"));
    const QString path = QDir::current().absoluteFilePath(name);
    if (!bytes.isNull())
        writeFile(path, bytes);
    QSignalSpy changed(&view, &PltQuickView::fileChanged);
    view.setFile(path);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(view.file(), path);
    if (paths == 0)
        QVERIFY(view.paths().isEmpty());
    else if (paths > 0)
        QVERIFY2(view.paths().size() >= paths, qPrintable(QString::number(view.paths().size())));
    if (marks >= 0)
        QCOMPARE(view.layout().hasMarks, marks == 1);
    QCOMPARE(recorder.titles(), bytes.isNull() ? QStringList{"Graphics"} : QStringList());
    QCOMPARE(recorder.messages(), bytes.isNull() ? QStringList{"Open File Error"} : QStringList());
    const QImage image = render(view);
    QCOMPARE(image.pixel(0, 0), qRgb(255, 255, 255));
    QCOMPARE(image.pixel(image.width() - 1, image.height() - 1), qRgb(255, 255, 255));
}

// A page in an item of 4 pixels or less has no room: white only, nothing mirrored.
void TestPltQuickView::tooSmallAnItem()
{
    for (const QSizeF size : {QSizeF(4, 300), QSizeF(300, 3), QSizeF(1, 1)}) {
        PltQuickView view;
        view.setSize(size);
        view.setFile(file("small.plt", "IN;PS8000,4000,0,0,4;MD0,0,8000,4000,0;PU0,0;PD8000,4000;"));
        const QImage image = render(view);
        QVERIFY(bounds(image, [](QRgb c) { return c != qRgb(255, 255, 255); }).isNull());
    }
}

DRAVO_GUI_TEST_MAIN(TestPltQuickView)
#include "tst_pltquickview.moc"
