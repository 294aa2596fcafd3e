#include "tests/support/cameras/CheckResults.h"
#include "platform/graphics/GScene.h"
#include "tests/support/cameras/LabelPage.h"
#include "platform/graphics/scenefiles/SceneWriter.h"
#include "tests/app/AppTestSupport.h"

#include <QApplication>
#include <QSemaphore>
#include <QSignalSpy>
#include <QThread>
#include <stdexcept>

Q_DECLARE_METATYPE(ReadData)

// The label check in the application's parts: the steps of a check on
// rendered frames, the anomaly rule, the queue of images, the library's
// failures, the template, the paper edge's consequences, the report rows.
class TestLabelInspection : public QObject
{
    Q_OBJECT

    static constexpr const char *kConfig = "[Dravolinte]\nwaitCapture=300\nMinPaperWidthPix=500\nsaveCheckImg=true\n";
    LabelPage m_page = LabelPage::sixLabels();

    // The page as a cut file: its labels' cut paths and its background.
    QString sceneFile(PartsFixture &fx, const QImage &background = QImage())
    {
        SceneData data = m_page.scene(8.0);
        if (!background.isNull())
            data.background = background;
        const QString file = fx.dir.filePath(QStringLiteral("page.tqc"));
        return SceneWriter::writeFile(file, SceneWriter::tqc(data)) ? file : QString();
    }
    // A stand-in for the library that gives result, counting its calls.
    static LabelInspection::Detector giving(ReadData result, std::atomic<int> *calls = nullptr)
    {
        return [result, calls](const cv::Mat &, const cv::Mat &, bool, bool, bool, const std::string &,
                               const PageLabels &) {
            if (calls)
                ++*calls;
            return result;
        };
    }
    static ReadData paper(int first, int last, int segment, const QList<int> &statuses = {})
    {
        return CheckResults::paper(first, last, segment, statuses);
    }
    static QImage frame(int w = 400, int h = 300)
    {
        QImage image(w, h, QImage::Format_RGB32);
        image.fill(Qt::white);
        return image;
    }

private slots:
    // A real frame through the library: edges, page, labels, the size after the
    // turn, the overlay shown and repainted; every turn of the camera sets it upright.
    void checksRenderedFrames_data()
    {
        QTest::addColumn<int>("rotation");
        QTest::newRow("90: not turned") << 90;
        QTest::newRow("0: turned by 90") << 0;
        QTest::newRow("180: turned by -90") << 180;
        QTest::newRow("270: turned by -180") << 270;
    }
    void checksRenderedFrames()
    {
        QFETCH(int, rotation);
        PartsFixture fx(kConfig);
        fx.task.loadCheckParams();
        fx.config->setCheckCameraRotation(rotation);
        fx.cut.open(sceneFile(fx));
        QVERIFY(fx.labels.hasTemplate());
        QVERIFY(QFile::exists("bk.png"));
        QSignalSpy repaint(&fx.labels, &LabelInspection::lostViewUpdate);
        QSignalSpy size(&fx.labels, &LabelInspection::checkedImageSize);
        CheckView view;
        view.faults.removed = {2};
        view.faults.altered = {4};
        fx.labels.checkLabelCapture(view.camera(m_page, rotation));
        const auto result = fx.labels.checkResult();
        QVERIFY(result);
        QVERIFY(qAbs(result->first_edge - 100) <= 2 && qAbs(result->last_edge - 1100) <= 2);
        QVERIFY(qAbs(result->segmentX - 150) <= 2);
        QList<int> statuses;
        for (const LabelRecord &l : result->labels)
            statuses << l.status;
        QCOMPARE(statuses, (QList<int>{1, 1, 0, 1, 2, 1}));
        QCOMPARE(size.value(0).value(0).toSize(), QSize(1200, 900));
        QVERIFY(repaint.count() == 1 && fx.vision.showLostLabelView());
        QCOMPARE(fx.task.segmentX(), result->segmentX);
        QVERIFY(qFuzzyCompare(fx.vision.paperEdge().scale(), 100.0 / (result->last_edge - result->first_edge)));
    }

    // A turn that is no multiple of 90: a larger image, checked without harm.
    void rotationOf45()
    {
        PartsFixture fx(kConfig);
        fx.task.loadCheckParams();
        fx.config->setCheckCameraRotation(45);
        fx.cut.open(sceneFile(fx));
        QSignalSpy size(&fx.labels, &LabelInspection::checkedImageSize);
        CheckView view;
        fx.labels.checkLabelCapture(view.render(m_page));
        QVERIFY(size.count() == 1 && size[0][0].toSize().width() > 1400);
        QVERIFY(fx.labels.checkResult());
    }

    // Faulty: no paper, no page, a label not passed; a page without labels is not.
    void anomalyRule_data()
    {
        QTest::addColumn<ReadData>("result");
        QTest::addColumn<bool>("faulty");
        QTest::addColumn<bool>("kept"); // stored as given (else all zero)
        QTest::newRow("no labels") << paper(100, 1100, 150) << false << true;
        QTest::newRow("all passed") << paper(100, 1100, 150, {1, 1}) << false << true;
        QTest::newRow("one missing") << paper(100, 1100, 150, {1, 0}) << true << true;
        QTest::newRow("one failed") << paper(100, 1100, 150, {2, 1}) << true << true;
        QTest::newRow("no page") << paper(100, 1100, 0, {1}) << true << true;
        QTest::newRow("edges equal") << paper(600, 600, 150, {1}) << true << false;
        QTest::newRow("edges reversed") << paper(1100, 100, 150, {1}) << true << false;
    }
    void anomalyRule()
    {
        QFETCH(ReadData, result);
        QFETCH(bool, faulty);
        QFETCH(bool, kept);
        PartsFixture fx(kConfig);
        fx.task.loadCheckParams();
        fx.config->setProperty(Config::CPT_Enable_Check_Anomaly_Pause, true);
        fx.cut.open(sceneFile(fx));
        fx.labels.setDetector(giving(result));
        LogCapture log;
        for (int status : {2, 0, 1}) {
            fx.task.setTaskStatus(status);
            fx.labels.checkLabelCapture(frame());
        }
        // Logged each time; only the running task is paused (here refused by the unlinked machine).
        QCOMPARE(log.count("检测异常暂停任务"), faulty ? 3 : 0);
        const auto stored = fx.labels.checkResult();
        QCOMPARE(stored->labels.size(), kept ? result.labels.size() : size_t(0));
        QCOMPARE(stored->first_edge, kept ? result.first_edge : 0);
        fx.config->setProperty(Config::CPT_Enable_Check_Anomaly_Pause, false);
        fx.labels.checkLabelCapture(frame());
        QCOMPARE(log.count("检测异常暂停任务"), faulty ? 3 : 0);
        fx.threads.joinAll(); // the pause, if one was started, is through
        QCOMPARE(log.count("rCutMotorStatus failed"), faulty ? 1 : 0);
    }

    // No template: the operator hears of it unless a capture waits; detection off drops the image.
    void withoutTemplateOrDetection()
    {
        PartsFixture fx(kConfig);
        fx.task.loadCheckParams();
        fx.labels.checkLabelCapture(frame());
        QCOMPARE(fx.driver->errorMessage(), QStringLiteral("切割文件未打开 \n"));
        fx.driver->setErrorMessage(QString());
        fx.config->setProperty(Config::CPT_Wait_Capture, 30000);
        std::atomic<bool> answered{false};
        std::unique_ptr<QThread> worker(QThread::create([&] { answered = fx.vision.doCapture(2); }));
        worker->start();
        QVERIFY(QTest::qWaitFor([&] { return fx.vision.isCapturing(); }, 10000));
        fx.vision.capturedLabelImage(2, QVariant(frame()));
        QVERIFY(QTest::qWaitFor([&] { return worker->isFinished(); }, 20000) && answered);
        QVERIFY(fx.driver->errorMessage().isEmpty() && !fx.labels.checkResult());

        fx.cut.open(sceneFile(fx));
        fx.config->setEnableDetection(false);
        std::atomic<int> calls{0};
        fx.labels.setDetector(giving(paper(1, 2, 3), &calls));
        fx.labels.checkLabelCapture(frame());
        QVERIFY(calls == 0 && !fx.labels.checkResult());
    }

    // One check at a time; a second image waits; a third takes its place and the second is answered unchecked.
    void oneRunsOneWaits()
    {
        PartsFixture fx(kConfig);
        fx.task.loadCheckParams();
        fx.cut.open(sceneFile(fx));
        QSemaphore entered, release;
        std::atomic<int> running{0}, most{0};
        QList<int> widths;
        QMutex widthsLock;
        fx.labels.setDetector([&](const cv::Mat &input, const cv::Mat &, bool, bool, bool, const std::string &,
                                  const PageLabels &) {
            most = qMax(most.load(), ++running);
            {
                QMutexLocker lock(&widthsLock);
                widths << input.cols;
            }
            entered.release();
            release.acquire();
            --running;
            return paper(10, 300, 20);
        });
        fx.config->setCheckCameraRotation(90);
        LogCapture log;
        QVERIFY(fx.labels.submit(2, frame(401)));
        QVERIFY(entered.tryAcquire(1, 10000));
        QVERIFY(fx.labels.submit(2, frame(402)));
        QVERIFY(fx.labels.submit(2, frame(403)));
        QVERIFY(log.count("was replaced by a newer one"));
        release.release(2);
        QVERIFY(entered.tryAcquire(1, 10000));
        QVERIFY(QTest::qWaitFor([&] { QMutexLocker lock(&widthsLock); return widths.size() == 2 && running == 0; }, 10000));
        QCOMPARE(widths, (QList<int>{401, 403}));
        QCOMPARE(most.load(), 1);
        // Closed: answered at once, unchecked.
        fx.labels.close();
        QVERIFY(!fx.labels.submit(2, frame(404)));
        QVERIFY(log.count("no check thread: image of camera 2 not checked"));
    }

    // Whatever the library hands back (reversed edges are tested above): labels
    // by the thousand, outside the image, codes of any bytes. The row keeps its cells.
    void oddLibraryResults()
    {
        PartsFixture fx(kConfig);
        fx.task.loadCheckParams();
        fx.cut.open(sceneFile(fx));
        ReadData odd = paper(100, 1100, 150);
        for (int i = 0; i < 3000; ++i) {
            LabelRecord l;
            l.status = i % 3;
            l.x = -50000 + 37 * i;
            l.y = i % 2 ? 2000000000 : -7;
            l.width = -4;
            l.height = 1 << 30;
            LabelCode c;
            c.type = "QR-Code";
            c.code = std::string("\"a,\"\r\n\xff\xfe\xf0\x9f\x98\x80", 12) + std::to_string(i);
            l.qrCodes.push_back(c);
            odd.labels.push_back(l);
        }
        for (const ReadData &r : {paper(100, 1100, 100), paper(100, 1100, 120), odd}) {
            fx.labels.setDetector(giving(r));
            fx.labels.checkLabelCapture(frame());
        }
        QFile report("label.csv");
        QVERIFY(report.open(QIODevice::ReadOnly));
        const QByteArray row = report.readAll();
        QVERIFY(row.endsWith("\"\r\n") && row.count('"') % 2 == 0 && row.count("\"\"a,\"\"\r\n??") == 2000);
        QVERIFY(row.contains("\"lost: 1000, check: 2000, QR: 2000\""));
    }

    // The library throws: a log line with the saved image, an empty (faulty) result; the next check runs.
    void libraryThrows()
    {
        PartsFixture fx(kConfig);
        fx.task.loadCheckParams();
        fx.cut.open(sceneFile(fx));
        LogCapture log;
        fx.labels.setDetector([](const cv::Mat &, const cv::Mat &, bool, bool, bool, const std::string &,
                                 const PageLabels &) -> ReadData { throw std::runtime_error("bad frame"); });
        fx.labels.checkLabelCapture(frame());
        QVERIFY(log.count("process_frame fatal bad frame " + fx.dir.path() + "/image/"));
        QVERIFY(fx.labels.checkResult()->labels.empty() && fx.labels.checkResult()->segmentX == 0);
        fx.labels.setDetector([](const cv::Mat &, const cv::Mat &, bool, bool, bool, const std::string &,
                                 const PageLabels &) -> ReadData { throw 42; });
        fx.config->setProperty(Config::CPT_SAVE_Check_Img, false);
        QVERIFY(fx.labels.submit(2, frame()));
        QVERIFY(log.waitFor("process_frame fatal (not a standard exception) disable save check image"));
        std::atomic<int> calls{0};
        fx.labels.setDetector(giving(paper(10, 300, 20), &calls));
        QVERIFY(fx.labels.submit(2, frame()));
        QVERIFY(QTest::qWaitFor([&] { return calls == 1; }, 10000));
    }

    // The template in blue-green-red order whatever the background's format; saved with the first saved image.
    void templateColoursAndSwap()
    {
        PartsFixture fx(kConfig);
        fx.task.loadCheckParams();
        QImage red(200, 120, QImage::Format_ARGB32);
        red.fill(QColor(255, 0, 0));
        fx.cut.open(sceneFile(fx, red));
        cv::Vec3b seen;
        fx.labels.setDetector([&](const cv::Mat &, const cv::Mat &templ, bool, bool, bool, const std::string &,
                                  const PageLabels &) {
            seen = templ.at<cv::Vec3b>(5, 5);
            throw std::runtime_error("saves the images");
            return ReadData();
        });
        fx.labels.checkLabelCapture(frame());
        QCOMPARE(seen, cv::Vec3b(0, 0, 255));
        QDir day(fx.dir.filePath("image/" + QDate::currentDate().toString("yyyy-MM-dd")));
        const QStringList copies = day.entryList({"*bk.jpg"});
        QCOMPARE(copies.size(), 1);
        const QColor copy = QImage(day.filePath(copies[0])).pixelColor(5, 5);
        QVERIFY(copy.red() > 200 && copy.blue() < 60);
        // A scene without a background leaves nothing to check against, not the earlier page.
        fx.cut.scene()->setBkImage(QImage());
        QTest::ignoreMessage(QtCriticalMsg, "DravolinteApp::loadTemplate m_cutScene->bkImage() is NULL");
        QVERIFY(!fx.labels.loadTemplate());
        QVERIFY(!fx.labels.hasTemplate());
    }

    // A new template is taken while a check runs on the old one, which keeps it to its end.
    void templateSwappedBetweenChecks()
    {
        PartsFixture fx(kConfig);
        fx.task.loadCheckParams();
        fx.cut.open(sceneFile(fx));
        QSemaphore entered, release;
        QList<int> widths;
        fx.labels.setDetector([&](const cv::Mat &, const cv::Mat &templ, bool, bool, bool, const std::string &,
                                  const PageLabels &) {
            entered.release();
            release.acquire();
            widths << templ.cols;
            return ReadData();
        });
        QVERIFY(fx.labels.submit(2, frame()));
        QVERIFY(entered.tryAcquire(1, 10000));
        fx.cut.scene()->setBkImage(QImage(300, 100, QImage::Format_RGB32));
        std::unique_ptr<QThread> loader(QThread::create([&] { fx.labels.loadTemplate(); }));
        loader->start();
        QVERIFY(loader->wait(10000));
        release.release(2);
        fx.labels.checkLabelCapture(frame());
        QCOMPARE(widths, (QList<int>{800, 300}));
    }

    // A drifting web: with the web guide on the task is stopped and the operator told,
    // off the run-error note is set once.
    void paperDrift()
    {
        PartsFixture fx(kConfig);
        fx.task.loadCheckParams();
        fx.config->setProperty(Config::CPT_Max_RectifyOffset, 5.9);
        fx.cut.open(sceneFile(fx));
        LogCapture log;
        QSignalSpy note(fx.config.get(), &Config::runErrTipChanged);
        for (const ReadData &r : {paper(100, 1100, 150), paper(160, 1160, 150), paper(160, 1160, 150)}) {
            fx.labels.setDetector(giving(r));
            fx.labels.checkLabelCapture(frame());
        }
        QCOMPARE(fx.config->runErrTip(), QStringLiteral("纸张偏移大于5mm"));
        QCOMPARE(note.count(), 1);
        QCOMPARE(log.count("offset:  6 save image " + fx.dir.path()), 2);
        fx.config->setRectify(true);
        fx.labels.checkLabelCapture(frame());
        QVERIFY(log.count("exitTask failed")); // the unlinked machine refuses; the operator is told all the same
        QCOMPARE(fx.driver->errorMessage(), QStringLiteral("纸张偏移大于5mm"));
        // A width jump saves the check's image once more with the same name.
        fx.labels.setDetector(giving(paper(100, 1200, 150)));
        fx.labels.checkLabelCapture(frame());
        QVERIFY(log.count("cut page width 100 m_prePaperWidth 1000 w 1100 save image"));
    }

    // One report row per new page, the first after a recount only counting; an unwritable report says so.
    void reportRows()
    {
        PartsFixture fx(kConfig);
        fx.task.loadCheckParams();
        fx.cut.open(sceneFile(fx));
        QSignalSpy pages(&fx.labels, &LabelInspection::pagecheckedChanged);
        for (int row : {150, 100, 50, 300, 250, 0, 400}) {
            fx.labels.setDetector(giving(paper(100, 1100, row, {1, 0})));
            fx.labels.checkLabelCapture(frame());
        }
        // New pages at 150, 300 and 400: the first only starts the count.
        QCOMPARE(fx.records.checkedCopies(), 3);
        QFile report("label.csv");
        QVERIFY(report.open(QIODevice::ReadOnly));
        const QByteArray rows = report.readAll();
        QCOMPARE(rows.count("\"lost: 1, check: 1\""), 2);
        QVERIFY(!fx.labels.pageChecked() && pages.count() == 6);
        report.close();
        QVERIFY(report.remove() && QDir().mkdir("label.csv"));
        LogCapture log;
        fx.labels.setDetector(giving(paper(100, 1100, 900)));
        fx.labels.checkLabelCapture(frame());
        QVERIFY(log.count("DravolinteApp::labelReport cannot write"));
        QCOMPARE(fx.records.checkedCopies(), 4);
    }

    // Frames of every kind reach the library as blue-green-red, or not at all when too large.
    void oddFrames_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<QSize>("input");
        QImage indexed(64, 48, QImage::Format_Indexed8);
        indexed.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
        indexed.fill(1);
        QTest::newRow("null") << QImage() << QSize(0, 0);
        QTest::newRow("1 x 1") << frame(1, 1) << QSize(1, 1);
        QTest::newRow("grey") << QImage(64, 48, QImage::Format_Grayscale8) << QSize(64, 48);
        QTest::newRow("indexed") << indexed << QSize(64, 48);
        QTest::newRow("huge") << QImage(9000, 8000, QImage::Format_Grayscale8) << QSize(0, 0);
    }
    void oddFrames()
    {
        QFETCH(QImage, image);
        QFETCH(QSize, input);
        PartsFixture fx(kConfig);
        fx.task.loadCheckParams();
        fx.config->setCheckCameraRotation(90);
        fx.cut.open(sceneFile(fx));
        QSize seen(-1, -1);
        int channels = 0;
        fx.labels.setDetector([&](const cv::Mat &in, const cv::Mat &, bool, bool, bool, const std::string &,
                                  const PageLabels &) {
            seen = QSize(in.cols, in.rows);
            channels = in.channels();
            return ReadData();
        });
        fx.labels.checkLabelCapture(image);
        QCOMPARE(seen, input);
        QVERIFY(input.isEmpty() || channels == 3);
        QVERIFY(fx.labels.checkResult()->labels.empty());
    }
};

DRAVO_APP_TEST_MAIN(TestLabelInspection)
#include "tst_labelinspection.moc"
