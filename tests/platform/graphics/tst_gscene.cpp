#include "platform/graphics/GMarkItem.h"
#include "platform/graphics/GPage.h"
#include "platform/graphics/GPathItem.h"
#include "platform/graphics/paths/GPathProcess.h"
#include "platform/graphics/GScene.h"
#include "platform/graphics/GSp.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestMain.h"
#include "tests/support/TimeRatio.h"

#include <QApplication>

using P = GPathProcess;

namespace {

// A 300 x 200 mm page (length x width), marked area from 10 mm across and 5 mm along, 280 x 190 mm.
const QByteArray kHeader = "IN;PS12000,8000,200,400,1,120,0,3200;MD1,120,11200,7600,2;";

QByteArray rect(int x, int y, int w, int h)
{
    return QStringLiteral("PU%1,%2;PD%3,%2,%3,%4,%1,%4,%1,%2;").arg(x).arg(y).arg(x + w).arg(y + h).toLatin1();
}

// Labels in a grid, each an outline with a small hole, opened into the scene.
bool openLabels(GScene &scene, int rows, int cols, bool selectAll = false)
{
    QByteArray text = kHeader + "SP1;";
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c)
            text += rect(r * 1200 + 100, c * 900 + 100, 1000, 800) + rect(r * 1200 + 500, c * 900 + 400, 100, 100);
    return writeFile("cut.plt", text) && scene.openFile("cut.plt", selectAll);
}

QList<GPathItem *> cutItems(const GScene &scene)
{
    QList<GItem *> items;
    scene.exportCutItems(items);
    return scene.sortCutItems(items);
}

// The same cut geometry, to a millionth of a point.
bool near(const QList<GPathItem *> &a, const QList<GPathItem *> &b)
{
    bool same = a.size() == b.size();
    for (int i = 0; same && i < a.size(); ++i) {
        const QPainterPath x = a[i]->scenePath(), y = b[i]->scenePath();
        same = x.elementCount() == y.elementCount();
        for (int k = 0; same && k < x.elementCount(); ++k)
            same = QLineF(x.elementAt(k), y.elementAt(k)).length() <= 1e-6;
    }
    return same;
}

} // namespace

class TestGScene : public QObject
{
    Q_OBJECT
private slots:
    // An empty scene answers with null and empty values, never a crash.
    void emptyScene()
    {
        GScene scene;
        QList<GItem *> items{nullptr};
        scene.exportCutItems(items);
        QVERIFY(!scene.page() && scene.gItemAll().isEmpty() && items.isEmpty() && scene.sortCutItems({}).isEmpty());
        QVERIFY(scene.bkImage().isNull() && scene.rowSegments().isEmpty() && scene.colSegments().isEmpty());
        QVERIFY(scene.sp(1) && !scene.sp(9) && !scene.savePrintFile("none.pdf"));
    }

    // Opening selects every item when asked, unless the scene is locked.
    void openWithHeader()
    {
        GScene scene;
        QVERIFY(openLabels(scene, 2, 3, true));
        QCOMPARE(scene.gSelectedItems().size(), 12);
        const GMarkItem *mark = scene.page() ? scene.page()->markItem() : nullptr;
        QVERIFY(mark);
        const QPageLayout layout = scene.page()->layout();
        QCOMPARE(layout.fullRect(QPageLayout::Millimeter), QRectF(0, 0, 200, 300));
        QCOMPARE(mark->multiOffset(), (QList<double>{0, P::mm2Point(80)}));
        QCOMPARE(mark->markedRect(), P::mm2Point(QRectF(5, 10, 280, 190)));
        QCOMPARE(scene.gItemAll().size(), 13); // the mark and twelve paths
        // The first outline starts 100 plotter units into the marked area on both axes; x runs along the web.
        const QPointF start = cutItems(scene).front()->scenePath().elementAt(0);
        QCOMPARE(start, mark->markedRect().topLeft() + P::hpgl2Point(QPointF(100, 100)));
        QCOMPARE(scene.rowSegments().size(), 2);
        QVERIFY(!mark->isVisible());
        scene.setGSceneFlag(GScene::GSF_Locked, true);
        scene.setGSceneFlag(GScene::GSF_ShowMarks, true);
        QVERIFY(scene.page()->markItem()->isVisible());
        QVERIFY(scene.openFile("cut.plt", true));
        QVERIFY(scene.gSelectedItems().isEmpty());
    }

    // Nothing selected (a locked scene never has a selection) exports every cut item; given items, only those.
    void exportReadsBack()
    {
        GScene scene, again;
        QVERIFY(openLabels(scene, 2, 2));
        QVERIFY(scene.exportFile("out.plt", {}));
        QVERIFY(again.openFile("out.plt"));
        QCOMPARE(again.page()->layout().fullRect(QPageLayout::Millimeter), QRectF(0, 0, 200, 300));
        QCOMPARE(again.page()->markItem()->multiOffset(), scene.page()->markItem()->multiOffset());
        QVERIFY(near(cutItems(again), cutItems(scene)));
        QVERIFY(scene.exportFile("two.plt", {cutItems(scene)[1], cutItems(scene)[2]}));
        QVERIFY(again.openFile("two.plt"));
        QVERIFY(near(cutItems(again), {cutItems(scene)[1], cutItems(scene)[2]}));
    }

    // A scene file brings back the cut order, the background and the tool table, whose compensation
    // reaches the cut path and keeps outlines closed.
    void sceneFileRoundTrip()
    {
        GScene scene, back;
        QVERIFY(openLabels(scene, 3, 2));
        scene.enableSort(true);
        scene.setSortSP(true);
        scene.setSortInside(true);
        scene.sp(1)->setGSpFlag(GSp::KnifeCompensation, true);
        scene.sp(1)->setKnifeCompensate(P::mm2Point(0.5));
        QImage background(30, 45, QImage::Format_RGB32);
        background.fill(Qt::darkCyan);
        scene.setBkImage(background);
        QVERIFY(scene.saveSceneFile("page.tqc"));
        QVERIFY(back.openFile("page.tqc"));
        QVERIFY(back.containSX());
        QVERIFY(near(cutItems(back), cutItems(scene)));
        QCOMPARE(back.bkImage(), background.convertToFormat(QImage::Format_RGB888));
        QCOMPARE(back.rowSegments(), scene.rowSegments());
        QCOMPARE(back.sp(1)->knifeCompensate(), P::mm2Point(0.5));
        GPathItem *outline = cutItems(back).back();
        const QList<QPolygonF> knife = outline->cutPath().toSubpathPolygons();
        QVERIFY(knife.size() == 1 && P::isClosed(knife.front()) && knife.front().size() > 5);
        back.sp(1)->setGSpFlag(GSp::KnifeCompensation, false);
        back.sp(1)->setGSpFlag(GSp::CloseCompensation, true);
        back.sp(1)->setCloseCompensate(P::mm2Point(1));
        const QPolygonF over = outline->cutPath().toSubpathPolygons().front();
        QVERIFY(over.size() == 6 && over[4] == over[0]); // it passes its start again before running on
        back.sp(1)->setGSpFlag(GSp::CloseCompensation, false);
        QCOMPARE(outline->cutPath(), outline->scenePath());
    }

    // Every sort mode returns every path item once, leaving out repeats and other items.
    void sortKeepsEveryItem()
    {
        GScene scene;
        QVERIFY(openLabels(scene, 3, 3));
        QList<GItem *> items;
        scene.exportCutItems(items);
        const QList<GItem *> input = items + QList<GItem *>{items.front(), scene.page()->markItem()};
        for (int mode = 0; mode < 8; ++mode) {
            scene.enableSort(mode & 1);
            scene.setSortSP(mode & 2);
            scene.setSortInside(mode & 4);
            const QList<GPathItem *> order = scene.sortCutItems(input);
            QCOMPARE(order.size(), items.size());
            QCOMPARE(QSet<GItem *>(order.begin(), order.end()), QSet<GItem *>(items.begin(), items.end()));
        }
    }

    void badFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("paths"); // -1: not opened
        QTest::newRow("empty") << QByteArray() << -1;
        QTest::newRow("header only") << kHeader << 0;
        QTest::newRow("damaged scene file") << QByteArray("IN;CO\"TQC 1\";CO\"SCENE !!!\";PU0,0;PD5,5;") << 1;
    }
    void badFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, paths);
        QVERIFY(writeFile("bad.plt", bytes));
        GScene scene;
        QCOMPARE(scene.openFile("bad.plt"), paths >= 0);
        QCOMPARE(scene.page() != nullptr, paths >= 0);
        QCOMPARE(int(cutItems(scene).size()), qMax(paths, 0));
        QVERIFY(!scene.openFile("no such file.plt") && !scene.page());
    }

    // A file of far too many separate paths opens partly and clears in linear
    // time: eight times the items take about eight times as long to clear (a
    // clear that grows with the square, 64 times).
    void manyPaths()
    {
        GScene few, many;
        for (const auto &[scene, paths] : {std::pair{&few, 31250}, {&many, 1000000}}) {
            QByteArray text = "IN;";
            text.reserve(paths * 16);
            for (int i = 0; i < paths; ++i)
                text += "PU" + QByteArray::number(i % 5000) + ",0;PD1,1;";
            QVERIFY(writeFile("many.plt", text) && scene->openFile("many.plt"));
        }
        QCOMPARE(cutItems(few).size(), 31250);
        QCOMPARE(cutItems(many).size(), 250000);
        const double ratio = timeRatio([&] { few.gClear(); }, [&] { many.gClear(); });
        QVERIFY2(ratio < 32 && many.gItemAll().isEmpty(), qPrintable(QString::number(ratio)));
    }
};

DRAVO_GUI_TEST_MAIN(TestGScene)
#include "tst_gscene.moc"
