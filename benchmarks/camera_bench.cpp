// Industrial check camera: the conversion of a 2048 x 2048 frame per pixel
// format (RGB8, a plain copy, is the baseline), the grab loop's work per
// frame without its wait, and the fake GigE Vision camera's open and frame
// rates over the loopback.
#include "AravisApi.h"
#include "CameraDevice.h"
#include "PixelConversion.h"

#include <QElapsedTimer>
#include <QImage>
#include <benchmark/benchmark.h>

namespace {

constexpr int kSide = 2048;

QByteArray frameBytes(quint32 format)
{
    QByteArray bytes(int(PixelConversion::frameBytes(format, kSide, kSide)), Qt::Uninitialized);
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = char((i * 37) ^ (i >> 11));
    return bytes;
}

void BM_ConvertToRgb(benchmark::State &state, quint32 format)
{
    const QByteArray bytes = frameBytes(format);
    for (auto _ : state) {
        const cv::Mat rgb = PixelConversion::toRgb(bytes.constData(), std::size_t(bytes.size()), kSide, kSide, format);
        if (rgb.empty())
            state.SkipWithError("not converted");
        benchmark::DoNotOptimize(rgb.data);
    }
}
#define DRAVO_CONVERSION(name, format) BENCHMARK_CAPTURE(BM_ConvertToRgb, name, format)->Unit(benchmark::kMillisecond)
DRAVO_CONVERSION(RGB8_baseline, PixelType::RGB8);
DRAVO_CONVERSION(BayerRG8, PixelType::BayerRG8);
DRAVO_CONVERSION(BayerRBGG8, PixelType::BayerRBGG8);
DRAVO_CONVERSION(BayerRG10, PixelType::BayerGR10 + 1);
DRAVO_CONVERSION(BayerRG12, PixelType::BayerGR12 + 1);
DRAVO_CONVERSION(BayerRG10Packed, PixelType::BayerGR10Packed + 1);
DRAVO_CONVERSION(BayerRG12Packed, PixelType::BayerGR12Packed + 1);
DRAVO_CONVERSION(BayerRG16, PixelType::BayerGR16 + 1);
DRAVO_CONVERSION(BGR8, PixelType::BGR8);
DRAVO_CONVERSION(YUV422_UYVY, PixelType::YUV422Packed);
DRAVO_CONVERSION(YUV422_YUYV, PixelType::YUV422YUYVPacked);
DRAVO_CONVERSION(Mono8, PixelType::Mono8);
DRAVO_CONVERSION(Mono10, PixelType::Mono10);
DRAVO_CONVERSION(Mono10Packed, PixelType::Mono10Packed);
DRAVO_CONVERSION(Mono12, PixelType::Mono12);
DRAVO_CONVERSION(Mono12Packed, PixelType::Mono12Packed);
DRAVO_CONVERSION(Mono14, PixelType::Mono14);
DRAVO_CONVERSION(Mono16, PixelType::Mono16);
#undef DRAVO_CONVERSION

// One iteration of the grab loop without its wait: the camera's BayerRG8
// frame converted, made the published image, its address made.
void BM_GrabLoopWork(benchmark::State &state)
{
    const QByteArray bytes = frameBytes(PixelType::BayerRG8);
    qint64 stamp = 0;
    for (auto _ : state) {
        const cv::Mat rgb =
            PixelConversion::toRgb(bytes.constData(), std::size_t(bytes.size()), kSide, kSide, PixelType::BayerRG8);
        const QImage frame = PixelConversion::toImage(rgb);
        const QString path = QStringLiteral("image://myImage/frameImg") + QString::number(++stamp);
        benchmark::DoNotOptimize(frame.constBits());
        benchmark::DoNotOptimize(path.constData());
    }
}
BENCHMARK(BM_GrabLoopWork)->Unit(benchmark::kMillisecond);

// The fake GigE Vision camera in this process; null when the port is taken.
ArvGvFakeCamera *fakeCamera(int width, int height)
{
    ArvGvFakeCamera *camera = arv_gv_fake_camera_new("127.0.0.1", "BENCH01");
    if (!camera || !arv_gv_fake_camera_is_running(camera)) {
        g_clear_object(&camera);
        return nullptr;
    }
    ArvFakeCamera *fake = arv_gv_fake_camera_get_fake_camera(camera);
    arv_fake_camera_write_register(fake, ARV_FAKE_CAMERA_REGISTER_WIDTH, guint32(width));
    arv_fake_camera_write_register(fake, ARV_FAKE_CAMERA_REGISTER_HEIGHT, guint32(height));
    return camera;
}

CameraDeviceInfo gigeAt127()
{
    CameraDeviceInfo info;
    info.address = "127.0.0.1";
    return info;
}

// Reaching the camera and taking control of it; starting the stream as well.
void BM_GigEOpen(benchmark::State &state)
{
    ArvGvFakeCamera *camera = fakeCamera(1280, 960);
    if (!camera) {
        state.SkipWithError("127.0.0.1:3956 is taken");
        return;
    }
    const bool withStream = state.range(0) != 0;
    for (auto _ : state) {
        CameraDevice device;
        if (!device.create(gigeAt127()) || !device.open() || (withStream && !device.startGrabbing()))
            state.SkipWithError("not opened");
        state.PauseTiming();
        device.close();
        state.ResumeTiming();
    }
    g_object_unref(camera);
}
BENCHMARK(BM_GigEOpen)->ArgName("stream")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// 100 frames of 1280 x 960 Mono8 at 20 and at 100 frames a second, the
// latter with 8000-byte packets; the time is that of the 100 frames.
void BM_GigEHundredFrames(benchmark::State &state)
{
    ArvGvFakeCamera *camera = fakeCamera(1280, 960);
    if (!camera) {
        state.SkipWithError("127.0.0.1:3956 is taken");
        return;
    }
    const double rate = double(state.range(0));
    const qint64 packet = state.range(1);
    for (auto _ : state) {
        CameraDevice device;
        if (!device.create(gigeAt127()) || !device.open() || !device.setFloatValue("AcquisitionFrameRate", rate) ||
            !device.setIntValue("GevSCPSPacketSize", packet) || !device.startGrabbing()) {
            state.SkipWithError("not opened");
            break;
        }
        CameraFrame first;
        if (device.getImageBuffer(&first, 1000))
            device.freeImageBuffer(&first);
        QElapsedTimer clock;
        clock.start();
        int frames = 0, incomplete = 0;
        while (frames < 100 && clock.elapsed() < 30000) {
            CameraFrame frame;
            if (device.getImageBuffer(&frame, 1000)) {
                ++frames;
                device.freeImageBuffer(&frame);
            } else {
                ++incomplete;
            }
        }
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        state.counters["incomplete"] = incomplete;
    }
    g_object_unref(camera);
}
BENCHMARK(BM_GigEHundredFrames)
    ->ArgNames({"fps", "packet"})
    ->Args({20, 1400})
    ->Args({100, 8000})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
