#include "tests/app/AppTestSupport.h"
#include "tests/platform/XlsxFixture.h"
#include "app/vision/ImageProvider.h"
#include "configuration/Notifier.h"
#include "tests/support/Recorder.h"
#include "platform/graphics/scenefiles/SceneWriter.h"
#include "tests/support/printing/TestPdf.h"

#include "platform/graphics/GScene.h"

#include <QApplication>
#include <QSignalSpy>
#include <QUrl>

namespace {

struct Question
{
    QString caption, folder, filter;
};

} // namespace

// The files of a print job: the print file and its preview, the print cut
// file, the data source and its records, the cut file and its export; the
// questions they ask and the files they refuse.
class TestPrintFiles : public QObject
{
    Q_OBJECT

    std::unique_ptr<AppFixture> m_fx;
    std::unique_ptr<NotifierRecorder> m_notes;
    QList<Question> m_questions;
    QString m_answer;

    static DravolinteApp &app() { return AppFixture::app(); }
    Config &cfg() { return *m_fx->config; }
    QString programFolder() const { return m_fx->dir.path(); }

    static void writeScene(const QString &path)
    {
        SceneData s;
        s.hasPage = true;
        s.pageMm = QSizeF(100, 50);
        s.paths << ScenePath{QPainterPath(QPointF(20, 20)), 1};
        s.paths.back().path.lineTo(120, 100);
        s.fields << VariableField{VariableField::Text, QStringLiteral("Name"), {}, QRectF(5, 5, 50, 8)};
        QVERIFY(writeFile(path, SceneWriter::tqc(s)));
    }
    // One question so far, with this caption and filter, starting in the working folder.
    bool askedOnce(const QString &caption, const QString &filter) const
    {
        return m_questions.size() == 1 && m_questions[0].caption == caption && m_questions[0].filter == filter
               && m_questions[0].folder == QDir::current().absolutePath();
    }
    static QStringList records(int count)
    {
        QStringList rows{"Name"};
        for (int i = 0; i < count; ++i)
            rows << QStringLiteral("Record %1").arg(i);
        return rows;
    }

private slots:
    void initTestCase()
    {
        writeScene("label.tqc");
        QVERIFY(XlsxFixture::write(QDir::current().absoluteFilePath("data.xlsx"), records(14)));
        QVERIFY(TestPdf::write("page 页.pdf", QSizeF(100, 50)));
    }

    void init()
    {
        m_fx = std::make_unique<AppFixture>();
        m_notes = std::make_unique<NotifierRecorder>();
        m_questions.clear();
        m_answer.clear();
        Notifier::setFileChooser([this](const QString &caption, const QString &folder, const QString &filter) {
            m_questions << Question{caption, folder, filter};
            return m_answer;
        });
    }

    void cleanup()
    {
        m_notes.reset();
        m_fx.reset();
    }

    // A scene file chosen as cut file while no print file is set is the print file too: the data source is asked for.
    void sceneAsCutFile()
    {
        QVERIFY(app().printFile().isEmpty());
        m_answer = QDir::current().absoluteFilePath("data.xlsx");
        app().setCutFile(QDir::current().absoluteFilePath("label.tqc"));
        QVERIFY(askedOnce("选择数据源", "Excel文件 (*.xlsx)"));
        QVERIFY(app().enabledDataSource());
        QCOMPARE(app().printFile(), programFolder() + "/1pdf.pdf");
        QCOMPARE(app().cutFile(), app().cutShowFile());
        QCOMPARE(app().saveFile(), programFolder() + "/tmp.plt");
        // A PDF chosen next switches the data source off, though one is chosen.
        app().setPrintFile("page 页.pdf");
        QVERIFY(!app().enabledDataSource());
        QCOMPARE(app().dataSource(), m_answer);
    }

    // The page size under the preview, a new URL for each preview, the preview turned and served.
    void preview()
    {
        app().setPrintFile(QUrl::fromLocalFile(QDir::current().absoluteFilePath("page 页.pdf")).toString(QUrl::FullyEncoded));
        QCOMPARE(app().printFile(), QDir::current().absoluteFilePath("page 页.pdf"));
        QCOMPARE(app().printTip(), QStringLiteral("文件尺寸  100.00 x 50.00  mm²"));
        const QString first = app().printImgPath();
        QVERIFY(first.startsWith("image://myImage/printImg"));
        app().setPrintFile("page 页.pdf");
        QVERIFY(app().printImgPath() != first);
        QCOMPARE(app().printImage().size(), QSize(142, 283));
        QCOMPARE(app().imageProvider()->requestImage("printImg42", nullptr, QSize()).size(), QSize(142, 283));
    }

    void badPrintFiles_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSizeF>("sizeMm");
        QTest::addColumn<QString>("tip");
        QTest::newRow("broken") << int(TestPdf::Truncated) << "broken.pdf" << QSizeF(100, 50) << "0.00 x 0.00";
        QTest::newRow("encrypted") << int(TestPdf::Encrypted) << "locked.pdf" << QSizeF(100, 50) << "0.00 x 0.00";
        QTest::newRow("no page") << int(TestPdf::PageLess) << "empty.pdf" << QSizeF(100, 50) << "0.00 x 0.00";
        QTest::newRow("a web page") << int(TestPdf::NotPdf) << "page.PDF" << QSizeF(100, 50) << "0.00 x 0.00";
        QTest::newRow("giant") << int(TestPdf::Good) << "giant \"5 m\".pdf" << QSizeF(5080, 5080) << "5080.00 x 5080.00";
    }
    // A message and no page to print, no crash; a giant page's preview stays within 4096 pixels.
    void badPrintFiles()
    {
        QFETCH(int, kind);
        QFETCH(QString, name);
        QFETCH(QSizeF, sizeMm);
        QFETCH(QString, tip);
        QVERIFY(TestPdf::write(name, sizeMm, TestPdf::Kind(kind)));
        app().setPrintFile(name);
        QCOMPARE(app().printFile(), name);
        QCOMPARE(app().printTip(), QStringLiteral("文件尺寸  ") + tip + QStringLiteral("  mm²"));
        if (kind == TestPdf::Good) {
            QVERIFY(m_notes->messages().isEmpty());
            QVERIFY(!app().printImage().isNull() && app().printImage().width() <= 4096 && app().printImage().height() <= 4096);
        } else {
            QCOMPARE(m_notes->messages(), QStringList{QStringLiteral("打印文件无法打开\n") + name});
            QVERIFY(app().printImage().isNull() && !app().printPageSize().isValid());
        }
    }

    // TIF files are print files on VT_7x4 only; elsewhere the preview and size stay, the tip is set again.
    void tifFiles()
    {
        QImage tif(300, 150, QImage::Format_RGB32);
        tif.fill(Qt::darkCyan);
        QVERIFY(tif.save("label.tif"));
        QVERIFY(writeFile("bad.tif", "II*\0garbage"));
        app().setPrintFile("page 页.pdf");
        app().setPrintFile("label.tif");
        QCOMPARE(app().printFile(), QStringLiteral("label.tif"));
        QCOMPARE(app().printImage().size(), QSize(142, 283));
        QCOMPARE(app().printTip(), QStringLiteral("文件尺寸  100.00 x 50.00  mm²"));
        cfg().setProperty(Config::CPT_Version, int(Config::VT_7x4));
        app().setPrintFile("label.tif");
        QCOMPARE(app().printImage().size(), QSize(150, 300));
        QCOMPARE(app().printTip(), QStringLiteral("文件尺寸  105.83 x 52.92  mm²"));
        app().setPrintFile("bad.tif");
        QVERIFY(app().printImage().isNull());
        QCOMPARE(m_notes->messages(), QStringList{QStringLiteral("打印文件无法打开\nbad.tif")});
    }

    // Record 12 is written as 12pdf.pdf in the program's folder; only record pages written before go.
    void recordPages()
    {
        QVERIFY(writeFile(programFolder() + "/xpdf.pdf", "operator's"));
        QVERIFY(writeFile(programFolder() + "/note pdf.pdf", "operator's"));
        QVERIFY(writeFile("3pdf.pdf", "in the working folder"));
        m_answer = QDir::current().absoluteFilePath("data.xlsx");
        app().setDataSource(QString());
        app().setPrintFile("label.tqc");
        QVERIFY(QFile::exists(programFolder() + "/1pdf.pdf"));
        QSignalSpy changed(&app(), &DravolinteApp::dataIndexChanged);
        app().setDataIndex(12);
        QCOMPARE(changed.size(), 1);
        QCOMPARE(app().dataIndex(), 12);
        QCOMPARE(app().printFile(), programFolder() + "/12pdf.pdf");
        QVERIFY(QFile::exists(programFolder() + "/12pdf.pdf") && !QFile::exists(programFolder() + "/1pdf.pdf"));
        for (const QString &kept : {programFolder() + "/xpdf.pdf", programFolder() + "/note pdf.pdf", QStringLiteral("3pdf.pdf")})
            QVERIFY2(QFile::exists(kept), qPrintable(kept));
        // Past the last record: a message, nothing deleted, nothing changed.
        app().setDataIndex(14);
        QCOMPARE(m_notes->messages(), QStringList{"数据源没有更多记录"});
        QCOMPARE(app().dataIndex(), 12);
        QCOMPARE(app().printFile(), programFolder() + "/12pdf.pdf");
        QVERIFY(QFile::exists(programFolder() + "/12pdf.pdf"));
        // With the data source off the index does not move at all.
        app().setEnabledDataSource(false);
        app().setDataIndex(3);
        QCOMPARE(app().dataIndex(), 12);
    }

    void badDataSources_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // empty: an empty sheet
        QTest::newRow("not a workbook") << QByteArray("<html>not a workbook</html>");
        QTest::newRow("an empty sheet") << QByteArray();
        QTest::newRow("no such file") << QByteArray("-");
    }
    // Refused with a message: the data source stays off and as it was.
    void badDataSources()
    {
        QFETCH(QByteArray, bytes);
        const QString path = QDir::current().absoluteFilePath("bad source.xlsx");
        QFile::remove(path);
        if (bytes.isEmpty())
            QVERIFY(XlsxFixture::write(path, {"Name"}));
        else if (bytes != "-")
            QVERIFY(writeFile(path, bytes));
        app().setPrintFile("page 页.pdf");
        app().setDataSource(QString());
        QSignalSpy changed(&app(), &DravolinteApp::dataSourceChanged);
        app().setDataSource(path);
        QCOMPARE(m_notes->messages(), QStringList{"数据源无法读取"});
        QVERIFY(app().dataSource().isEmpty() && !app().enabledDataSource() && changed.isEmpty());
    }

    // With a marker the print file's cut file is asked for; cancelled, the print cut file is cleared.
    void printCutFileQuestion()
    {
        cfg().setProperty(Config::CPT_Enable_Print_Marker_Type, 1);
        writeScene("marks.plt");
        m_answer = QDir::current().absoluteFilePath("marks.plt");
        app().setPrintFile(QDir::current().absoluteFilePath("page 页.pdf"));
        QVERIFY(askedOnce("选择打印文件对应的切割文件", "切割文件 (*.plt)"));
        QCOMPARE(app().printCutFile(), m_answer);
        QVERIFY(!app().printCutScene()->gItemAll().isEmpty());
        QCOMPARE(app().currentWorkRecord().cut_file, m_answer);
        m_answer.clear();
        app().setPrintFile(QDir::current().absoluteFilePath("page 页.pdf"));
        QVERIFY(app().printCutFile().isEmpty() && app().printCutScene()->gItemAll().isEmpty());
    }

    // Cutting turned round or not: the cut file is opened again, when there is one.
    void cutInverse()
    {
        QSignalSpy opened(&app(), &DravolinteApp::openScene);
        app().setCutFile("cut.plt");
        opened.clear();
        app().onPropertyChanged(Config::CPT_Cut_Inverse, true);
        QCOMPARE(opened.size(), 1);
        QCOMPARE(opened.first().first().toString(), QStringLiteral("cut.plt"));
        app().setCutFile(QString());
        opened.clear();
        app().onPropertyChanged(Config::CPT_Cut_Inverse, false);
        QVERIFY(opened.isEmpty());
    }

    // The cut scene's export: written, or, where it cannot be, a message instead of silence.
    void saveFile()
    {
        app().setSaveFile("export.plt");
        QVERIFY(QFile::exists("export.plt"));
        QVERIFY(m_fx->driver->errorMessage().isEmpty());
        app().setSaveFile("no/such/folder/export.plt");
        QCOMPARE(m_fx->driver->errorMessage(), QStringLiteral("切割文件导出失败"));
    }
};

DRAVO_APP_TEST_MAIN(TestPrintFiles)
#include "tst_printfiles.moc"
