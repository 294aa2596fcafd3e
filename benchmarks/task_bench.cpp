// The task tab's timed paths on the program's engine set-up: a mark capture
// from the request to the application's slot, on the camera backend's test
// picture (baseline: the backend's own capture of the same session, in the
// same run); and the video page's creation with the simulated controller
// linked (baseline: an empty item from the same engine).
#include "PageWorld.h"
#include "views/cameras/SessionCapture.h"
#include "app/DravolinteApp.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImageCapture>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

// The pages' engine, and the last error of a document that did not build.
class TaskWorld : public PageWorld
{
public:
    std::unique_ptr<QObject> create(const QByteArray &document, const QVariantMap &properties = {})
    {
        return PageWorld::create(document, &m_error, properties);
    }
    QString error() const { return m_error; }

private:
    QString m_error;
};

// Serves events until done() or the deadline; false when it ran out.
template<typename Done>
bool serveUntil(Done done, int ms)
{
    QElapsedTimer waited;
    waited.start();
    while (!done() && waited.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return done();
}

// A picture of the mark camera's session per iteration, started by start()
// and counted by the answers; the pause the camera needs after a picture is
// not timed.
template<typename Start>
void timeCaptures(benchmark::State &state, Start start, const int &answers)
{
    for (auto _ : state) {
        QElapsedTimer pause;
        pause.start();
        serveUntil([&] { return pause.elapsed() > 3 * SessionCapture::kSettleMs; }, 1000);
        const int before = answers;
        QElapsedTimer taken;
        taken.start();
        start();
        if (!serveUntil([&] { return answers > before; }, 5000)) {
            state.SkipWithError("the camera backend's test picture sent nothing");
            return;
        }
        state.SetIterationTime(double(taken.nsecsElapsed()) / 1e9);
    }
}

// The QML camera with the mark camera running and one picture taken: the
// first one after a start can come out empty.
std::unique_ptr<QObject> runningCamera(TaskWorld &world, benchmark::State &state)
{
    std::unique_ptr<QObject> camera = world.create("RCamera { testPicture: true }");
    if (!camera) {
        state.SkipWithError(qPrintable(world.error()));
        return nullptr;
    }
    QMetaObject::invokeMethod(camera->findChild<QObject *>(QStringLiteral("markCamera")), "start");
    auto *answers = camera->findChild<SessionCapture *>(QStringLiteral("markAnswers"));
    bool answered = false;
    QObject::connect(answers, &SessionCapture::captured, answers, [&] { answered = true; });
    answers->ask(1);
    if (!serveUntil([&] { return answered; }, 15000)) {
        state.SkipWithError("the camera backend's test picture sent nothing");
        return nullptr;
    }
    return camera;
}

void BM_BackendCapture(benchmark::State &state)
{
    TaskWorld world;
    std::unique_ptr<QObject> camera = runningCamera(world, state);
    if (!camera)
        return;
    auto *capture = camera->findChild<SessionCapture *>(QStringLiteral("markAnswers"))->imageCapture();
    int pictures = 0;
    QObject::connect(capture, &QImageCapture::imageCaptured, capture, [&] { ++pictures; });
    timeCaptures(state, [&] { capture->capture(); }, pictures);
}
BENCHMARK(BM_BackendCapture)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(30);

void BM_MarkCaptureToApp(benchmark::State &state)
{
    TaskWorld world;
    std::unique_ptr<QObject> camera = runningCamera(world, state);
    if (!camera)
        return;
    DravolinteApp *app = DravolinteApp::instance();
    app->connectCamera(camera.get());
    // Counted after the application's slot, which the answer reaches first.
    int answers = 0;
    auto *keeper = camera->findChild<SessionCapture *>(QStringLiteral("markAnswers"));
    QObject::connect(keeper, &SessionCapture::captured, keeper, [&] { ++answers; });
    timeCaptures(state, [&] { QMetaObject::invokeMethod(camera.get(), "capture", Q_ARG(QVariant, 1)); }, answers);
    app->connectCamera(nullptr);
}
BENCHMARK(BM_MarkCaptureToApp)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(30);

void BM_EmptyItemCreation(benchmark::State &state)
{
    TaskWorld world;
    for (auto _ : state)
        benchmark::DoNotOptimize(world.create("Item {}").get());
}
BENCHMARK(BM_EmptyItemCreation)->Unit(benchmark::kMillisecond);

void BM_VideoPageCreation(benchmark::State &state)
{
    TaskWorld world;
    if (!world.world().simulator().start()) {
        state.SkipWithError("the simulated controller did not start");
        return;
    }
    std::unique_ptr<QObject> camera = world.create("RCamera { testPicture: true }");
    const QVariantMap properties{{QStringLiteral("camera"), QVariant::fromValue(camera.get())},
                                 {QStringLiteral("width"), 1280}, {QStringLiteral("height"), 700}};
    for (auto _ : state) {
        std::unique_ptr<QObject> page = world.create("VideoPage {}", properties);
        if (!page) {
            state.SkipWithError(qPrintable(world.error()));
            return;
        }
        // What the page sent the controller at its opening is served, untimed.
        state.PauseTiming();
        QCoreApplication::processEvents();
        page.reset();
        state.ResumeTiming();
    }
    world.world().simulator().stop();
}
BENCHMARK(BM_VideoPageCreation)->Unit(benchmark::kMillisecond);

} // namespace
