#include "tests/support/cameras/CheckResults.h"
#include "inspection/labelcheck/LabelReport.h"
#include "tests/support/TestMain.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

Q_DECLARE_METATYPE(ReadData)

// The inspection report's rows: the fields and their quoting, GBK with CR LF,
// and what a spreadsheet program makes of them.
class TestLabelReport : public QObject
{
    Q_OBJECT

    static LabelRecord label(int status, int x, int y) { return CheckResults::label(status, x, y); }
    static LabelCode code(const std::string &type, const std::string &content)
    {
        LabelCode c;
        c.type = type;
        c.code = content;
        c.x = 10;
        c.y = 20;
        c.width = 30;
        c.height = 40;
        return c;
    }
    // first_edge 100, page from row 200, 0.25 mm per pixel; bands of 50 mm along, 40 mm across.
    static LabelReport::Page page(bool qr = true)
    {
        LabelReport::Page p;
        p.time = QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9));
        p.segmentX = 200;
        p.scale = 0.25;
        p.rows = {{0, 50}, {50, 100}};
        p.cols = {{0, 40}, {40, 80}};
        p.qrCodes = qr;
        p.barCodes = true;
        p.texts = true;
        return p;
    }
    static ReadData result(std::vector<LabelRecord> labels)
    {
        ReadData r = CheckResults::paper(100, 500, 200);
        r.labels = std::move(labels);
        return r;
    }
    static ReadData examplePage()
    {
        LabelRecord checked = label(1, 300, 280);
        checked.qrCodes.push_back(code("QR-Code", "ABC"));
        return result({label(0, 110, 210), label(0, 110, 450), checked});
    }

    // Comma-separated cells of UTF-8 text as a spreadsheet writes them: quoted
    // cells may hold commas, line breaks and doubled quotes.
    static QList<QStringList> parseCsv(const QString &text)
    {
        QList<QStringList> rows;
        QStringList row;
        QString cell;
        bool quoted = false, any = false;
        for (int i = 0; i < text.size(); ++i) {
            const QChar c = text[i];
            if (quoted) {
                if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                    cell += '"';
                    ++i;
                } else if (c == '"') {
                    quoted = false;
                } else {
                    cell += c;
                }
            } else if (c == '"') {
                quoted = true;
                any = true;
            } else if (c == ',') {
                row << cell;
                cell.clear();
            } else if (c == '\n' || c == '\r') {
                if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                    ++i;
                row << cell;
                rows << row;
                row.clear();
                cell.clear();
                any = false;
            } else {
                cell += c;
                any = true;
            }
        }
        if (any || !cell.isEmpty() || !row.isEmpty())
            rows << (row << cell);
        return rows;
    }

private slots:
    // One whole row, byte for byte: GBK's ideographic comma, CR LF inside and at the end.
    void examplePageBytes()
    {
        const QByteArray expected = "2024-05-06 07:08:09,\"lost: 2, check: 1, QR: 1\","
                                    "\"LOST1\xA1\xA2" "0, 0(110, 210, 120, 80)\r\nLOST2\xA1\xA2" "1, 0(110, 450, 120, 80)\","
                                    "\"CHECK1 0, 1(300, 280, 120, 80):\r\nQR1\xA1\xA2type QR-Code, code ABC (10, 20, 30, 40)\"\r\n";
        QCOMPARE(LabelReport::encode(LabelReport::row(examplePage(), page())), expected);
    }

    void rows_data()
    {
        QTest::addColumn<ReadData>("result");
        QTest::addColumn<bool>("qr");
        QTest::addColumn<QString>("row");
        QTest::newRow("no labels") << result({}) << true << "2024-05-06 07:08:09,\"lost: 0, check: 0\",,\n";
        LabelRecord withQr = label(1, 110, 210);
        withQr.qrCodes.push_back(code("QR-Code", "ABC"));
        QTest::newRow("QR read, QR reading off")
            << result({withQr}) << false
            << "2024-05-06 07:08:09,\"lost: 0, check: 1\",,\"CHECK1 0, 0(110, 210, 120, 80):\n"
               "QR1、type QR-Code, code ABC (10, 20, 30, 40)\"\n";
        LabelRecord texts = label(2, 300, 450);
        texts.barCodes.push_back(code("CODE-128", "4711"));
        texts.barCodes.push_back(code("EAN-13", "%1 %2"));
        LabelText noBox;
        noBox.text = "LOT";
        noBox.confidence = 0.123456789;
        texts.texts.push_back(noBox);
        LabelText boxed;
        boxed.text = "42";
        boxed.confidence = 1;
        boxed.box = {{7, 8}, {9, 8}, {9, 10}};
        texts.texts.push_back(boxed);
        QTest::newRow("failed label: bars, texts, numbering across the page")
            << result({label(1, 110, 210), texts}) << true
            << "2024-05-06 07:08:09,\"lost: 0, check: 2, BAR: 2, OCR: 2\",,\"CHECK1 0, 0(110, 210, 120, 80):\n\n\n"
               "CHECK2 1, 1(300, 450, 120, 80):\nBAR1、type CODE-128, code 4711 (10, 20, 30, 40)\n"
               "BAR2、type EAN-13, code %1 %2 (10, 20, 30, 40)\nOCR1、LOT, confidence 0.123457, \n"
               "OCR2、42, confidence 1, (7, 8)\"\n";
        QTest::newRow("outside every band: row and column 0")
            << result({label(0, 20, 90), label(0, 2000, 2000)}) << true
            << "2024-05-06 07:08:09,\"lost: 2, check: 0\",\"LOST1、0, 0(20, 90, 120, 80)\nLOST2、0, 0(2000, 2000, 120, 80)\",\n";
        LabelRecord awkward = label(1, 110, 210);
        awkward.qrCodes.push_back(code("QR-Code", "X\",Y\r\nZ\rW"));
        QTest::newRow("quotes doubled, line breaks kept")
            << result({awkward}) << true
            << "2024-05-06 07:08:09,\"lost: 0, check: 1, QR: 1\",,\"CHECK1 0, 0(110, 210, 120, 80):\n"
               "QR1、type QR-Code, code X\"\",Y\nZ\nW (10, 20, 30, 40)\"\n";
    }
    void rows()
    {
        QFETCH(ReadData, result);
        QFETCH(bool, qr);
        QFETCH(QString, row);
        QCOMPARE(LabelReport::row(result, page(qr)), row);
    }

    // What GBK cannot hold becomes "?", bad UTF-8 too; every row still ends in one CR LF.
    void encoding()
    {
        LabelRecord l = label(1, 110, 210);
        l.qrCodes.push_back(code("QR-Code", "\xE4\xB8\xAD\xF0\x9F\x98\x80\xFF\x01"));
        const QByteArray bytes = LabelReport::encode(LabelReport::row(result({l}), page()));
        QVERIFY2(bytes.contains("code \xD6\xD0??") && bytes.contains("? (10, 20"), bytes.constData());
        QVERIFY(bytes.endsWith("\"\r\n") && !bytes.contains("\r\r") && bytes.count('\n') == bytes.count("\r\n"));
    }

    // The report lies in the working folder; an unwritable one says why.
    void appendToFile()
    {
        QCOMPARE(LabelReport::filePath(), QDir::current().absoluteFilePath("label.csv"));
        QVERIFY(LabelReport::append("appended.csv", "a\r\n") && LabelReport::append("appended.csv", "b\r\n"));
        QFile f("appended.csv");
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("a\r\nb\r\n"));
        QVERIFY(QDir().mkdir("taken.csv"));
        QString error;
        QVERIFY(!LabelReport::append("taken.csv", "x", &error) && !error.isEmpty());
    }

    // LibreOffice Calc reads the report as GBK: four cells per row, one row
    // per page, the quoted code whole in its cell.
    void calcReadsTheReport()
    {
        const QString soffice = QStandardPaths::findExecutable("soffice");
        if (soffice.isEmpty())
            QSKIP("LibreOffice Calc (soffice) is not installed");
        LabelRecord awkward = label(1, 300, 280);
        awkward.qrCodes.push_back(code("QR-Code", "X\",Y"));
        awkward.barCodes.push_back(code("CODE-128", "a,b\nc"));
        QByteArray file;
        for (const ReadData &r : {examplePage(), result({}), result({awkward}), examplePage()})
            file += LabelReport::encode(LabelReport::row(r, page()));
        QVERIFY(LabelReport::append("label.csv", file));
        QTemporaryDir profile, out;
        QProcess calc;
        calc.start(soffice, {"--headless", "--norestore", "-env:UserInstallation=file://" + profile.path(),
                             "--infilter=Text - txt - csv (StarCalc):44,34,85,1",
                             "--convert-to", "csv:Text - txt - csv (StarCalc):44,34,76", "--outdir", out.path(),
                             "label.csv"});
        QVERIFY(calc.waitForFinished(120000));
        QFile converted(out.filePath("label.csv"));
        QVERIFY2(converted.open(QIODevice::ReadOnly), qPrintable(calc.readAllStandardError()));
        const QList<QStringList> rows = parseCsv(QString::fromUtf8(converted.readAll()));
        QCOMPARE(rows.size(), 4);
        for (const QStringList &row : rows)
            QCOMPARE(row.size(), 4);
        QCOMPARE(rows[0][1], QStringLiteral("lost: 2, check: 1, QR: 1"));
        QCOMPARE(rows[0][2], QStringLiteral("LOST1、0, 0(110, 210, 120, 80)\nLOST2、1, 0(110, 450, 120, 80)"));
        QCOMPARE(rows[1][2], QString());
        QCOMPARE(rows[2][3], QStringLiteral("CHECK1 0, 1(300, 280, 120, 80):\nBAR1、type CODE-128, code a,b\nc (10, 20, 30, 40)\n"
                                            "QR1、type QR-Code, code X\",Y (10, 20, 30, 40)"));
    }
};

DRAVO_TEST_MAIN(TestLabelReport)
#include "tst_labelreport.moc"
