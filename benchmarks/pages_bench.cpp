// The machine parameter page as the operator sees it: one frame rendered at
// 1280 x 800 on the software renderer, offscreen, while every motor of the
// fullest diagram turns, through the program's own engine set-up. The
// baseline is a frame of an empty window of the same size, in the same run.
#include "configuration/Config.h"
#include "PageWorld.h"
#include "app/DravolinteApp.h"
#include "device/Varnok120X.h"

#include <QAnimationDriver>
#include <QCoreApplication>
#include <QImage>
#include <QQuickItem>
#include <QQuickWindow>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

// Animation time that moves one display frame (16 ms) per rendered frame,
// whatever the rendering costs: every frame shows the motors at a new angle.
class FrameClock : public QAnimationDriver
{
public:
    FrameClock() { install(); }
    ~FrameClock() override { uninstall(); }
    void step()
    {
        m_elapsed += 16;
        advance();
    }
    qint64 elapsed() const override { return m_elapsed; }

private:
    qint64 m_elapsed = 0;
};

// A window of the pages' size holding one document, with the program's
// context objects and the pictures beside it in a folder of its own.
class PageWindow
{
public:
    explicit PageWindow(const QByteArray &document)
    {
        m_window.resize(1280, 800);
        m_item.reset(qobject_cast<QQuickItem *>(m_world.create(document, &m_error).release()));
        if (!m_item)
            return;
        m_item->setParentItem(m_window.contentItem());
        m_item->setSize(QSizeF(1280, 800));
        m_window.show();
    }
    ~PageWindow() { m_item.reset(); }
    QString error() const { return m_error; }
    QuickWorld &world() { return m_world.world(); }
    // Moves the animations on by one frame, then renders the whole window once.
    QImage frame()
    {
        m_clock.step();
        QCoreApplication::processEvents();
        return m_window.grabWindow();
    }

private:
    FrameClock m_clock;
    PageWorld m_world;
    QQuickWindow m_window;
    std::unique_ptr<QQuickItem> m_item;
    QString m_error;
};

void renderFrames(benchmark::State &state, PageWindow &page, const char *name)
{
    if (!page.error().isEmpty()) {
        state.SkipWithError(qPrintable(page.error()));
        return;
    }
    // Pictures load and the first layout settles before the clock runs.
    for (int i = 0; i < 20; ++i)
        page.frame();
    const QImage first = page.frame();
    if (first.isNull() || first.size() != QSize(1280, 800)) {
        state.SkipWithError("the window renders no picture");
        return;
    }
    if (!qEnvironmentVariableIsEmpty("DRAVO_BENCH_PICTURE"))
        first.save(qEnvironmentVariable("DRAVO_BENCH_PICTURE") + QStringLiteral("-%1.png").arg(QLatin1String(name)));
    for (auto _ : state) {
        const QImage image = page.frame();
        benchmark::DoNotOptimize(image.constBits());
    }
}

void BM_EmptyWindowFrame(benchmark::State &state)
{
    PageWindow page("Rectangle { color: \"white\" }");
    renderFrames(state, page, "empty");
}
BENCHMARK(BM_EmptyWindowFrame)->Unit(benchmark::kMillisecond);

void BM_DevicePageFrame(benchmark::State &state)
{
    PageWindow page("DevicePage {}");
    Config &config = page.world().config();
    config.setVersion(Config::VT_7x3);
    Varnok120X &device = page.world().driver();
    device.setCollectMotorRunning(true);
    device.setFilmMotorRunning(true);
    device.setFeedMotorRunning(true);
    renderFrames(state, page, "devicepage");
}
BENCHMARK(BM_DevicePageFrame)->Unit(benchmark::kMillisecond);

} // namespace
