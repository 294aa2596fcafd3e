#pragma once

#include "tests/support/LogCapture.h"
#include "tests/support/SimController.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestMain.h"
#include "app/DravolinteApp.h"
#include "device/Varnok120X.h"

#include <QTemporaryDir>

// Runs a test class with the application object as the QApplication, headless, in a folder of its own.
#define DRAVO_APP_TEST_MAIN(TestClass)                                                                                 \
    int main(int argc, char **argv)                                                                                    \
    {                                                                                                                  \
        DravolinteApp app(argc, argv);                                                                                 \
        TestClass test;                                                                                                \
        return runTestInTempDir(argc, argv, &test, true);                                                              \
    }


// A parameter store of its own (with the working file given) and a driver, handed to the application if any.
struct AppFixture
{
    QTemporaryDir dir{QDir::current().absoluteFilePath(QStringLiteral("app-XXXXXX"))};
    std::unique_ptr<Config> config;
    std::unique_ptr<Varnok120X> driver;

    explicit AppFixture(const QByteArray &configIni = QByteArray())
    {
        if (!configIni.isEmpty())
            writeFile(dir.filePath(QStringLiteral("config.ini")), configIni);
        config = std::make_unique<Config>(dir.path());
        driver = std::make_unique<Varnok120X>(config.get());
        // The application's discovery hears every simulator on this computer: it adopts none of them.
        if (DravolinteApp *app = DravolinteApp::instance()) {
            config->setIdent(QStringLiteral("TS07x5fixture"));
            app->setDriver(driver.get());
        }
    }
    ~AppFixture()
    {
        driver->unInit();
        if (DravolinteApp::instance())
            app().setDriver(nullptr);
    }
    static DravolinteApp &app() { return *DravolinteApp::instance(); }
    // Links the driver to a simulator; true once the initial reads are done.
    bool link(SimController &sim, const QStringList &arguments = {})
    {
        driver->setIp(sim.start(arguments) ? sim.address() : QString());
        return QTest::qWaitFor([this] { return driver->isReady(); }, 10000);
    }
};

// The application's parts wired as the application wires them, without it.
struct PartsFixture : AppFixture
{
    TaskThreads threads;
    ProductionRecords records;
    TaskControl task{records, cut, threads};
    CutScene cut{records, task};
    MarkVision vision{cut, records, threads, task};
    LabelInspection labels{cut, records, task, vision};

    explicit PartsFixture(const QByteArray &configIni = QByteArray()) : AppFixture(configIni)
    {
        task.setDriver(driver.get());
        cut.setDriver(driver.get());
        labels.setDriver(driver.get());
        labels.setImageFolder(dir.path());
        cut.setTemplateLoader([this] { return labels.loadTemplate(); });
        vision.setLabelSink([this](int id, const QImage &image) { return labels.submit(id, image); });
        driver->setHost(&task);
        driver->setCutSource(&cut);
        driver->setVision(&vision);
        QObject::connect(&cut, &CutScene::openScene, &cut, &CutScene::open);
    }
    // As the program's cleanUp: waits that only this thread would end give up
    // first, or the driver's shutdown leaves a thread inside a part that goes.
    ~PartsFixture()
    {
        vision.cancelCaptures();
        cut.close();
        labels.close();
        threads.joinAll();
        driver->unInit();
        driver->setHost(nullptr);
        driver->setCutSource(nullptr);
        driver->setVision(nullptr);
    }
};
