#include "tests/support/pages/QuickWorld.h"

#include "configuration/Config.h"
#include "app/DravolinteApp.h"
#include "app/startup/QmlSetup.h"
#include "device/Varnok120X.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QQmlContext>
#include <QQmlEngine>
#include <QRegularExpression>
#include <QTest>

bool SimulatorHandle::start(const QStringList &arguments)
{
    if (!m_sim.start(arguments)) {
        qWarning().noquote() << "simulator did not start:" << m_sim.errorOutput();
        return false;
    }
    m_driver.setIp(m_sim.address());
    return QTest::qWaitFor([this] { return m_driver.isReady(); }, 15000);
}

void SimulatorHandle::stop()
{
    m_sim.stop();
}

bool SimulatorHandle::control(const QString &line)
{
    QString error;
    const bool ok = m_sim.control(line, &error);
    if (!ok)
        qWarning().noquote() << "simulator refused" << line << error;
    return ok;
}

QStringList SimulatorHandle::upgrades() const
{
    QStringList bodies;
    for (const QByteArray &frame : m_sim.received()) {
        const qsizetype at = frame.indexOf(";UPG;");
        if (at >= 0)
            bodies << QString::fromLatin1(frame.mid(at + 1, frame.size() - at - 2));
    }
    return bodies;
}

bool SimulatorHandle::waitForCommand(const QString &command, int timeoutMs)
{
    return QTest::qWaitFor([&] { return m_sim.receivedCommands().contains(command); }, timeoutMs);
}

namespace {
QmlWarningGate *g_gate = nullptr;
}

void QmlWarningGate::install()
{
    if (g_gate == this)
        return;
    m_previous = qInstallMessageHandler(handle);
    g_gate = this;
}

void QmlWarningGate::uninstall()
{
    if (g_gate != this)
        return;
    g_gate = nullptr;
    qInstallMessageHandler(m_previous);
}

void QmlWarningGate::expect(const QString &pattern)
{
    QMutexLocker lock(&m_lock);
    m_expected.append(pattern);
}

QStringList QmlWarningGate::unexpected() const
{
    QMutexLocker lock(&m_lock);
    return m_unexpected;
}

void QmlWarningGate::handle(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    QmlWarningGate *gate = g_gate;
    if (gate && type == QtWarningMsg) {
        static const QString module = QStringLiteral("qrc:/Dravolinte2024");
        const QString file = QString::fromUtf8(context.file);
        if (file.startsWith(module) || text.contains(module)) {
            QMutexLocker lock(&gate->m_lock);
            bool expected = false;
            for (const QString &pattern : std::as_const(gate->m_expected))
                expected = expected || text.contains(QRegularExpression(pattern));
            if (!expected)
                gate->m_unexpected.append(file + QLatin1Char(' ') + text);
        }
    }
    if (gate && gate->m_previous)
        gate->m_previous(type, context, text);
}

QuickWorld::QuickWorld(const QString &folder)
{
    m_config = std::make_unique<Config>(folder);
    // Discovery hears every simulator on this computer: this world adopts none on its own.
    m_config->setIdent(QStringLiteral("TS07x5quickworld"));
    m_driver = std::make_unique<Varnok120X>(m_config.get());
    m_simulator = std::make_unique<SimulatorHandle>(*m_driver);
    if (DravolinteApp *app = DravolinteApp::instance())
        app->setDriver(m_driver.get());
}

QuickWorld::~QuickWorld()
{
    m_simulator->stop();
    m_driver->unInit();
    if (DravolinteApp *app = DravolinteApp::instance())
        app->setDriver(nullptr);
}

void QuickWorld::attach(QQmlEngine &engine, QmlWarningGate *gate)
{
    QmlSetup::setupEngine(engine, *DravolinteApp::instance(), *m_config, *m_driver);
    QQmlContext *context = engine.rootContext();
    context->setContextProperty(QStringLiteral("simulator"), m_simulator.get());
    context->setContextProperty(QStringLiteral("notices"), &m_notices);
    context->setContextProperty(QStringLiteral("fixtures"), &m_fixtures);
    if (gate)
        context->setContextProperty(QStringLiteral("qmlWarnings"), gate);
}

bool copyProgramResources()
{
    const QString from = qEnvironmentVariable("DRAVO_BIN_DIR") + QStringLiteral("/Dravolinte/res");
    const QString to = QDir::current().absoluteFilePath(QStringLiteral("Dravolinte/res"));
    if (!QDir().mkpath(to))
        return false;
    bool ok = QDir(from).exists();
    QDirIterator it(from, QDir::Files);
    while (it.hasNext()) {
        it.next();
        ok = QFile::copy(it.filePath(), to + QLatin1Char('/') + it.fileName()) && ok;
    }
    return ok;
}
