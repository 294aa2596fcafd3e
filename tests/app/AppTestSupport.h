#pragma once

#include "DravolinteApp.h"
#include "TestMain.h"

#include <QMutex>
#include <QStringList>
#include <QTest>

// Runs a test class with the application object as the QApplication, inside
// a temporary folder of its own, headless.
#define DRAVO_APP_TEST_MAIN(TestClass)                                                                                 \
    int main(int argc, char **argv)                                                                                    \
    {                                                                                                                  \
        DravolinteApp app(argc, argv);                                                                                 \
        TestClass test;                                                                                                \
        return runTestInTempDir(argc, argv, &test, true);                                                              \
    }

// Collects the text of the log lines, in place of the console, while it
// lives. Log lines come from any thread.
class LogCapture
{
public:
    LogCapture() { m_previous = qInstallMessageHandler(&LogCapture::handler); }
    ~LogCapture() { qInstallMessageHandler(m_previous); }
    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;

    QStringList lines() const
    {
        QMutexLocker lock(&state().lock);
        return state().lines;
    }
    bool contains(const QString &text) const
    {
        const QStringList all = lines();
        for (const QString &line : all) {
            if (line.contains(text))
                return true;
        }
        return false;
    }
    bool waitFor(const QString &text, int timeoutMs = 5000) const
    {
        return QTest::qWaitFor([&] { return contains(text); }, timeoutMs);
    }
    void clear()
    {
        QMutexLocker lock(&state().lock);
        state().lines.clear();
    }

private:
    struct State
    {
        QMutex lock;
        QStringList lines;
    };
    static State &state()
    {
        static State s;
        return s;
    }
    static void handler(QtMsgType, const QMessageLogContext &, const QString &text)
    {
        QMutexLocker lock(&state().lock);
        state().lines.append(text);
    }

    QtMessageHandler m_previous = nullptr;
};

#include "Config.h"
#include "TestFiles.h"
#include "Varnok120X.h"

#include <QDir>
#include <QTemporaryDir>
#include <memory>

// A parameter store of its own (in a fresh folder, with the given working
// file when there is one) and a driver, handed to the application object.
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
        DravolinteApp::instance()->setDriver(driver.get());
    }

    ~AppFixture()
    {
        driver->unInit();
        DravolinteApp::instance()->setDriver(nullptr);
        driver.reset();
        config.reset();
    }

    static DravolinteApp &app() { return *DravolinteApp::instance(); }
};
