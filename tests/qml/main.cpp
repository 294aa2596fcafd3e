// The Quick Tests of the pages: each tst_*.qml runs in a process of its own
// (-input), in a temporary folder, with the application object, a parameter
// store and a driver as the program has them, and the simulated controller
// at hand. A warning of the pages' own documents fails the run.
#include "tests/support/pages/QuickWorld.h"
#include "app/DravolinteApp.h"
#include "app/startup/QmlSetup.h"

#include <QDir>
#include <QQmlEngine>
#include <QTemporaryDir>
#include <QtQuickTest>
#include <memory>

class QuickTestSetup : public QObject
{
    Q_OBJECT
public:
    explicit QuickTestSetup(QmlWarningGate &gate) : m_gate(gate) {}
    void release() { m_world.reset(); }

public slots:
    void qmlEngineAvailable(QQmlEngine *engine)
    {
        m_gate.install();
        m_world = std::make_unique<QuickWorld>(QDir::currentPath());
        m_world->attach(*engine, &m_gate);
    }

private:
    QmlWarningGate &m_gate;
    std::unique_ptr<QuickWorld> m_world;
};

int main(int argc, char **argv)
{
    QTemporaryDir dir;
    if (!dir.isValid() || !QDir::setCurrent(dir.path()))
        return 1;
    if (!copyProgramResources())
        qWarning("the program's pictures and font were not found beside it");
    QmlSetup::prepareEnvironment();
    // Without the main window's keyboard panel the keyboard would open a
    // window of its own, which takes the focus from the field being tested.
    qputenv("QT_VIRTUALKEYBOARD_DESKTOP_DISABLE", "1");
    DravolinteApp app(argc, argv);
    QmlSetup::registerTypes();
    int rc = 0;
    QStringList unexpected;
    {
        QmlWarningGate gate;
        QuickTestSetup setup(gate);
        rc = quick_test_main_with_setup(argc, argv, "dravo_qml", QUICK_TEST_SOURCE_DIR, &setup);
        setup.release();
        gate.uninstall();
        unexpected = gate.unexpected();
    }
    for (const QString &line : std::as_const(unexpected))
        fprintf(stderr, "FAIL: warning of the pages: %s\n", qPrintable(line));
    if (rc == 0 && !unexpected.isEmpty())
        rc = 1;
    app.cleanUp();
    return rc;
}

#include "main.moc"
