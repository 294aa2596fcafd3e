#include "tests/app/AppTestSupport.h"

#include "platform/graphics/GPage.h"
#include "platform/graphics/GScene.h"
#include "views/cutpreview/GraphicsView.h"
#include "views/cutpreview/PltQuickView.h"
#include "views/QuickItemWidget.h"
#include "platform/graphics/scenefiles/SceneWriter.h"
#include "app/startup/QmlSetup.h"

#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QSignalSpy>

// The camera page's part for a test: records what it is asked and answers
// each label capture with an image, as the QML camera does.
class StandInCamera : public QObject
{
    Q_OBJECT
public:
    QList<int> asked;
signals:
    void capture(const QVariant &camera);
    void capturedMarkImage(int id, const QVariant &img);
    void capturedLabelImage(int id, const QVariant &img);
public:
    StandInCamera()
    {
        connect(this, &StandInCamera::capture, this, [this](const QVariant &camera) {
            asked << camera.toInt();
            emit capturedLabelImage(camera.toInt(), QImage(16, 16, QImage::Format_RGB888));
        }, Qt::QueuedConnection);
    }
};

// The application object's side of the views: the cut view handed to the
// cut-file page, fitted when a file opens, and the label-capture request that
// a template load starts.
class TestAppViews : public QObject
{
    Q_OBJECT

    // A page with a printed background (the label template's source).
    static QString sceneWithBackground(const QString &dir)
    {
        SceneData data;
        data.hasPage = true;
        data.hasMark = true;
        data.pageMm = QSizeF(100, 200);
        data.markType = 1;
        data.markSizeMm = 3;
        data.markAreaMm = QRectF(5, 5, 90, 190);
        data.paths.append({QPainterPath(), 1});
        data.paths.last().path.addRect(QRectF(40, 40, 100, 60));
        data.background = QImage(60, 120, QImage::Format_RGB888);
        data.background.fill(QColor(200, 210, 220));
        const QString file = dir + QStringLiteral("/printed.tqc");
        return SceneWriter::writeFile(file, SceneWriter::tqc(data)) ? file : QString();
    }

private slots:
    void pagesHostTheViewAndPreviewTheFile();
    void labelCaptureAfterTemplateLoad_data();
    void labelCaptureAfterTemplateLoad();
};

// As the pages use them: the application's one cut view on the cut scene,
// handed through QML to its host item (and staying the application's), refitted
// when a file opens; the preview bound to the copy of the opened file.
void TestAppViews::pagesHostTheViewAndPreviewTheFile()
{
    AppFixture fx("[Dravolinte]\nwaitCapture=100\n"); // the open's label request finds no camera
    DravolinteApp &app = AppFixture::app();
    auto *view = qobject_cast<GraphicsView *>(app.getCutGraphicsView().value<QWidget *>());
    QVERIFY(view && view->scene() == app.cutScene());
    QmlSetup::registerTypes(); // as the program registers them
    QQmlEngine engine;
    engine.rootContext()->setContextProperty(QStringLiteral("app"), &app);
    QQmlComponent component(&engine);
    component.setData("import QtQuick 2.0\nimport QuickItemWidget 1.0\nimport PltQuickView 1.0\n"
                      "Item { QuickItemWidget { objectName: 'host'; width: 300; height: 500;"
                      "                         widget: app.getCutGraphicsView(); enabled: false }"
                      "       PltQuickView { objectName: 'preview'; width: 320; height: 200; file: app.cutShowFile } }",
                      QUrl());
    std::unique_ptr<QObject> root(component.create());
    QVERIFY2(root, qPrintable(component.errorString()));
    auto *host = root->findChild<QuickItemWidget *>(QStringLiteral("host"));
    auto *preview = root->findChild<PltQuickView *>(QStringLiteral("preview"));
    QVERIFY(host && preview && host->hostedWidget() == view && !view->isEnabled());
    view->resize(300, 500); // as the window would place it
    app.onOpenScene(sceneWithBackground(fx.dir.path()));
    const QRectF page = view->mapFromScene(app.cutScene()->page()->sceneRect()).boundingRect();
    QVERIFY2(page.width() > 200 && page.width() < 300, qPrintable(QString::number(page.width())));
    QCOMPARE(preview->file(), fx.dir.filePath(QStringLiteral("showplt.plt")));
    QCOMPARE(preview->paths().size(), 1);
    QVERIFY(preview->layout().hasMarks);
    root.reset();
    QCOMPARE(QQmlEngine::objectOwnership(view), QQmlEngine::CppOwnership);
    QCOMPARE(app.getCutGraphicsView().value<QWidget *>(), view); // the page went, the view stays
}

void TestAppViews::labelCaptureAfterTemplateLoad_data()
{
    QTest::addColumn<bool>("trim");
    QTest::newRow("trim off: the check camera now") << false;
    QTest::newRow("trim on: the collect side's moment") << true;
}

// A template load asks for one label image, on a thread of its own: of the
// check camera (camera 2), or, trimming, through labelDoCapture.
void TestAppViews::labelCaptureAfterTemplateLoad()
{
    QFETCH(bool, trim);
    AppFixture fx(trim ? "[Dravolinte]\nTrim=true\nwaitCapture=60000\n" : "[Dravolinte]\nTrim=false\nwaitCapture=60000\n");
    DravolinteApp &app = AppFixture::app();
    StandInCamera camera;
    app.connectCamera(&camera);
    QSignalSpy labels(&app, &DravolinteApp::labelDoCapture);
    app.onOpenScene(sceneWithBackground(fx.dir.path()));
    if (trim) {
        QTRY_COMPARE_WITH_TIMEOUT(labels.count(), 1, 30000);
        QVERIFY(camera.asked.isEmpty());
    } else {
        QTRY_COMPARE_WITH_TIMEOUT(camera.asked, QList<int>{2}, 30000);
        QCOMPARE(labels.count(), 0);
    }
    app.connectCamera(nullptr);
}

DRAVO_APP_TEST_MAIN(TestAppViews)
#include "tst_appviews.moc"
