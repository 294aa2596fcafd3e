#include "configuration/Notifier.h"
#include "tests/support/printing/PlugInPeer.h"
#include "tests/support/Recorder.h"
#include "tests/support/printing/StandIns.h"
#include "tests/support/printing/TestPdf.h"
#include "tests/app/AppTestSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QtEndian>
#include <thread>

// The ways a print goes out besides a CUPS queue: the RIP's input folder and
// the drawing program's plug-in; the task's print step, the operator's
// button and the printer's settings page.
class TestPrinting : public QObject
{
    Q_OBJECT

    std::unique_ptr<AppFixture> m_fx;
    std::unique_ptr<NotifierRecorder> m_notes;

    static DravolinteApp &app() { return AppFixture::app(); }
    Config &cfg() { return *m_fx->config; }

    // The RIP's input folder (in the test's own folder) as the print route; the folder's files.
    QString useFolder(const QString &name, bool make = true)
    {
        const QString folder = m_fx->dir.filePath(name);
        if (make)
            QDir().mkpath(folder);
        cfg().setProperty(Config::CPT_Version, int(Config::VT_7x4));
        cfg().setProperty(Config::CPT_Enable_RIIN_Input, true);
        cfg().setProperty(Config::CPT_RIIN_Input, folder);
        return folder;
    }
    QStringList folderFiles(const QString &name) const
    {
        return QDir(m_fx->dir.filePath(name)).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

private slots:
    void initTestCase()
    {
        qputenv("CUPS_SERVER", "127.0.0.1:6310");
        PlugInPeer::unlinkAll();
    }

    void init()
    {
        m_fx = std::make_unique<AppFixture>();
        m_notes = std::make_unique<NotifierRecorder>();
        cfg().setProperty(Config::CPT_Enable_Print, true);
        cfg().setProperty(Config::CPT_Printer_Name, QStringLiteral("Epson_Label"));
        app().loadCheckParams();
        app().reCount();
        app().setPrintTaskCopies(0);
        app().setTaskStatus(2);
        app().printing().setPlugInWaitMs(Printing::kPlugInWaitMs);
        QVERIFY(TestPdf::write("标签 1.pdf", QSizeF(100, 50)));
        app().setPrintFile("标签 1.pdf");
    }

    void cleanup()
    {
        m_notes.reset();
        m_fx.reset();
    }

    void inputFolder_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<int>("copies");
        QTest::addColumn<bool>("result");
        QTest::addColumn<int>("copied");
        QTest::newRow("three copies") << "热 文件夹 'q'" << 3 << true << 3;
        QTest::newRow("no copies") << "热 文件夹 'q'" << 0 << true << 0;
        QTest::newRow("no such folder") << "gone/away" << 2 << false << 0;
    }
    // Numbered copies, never seen half-written; a failed copy is logged and not counted.
    void inputFolder()
    {
        QFETCH(QString, folder);
        QFETCH(int, copies);
        QFETCH(bool, result);
        QFETCH(int, copied);
        useFolder(folder, !folder.startsWith("gone"));
        const float before = cfg().todayPrint();
        LogCapture log;
        QCOMPARE(app().printPdf(app().printFile(), "Epson_Label", copies), result);
        const QStringList files = folderFiles(folder);
        QCOMPARE(int(files.size()), copied);
        for (int i = 0; i < copied; ++i)
            QVERIFY2(QRegularExpression(QStringLiteral("^%1_\\d+_标签 1\\.pdf$").arg(i + 1)).match(files[i]).hasMatch(),
                     qPrintable(files[i]));
        QCOMPARE(app().printCopies(), copied);
        QVERIFY(qAbs(cfg().todayPrint() - before - 0.05f * copied) < 1e-4f);
        QCOMPARE(log.count("CopyFileA failed"), result ? 0 : copies);
    }

    void printStep_data()
    {
        QTest::addColumn<QList<int>>("setting"); // task copies, printed, copies once, trigger, roller max, print roller
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("printed");
        QTest::newRow("room for 3 of 5") << QList<int>{0, 0, 5, 15, 100, 0} << "标签 1.pdf" << 3;
        QTest::newRow("2 left of the task") << QList<int>{4, 2, 5, 15, 100, 0} << "标签 1.pdf" << 2;
        QTest::newRow("all printed: none more") << QList<int>{2, 2, 5, 15, 100, 0} << "标签 1.pdf" << 0;
        QTest::newRow("trigger below the roller: one") << QList<int>{0, 0, 5, 0, 100, 10} << "标签 1.pdf" << 1;
        QTest::newRow("web above the bound: none") << QList<int>{0, 0, 5, 150, 100, 120} << "标签 1.pdf" << 0;
        QTest::newRow("no page size: none") << QList<int>{0, 0, 5, 15, 100, 0} << "broken.pdf" << 0;
    }
    // The task's step prints what fits on the web up to what the task still wants.
    void printStep()
    {
        QFETCH(QList<int>, setting);
        QFETCH(QString, file);
        QFETCH(int, printed);
        QVERIFY(TestPdf::write("broken.pdf", QSizeF(100, 50), TestPdf::Truncated));
        app().setPrintFile(file);
        useFolder("rip");
        app().setPrintTaskCopies(setting[0]);
        app().setPrintCopies(setting[1]);
        cfg().setProperty(Config::CPT_printCopiesOnce, setting[2]);
        cfg().setProperty(Config::CPT_Print_Roller_Trigger, double(setting[3]) / 4.0);
        cfg().setProperty(Config::CPT_Print_Roller_Max, setting[4]);
        m_fx->driver->setPrintRoller(setting[5]);
        app().print();
        QCOMPARE(int(folderFiles("rip").size()), printed);
        QCOMPARE(app().printCopies(), setting[1] + printed);
    }

    // The plug-in gets the 84-byte request and prints the pages of one batch.
    void plugInRequest()
    {
        PlugInPeer peer;
        QVERIFY(peer.isValid());
        cfg().setProperty(Config::CPT_printPagesOnce, 3);
        QVERIFY(app().printPdf(QString(), "CorelDRAW", 1));
        QCOMPARE(peer.requests().size(), 1);
        const QByteArray request = peer.requests().first();
        QCOMPARE(request.size(), 84);
        QList<qint32> fields;
        for (int i = 0; i < 5; ++i)
            fields << qFromLittleEndian<qint32>(request.constData() + 4 * i);
        QCOMPARE(fields, (QList<qint32>{1, 3, 0, 8, 1}));
        QCOMPARE(app().printCopies(), 3);
    }

    void plugInFailures_data()
    {
        QTest::addColumn<int>("mode"); // -1: no plug-in
        QTest::addColumn<int>("blockSize");
        QTest::addColumn<QString>("line");
        QTest::newRow("no plug-in") << -1 << 4096 << "OpenMutex fail: file not found!";
        QTest::newRow("stale block") << int(PlugInPeer::Answers) << 10 << "MapViewOfFile";
        QTest::newRow("never answers") << int(PlugInPeer::Silent) << 4096 << "LPC_SRO timed out";
        QTest::newRow("died holding the mutex") << int(PlugInPeer::HoldsMutex) << 4096 << "LPC_Mutex timed out";
    }
    // Each gives false within the wait, counts nothing, and the link works again once the plug-in does.
    void plugInFailures()
    {
        QFETCH(int, mode);
        QFETCH(int, blockSize);
        QFETCH(QString, line);
        app().printing().setPlugInWaitMs(1000);
        {
            std::unique_ptr<PlugInPeer> peer;
            if (mode >= 0)
                peer = std::make_unique<PlugInPeer>(PlugInPeer::Mode(mode), blockSize);
            LogCapture log;
            QElapsedTimer clock;
            clock.start();
            QVERIFY(!app().printPdf(QString(), "CorelDRAW", 1));
            QVERIFY(clock.elapsed() < 20000);
            QVERIFY2(log.count(line) == 1, qPrintable(log.lines.join('\n')));
            QCOMPARE(app().printCopies(), 0);
        }
        PlugInPeer revived;
        QVERIFY(app().printPdf(QString(), "CorelDRAW", 1));
        QCOMPARE(revived.requests().size(), 1);
    }

    // The task's stop ends the wait for a plug-in that does not answer, long before its 30 s.
    void plugInStop()
    {
        PlugInPeer peer(PlugInPeer::Silent);
        cfg().setProperty(Config::CPT_Printer_Name, QStringLiteral("CorelDRAW"));
        cfg().setProperty(Config::CPT_Print_Roller_Max, 1000);
        cfg().setProperty(Config::CPT_Print_Roller_Trigger, 100);
        app().setTaskStatus(1);
        std::atomic<bool> done{false};
        QElapsedTimer clock;
        clock.start();
        std::thread step([&] {
            app().print();
            done = true;
        });
        auto joined = qScopeGuard([&] {
            app().setTaskStatus(2);
            step.join();
        });
        QTRY_VERIFY_WITH_TIMEOUT(peer.asked() == 1, 10000);
        app().setTaskStatus(2);
        QTRY_VERIFY_WITH_TIMEOUT(done.load(), 10000);
        QVERIFY(clock.elapsed() < Printing::kPlugInWaitMs);
        QCOMPARE(app().printCopies(), 0);
    }

    void buttonRefusals_data()
    {
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("markerType");
        QTest::addColumn<QString>("message");
        QTest::newRow("printing off") << false << "标签 1.pdf" << 0 << "禁用打印";
        QTest::newRow("no print file") << true << "" << 0 << "打印文件未打开 \n";
        QTest::newRow("marker without cut file") << true << "标签 1.pdf" << 1 << "切割文件未打开 \n";
    }
    void buttonRefusals()
    {
        QFETCH(bool, enabled);
        QFETCH(QString, file);
        QFETCH(int, markerType);
        QFETCH(QString, message);
        useFolder("rip");
        cfg().setProperty(Config::CPT_Enable_Print, enabled);
        cfg().setProperty(Config::CPT_Enable_Print_Marker_Type, markerType);
        app().setPrintCutFile(QString());
        app().loadCheckParams();
        app().printPdfFile(file, "Epson_Label");
        QCOMPARE(m_notes->messages(), QStringList{message});
        QVERIFY(folderFiles("rip").isEmpty());
    }

    // The button prints off the GUI thread, from a file URL; a second press while it prints is refused.
    void buttonPrints()
    {
        useFolder("rip");
        cfg().setProperty(Config::CPT_printCopiesOnce, 2);
        app().printPdfFile(QUrl::fromLocalFile(QDir::current().absoluteFilePath("标签 1.pdf")).toString(QUrl::FullyEncoded), "Epson_Label");
        QTRY_COMPARE_WITH_TIMEOUT(app().printCopies(), 2, 10000);
        QCOMPARE(folderFiles("rip").size(), 2);

        cfg().setProperty(Config::CPT_Enable_RIIN_Input, false);
        PlugInPeer peer(PlugInPeer::Silent);
        app().printing().setPlugInWaitMs(3000);
        app().printPdfFile(QString(), "CorelDRAW");
        QTRY_VERIFY_WITH_TIMEOUT(peer.asked() == 1, 10000);
        app().printPdfFile(QString(), "CorelDRAW");
        QTRY_VERIFY_WITH_TIMEOUT(m_notes->messages().contains("正在打印,请稍后重试"), 10000);
        // The first one ends by itself (the threads are joined at the end of the program, or here).
        QTRY_VERIFY_WITH_TIMEOUT(app().printPdf(QString(), "CorelDRAW", 0) == false, 20000);
    }

    // The printer's page of the CUPS server opens in the browser; the plug-in has none.
    void printerPreference()
    {
        StandIns programs;
        QVERIFY(programs.add("xdg-open"));
        app().printerPreference(QStringLiteral("Epson 标签"));
        QTRY_VERIFY_WITH_TIMEOUT(programs.called("xdg-open"), 10000);
        QCOMPARE(programs.arguments("xdg-open"),
                 QStringList{"http://127.0.0.1:6310/printers/Epson%20%E6%A0%87%E7%AD%BE"});
        QFile::remove(programs.path() + "/xdg-open.args");
        app().slotprinterPreference(QStringLiteral("CorelDRAW"));
        QVERIFY(!programs.called("xdg-open"));
    }
};

DRAVO_APP_TEST_MAIN(TestPrinting)
#include "tst_printing.moc"
