#include "LabelDetect.h"
#include "tests/support/cameras/LabelPage.h"
#include "LabelReaders.h"
#include "tests/support/TestMain.h"

#include <QApplication>
#include <QFile>
#include <QThread>
#include <sched.h>

Q_DECLARE_METATYPE(LabelPage)

// The label readers: a page read side by side gives what one worker gives,
// field by field; jobs run once each; engines load on the workers, a model
// that fails is said once and the pages are read on without texts.
class TestLabelReaders : public QObject
{
    Q_OBJECT

    static cv::Mat matOf(const QImage &image)
    {
        const QImage bgr = image.convertToFormat(QImage::Format_BGR888);
        return cv::Mat(bgr.height(), bgr.width(), CV_8UC3, const_cast<uchar *>(bgr.constBits()),
                       size_t(bgr.bytesPerLine()))
            .clone();
    }
    // Every field, one label a line.
    static QStringList fields(const ReadData &r)
    {
        const auto points = [](const std::vector<CheckPoint> &ps) {
            QString out;
            for (const CheckPoint &p : ps)
                out += QStringLiteral(" %1,%2").arg(p.x).arg(p.y);
            return out;
        };
        QStringList out{QStringLiteral("edges %1 %2 page %3").arg(r.first_edge).arg(r.last_edge).arg(r.segmentX)};
        for (const LabelRecord &l : r.labels) {
            QString line = QStringLiteral("%1 @%2,%3,%4,%5 r%6").arg(l.status).arg(l.x).arg(l.y).arg(l.width)
                               .arg(l.height).arg(l.reserved);
            for (const std::vector<LabelCode> *codes : {&l.qrCodes, &l.barCodes})
                for (const LabelCode &c : *codes)
                    line += QStringLiteral(" code %1:%2@%3,%4,%5,%6[%7]")
                                .arg(QString::fromStdString(c.type), QString::fromStdString(c.code))
                                .arg(c.x).arg(c.y).arg(c.width).arg(c.height).arg(points(c.corners));
            for (const LabelText &t : l.texts)
                line += QStringLiteral(" text %1 %2 [%3] %4")
                            .arg(QString::fromStdString(t.text), QString::fromStdString(t.reserved), points(t.box))
                            .arg(t.confidence, 0, 'g', 17);
            out << line;
        }
        return out;
    }

    struct Scene
    {
        cv::Mat frame, templ;
        PageLabels page;
    };
    static Scene scene(const LabelPage &labels, const LabelPage::Faults &faults = {})
    {
        CheckView view;
        view.frame = QSize(2048, 2048);
        view.paperLeft = 124;
        view.paperRight = 1924;
        view.pageRow = 300;
        view.faults = faults;
        Scene s{matOf(view.render(labels)), matOf(labels.render(8.0)), {}};
        for (const QRect &r : labels.cells(8.0))
            s.page.cells.push_back(cv::Rect(r.x(), r.y(), r.width(), r.height()));
        return s;
    }
    static ReadData read(const Scene &s, LabelReaders &readers, const std::string &settings = "none.json")
    {
        PageLabels page = s.page;
        page.readers = &readers;
        return process_frame(s.frame, s.templ, true, true, true, settings, page);
    }

private slots:
    void sideBySideAsOneWorker_data()
    {
        QTest::addColumn<LabelPage>("page");
        QTest::addColumn<QList<int>>("removed");
        QTest::addColumn<int>("labels");
        QTest::newRow("six, two missing") << LabelPage::sixLabels() << QList<int>{1, 2} << 6;
        QTest::newRow("40, some missing") << LabelPage::grid(8, 5) << QList<int>{0, 17, 39} << 40;
        QTest::newRow("labels without codes or texts") << LabelPage::grid(4, 3, true) << QList<int>{5} << 12;
    }
    // The same pages through one worker and through four, twice each (the
    // engines carry nothing over from page to page): the same fields.
    void sideBySideAsOneWorker()
    {
        QFETCH(LabelPage, page);
        QFETCH(QList<int>, removed);
        QFETCH(int, labels);
        LabelPage::Faults faults;
        faults.removed = QSet<int>(removed.begin(), removed.end());
        const Scene s = scene(page, faults);
        LabelReaders one(1), four(4);
        const QStringList expected = fields(read(s, one));
        QCOMPARE(expected.size(), labels + 1);
        for (int round = 0; round < 2; ++round) {
            QCOMPARE(fields(read(s, four)), expected);
            QCOMPARE(fields(read(s, one)), expected);
        }
        for (int i : removed)
            QVERIFY2(expected[i + 1].startsWith("0 @") && !expected[i + 1].contains(" code "), qPrintable(expected[i + 1]));
    }

    // Jobs that add jobs: each runs once; a job's exception reaches wait,
    // after all the others ran.
    void jobsRunOnceEach()
    {
        LabelReaders readers(3);
        std::vector<std::atomic<int>> runs(300);
        LabelReaders::Batch batch(readers);
        for (size_t i = 0; i < 100; ++i) {
            batch.add([&, i](LabelReader &) {
                ++runs[i];
                batch.add([&, i](LabelReader &) { ++runs[100 + i]; });
                batch.add([&, i](LabelReader &) {
                    ++runs[200 + i];
                    if (i == 42)
                        throw std::runtime_error("job 242");
                });
            });
        }
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, batch.wait());
        for (const std::atomic<int> &r : runs)
            QCOMPARE(r.load(), 1);
    }

    // Engines load on the workers, each its own, once; a model that cannot be
    // loaded is said once, and the pages are read on without texts.
    void enginesLoadOnTheWorkers()
    {
        const Scene s = scene(LabelPage::sixLabels());
        static QMutex lock;
        static QList<QThread *> loaders;
        static QStringList failures;
        const auto record = [](QtMsgType, const QMessageLogContext &, const QString &text) {
            QMutexLocker l(&lock);
            if (text.startsWith("OcrLite::initModels model"))
                loaders << QThread::currentThread();
            if (text.contains("Failed to initialize models."))
                failures << text;
        };
        const QtMessageHandler previous = qInstallMessageHandler(record);
        LabelReaders readers(3);
        readers.warmUp(std::string());
        QVERIFY(readers.waitForEngines(std::string()));
        QFile settings("missing-model.json");
        QVERIFY(settings.open(QIODevice::WriteOnly) && settings.write("{\"ocrModel\": \"nowhere/xyz.traineddata\"}") > 0);
        settings.close();
        ReadData withoutTexts;
        for (int page = 0; page < 3; ++page)
            withoutTexts = read(s, readers, "missing-model.json");
        qInstallMessageHandler(previous);
        QCOMPARE(loaders.size(), 3);
        QVERIFY(!loaders.contains(QThread::currentThread()) && QSet<QThread *>(loaders.begin(), loaders.end()).size() == 3);
        QCOMPARE(failures.size(), 1);
        QVERIFY(withoutTexts.labels.size() == 6 && withoutTexts.labels[2].texts.empty());
        QCOMPARE(withoutTexts.labels[0].qrCodes.at(0).code, std::string("LBL-0001"));
    }

    // On one core: one worker, and the page read as on many.
    void oneCore()
    {
        cpu_set_t all, one;
        QVERIFY(sched_getaffinity(0, sizeof(all), &all) == 0);
        CPU_ZERO(&one);
        for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
            if (CPU_ISSET(cpu, &all)) {
                CPU_SET(cpu, &one);
                break;
            }
        }
        QVERIFY(sched_setaffinity(0, sizeof(one), &one) == 0);
        const int cores = LabelReaders::cores();
        const Scene s = scene(LabelPage::sixLabels(), {{1}, {4}, {}});
        QStringList onOneCore;
        {
            LabelReaders readers; // its worker made on this core, and kept there
            QCOMPARE(readers.workers(), 1);
            onOneCore = fields(read(s, readers));
        }
        QVERIFY(sched_setaffinity(0, sizeof(all), &all) == 0);
        QCOMPARE(cores, 1);
        LabelReaders many(4);
        QCOMPARE(fields(read(s, many)), onOneCore);
    }
};

DRAVO_GUI_TEST_MAIN(TestLabelReaders)
#include "tst_labelreaders.moc"
