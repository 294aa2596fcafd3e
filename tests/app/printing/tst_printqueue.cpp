#include "tests/app/AppTestSupport.h"
#include "configuration/Notifier.h"
#include "tests/platform/CodeReading.h"
#include "tests/platform/XlsxFixture.h"
#include "tests/support/printing/PrintServer.h"
#include "tests/support/Recorder.h"
#include "platform/graphics/scenefiles/SceneWriter.h"
#include "tests/support/printing/TestPdf.h"

#include <QApplication>
#include <QPdfDocument>
#include <QScopeGuard>
#include <cups/cups.h>
#include <thread>

namespace {

struct Spooled
{
    int pages = 0;
    QSizeF sizeMm;
    QImage page; // the first page at 300 dpi
};

Spooled readSpooled(const QString &path)
{
    Spooled s;
    QPdfDocument document;
    if (document.load(path) != QPdfDocument::Error::None)
        return s;
    s.pages = document.pageCount();
    const QSizeF points = document.pagePointSize(0);
    s.sizeMm = points * 25.4 / 72.0;
    s.page = document.render(0, (s.sizeMm / 25.4 * 300).toSize());
    return s;
}

QStringList codesOn(const QString &path)
{
    QPdfDocument document;
    QStringList codes;
    if (document.load(path) != QPdfDocument::Error::None)
        return codes;
    for (int i = 0; i < document.pageCount(); ++i) {
        QImage page(document.render(i, (document.pagePointSize(i) * 600 / 72).toSize()).size(), QImage::Format_RGB32);
        page.fill(Qt::white);
        QPainter(&page).drawImage(0, 0, document.render(i, page.size()));
        codes << CodeReading::decode(page);
    }
    return codes;
}

// The media-col size the scheduler holds for the last job of queue, in 1/100 mm; empty without one.
QString lastJobMedia(const QString &queue)
{
    cups_job_t *jobs = nullptr;
    const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, queue.toUtf8().constData(), 0, CUPS_WHICHJOBS_ALL);
    int last = 0;
    for (int i = 0; i < count; ++i)
        last = qMax(last, jobs[i].id);
    cupsFreeJobs(count, jobs);
    ipp_t *request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", ippPort(), "/jobs/%d", last);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, uri);
    ipp_t *response = cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/");
    QString media;
    if (ipp_attribute_t *col = response ? ippFindAttribute(response, "media-col", IPP_TAG_BEGIN_COLLECTION) : nullptr) {
        char text[1024];
        ippAttributeString(col, text, sizeof text);
        media = QString::fromUtf8(text);
    }
    ippDelete(response);
    return media;
}

bool dark(QRgb pixel)
{
    return qGray(pixel) < 110;
}

} // namespace

// Jobs on a CUPS queue: copies, page size, paper, batches, the job watch,
// the code marker read back from what the printer received, and the
// records of a data source.
class TestPrintQueue : public QObject
{
    Q_OBJECT

    PrintServer m_server;
    std::unique_ptr<AppFixture> m_fx;
    NotifierRecorder *m_notes = nullptr;

    static DravolinteApp &app() { return AppFixture::app(); }
    Config &cfg() { return *m_fx->config; }

    // A print cut file whose marks put the marker at (8, 2) (QR) or (8, 4) (text) mm.
    static void writePrintCutFile(const QString &path)
    {
        SceneData s;
        s.hasPage = s.hasMark = true;
        s.pageMm = QSizeF(100, 50);
        s.markSizeMm = 2;
        s.markAreaMm = QRectF(5, 5, 90, 40);
        s.paths << ScenePath{QPainterPath(QPointF(20, 20)), 1};
        s.paths.back().path.lineTo(120, 100);
        QVERIFY(writeFile(path, SceneWriter::plt(s)));
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(m_server.start(), qPrintable(m_server.error()));
        QVERIFY2(m_server.addQueue(QStringLiteral("Epson_Label")), qPrintable(m_server.error()));
        QVERIFY2(m_server.addQueue(QStringLiteral("Office_Laser")), qPrintable(m_server.error()));
        QVERIFY2(m_server.addQueue(QStringLiteral("Label_Single"),
                                   {"ATTR rangeOfInteger copies-supported 1-1",
                                    "ATTR resolution printer-resolution-default 300dpi",
                                    "ATTR resolution printer-resolution-supported 300dpi"}),
                 qPrintable(m_server.error()));
        QVERIFY2(m_server.addQueue(QStringLiteral("Label_Range"),
                                   {"ATTR collection media-size-supported {", "MEMBER rangeOfInteger x-dimension 2000-30000",
                                    "MEMBER rangeOfInteger y-dimension 2000-30000", "}"}),
                 qPrintable(m_server.error()));
        QVERIFY2(m_server.addQueue(QStringLiteral("Label_Slow"), {}, 20), qPrintable(m_server.error()));
    }

    void init()
    {
        m_fx = std::make_unique<AppFixture>();
        m_notes = new NotifierRecorder;
        cfg().setProperty(Config::CPT_Enable_Print, true);
        cfg().setProperty(Config::CPT_Enable_Print_Marker_Type, 0);
        app().loadCheckParams();
        app().setDataSource(QString());
        app().reCount();
        QVERIFY(TestPdf::write("page.pdf", QSizeF(100, 50)));
        app().setPrintFile("page.pdf");
        // The jobs of the test before have all reached their printers.
        QVERIFY(m_server.waitIdle());
    }

    void cleanup()
    {
        delete m_notes;
        m_notes = nullptr;
        m_fx.reset();
    }

    void printersName()
    {
        QCOMPARE(app().printersName(), (QStringList{"Epson_Label", "CorelDRAW"}));
    }

    void copies_data()
    {
        QTest::addColumn<QString>("queue");
        QTest::addColumn<bool>("printerCopies");
        QTest::addColumn<int>("pages");
        QTest::addColumn<QString>("copiesAttribute");
        QTest::newRow("the printer makes them") << "Epson_Label" << true << 1 << "IPP_COPIES=3";
        QTest::newRow("copies-supported 1-1") << "Label_Single" << true << 3 << "";
        QTest::newRow("printer copies off") << "Epson_Label" << false << 3 << "";
    }
    // 3 copies as one job of the page size, each page with its task code as a QR code.
    void copies()
    {
        QFETCH(QString, queue);
        QFETCH(bool, printerCopies);
        QFETCH(int, pages);
        QFETCH(QString, copiesAttribute);
        writePrintCutFile("marks.plt");
        app().setPrintCutFile("marks.plt");
        cfg().setProperty(Config::CPT_Enable_Print_Marker_Type, 1);
        cfg().setProperty(Config::CPT_Printer_Copies, printerCopies);
        cfg().setProperty(Config::CPT_printPagesOnce, 5);
        const int before = int(m_server.spooled(queue).size());
        const float printedBefore = cfg().todayPrint();
        QVERIFY(app().printPdf(app().printFile(), queue, 3));
        QVERIFY(m_server.waitForSpooled(queue, before + 1));
        const QString job = m_server.spooled(queue).last();
        const Spooled spooled = readSpooled(job);
        QCOMPARE(spooled.pages, pages);
        QVERIFY2(qAbs(spooled.sizeMm.width() - 100) <= 0.5 && qAbs(spooled.sizeMm.height() - 50) <= 0.5,
                 qPrintable(QStringLiteral("%1 x %2").arg(spooled.sizeMm.width()).arg(spooled.sizeMm.height())));
        QTRY_VERIFY_WITH_TIMEOUT(!PrintServer::jobAttributes(job).isEmpty(), 20000);
        const QStringList copiesSeen = PrintServer::jobAttributes(job).filter(QRegularExpression("^IPP_COPIES="));
        QCOMPARE(copiesSeen, copiesAttribute.isEmpty() ? QStringList() : QStringList{copiesAttribute});
        QCOMPARE(app().printCopies(), 3);
        QVERIFY(qAbs(cfg().todayPrint() - printedBefore - 0.15f) < 1e-4f);
        // Each page carries the code of its task record, which books its copies.
        const QStringList codes = codesOn(job);
        QCOMPARE(codes.size(), pages);
        for (const QString &code : codes) {
            QVERIFY2(code.startsWith("QR-Code:") && code.size() == 16, qPrintable(code));
            TaskRecord record;
            QVERIFY(cfg().db().selectTaskRecord(code.mid(8).toUInt(nullptr, 16), record));
            QCOMPARE(int(record.printCopies), 3 / pages);
        }
    }

    // A printer that takes any paper size in a range is asked for the page's; others for none.
    void paperSize()
    {
        QVERIFY(app().printPdf(app().printFile(), "Label_Range", 1));
        QCOMPARE(lastJobMedia("Label_Range"), QStringLiteral("{media-size={x-dimension=10000 y-dimension=5000}}"));
        QVERIFY(app().printPdf(app().printFile(), "Epson_Label", 1));
        QCOMPARE(lastJobMedia("Epson_Label"), QString());
        QVERIFY(m_server.waitIdle());
    }

    // 5 copies, 2 a job, the driver making none: jobs of 2, 2 and 1 pages.
    void batches()
    {
        cfg().setProperty(Config::CPT_Printer_Copies, false);
        cfg().setProperty(Config::CPT_printPagesOnce, 2);
        const int before = int(m_server.spooled("Epson_Label").size());
        QVERIFY(app().printPdf(app().printFile(), "Epson_Label", 5));
        QVERIFY(m_server.waitForSpooled("Epson_Label", before + 3));
        QList<int> pages;
        for (const QString &job : m_server.spooled("Epson_Label").mid(before))
            pages << readSpooled(job).pages;
        QCOMPARE(pages, (QList<int>{2, 2, 1}));
        QCOMPARE(app().printCopies(), 5);
    }

    void watch_data()
    {
        QTest::addColumn<QString>("queue");
        QTest::addColumn<bool>("result");
        QTest::addColumn<QString>("line");
        QTest::newRow("completed") << "Epson_Label" << true << "作业已打印";
        QTest::newRow("canceled while printing") << "Label_Slow" << false << "作业已删除";
    }
    // The watch follows the job to its end: its status lines, the time it took, the result.
    void watch()
    {
        QFETCH(QString, queue);
        QFETCH(bool, result);
        QFETCH(QString, line);
        cfg().setProperty(Config::CPT_Wait_Print, true);
        LogCapture log;
        std::atomic<int> printed{-1};
        std::thread printer([&] { printed = app().printPdf(app().printFile(), queue, 1) ? 1 : 0; });
        auto joined = qScopeGuard([&] { printer.join(); });
        if (!result) {
            // Taken off the queue by someone while the printer works on it.
            QTRY_VERIFY_WITH_TIMEOUT(log.count("作业正在打印") == 1, 20000);
            QVERIFY(m_server.cancelLastJob(queue));
        }
        QTRY_VERIFY_WITH_TIMEOUT(printed.load() >= 0, 30000);
        QVERIFY2(printed.load() == int(result), qPrintable(log.lines.filter("DravolinteApp::printPdf").join('\n')));
        QVERIFY(log.count("JOB_INFO_2A Status") >= 1);
        QVERIFY2(log.count(line) == 1, qPrintable(log.lines.join('\n')));
        QCOMPARE(log.count("was not printed"), result ? 0 : 1);
        QCOMPARE(log.count("查询打印任务状态时间"), 1);
    }

    // The text marker stays in its 16 x 2 mm box; the edge lines run along the top and bottom.
    void textMarkerAndLines()
    {
        writePrintCutFile("marks.plt");
        app().setPrintCutFile("marks.plt");
        cfg().setProperty(Config::CPT_Enable_Print_Marker_Type, 2);
        cfg().setProperty(Config::CPT_Enable_DrawLine, true);
        const int before = int(m_server.spooled("Label_Single").size());
        QVERIFY(app().printPdf(app().printFile(), "Label_Single", 1));
        QVERIFY(m_server.waitForSpooled("Label_Single", before + 1));
        const QImage page = readSpooled(m_server.spooled("Label_Single").last()).page;
        const double px = page.width() / 100.0; // pixels per mm
        const QRect box = QRectF(8 * px, 4 * px, 16 * px, 2 * px).toAlignedRect();
        const QRect around = box.adjusted(-int(1.5 * px), -int(1.5 * px), int(1.5 * px), int(1.5 * px));
        int inside = 0, outside = 0;
        QRect ink;
        for (int y = around.top(); y <= around.bottom(); ++y) {
            for (int x = around.left(); x <= around.right(); ++x) {
                if (y < 2 || !dark(page.pixel(x, y)))
                    continue; // the top line is not the marker
                const bool in = box.adjusted(-1, -1, 1, 1).contains(x, y);
                (in ? inside : outside)++;
                ink |= QRect(x, y, 1, 1);
            }
        }
        QVERIFY2(inside > 20 && outside == 0, qPrintable(QStringLiteral("%1 in, %2 out").arg(inside).arg(outside)));
        // Whole digits, not a larger text cut off at the box: the ink keeps clear of its top and right.
        QVERIFY2(ink.top() > box.top() && ink.right() < box.right() - px,
                 qPrintable(QStringLiteral("ink %1,%2 %3x%4 in box %5,%6 %7x%8").arg(ink.x()).arg(ink.y()).arg(ink.width())
                                .arg(ink.height()).arg(box.x()).arg(box.y()).arg(box.width()).arg(box.height())));
        for (const int y : {0, page.height() - 2}) {
            int inked = 0;
            for (int x = 0; x < page.width(); ++x)
                inked += dark(page.pixel(x, y)) || dark(page.pixel(x, y + 1)) ? 1 : 0;
            QVERIFY2(inked > page.width() * 9 / 10, qPrintable(QString::number(inked)));
        }
    }

    // With a data source each copy is the next record's page; past the last record printing stops with a message.
    void dataSourceRecords()
    {
        SceneData s;
        s.hasPage = true;
        s.pageMm = QSizeF(100, 50);
        s.fields << VariableField{VariableField::QrCode, QStringLiteral("Name"), {}, QRectF(60, 5, 30, 30)};
        QVERIFY(writeFile("label.tqc", SceneWriter::tqc(s)));
        QVERIFY(XlsxFixture::write(QDir::current().absoluteFilePath("data.xlsx"), {"Name", "Alpha", "Beta", "Gamma"}));
        Notifier::setFileChooser([](const QString &, const QString &, const QString &) {
            return QDir::current().absoluteFilePath("data.xlsx");
        });
        app().setPrintFile("label.tqc");
        QVERIFY(app().enabledDataSource());
        QCOMPARE(app().dataIndex(), 1);
        const int before = int(m_server.spooled("Epson_Label").size());
        // From another thread, as the task's print step: each record is made on the GUI thread.
        std::atomic<int> result{-1};
        std::thread printer([&] { result = app().printPdf(app().printFile(), "Epson_Label", 3) ? 1 : 0; });
        QTRY_VERIFY_WITH_TIMEOUT(result.load() >= 0, 60000);
        printer.join();
        QCOMPARE(result.load(), 0); // the third copy has no record
        QVERIFY(m_notes->messages().contains("数据源没有更多记录"));
        QVERIFY(m_server.waitForSpooled("Epson_Label", before + 2));
        QStringList names;
        for (const QString &job : m_server.spooled("Epson_Label").mid(before))
            names << codesOn(job);
        QCOMPARE(names, (QStringList{"QR-Code:Beta", "QR-Code:Gamma"}));
        QCOMPARE(app().printCopies(), 2);
        // The last record is not printed again.
        QVERIFY(!app().printPdf(app().printFile(), "Epson_Label", 1));
        QCOMPARE(app().printCopies(), 2);
    }

    // A print file that cannot be read, or a queue that does not exist: nothing printed, nothing counted.
    void refused_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("queue");
        QTest::newRow("no such queue") << int(TestPdf::Good) << "Epson_Nowhere";
        QTest::newRow("broken PDF") << int(TestPdf::Truncated) << "Epson_Label";
        QTest::newRow("encrypted PDF") << int(TestPdf::Encrypted) << "Epson_Label";
        QTest::newRow("page-less PDF") << int(TestPdf::PageLess) << "Epson_Label";
    }
    void refused()
    {
        QFETCH(int, kind);
        QFETCH(QString, queue);
        QVERIFY(TestPdf::write("bad file 坏.pdf", QSizeF(100, 50), TestPdf::Kind(kind)));
        app().setPrintFile("bad file 坏.pdf");
        const int before = int(m_server.spooled("Epson_Label").size());
        QVERIFY(!app().printPdf(app().printFile(), queue, 2));
        QCOMPARE(app().printCopies(), 0);
        QCOMPARE(int(m_server.spooled("Epson_Label").size()), before);
    }
};

DRAVO_APP_TEST_MAIN(TestPrintQueue)
#include "tst_printqueue.moc"
