#include "tests/support/printing/StandIns.h"
#include "tests/support/XDisplay.h"
#include "app/printing/OutsidePrograms.h"
#include "tests/app/AppTestSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <csignal>

// The RIP and the printer program kept running and minimised on an X11
// desktop with a window manager; a copy started elsewhere left alone; the
// report opened in whichever spreadsheet program there is.
class TestOutsidePrograms : public QObject
{
    Q_OBJECT

    XDisplay m_display;
    QString m_rip, m_printerSoft;

    // A copy of the window program under another name, in the test's folder.
    static QString windowProgram(const QString &name)
    {
        const QString path = QDir::current().absoluteFilePath(name);
        QFile::remove(path);
        if (!QFile::copy(QCoreApplication::applicationDirPath() + "/ripstandin", path))
            return QString();
        QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner);
        return path;
    }
    static void setUp(AppFixture &fx, const QString &rip, const QString &printerSoft)
    {
        fx.config->setProperty(Config::CPT_Version, int(Config::VT_7x4));
        fx.config->setProperty(Config::CPT_Enable_Print, true);
        fx.config->setProperty(Config::CPT_RIIN_Path, rip);
        fx.config->setProperty(Config::CPT_Printer_Soft_Path, printerSoft);
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(m_display.start(true), qPrintable(m_display.error()));
        m_rip = windowProgram("RIP 软件 (1)");
        m_printerSoft = windowProgram("PrinterSoftwareWithALongName");
        QVERIFY(!m_rip.isEmpty() && !m_printerSoft.isEmpty());
    }

    // Started and minimised; the printer program's watch ends then, the RIP's once it stayed so for 5 s.
    // Killed, each is started again and minimised again; at the end both are closed.
    void keptRunningAndMinimised()
    {
        AppFixture fx;
        setUp(fx, m_rip, m_printerSoft);
        OutsidePrograms programs;
        programs.init({});
        QTRY_VERIFY_WITH_TIMEOUT(m_display.windowState(programs.rip().processId()) == XDisplay::Iconified, 20000);
        QTRY_VERIFY_WITH_TIMEOUT(m_display.windowState(programs.printerSoft().processId()) == XDisplay::Iconified, 20000);
        QTRY_VERIFY_WITH_TIMEOUT(!programs.isWatching(programs.printerSoft()), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(!programs.isWatching(programs.rip()), 20000);

        for (QProcess *process : {&programs.rip(), &programs.printerSoft()}) {
            const qint64 before = process->processId();
            ::kill(pid_t(before), SIGKILL);
            QTRY_VERIFY_WITH_TIMEOUT(process->processId() > 0 && process->processId() != before, 20000);
            QTRY_VERIFY_WITH_TIMEOUT(m_display.windowState(process->processId()) == XDisplay::Iconified, 20000);
        }
        programs.close();
        QVERIFY(programs.rip().state() == QProcess::NotRunning && programs.printerSoft().state() == QProcess::NotRunning);
    }

    // A copy of the program that runs already (its name longer than the kernel's 15 bytes) is not started twice.
    void copyRunningElsewhere()
    {
        QProcess elsewhere;
        elsewhere.start(m_printerSoft, {});
        QVERIFY(elsewhere.waitForStarted(10000));
        AppFixture fx;
        setUp(fx, m_rip, m_printerSoft);
        OutsidePrograms programs;
        QVERIFY(!programs.openProcess(programs.printerSoft()));
        programs.printerSoft().setProgram(m_printerSoft);
        QVERIFY(!programs.openProcess(programs.printerSoft()));
        QCOMPARE(programs.printerSoft().state(), QProcess::NotRunning);
        elsewhere.kill();
        elsewhere.waitForFinished(10000);
    }

    // A program that ends at once is started again once a second, not at once for ever.
    void quickEndsRestartOnceASecond()
    {
        const QString starts = QDir::current().absoluteFilePath("starts.txt");
        QVERIFY(writeFile("quits at once", QStringLiteral("#!/bin/sh\ndate +%s%N >> '%1'\n").arg(starts).toUtf8()));
        QFile::setPermissions("quits at once", QFile::permissions("quits at once") | QFile::ExeOwner);
        AppFixture fx;
        setUp(fx, QDir::current().absoluteFilePath("quits at once"), QString());
        OutsidePrograms programs;
        programs.init({});
        const auto times = [&] {
            QList<qint64> ns;
            for (const QByteArray &line : readAll(starts).split('\n'))
                if (!line.isEmpty())
                    ns << line.toLongLong();
            return ns;
        };
        QTRY_VERIFY_WITH_TIMEOUT(times().size() >= 4, 20000);
        programs.close();
        const QList<qint64> ns = times();
        for (int i = 1; i < ns.size(); ++i)
            QVERIFY2(ns[i] - ns[i - 1] >= 900'000'000LL, qPrintable(QString::number(ns[i] - ns[i - 1])));
    }

    // The same path changes nothing; a new one ends the running program and starts the new one soon.
    void pathChanged()
    {
        AppFixture fx;
        setUp(fx, m_rip, QString());
        OutsidePrograms programs;
        programs.init({});
        QTRY_VERIFY_WITH_TIMEOUT(programs.rip().processId() > 0, 20000);
        const qint64 first = programs.rip().processId();
        programs.pathChanged(Config::CPT_RIIN_Path, m_rip);
        QCOMPARE(programs.rip().processId(), first);
        const QString other = windowProgram("another RIP");
        programs.pathChanged(Config::CPT_RIIN_Path, other);
        QVERIFY(programs.isWatching(programs.rip()));
        QTRY_VERIFY_WITH_TIMEOUT(programs.rip().processId() > 0 && programs.rip().program() == other, 10000);
        QVERIFY(programs.rip().processId() != first);
        programs.close();
    }

    // Without a display the windows count as minimised (said once); off VT_7x4 nothing starts,
    // but an empty printer name is filled from the printers.
    void noDisplayOtherVersion()
    {
        AppFixture fx;
        fx.config->setProperty(Config::CPT_Printer_Name, QString());
        OutsidePrograms programs;
        programs.init({"Epson_Label", "CorelDRAW"});
        QCOMPARE(fx.config->printerName(), QStringLiteral("Epson_Label"));
        QVERIFY(!programs.isWatching(programs.rip()) && !programs.isWatching(programs.printerSoft()));
        const QByteArray display = qgetenv("DISPLAY");
        qputenv("DISPLAY", ":99999");
        LogCapture log;
        QVERIFY(programs.closeWndByPid(programs.rip()));
        QVERIFY(programs.closeWndByPid(programs.rip()));
        QCOMPARE(log.count("no X11 display"), 1);
        qputenv("DISPLAY", display);
    }

    void spreadsheet_data()
    {
        QTest::addColumn<QStringList>("installed");
        QTest::addColumn<QString>("called");
        QTest::addColumn<QStringList>("arguments"); // before the report's path
        const QString csv = QStringLiteral("--infilter=Text - txt - csv (StarCalc):44,34,85,1");
        QTest::newRow("LibreOffice Calc") << QStringList{"localc", "libreoffice", "et"} << "localc" << QStringList{csv};
        QTest::newRow("LibreOffice") << QStringList{"libreoffice", "et"} << "libreoffice" << QStringList{"--calc", csv};
        QTest::newRow("WPS") << QStringList{"et"} << "et" << QStringList{};
        QTest::newRow("none") << QStringList{} << "" << QStringList{};
    }
    // The report of the working folder opens in the first there is, with an argument list; none: a message.
    void spreadsheet()
    {
        QFETCH(QStringList, installed);
        QFETCH(QString, called);
        QFETCH(QStringList, arguments);
        AppFixture fx;
        StandIns programs;
        programs.hideSystem();
        for (const QString &name : installed)
            QVERIFY(programs.add(name));
        OutsidePrograms outside;
        QCOMPARE(outside.openLabelExcel(fx.driver.get()), !called.isEmpty());
        if (called.isEmpty()) {
            QCOMPARE(fx.driver->errorMessage(), QStringLiteral("文件打开失败，请安装office或wps"));
            return;
        }
        QTRY_VERIFY_WITH_TIMEOUT(programs.called(called), 10000);
        QCOMPARE(programs.arguments(called), arguments << QDir::current().absoluteFilePath("label.csv"));
    }
};

DRAVO_GUI_TEST_MAIN(TestOutsidePrograms)
#include "tst_outsideprograms.moc"
