#include "platform/graphics/GPage.h"
#include "platform/graphics/GScene.h"
#include "views/cutpreview/GraphicsView.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestMain.h"

#include <QApplication>
#include <QImage>
#include <algorithm>

namespace {

const QRgb kGray = QColor(Qt::gray).rgb();

// A page of 200 x 100 mm with its marked area 10 mm inside, one path.
bool openPage(GScene &scene)
{
    writeFile("page.plt", "IN;PS8000,4000,400,400,1;MD1,0,7200,3200,0;PU1000,1000;PD3000,1000;");
    return scene.openFile("page.plt");
}

QImage picture(GraphicsView &view)
{
    QImage image(view.viewport()->size(), QImage::Format_RGB32);
    view.viewport()->render(&image);
    return image;
}

// The darkness summed across a line (0..1 per pixel): its width in pixels.
// Taken across the left edge of `frame` (viewport pixels), at every row of
// its middle half; the dashes give about the same sum, the gaps none.
double lineWidth(const QImage &image, const QRectF &frame)
{
    QList<double> sums;
    const int x = qRound(frame.left());
    const int top = std::max(0, int(frame.top() + frame.height() / 4));
    const int bottom = std::min(image.height(), int(frame.bottom() - frame.height() / 4));
    for (int y = top; y < bottom; ++y) {
        double sum = 0;
        for (int dx = -4; dx <= 4; ++dx)
            sum += 1.0 - qGray(image.pixel(x + dx, y)) / 255.0;
        if (sum > 0.5)
            sums << sum;
    }
    if (sums.size() < 10)
        return 0;
    std::sort(sums.begin(), sums.end());
    return sums[sums.size() / 2];
}

} // namespace

class TestGraphicsView : public QObject
{
    Q_OBJECT
private slots:
    void withoutPageGrayAndZoomKept();
    void disabledFitsThePageWithBorder();
    void enabledKeepsItsZoom();
    void pageWhiteMarginThinAtEveryZoom();
};

// Before the first file and after a clear: gray only, nothing fitted.
void TestGraphicsView::withoutPageGrayAndZoomKept()
{
    GScene scene;
    scene.setGSceneFlag(GScene::GSF_ShowMargin, true);
    GraphicsView view;
    view.setScene(&scene);
    view.setEnabled(false);
    view.resize(400, 300);
    const QTransform turned = view.transform();
    QCOMPARE(turned, QTransform().rotate(-90));
    view.refreshView();
    view.resize(500, 300);
    QCOMPARE(view.transform(), turned);
    QImage image = picture(view);
    QCOMPARE(image.pixel(10, 10), kGray);
    QCOMPARE(image.pixel(250, 150), kGray);

    QVERIFY(openPage(scene));
    view.refreshView();
    QVERIFY(view.transform() != turned);
    const QTransform fitted = view.transform();
    scene.gClear();
    view.refreshView();
    view.resize(300, 300);
    QCOMPARE(view.transform(), fitted);
    image = picture(view);
    QCOMPARE(image.pixel(150, 150), kGray);
}

// Disabled, as the cut-file page shows it: the whole page turned by -90
// degrees, with 10 points round it, fills the view, again after a resize.
void TestGraphicsView::disabledFitsThePageWithBorder()
{
    GScene scene;
    QVERIFY(openPage(scene));
    GraphicsView view;
    view.setScene(&scene);
    view.setEnabled(false);
    for (const QSize size : {QSize(300, 500), QSize(600, 300)}) {
        view.resize(size);
        view.refreshView();
        const QRectF page = scene.page()->sceneRect();
        const QRectF bordered = view.mapFromScene(page.adjusted(-10, -10, 10, 10)).boundingRect();
        const QRect viewport = view.viewport()->rect();
        // The limiting side spans the viewport (fitInView keeps 2 pixels free), the other fits inside.
        const bool fillsWidth = std::fabs(bordered.width() - (viewport.width() - 4)) <= 2;
        const bool fillsHeight = std::fabs(bordered.height() - (viewport.height() - 4)) <= 2;
        QVERIFY2(fillsWidth || fillsHeight, qPrintable(QStringLiteral("%1 x %2").arg(bordered.width()).arg(bordered.height())));
        QVERIFY(bordered.width() <= viewport.width() && bordered.height() <= viewport.height());
        // The page's length (scene x) runs up the screen, its width to the right.
        const QPointF origin = view.mapFromScene(page.topLeft());
        QVERIFY(view.mapFromScene(page.topRight()).y() < origin.y() - 50);
        QVERIFY(view.mapFromScene(page.bottomLeft()).x() > origin.x() + 50);
    }
}

// Enabled, the user's zoom stays through a refresh and a resize.
void TestGraphicsView::enabledKeepsItsZoom()
{
    GScene scene;
    QVERIFY(openPage(scene));
    GraphicsView view;
    view.setScene(&scene);
    view.resize(400, 400);
    view.scale(3, 3);
    const QTransform zoom = view.transform();
    view.refreshView();
    view.resize(640, 480);
    QCOMPARE(view.transform(), zoom);
}

// White page once the scene has items, gray round it; the margins a dash-dot
// frame about 1.2 pixels wide whatever the zoom.
void TestGraphicsView::pageWhiteMarginThinAtEveryZoom()
{
    GScene scene;
    scene.setGSceneFlag(GScene::GSF_ShowMargin, true);
    QVERIFY(openPage(scene));
    QVERIFY(!scene.gItemAll().isEmpty());
    GraphicsView view;
    view.setScene(&scene);
    view.setEnabled(false);
    view.resize(500, 800);
    view.refreshView();
    QList<double> widths;
    for (double zoom : {1.0, 2.5}) {
        const QRectF margins = scene.page()->paintSceneRect();
        if (zoom != 1.0) {
            view.setEnabled(true);
            view.scale(zoom, zoom);
            view.centerOn(margins.center().x(), margins.top()); // its left edge on the screen
        }
        const QImage image = picture(view);
        const QRectF page = view.mapFromScene(scene.page()->sceneRect()).boundingRect();
        const QRectF frame = view.mapFromScene(margins).boundingRect();
        if (zoom == 1.0)
            QCOMPARE(image.pixel(2, 2), kGray);
        const QPoint inside = ((page.topLeft() + frame.topLeft()) / 2).toPoint();
        if (view.viewport()->rect().contains(inside))
            QCOMPARE(image.pixel(inside), qRgb(255, 255, 255));
        widths << lineWidth(image, frame);
    }
    for (double w : widths)
        QVERIFY2(std::fabs(w - GraphicsView::kMarginPx) < 0.3, qPrintable(QString::number(w)));
}

DRAVO_GUI_TEST_MAIN(TestGraphicsView)
#include "tst_graphicsview.moc"
