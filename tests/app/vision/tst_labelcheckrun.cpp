#include "views/overlays/FilmView.h"
#include "tests/support/cameras/GigEFakeCamera.h"
#include "inspection/cameras/HKCamera.h"
#include "views/overlays/LostLabelView.h"
#include "tests/views/OverlayFixture.h"
#include "platform/graphics/scenefiles/SceneWriter.h"
#include "tests/support/cameras/SimCheckCamera.h"
#include "app/startup/QmlSetup.h"
#include "tests/app/AppTestSupport.h"

#include <QApplication>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QRegularExpression>
#include <QThread>

// The label check in the application, with a check camera answering its
// capture requests: a worker's capture checks the frame, which the
// lost-label overlay then draws; on the simulated machine a missing label
// pauses a running task and a drifting web stops it.
class TestLabelCheckRun : public QObject
{
    Q_OBJECT

    static constexpr const char *kConfig =
        "[Dravolinte]\nwaitCapture=20000\nMinPaperWidthPix=500\nMaxRectifyOffset=5\nenableCheckAnomalyPause=true\n";

    static DravolinteApp &app() { return AppFixture::app(); }

    // The camera's page as the opened cut file.
    static void openPage(AppFixture &fx, const SimCheckCamera &camera)
    {
        const QString file = fx.dir.filePath(QStringLiteral("page.tqc"));
        SceneData scene = camera.page.scene(8.0);
        // Marks the task's start accepts.
        scene.hasMark = true;
        scene.markType = 0;
        scene.markSizeMm = 3;
        scene.markAreaMm = QRectF(2, 2, 96, 56);
        QVERIFY(SceneWriter::writeFile(file, SceneWriter::tqc(scene)));
        app().onOpenScene(file);
        // The new template asks for a first image; it is checked before the test goes on.
        QTRY_VERIFY_WITH_TIMEOUT(camera.answered == 1 && app().checkResult(), 20000);
    }
    // A capture asked from a worker thread, as the collect worker asks.
    static bool captureFromWorker()
    {
        std::atomic<bool> answered{false};
        std::unique_ptr<QThread> worker(QThread::create([&] { answered = app().doCapture(2); }));
        worker->start();
        return QTest::qWaitFor([&] { return worker->isFinished(); }, 30000) && worker->wait() && answered;
    }

private slots:
    // The overlays as the pages import them, each from a module of its own name.
    void overlaysInQml()
    {
        QmlSetup::registerTypes();
        QQmlEngine engine;
        QQmlComponent component(&engine);
        component.setData("import QtQuick\nimport FilmView\nimport LostLabelView\n"
                          "Item { FilmView { objectName: \"film\"; videoOutputWidth: 640; showHistory: true }\n"
                          "       LostLabelView { objectName: \"lost\"; imageH: 900 } }",
                          QUrl());
        std::unique_ptr<QObject> root(component.create());
        QVERIFY2(root, qPrintable(component.errorString()));
        auto *film = root->findChild<FilmView *>("film");
        auto *lost = root->findChild<LostLabelView *>("lost");
        QVERIFY(film && film->videoOutputWidth() == 640 && film->showHistory());
        QVERIFY(lost && lost->imageH() == 900);
    }

    // The worker wakes once its frame is checked: the result, the image size
    // after the turn, the overlay shown; the overlay draws that result.
    void captureChecksAndOverlayDraws()
    {
        AppFixture fx(kConfig);
        app().loadCheckParams();
        SimCheckCamera camera;
        app().connectCamera(&camera);
        openPage(fx, camera);
        app().setShowLostLabelView(false);
        camera.view.faults.removed = {1};
        QVERIFY(captureFromWorker());
        QCOMPARE(camera.answered.load(), 2);
        QVERIFY(app().imageWidth() == 1200 && app().imageHeight() == 900 && app().showLostLabelView());
        const auto result = app().checkResult();
        QCOMPARE(result->labels.size(), size_t(6));
        QCOMPARE(result->labels[1].status, 0);
        QVERIFY(result->labels[0].qrCodes.size() == 1 && result->labels[0].qrCodes[0].code == "LBL-0001");

        // The overlay at half the image's size, as the camera view lays it.
        QCOMPARE(OverlaySource::current(), static_cast<OverlaySource *>(&app()));
        LostLabelView view;
        view.setSize(QSizeF(600, 450));
        view.setImageH(900);
        const QImage canvas = OverlayFixture::paint(view);
        const LabelRecord &lost = result->labels[1];
        const QColor area = canvas.pixelColor((lost.x + lost.width / 2) / 2, (lost.y + lost.height / 2) / 2);
        QVERIFY2(area.red() == 255 && area.green() < 120 && area.blue() < 120, qPrintable(area.name()));
        const int x1 = result->first_edge / 2; // a line on a pixel boundary, drawn smooth over both pixels
        QVERIFY(canvas.pixelColor(x1, 5).blue() == 255 && canvas.pixelColor(x1, 5).red() < 200);
        QCOMPARE(canvas.pixelColor((result->first_edge + result->last_edge) / 4, result->segmentX / 2), QColor(Qt::red));
        app().connectCamera(nullptr);
    }

    // The same frames from the industrial camera: over GigE Vision, through
    // the grab loop, to the check of a worker's capture.
    void sameFramesThroughTheGigECamera()
    {
        LogCapture log;
        GigEFakeCamera fake;
        QVERIFY2(fake.start("CHK17"), "the fake camera found 127.0.0.1:3956 taken");
        qputenv("DRAVO_CAMERAS", "127.0.0.1");
        HKCamera::getInstance()->searchCamera(); // before the store decides the check camera is no QML camera
        AppFixture fx("[Dravolinte]\nCheck_Camera=CHK17\nwaitCapture=20000\nMinPaperWidthPix=500\n");
        app().loadCheckParams();
        SimCheckCamera scene; // its page and view, delivered by the fake camera instead
        scene.view.frame = QSize(800, 600);
        scene.view.paperLeft = 50;
        scene.view.paperRight = 750; // 7 pixels per mm
        scene.view.pageRow = 100;
        const QImage picture = scene.view.camera(scene.page, fx.config->checkCameraRotation());
        fake.setSize(picture.width(), picture.height());
        fake.write(GigEFakeCamera::kPixelFormat, 0x02180014); // RGB 8 bits
        fake.setPicture(picture);
        app().selectHKCamera(QStringLiteral("CHK17"));
        QTRY_COMPARE_WITH_TIMEOUT(app().frameImage().size(), picture.size(), 20000);
        const QString file = fx.dir.filePath(QStringLiteral("page.tqc"));
        QVERIFY(SceneWriter::writeFile(file, SceneWriter::tqc(scene.page.scene(8.0))));
        app().onOpenScene(file);

        QVERIFY(captureFromWorker());
        auto result = app().checkResult();
        QVERIFY(result && qAbs(result->first_edge - 50) <= 2 && qAbs(result->last_edge - 750) <= 2);
        QVERIFY(qAbs(result->segmentX - 100) <= 2 && result->labels.size() == 6);
        QVERIFY(result->labels[0].qrCodes.size() == 1 && result->labels[0].qrCodes[0].code == "LBL-0001");
        QCOMPARE(QSize(app().imageWidth(), app().imageHeight()), QSize(800, 600));

        scene.view.faults.removed = {2};
        fake.setPicture(scene.view.camera(scene.page, fx.config->checkCameraRotation()));
        QTRY_VERIFY_WITH_TIMEOUT(captureFromWorker() && app().checkResult()->labels.size() == 6
                                     && app().checkResult()->labels[2].status == 0, 20000);
        QCOMPARE(log.count("Thread tried to wait on itself"), 0); // a capture's check starts on no task thread
        app().selectHKCamera(QStringLiteral("NOPE"));
        HKCamera::getInstance()->closeCameras(); // let go while the fake camera still answers
        qunsetenv("DRAVO_CAMERAS");
        HKCamera::getInstance()->searchCamera();
    }

    // Pages at the camera's full size, codes and texts read, captured as a job
    // captures them: each checked once, all its labels read, its row in the
    // report in turn (each page further on than the one before).
    void fullSizePagesInTurn()
    {
        AppFixture fx(kConfig);
        for (auto read : {Config::CPT_Enable_OCR, Config::CPT_Enable_QRCode, Config::CPT_Enable_BARCode})
            fx.config->setProperty(read, true);
        app().loadCheckParams();
        SimCheckCamera camera;
        camera.view.frame = QSize(2048, 2048);
        camera.view.paperLeft = 124;
        camera.view.paperRight = 1924;
        camera.view.pageRow = 300;
        app().connectCamera(&camera);
        auto log = std::make_unique<LogCapture>();
        // The first page after a recount only starts the count: it has a row
        // only when an earlier case has checked pages already.
        const int countedBefore = app().checkedCopies();
        openPage(fx, camera);
        // The first label's row in the image, from each row's first check.
        const QRegularExpression first(
            QStringLiteral("\"lost: 0, check: 6, BAR: 2, QR: 2, OCR: \\d+\",,\"CHECK1 [^(]*\\(\\d+, (\\d+),"));
        const auto reportRows = [&first] {
            QFile report(QStringLiteral("label.csv"));
            QList<int> rows;
            if (report.open(QIODevice::ReadOnly)) {
                for (auto m = first.globalMatch(QString::fromLatin1(report.readAll())); m.hasNext();)
                    rows << m.next().captured(1).toInt();
            }
            return rows;
        };
        QTRY_COMPARE_WITH_TIMEOUT(log->count("recognition:"), 1, 20000);
        // The report row comes after the log line: the rows of the pages below only.
        QTRY_VERIFY_WITH_TIMEOUT(app().checkedCopies() > countedBefore, 20000);
        QTRY_COMPARE_WITH_TIMEOUT(reportRows().size(), countedBefore > 0 ? 1 : 0, 20000);
        QFile::remove(QStringLiteral("label.csv"));
        constexpr int kPages = 8;
        for (int k = 0; k < kPages; ++k) {
            camera.view.pageRow += 20;
            QVERIFY(captureFromWorker());
            QCOMPARE(app().checkResult()->labels.size(), size_t(6));
        }
        QStringList times;
        for (const QString &line : log->lines.filter("recognition:"))
            times << QRegularExpression(QStringLiteral("recognition:\\s+(\\S+)")).match(line).captured(1);
        log.reset();
        QCOMPARE(times.size(), kPages + 1);
        QTRY_COMPARE_WITH_TIMEOUT(reportRows().size(), kPages, 20000);
        const QList<int> rows = reportRows();
        for (int k = 1; k < kPages; ++k)
            QVERIFY2(qAbs(rows[k] - rows[k - 1] - 20) <= 2, qPrintable(QString::number(rows[k])));
        app().connectCamera(nullptr);
        qInfo().noquote() << "recognition per page (s):" << times.join(' '); // the first one loads the text engines
    }

    // A running task without cutting: a missing label pauses it, a web 10 mm
    // off its reference stops it and tells the operator.
    void pausedByMissingLabelStoppedByDrift()
    {
        LogCapture log;
        AppFixture fx(kConfig);
        SimController sim;
        QVERIFY(fx.link(sim, {"--job-ms", "600000"}));
        fx.config->setEnableCut(false);
        fx.config->setProperty(Config::CPT_Enable_Print, false);
        fx.config->setRectify(true);
        app().loadCheckParams();
        SimCheckCamera camera;
        camera.view.frame = QSize(1400, 900); // room for the paper to drift in
        app().connectCamera(&camera);
        openPage(fx, camera);
        app().resetPaperCenter();

        app().startTask(true, false);
        QTRY_VERIFY2_WITH_TIMEOUT(fx.driver->cutSent() && app().taskStatus() == 1, qPrintable(fx.driver->errorMessage()), 20000);
        QVERIFY(captureFromWorker()); // the reference centre
        QCOMPARE(app().taskStatus(), 1);

        camera.view.faults.removed = {3};
        QVERIFY(captureFromWorker());
        QTRY_COMPARE_WITH_TIMEOUT(app().taskStatus(), 0, 20000);
        QVERIFY(sim.receivedCommands().contains("12,0;"));

        camera.view.faults.removed.clear();
        app().resumeTask(true);
        QCOMPARE(app().taskStatus(), 1);
        camera.view.paperLeft += 100; // 10 mm at 10 pixels per mm
        camera.view.paperRight += 100;
        QVERIFY(captureFromWorker());
        QTRY_COMPARE_WITH_TIMEOUT(app().taskStatus(), 2, 20000);
        QCOMPARE(fx.driver->errorMessage(), QStringLiteral("纸张偏移大于5mm"));
        QTRY_VERIFY_WITH_TIMEOUT(fx.driver->isWorkIdle(), 20000);
        app().connectCamera(nullptr);
        // Neither the open nor the pause that a check starts asks a thread to join itself.
        QCOMPARE(log.count("Thread tried to wait on itself"), 0);
    }
};

DRAVO_APP_TEST_MAIN(TestLabelCheckRun)
#include "tst_labelcheckrun.moc"
