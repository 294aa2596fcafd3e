#include "GMarkItem.h"
#include "GPage.h"
#include "GPathItem.h"
#include "GPathProcess.h"
#include "GScene.h"
#include "GSp.h"
#include "TestMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QSettings>
#include <cmath>

namespace {

// A 300 x 200 mm page (length x width), marked area from 10 mm across and 5 mm along, 280 x 190 mm.
const QByteArray kHeader = "IN;PS12000,8000,200,400,1,120,0,3200;MD1,120,11200,7600,2;";

void write(const QString &name, const QByteArray &bytes)
{
    QFile file(name);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Labels in a grid: an outline with a small hole each.
QByteArray labels(int rows, int cols)
{
    QByteArray text = kHeader + "SP1;";
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            const int x = r * 1200 + 100;
            const int y = c * 900 + 100;
            text += QStringLiteral("PU%1,%2;PD%3,%2,%3,%4,%1,%4,%1,%2;").arg(x).arg(y).arg(x + 1000).arg(y + 800).toLatin1();
            text += QStringLiteral("PU%1,%2;PD%3,%2,%3,%4,%1,%4,%1,%2;")
                        .arg(x + 400).arg(y + 300).arg(x + 500).arg(y + 400).toLatin1();
        }
    }
    return text;
}

QList<QPolygonF> geometry(const QList<GPathItem *> &items)
{
    QList<QPolygonF> out;
    for (const GPathItem *item : items)
        out << item->scenePath().toSubpathPolygons();
    return out;
}

QList<GPathItem *> cutItems(const GScene &scene)
{
    QList<GItem *> items;
    scene.exportCutItems(items, false, false, false);
    return scene.sortCutItems(items);
}

bool near(const QList<QPolygonF> &a, const QList<QPolygonF> &b)
{
    if (a.size() != b.size())
        return false;
    for (int i = 0; i < a.size(); ++i) {
        if (a[i].size() != b[i].size())
            return false;
        for (int k = 0; k < a[i].size(); ++k) {
            if (QLineF(a[i][k], b[i][k]).length() > 1e-6)
                return false;
        }
    }
    return true;
}

} // namespace

class TestGScene : public QObject
{
    Q_OBJECT
private slots:
    void emptyScene();
    void openWithHeader();
    void callersAreaFormula();
    void exportReadsBack();
    void sceneFileRoundTrip();
    void sortKeepsEveryItem();
    void toolCompensation();
    void turnedItems();
    void flags();
    void toolTable();
    void badFiles_data();
    void badFiles();
    void manyPaths();
};

void TestGScene::emptyScene()
{
    GScene scene;
    QVERIFY(!scene.page());
    QVERIFY(scene.gItemAll().isEmpty());
    QVERIFY(scene.gSelectedItems().isEmpty());
    QList<GItem *> items{nullptr};
    scene.exportCutItems(items);
    QVERIFY(items.isEmpty());
    QVERIFY(scene.sortCutItems({}).isEmpty());
    QVERIFY(scene.bkImage().isNull());
    QVERIFY(scene.rowSegments().isEmpty() && scene.colSegments().isEmpty());
    QVERIFY(!scene.containSX() && !scene.isSort());
    QVERIFY(scene.sp(1));
    QCOMPARE(scene.sp(1)->index(), 1);
    QCOMPARE(GPathProcess::point2Mm(scene.sp(1)->knifeCompensate()), 0.2);
    QVERIFY(!scene.sp(9));
    QVERIFY(!scene.savePrintFile("none.pdf"));
}

void TestGScene::openWithHeader()
{
    write("cut.plt", labels(2, 3));
    GScene scene;
    QVERIFY(scene.openFile("cut.plt", false));
    QVERIFY(scene.page());
    GMarkItem *mark = scene.page()->markItem();
    QVERIFY(mark);
    const QPageLayout layout = scene.page()->layout();
    QCOMPARE(layout.fullRect(QPageLayout::Millimeter), QRectF(0, 0, 200, 300));
    QCOMPARE(layout.paintRect(QPageLayout::Millimeter), QRectF(10, 5, 190, 280));
    QCOMPARE(layout.pageSize().definitionSize(), QSizeF(200, 300));
    QCOMPARE(mark->markType(), 1);
    QCOMPARE(mark->markSize(), 3.0);
    QCOMPARE(mark->multiOffset(), (QList<double>{0, GPathProcess::mm2Point(80)}));
    QCOMPARE(mark->markedRect(), GPathProcess::mm2Point(QRectF(5, 10, 280, 190)));
    QCOMPARE(mark->srcRect(), GPathProcess::mm2Point(QRectF(0, 0, 300, 200)));
    QCOMPARE(scene.page()->sceneRect(), mark->srcRect());
    QCOMPARE(scene.gItemAll().size(), 13); // the mark and twelve paths
    const QList<GPathItem *> paths = cutItems(scene);
    QCOMPARE(paths.size(), 12);
    // The first outline starts 100 plotter units into the marked area on both axes; x runs along the web.
    const QPointF start = paths.front()->scenePath().elementAt(0);
    QCOMPARE(start, mark->markedRect().topLeft() + GPathProcess::hpgl2Point(QPointF(100, 100)));
    QCOMPARE(scene.rowSegments().size(), 2);
    QCOMPARE(scene.colSegments().size(), 3);
    QCOMPARE(scene.rowSegments().front().start, 5 + 2.5);
    QCOMPARE(scene.fileName(), QStringLiteral("cut.plt"));
}

// Callers find the marked area as the page adjusted by the margins, its size in
// marks along the web first; the first mark is where the cut data starts.
void TestGScene::callersAreaFormula()
{
    write("cut.plt", labels(1, 1));
    GScene scene;
    QVERIFY(scene.openFile("cut.plt"));
    const GMarkItem *mark = scene.page()->markItem();
    const QMarginsF m = mark->margins();
    const QRectF r = scene.page()->layout().fullRect(QPageLayout::Millimeter).adjusted(m.left(), m.top(), m.right(), m.bottom());
    QCOMPARE(r, QRectF(10, 5, 190, 280));
    const QRectF points = GPathProcess::mm2Point(r);
    QCOMPARE(QSizeF(points.height(), points.width()), mark->markedRect().size());
}

void TestGScene::exportReadsBack()
{
    write("cut.plt", labels(2, 2));
    GScene scene;
    QVERIFY(scene.openFile("cut.plt"));
    QVERIFY(scene.exportFile("out.plt", {}));
    GScene again;
    QVERIFY(again.openFile("out.plt"));
    QCOMPARE(again.page()->layout().fullRect(QPageLayout::Millimeter), scene.page()->layout().fullRect(QPageLayout::Millimeter));
    QCOMPARE(again.page()->markItem()->margins(), scene.page()->markItem()->margins());
    QCOMPARE(again.page()->markItem()->multiOffset(), scene.page()->markItem()->multiOffset());
    QVERIFY(near(geometry(cutItems(again)), geometry(cutItems(scene))));
    // Only the items given.
    QList<GItem *> two{cutItems(scene)[1], cutItems(scene)[2]};
    QVERIFY(scene.exportFile("two.plt", two));
    QVERIFY(again.openFile("two.plt"));
    QVERIFY(near(geometry(cutItems(again)), geometry({cutItems(scene)[1], cutItems(scene)[2]})));
}

void TestGScene::sceneFileRoundTrip()
{
    write("cut.plt", labels(3, 2));
    GScene scene;
    QVERIFY(scene.openFile("cut.plt"));
    scene.enableSort(true);
    scene.setSortSP(true);
    scene.setSortInside(true);
    scene.sp(1)->setGSpFlag(GSp::KnifeCompensation, true);
    scene.sp(1)->setKnifeCompensate(GPathProcess::mm2Point(0.5));
    QImage background(30, 45, QImage::Format_RGB32);
    background.fill(Qt::darkCyan);
    scene.setBkImage(background);
    const QList<GPathItem *> order = cutItems(scene);
    QVERIFY(scene.saveSceneFile("page.tqc"));
    QVERIFY(QFile::copy("page.tqc", "showplt.plt"));
    for (const QString &name : {QStringLiteral("page.tqc"), QStringLiteral("showplt.plt")}) {
        GScene back;
        QVERIFY(back.openFile(name));
        QVERIFY(back.containSX()); // the order written is kept
        QVERIFY(near(geometry(cutItems(back)), geometry(order)));
        QCOMPARE(back.sp(1)->flags(), int(GSp::KnifeCompensation));
        QCOMPARE(back.sp(1)->knifeCompensate(), GPathProcess::mm2Point(0.5));
        QCOMPARE(back.bkImage().format(), QImage::Format_RGB888);
        QCOMPARE(back.bkImage(), background.convertToFormat(QImage::Format_RGB888));
        QCOMPARE(back.rowSegments(), scene.rowSegments());
        QCOMPARE(back.colSegments(), scene.colSegments());
        QCOMPARE(back.page()->markItem()->markType(), 1);
        QCOMPARE(back.page()->layout().fullRect(QPageLayout::Millimeter), QRectF(0, 0, 200, 300));
    }
}

void TestGScene::sortKeepsEveryItem()
{
    QByteArray text = "IN;SP1;";
    QRandomGenerator random(3);
    for (int i = 0; i < 2000; ++i) {
        const int x = random.bounded(20000);
        const int y = random.bounded(8000);
        const int s = 10 + random.bounded(600);
        text += QStringLiteral("PU%1,%2;PD%3,%2,%3,%4,%1,%4,%1,%2;").arg(x).arg(y).arg(x + s).arg(y + s).toLatin1();
    }
    write("random.plt", text);
    GScene scene;
    QVERIFY(scene.openFile("random.plt"));
    QList<GItem *> items;
    scene.exportCutItems(items);
    QCOMPARE(items.size(), 2000);
    QList<GItem *> input = items;
    input << items.front() << scene.page()->markItem(); // a repeat and a non-path item
    for (int mode = 0; mode < 8; ++mode) {
        scene.enableSort(mode & 1);
        scene.setSortSP(mode & 2);
        scene.setSortInside(mode & 4);
        const QList<GPathItem *> order = scene.sortCutItems(input);
        QCOMPARE(order.size(), 2000);
        QCOMPARE(QSet<GPathItem *>(order.begin(), order.end()).size(), 2000);
        if (!(mode & 1))
            QVERIFY(order.front() == items.front()); // no sorting: as given
    }
}

void TestGScene::toolCompensation()
{
    write("cut.plt", labels(1, 1));
    GScene scene;
    QVERIFY(scene.openFile("cut.plt"));
    GPathItem *outline = cutItems(scene).front();
    QCOMPARE(outline->cutPath(), outline->scenePath());
    GSp *tool = scene.sp(1);
    tool->setGSpFlag(GSp::KnifeCompensation, true);
    const QList<QPolygonF> knife = outline->cutPath().toSubpathPolygons();
    QCOMPARE(knife.size(), 1);
    QVERIFY(GPathProcess::isClosed(knife.front()));
    QVERIFY(knife.front().size() > 5);
    tool->setGSpFlag(GSp::CloseCompensation, true);
    tool->setGSpFlag(GSp::KnifeCompensation, false);
    tool->setCloseCompensate(GPathProcess::mm2Point(1));
    const QPolygonF over = outline->cutPath().toSubpathPolygons().front();
    QCOMPARE(over.size(), 6);
    QCOMPARE(QLineF(over[4], over[5]).length(), GPathProcess::mm2Point(1));
    QVERIFY(over[4] == over[0]); // it passes its start again before running on
    QCOMPARE(tool->flags(), int(GSp::CloseCompensation));
}

// The turned page of reverse cutting: a transform combined into every cut item.
// Turned about the page's centre and moved by the margins' sums (in the scene
// frame: along the web by top + bottom, across by left + right), the page's
// marked area lands on itself, so turned cut data starts at the first mark.
void TestGScene::turnedItems()
{
    write("cut.plt", labels(1, 1)); // the marked area is off centre: insets 5 and 15 mm along, 10 and 0 across
    GScene scene;
    QVERIFY(scene.openFile("cut.plt"));
    const GMarkItem *mark = scene.page()->markItem();
    const QMarginsF m = GPathProcess::mm2Point(mark->margins());
    const QPointF c = mark->srcRect().center();
    QTransform turn;
    turn.translate(c.x(), c.y());
    turn.rotateRadians(M_PI);
    turn.translate(-c.x(), -c.y());
    turn.translate(-(m.top() + m.bottom()), -(m.left() + m.right()));
    const QRectF area = mark->markedRect();
    const QRectF turned = turn.mapRect(area);
    QVERIFY(QLineF(turned.topLeft(), area.topLeft()).length() < 1e-9);
    QVERIFY(QLineF(turned.bottomRight(), area.bottomRight()).length() < 1e-9);

    const QList<GPathItem *> items = cutItems(scene);
    const QPointF before = items.front()->scenePath().elementAt(0);
    QList<GItem *> all;
    scene.exportCutItems(all);
    for (GItem *item : all)
        item->setTransform(turn, true);
    const QPointF after = items.front()->scenePath().elementAt(0);
    QVERIFY(QLineF(after, turn.map(before)).length() < 1e-9);
    QVERIFY(QLineF(items.front()->cutPath().elementAt(0), after).length() < 1e-9);
    QVERIFY(area.contains(after));
}

void TestGScene::flags()
{
    write("cut.plt", labels(1, 2));
    GScene scene;
    QVERIFY(!scene.showMargin());
    scene.setGSceneFlag(GScene::GSF_ShowMargin, true);
    QVERIFY(scene.showMargin());
    QVERIFY(scene.openFile("cut.plt", true));
    QCOMPARE(scene.gSelectedItems().size(), 4);
    QVERIFY(!scene.page()->markItem()->isVisible());
    scene.setGSceneFlag(GScene::GSF_Locked, true);
    scene.setGSceneFlag(GScene::GSF_ShowMarks, true);
    QVERIFY(scene.page()->markItem()->isVisible());
    QVERIFY(scene.openFile("cut.plt", true));
    QVERIFY(scene.gSelectedItems().isEmpty());
    QList<GItem *> selected;
    scene.exportCutItems(selected, true);
    QVERIFY(selected.isEmpty());
}

void TestGScene::toolTable()
{
    GScene scene;
    GSp *tool = scene.sp(1);
    tool->setGSpFlag(GSp::CloseCompensation, true);
    tool->setGSpFlag(GSp::KnifeCompensation, true);
    tool->setGSpFlag(GSp::CloseCompensation, false);
    tool->setCloseCompensate(GPathProcess::mm2Point(0.3));
    tool->setKnifeCompensate(-1); // refused
    {
        QSettings settings("tools.ini", QSettings::IniFormat);
        tool->writeTable(settings);
    }
    QSettings settings("tools.ini", QSettings::IniFormat);
    QCOMPARE(settings.value("SP1//color").toInt(), 0);
    QCOMPARE(settings.value("SP1//index").toInt(), 1);
    QCOMPARE(settings.value("SP1//flags").toInt(), 2);
    QCOMPARE(settings.value("SP1//closeCompensate").toDouble(), GPathProcess::mm2Point(0.3));
    QCOMPARE(settings.value("SP1//knifeCompensate").toDouble(), GPathProcess::mm2Point(0.2));
    QCOMPARE(settings.value("SP1//toolUpAngle").toDouble(), 30.0);
    QCOMPARE(settings.value("SP1//repeat").toInt(), 1);
    QCOMPARE(GPathProcess::point2Mm(tool->closeCompensate()), 0.3);
}

void TestGScene::badFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("opened");
    QTest::addColumn<int>("paths");
    QByteArray binary;
    for (int i = 0; i < 50000; ++i)
        binary += char(i * 37 ^ (i >> 5));
    QTest::newRow("empty") << QByteArray() << false << 0;
    QTest::newRow("binary") << binary << false << -1;
    QTest::newRow("truncated") << (kHeader + "PU0,0;PD400,0,400,4") << true << 1;
    QTest::newRow("header only") << kHeader << true << 0;
    QTest::newRow("NaN and huge") << QByteArray("IN;PU0,0;PDnan,nan,1e400,3;PD9999999999,0;PU;PD10,10,20,20;") << true << 1;
    QTest::newRow("damaged scene file") << QByteArray("IN;CO\"TQC 1\";CO\"SCENE !!!\";CO\"IMAGE ???\";PU0,0;PD5,5;")
                                        << true << 1;
}

void TestGScene::badFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, opened);
    QFETCH(int, paths);
    write("bad.plt", bytes);
    GScene scene;
    const bool ok = scene.openFile("bad.plt");
    if (paths >= 0) {
        QCOMPARE(ok, opened);
        QCOMPARE(cutItems(scene).size(), paths);
    }
    QCOMPARE(scene.page() != nullptr, ok);
    if (!ok)
        QVERIFY(scene.gItemAll().isEmpty());
    GScene missing;
    QVERIFY(!missing.openFile("no such file.plt"));
    QVERIFY(!missing.page());
}

// A file of far too many separate paths opens partly, quickly, and clears quickly.
void TestGScene::manyPaths()
{
    QByteArray text = "IN;";
    text.reserve(1000000 * 16);
    for (int i = 0; i < 1000000; ++i)
        text += "PU" + QByteArray::number(i % 5000) + ",0;PD1,1;";
    write("many.plt", text);
    QElapsedTimer timer;
    timer.start();
    GScene scene;
    QVERIFY(scene.openFile("many.plt"));
    QCOMPARE(cutItems(scene).size(), 250000);
    scene.gClear();
    QVERIFY(scene.gItemAll().isEmpty());
    QVERIFY2(timer.elapsed() < 20000, qPrintable(QString::number(timer.elapsed())));
}

DRAVO_GUI_TEST_MAIN(TestGScene)
#include "tst_gscene.moc"
