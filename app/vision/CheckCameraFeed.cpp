#include "app/vision/CheckCameraFeed.h"

#include "configuration/parameters/CameraDevices.h"
#include "configuration/Config.h"
#include "inspection/cameras/HKCamera.h"
#include "configuration/LocalFile.h"
#include "PixelConversion.h"

#include <QDebug>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QThread>
#include <exception>
#include <iostream>

namespace {
constexpr int kVersionWithDriverInstaller = 6; // VT_7x8

QStringList serialTexts(const QList<QByteArray> &serials)
{
    QStringList texts;
    for (const QByteArray &serial : serials)
        texts << QString::fromUtf8(serial);
    return texts;
}

// The check camera the pages record: the store's value at the moment.
QByteArray storedCheckCamera()
{
    Config *cfg = Config::instance();
    return cfg ? cfg->getProperty(Config::CPT_Check_Camera).toString().toUtf8() : QByteArray();
}
} // namespace

CheckCameraFeed::CheckCameraFeed(QObject *parent) : QObject(parent)
{
    // The store asks which cameras are industrial ones; the camera object
    // comes into being at the first such question.
    CameraDevices::setProvider([] { return serialTexts(HKCamera::getInstance()->cameraList()); });
}

CheckCameraFeed::~CheckCameraFeed()
{
    endLoop(-1);
    CameraDevices::setProvider(nullptr);
}

void CheckCameraFeed::select(const QString &name)
{
    if (m_closed.load()) {
        qWarning().noquote() << "DravolinteApp::selectHKCamera" << "the program is closing: no camera started";
        return;
    }
    // A selection replaces the one before; its thread may be inside a slow
    // open, which the next one must not overlap.
    endLoop(-1);
    HKCamera *camera = HKCamera::getInstance();
    m_cameraUsed = true;
    const QList<QByteArray> serials = camera->cameraList();
    Config *cfg = Config::instance();
    if (serials.isEmpty() && cfg && cfg->version() == kVersionWithDriverInstaller)
        qInfo().noquote() << "DravolinteApp::selectHKCamera"
                          << "no USB3 Vision camera found: no driver is installed on this system, the camera "
                             "needs a udev rule that lets the program use it (README)";
    QString chosen = name;
    if (chosen.isEmpty() && !serials.isEmpty()) {
        chosen = QString::fromUtf8(serials.first());
        // The store signals checkCameraChanged itself when the value changes.
        if (cfg && cfg->getProperty(Config::CPT_Check_Camera).toString() != chosen)
            cfg->setProperty(Config::CPT_Check_Camera, chosen);
    }
    const QByteArray serial = chosen.toUtf8();
    if (!serials.contains(serial)) {
        qInfo().noquote() << "DravolinteApp::selectHKCamera" << "no industrial camera" << chosen;
        return;
    }
    m_serial.set(serial);
    followCheckCamera();
    // A failed open is retried by the loop's grabs.
    camera->openCamera(serial);
    m_loopEnd.store(false);
    m_thread.reset(QThread::create([this] { hkCameraGrabLoop(); }));
    m_thread->setObjectName(QStringLiteral("hkCameraGrabLoop"));
    m_thread->start();
}

void CheckCameraFeed::followCheckCamera()
{
    disconnect(m_cameraFollow);
    Config *cfg = Config::instance();
    if (!cfg)
        return;
    // Direct: the loop's next grab is of the new camera, whichever thread set
    // it; and the loop never reads a store that may be going away.
    m_cameraFollow = connect(
        cfg, &Config::checkCameraChanged, this, [this, cfg] { m_serial.set(cfg->checkCamera().toUtf8()); },
        Qt::DirectConnection);
}

void CheckCameraFeed::stop()
{
    m_closed.store(true);
    disconnect(m_cameraFollow);
    if (!endLoop(kJoinMs))
        qWarning().noquote() << "DravolinteApp::cleanUp" << "the grab thread is still in a camera call";
    // Waits for that call, if any (the cameras' lock is held through it);
    // the thread then sees its end at once.
    if (m_cameraUsed)
        HKCamera::getInstance()->closeCameras();
    endLoop(-1);
}

bool CheckCameraFeed::isGrabbing() const
{
    return m_thread && m_thread->isRunning();
}

bool CheckCameraFeed::endLoop(int waitMs)
{
    if (!m_thread)
        return true;
    {
        std::lock_guard<std::mutex> lock(m_wakeLock);
        m_loopEnd.store(true);
    }
    m_wake.notify_all();
    if (!m_thread->wait(waitMs < 0 ? QDeadlineTimer(QDeadlineTimer::Forever) : QDeadlineTimer(waitMs)))
        return false;
    m_thread.reset();
    return true;
}

void CheckCameraFeed::pause(qint64 ms)
{
    std::unique_lock<std::mutex> lock(m_wakeLock);
    m_wake.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_loopEnd.load(); });
}

void CheckCameraFeed::hkCameraGrabLoop()
{
    // Monotonic: clock() would count this process's CPU time, not time.
    QElapsedTimer clock;
    clock.start();
    qint64 previous = clock.elapsed();
    while (!m_loopEnd.load()) {
        const qint64 start = clock.elapsed();
        try {
            const QByteArray serial = m_serial.get();
            const cv::Mat rgb = HKCamera::getInstance()->getFrame(serial);
            if (!rgb.empty())
                publish(rgb);
            // Two marks within one millisecond give no rate.
            const qint64 now = clock.elapsed();
            if (now > previous) {
                setFps(int(1000.0 / double(now - previous)));
                previous = now;
            }
        } catch (const std::exception &e) {
            std::cerr << e.what() << std::endl;
        }
        const qint64 spent = clock.elapsed() - start;
        if (spent < kPeriodMs)
            pause(kPeriodMs - spent);
    }
}

void CheckCameraFeed::publish(const cv::Mat &rgb)
{
    // The image owns the new matrix's pixels: nothing else writes them.
    m_frame.exchange(PixelConversion::toImage(rgb));
    // A new address per frame, or the pages would keep the cached picture.
    QElapsedTimer now;
    now.start();
    m_lastStamp = qMax(m_lastStamp + 1, now.msecsSinceReference());
    setFramePath(QStringLiteral("image://myImage/frameImg") + QString::number(m_lastStamp));
}

void CheckCameraFeed::setFramePath(const QString &path)
{
    if (m_framePath.set(path))
        emit framePathChanged();
}

void CheckCameraFeed::setFps(int fps)
{
    if (m_fps.set(fps))
        emit fpsChanged();
}

void CheckCameraFeed::startRecorder(const QString &fileName)
{
    HKCamera::getInstance()->startVideo(storedCheckCamera(), LocalFile::pathFromVariant(fileName).toUtf8());
}

void CheckCameraFeed::stopRecorder()
{
    HKCamera::getInstance()->stopVideo(storedCheckCamera());
}
