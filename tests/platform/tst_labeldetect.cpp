#include "LabelDetect.h"
#include "tests/support/cameras/LabelPage.h"
#include "tests/support/TestMain.h"

#include <QApplication>
#include <QFile>
#include <opencv2/imgproc.hpp>

// Our label-check library on rendered frames: a dark belt, the paper between
// chosen columns, pages from a chosen row, labels removed, altered or shifted.
class TestLabelDetect : public QObject
{
    Q_OBJECT

    static constexpr double kTemplatePxPerMm = 8.0;
    LabelPage m_page = LabelPage::sixLabels();
    cv::Mat m_template;
    PageLabels m_cells;

    static cv::Mat matOf(const QImage &image, QImage::Format format = QImage::Format_BGR888, int type = CV_8UC3)
    {
        const QImage converted = image.convertToFormat(format);
        return cv::Mat(converted.height(), converted.width(), type, const_cast<uchar *>(converted.constBits()),
                       size_t(converted.bytesPerLine()))
            .clone();
    }
    ReadData check(const CheckView &view, bool ocr = false, const std::string &settings = "none.json")
    {
        return process_frame(matOf(view.render(m_page)), m_template, ocr, true, true, settings, m_cells);
    }
    static QList<int> statuses(const ReadData &r)
    {
        QList<int> s;
        for (const LabelRecord &l : r.labels)
            s << l.status;
        return s;
    }
    static QStringList codes(const LabelRecord &l)
    {
        QStringList c;
        for (const LabelCode &code : l.qrCodes)
            c << QString::fromStdString(code.type + ":" + code.code);
        for (const LabelCode &code : l.barCodes)
            c << QString::fromStdString(code.type + ":" + code.code);
        return c;
    }
    static bool empty(const ReadData &r) { return r.first_edge == 0 && r.last_edge == 0 && r.segmentX == 0 && r.labels.empty(); }

private slots:
    void initTestCase()
    {
        m_template = matOf(m_page.render(kTemplatePxPerMm));
        for (const QRect &r : m_page.cells(kTemplatePxPerMm))
            m_cells.cells.push_back(cv::Rect(r.x(), r.y(), r.width(), r.height()));
    }

    void edgesPageAndLabels_data()
    {
        QTest::addColumn<QSize>("frame");
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("right");
        QTest::addColumn<int>("row");
        QTest::newRow("centred") << QSize(1200, 900) << 100 << 1100 << 150;
        QTest::newRow("off centre, page low") << QSize(1200, 900) << 37 << 1013 << 283;
        QTest::newRow("narrower paper") << QSize(1000, 700) << 151 << 951 << 97;
        QTest::newRow("page right at the top") << QSize(1200, 900) << 100 << 1100 << 3;
    }
    // Edges and page start within 2 pixels; every label passes with its codes read.
    void edgesPageAndLabels()
    {
        QFETCH(QSize, frame);
        QFETCH(int, left);
        QFETCH(int, right);
        QFETCH(int, row);
        CheckView view;
        view.frame = frame;
        view.paperLeft = left;
        view.paperRight = right;
        view.pageRow = row;
        const ReadData r = check(view);
        QVERIFY2(qAbs(r.first_edge - left) <= 2 && qAbs(r.last_edge - right) <= 2,
                 qPrintable(QStringLiteral("%1 %2").arg(r.first_edge).arg(r.last_edge)));
        QVERIFY2(qAbs(r.segmentX - row) <= 2, qPrintable(QString::number(r.segmentX)));
        QCOMPARE(statuses(r), (QList<int>{1, 1, 1, 1, 1, 1}));
        QCOMPARE(codes(r.labels[0]), QStringList{"QR-Code:LBL-0001"});
        QCOMPARE(codes(r.labels[1]), QStringList{"CODE-128:4711"});
        QCOMPARE(codes(r.labels[3]), QStringList{"QR-Code:X\",Y"});
        QCOMPARE(codes(r.labels[4]), QStringList{"CODE-128:0815"});
        QVERIFY(codes(r.labels[2]).isEmpty());
        // The label lies where the page puts it, its code inside it.
        const double scale = view.pxPerMm(m_page);
        QVERIFY(qAbs(r.labels[4].x - (left + 36 * scale)) <= 6 && qAbs(r.labels[4].y - (row + 32 * scale)) <= 6);
        const LabelCode &qr = r.labels[0].qrCodes[0];
        QVERIFY(qr.corners.size() == 4 && qr.x > r.labels[0].x && qr.x + qr.width < r.labels[0].x + r.labels[0].width);
    }

    void faults_data()
    {
        QTest::addColumn<QList<int>>("removed");
        QTest::addColumn<QList<int>>("altered");
        QTest::addColumn<QPoint>("shift"); // of label 5
        QTest::addColumn<QList<int>>("expected");
        QTest::newRow("removed") << QList<int>{2} << QList<int>{} << QPoint() << QList<int>{1, 1, 0, 1, 1, 1};
        QTest::newRow("altered") << QList<int>{} << QList<int>{4} << QPoint() << QList<int>{1, 1, 1, 1, 2, 1};
        QTest::newRow("shifted far") << QList<int>{} << QList<int>{} << QPoint(15, 0) << QList<int>{1, 1, 1, 1, 1, 2};
        QTest::newRow("shifted a little") << QList<int>{} << QList<int>{} << QPoint(1, -2) << QList<int>{1, 1, 1, 1, 1, 1};
        QTest::newRow("all at once") << QList<int>{0, 3} << QList<int>{1} << QPoint(0, 20) << QList<int>{0, 2, 1, 0, 1, 2};
    }
    void faults()
    {
        QFETCH(QList<int>, removed);
        QFETCH(QList<int>, altered);
        QFETCH(QPoint, shift);
        QFETCH(QList<int>, expected);
        CheckView view;
        view.faults.removed = QSet<int>(removed.begin(), removed.end());
        view.faults.altered = QSet<int>(altered.begin(), altered.end());
        if (!shift.isNull())
            view.faults.shifted.insert(5, shift);
        const ReadData r = check(view);
        QCOMPARE(statuses(r), expected);
        // Nothing is read in a missing label.
        for (const LabelRecord &l : r.labels)
            QVERIFY(l.status != 0 || (l.qrCodes.empty() && l.barCodes.empty() && l.texts.empty()));
    }

    // Texts through the OCR engine, positioned in the label; not read unless asked for.
    void textsRead()
    {
        CheckView view;
        const ReadData r = check(view, true);
        QCOMPARE(r.labels.size(), size_t(6));
        QStringList words;
        for (const LabelText &t : r.labels[2].texts) {
            words << QString::fromStdString(t.text);
            QVERIFY(t.confidence > 0.5 && t.box.size() == 4);
            QVERIFY(t.box[0].x >= r.labels[2].x && t.box[0].y >= r.labels[2].y);
        }
        QCOMPARE(words, (QStringList{"LOT", "42"}));
        QCOMPARE(QString::fromStdString(r.labels[5].texts.at(0).text), QStringLiteral("OK"));
        QVERIFY(check(view, false).labels[2].texts.empty());
    }

    // Frames without paper or page give the empty result, or no page; nothing breaks.
    void blankAndOddFrames_data()
    {
        QTest::addColumn<QImage>("frame");
        QTest::addColumn<bool>("edges");
        CheckView belt;
        belt.noPaper = true;
        QImage white(1200, 900, QImage::Format_RGB32);
        white.fill(Qt::white);
        CheckView blankPaper;
        blankPaper.noPages = true;
        QImage tiny(1, 1, QImage::Format_RGB32);
        tiny.fill(Qt::white);
        CheckView edgeToEdge;
        edgeToEdge.paperLeft = 0;
        edgeToEdge.paperRight = 1200;
        QTest::newRow("belt only") << belt.render(m_page) << false;
        QTest::newRow("white") << white << false;
        QTest::newRow("paper edge to edge") << edgeToEdge.render(m_page) << false;
        QTest::newRow("blank paper") << blankPaper.render(m_page) << true;
        QTest::newRow("1 x 1") << tiny << false;
        QTest::newRow("null") << QImage() << false;
    }
    void blankAndOddFrames()
    {
        QFETCH(QImage, frame);
        QFETCH(bool, edges);
        const cv::Mat input = frame.isNull() ? cv::Mat() : matOf(frame);
        const ReadData r = process_frame(input, m_template, true, true, true, "none.json", m_cells);
        QCOMPARE(r.segmentX, 0);
        QVERIFY(r.labels.empty());
        QCOMPARE(r.last_edge > r.first_edge, edges);
    }

    // Grey and four-channel input; a template of one pixel, or an empty one, finds no page.
    void otherFormatsAndTemplates()
    {
        CheckView view;
        const QImage frame = view.render(m_page);
        const ReadData grey = process_frame(matOf(frame, QImage::Format_Grayscale8, CV_8UC1), m_template, false, true,
                                            true, "none.json", m_cells);
        QCOMPARE(statuses(grey), (QList<int>{1, 1, 1, 1, 1, 1}));
        const ReadData four = process_frame(matOf(frame, QImage::Format_ARGB32, CV_8UC4), m_template, false, true, true,
                                            "none.json", m_cells);
        QCOMPARE(statuses(four), (QList<int>{1, 1, 1, 1, 1, 1}));
        const cv::Mat input = matOf(frame);
        for (const cv::Mat &templ : {cv::Mat(1, 1, CV_8UC3, cv::Scalar(0, 0, 0)), cv::Mat()}) {
            const ReadData r = process_frame(input, templ, false, true, true, "none.json", m_cells);
            QVERIFY(r.segmentX == 0 && r.labels.empty());
        }
    }

    // Without cells the labels are the template's printed regions, in reading order.
    void printedRegions()
    {
        CheckView view;
        view.faults.removed = {1};
        const ReadData r = process_frame(matOf(view.render(m_page)), m_template, false, true, true, "none.json", PageLabels());
        QCOMPARE(statuses(r), (QList<int>{1, 0, 1, 1, 1, 1}));
        QCOMPARE(codes(r.labels[4]), QStringList{"CODE-128:0815"});
    }

    // Two pages in view: one of them is checked.
    void twoPagesInView()
    {
        CheckView view;
        view.frame = QSize(1200, 1500);
        view.pageRow = 100;
        view.spacingMm = 5;
        const ReadData r = check(view);
        const int pitch = 650;
        QVERIFY2(qAbs(r.segmentX - 100) <= 2 || qAbs(r.segmentX - 100 - pitch) <= 2, qPrintable(QString::number(r.segmentX)));
        QCOMPARE(r.labels.size(), size_t(6));
    }

    // The settings file: read when present, defaults when missing or broken.
    void settingsFile_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<int>("status"); // of label 5, shifted 15 pixels
        QTest::newRow("missing") << QByteArray() << 2;
        QTest::newRow("broken") << QByteArray("{\"searchMargin\": ") << 2;
        QTest::newRow("wider margin") << QByteArray("{\"searchMargin\": 20}") << 1;
        QTest::newRow("out of range") << QByteArray("{\"searchMargin\": 1e9}") << 2;
    }
    void settingsFile()
    {
        QFETCH(QByteArray, json);
        QFETCH(int, status);
        const QString file = QStringLiteral("settings-%1.json").arg(QTest::currentDataTag()).replace(' ', '-');
        if (!json.isEmpty()) {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(json) == json.size());
        }
        CheckView view;
        view.faults.shifted.insert(5, QPoint(15, 0));
        QCOMPARE(check(view, false, file.toStdString()).labels.at(5).status, status);
    }
};

DRAVO_GUI_TEST_MAIN(TestLabelDetect)
#include "tst_labeldetect.moc"
