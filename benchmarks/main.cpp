#include "app/DravolinteApp.h"
#include "app/startup/QmlSetup.h"

#include <QDir>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

int main(int argc, char **argv)
{
    // Painted text (the inspection benchmarks) and the pages need a GUI application, not a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The pages render as in the tests: the Basic style on the software renderer.
    QmlSetup::prepareEnvironment();
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    // The code measured opens its files ("config.db", logs) in the current
    // folder: a run leaves nothing behind in the folder it was started from.
    QTemporaryDir workDir;
    if (workDir.isValid())
        QDir::setCurrent(workDir.path());
    // The program's application object, which the pages' benchmarks set up with.
    DravolinteApp app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
