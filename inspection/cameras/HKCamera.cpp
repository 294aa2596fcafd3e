#include "inspection/cameras/HKCamera.h"

#include "CameraDevice.h"
#include "PixelConversion.h"

#include <QAtomicPointer>
#include <QDebug>
#include <exception>

namespace {
QMutex g_createLock;
QAtomicPointer<HKCamera> g_instance;

// Runs one step of the camera; on failure logs its text with the code.
bool step(const char *method, const char *text, const CameraStatus &status)
{
    if (!status)
        CameraHealth::log(method, QString::fromLatin1(text), &status);
    return bool(status);
}

// A frame lent by the stream goes back on every path out of the grab, or
// four lost ones would starve the stream.
class FrameLoan
{
public:
    FrameLoan(CameraDevice &device, CameraFrame &frame) : m_device(device), m_frame(frame) {}
    ~FrameLoan()
    {
        if (m_frame.buffer)
            giveBack();
    }
    FrameLoan(const FrameLoan &) = delete;
    FrameLoan &operator=(const FrameLoan &) = delete;
    void giveBack() { step("HKCamera::getFrame", "Free Image Buffer fail! nRet ", m_device.freeImageBuffer(&m_frame)); }

private:
    CameraDevice &m_device;
    CameraFrame &m_frame;
};
} // namespace

HKCamera *HKCamera::getInstance()
{
    if (HKCamera *camera = g_instance.loadAcquire())
        return camera;
    QMutexLocker lock(&g_createLock);
    if (!g_instance.loadRelaxed())
        g_instance.storeRelease(new HKCamera);
    return g_instance.loadRelaxed();
}

HKCamera::HKCamera()
{
    step("HKCamera::HKCamera", "Initialize SDK fail!", CameraSdk::initialize());
    searchCamera();
}

void HKCamera::searchCamera()
{
    const CameraSources sources = CameraSources::fromEnvironment();
    for (const QString &entry : sources.ignored)
        qWarning().noquote() << "HKCamera::searchCamera" << "DRAVO_CAMERAS: neither Fake nor an IPv4 address:" << entry;
    QList<QByteArray> serials;
    CameraEnumeration found;
    {
        // Aravis's device list is process-wide: one enumeration at a time.
        QMutexLocker lock(&m_lock);
        if (!step("HKCamera::searchCamera", "Enum Devices fail! nRet ", CameraSdk::enumDevices(sources, &found))) {
            m_cameraList.set(serials);
            return;
        }
    }
    for (const auto &[address, why] : std::as_const(found.unreachable))
        qWarning().noquote() << "HKCamera::searchCamera" << "no camera at" << address << why.codeText() << why.message;
    if (found.devices.isEmpty())
        CameraHealth::log("HKCamera::searchCamera", QStringLiteral("Find No Devices!"));
    for (const CameraDeviceInfo &info : std::as_const(found.devices)) {
        if (info.serial.isEmpty())
            continue;
        qInfo().noquote() << "HKCamera::searchCamera" << "Model Name:" << info.model;
        qInfo().noquote() << "HKCamera::searchCamera" << "Serial Number:" << info.serial;
        serials << info.serial;
    }
    m_cameraList.set(serials);
}

bool HKCamera::openCamera(const QByteArray &serial)
{
    QMutexLocker lock(&m_lock);
    return handleOf(serial) || openLocked(serial);
}

bool HKCamera::openLocked(const QByteArray &serial)
{
    static const char *const method = "HKCamera::openCamera";
    auto handle = std::make_unique<CameraDevice>();
    try {
        CameraEnumeration found;
        const CameraStatus listed = CameraSdk::enumDevices(CameraSources::fromEnvironment(), &found);
        if (!listed) {
            m_health.failure(serial, method, QStringLiteral("Enum Devices fail! nRet "), &listed);
            return false;
        }
        if (found.devices.isEmpty()) {
            m_health.failure(serial, method, QStringLiteral("Find No Devices!"));
            return false;
        }
        const auto match = std::find_if(found.devices.cbegin(), found.devices.cend(),
                                        [&](const CameraDeviceInfo &info) { return info.serial == serial; });
        if (match == found.devices.cend()) {
            m_health.failure(serial, method, QStringLiteral("no camera ") + QString::fromUtf8(serial));
            return false;
        }
        // Each step in turn; the first failure is logged (once while it
        // lasts: the grab loop retries every frame) and undoes the open.
        const auto fails = [&](const char *text, const CameraStatus &status) {
            if (!status)
                m_health.failure(serial, method, QString::fromLatin1(text), &status);
            return !status;
        };
        if (fails("Create Handle fail! nRet: ", handle->create(*match)) ||
            fails("Open Device fail! nRet: ", handle->open()) ||
            fails("Set Trigger Mode fail! nRet: ", handle->setEnumValue("TriggerMode", "Off")) ||
            fails("Set Acquisition Mode fail! nRet: ", handle->setEnumValue("AcquisitionMode", "Continuous"))) {
            closeCamera(handle.get());
            return false;
        }
        // Many cameras have no such switch: their rate setting applies as it is.
        step(method, "Acquisition Frame Rate Enable fail! nRet: ",
             handle->setBoolValue("AcquisitionFrameRateEnable", true));
        if (fails("Set Acquisition FrameRate fail! nRet: ", handle->setFloatValue("AcquisitionFrameRate", kFrameRate)) ||
            fails("Start Grabbing fail!", handle->startGrabbing())) {
            closeCamera(handle.get());
            return false;
        }
    } catch (const std::exception &e) {
        qCritical().noquote() << method << e.what();
        closeCamera(handle.get());
        return false;
    }
    m_handles[serial] = std::move(handle);
    return true;
}

cv::Mat HKCamera::getFrame(const QByteArray &serial)
{
    QMutexLocker lock(&m_lock);
    try {
        return frameLocked(serial);
    } catch (const std::exception &e) {
        qCritical().noquote() << "HKCamera::getFrame" << e.what();
        return cv::Mat();
    }
}

cv::Mat HKCamera::frameLocked(const QByteArray &serial)
{
    static const char *const method = "HKCamera::getFrame";
    if (!handleOf(serial) && !openLocked(serial))
        return cv::Mat();
    CameraDevice &device = *handleOf(serial);
    CameraFrame frame;
    const CameraStatus got = device.getImageBuffer(&frame, kGrabTimeoutMs);
    if (!got) {
        m_health.failure(serial, method, QStringLiteral("Get Image fail! nRet "), &got);
        if (m_health.grabFailed(serial)) {
            qWarning().noquote() << method << "no frame for" << CameraHealth::kGiveUpMs << "ms, closing" << serial;
            dropLocked(serial);
        }
        return cv::Mat();
    }
    m_health.grabbed(serial);
    FrameLoan loan(device, frame);
    cv::Mat rgb;
    if (PixelConversion::targetOf(frame.pixelType) == PixelConversion::Target::None) {
        m_health.failure(serial, method, QStringLiteral("Don't need to convert!"));
    } else {
        QString why;
        rgb = PixelConversion::toRgb(frame.data, frame.length, frame.width, frame.height, frame.pixelType, &why);
        if (rgb.empty()) {
            const CameraStatus failed = CameraStatus::failure(CameraError::InvalidParameter, why);
            m_health.failure(serial, method, QStringLiteral("Convert Pixel Type fail! nRet "), &failed);
        } else {
            m_health.recovered(serial, method);
        }
    }
    loan.giveBack();
    return rgb;
}

bool HKCamera::closeCamera(CameraDevice *handle)
{
    if (!handle)
        return true;
    bool ok = true;
    try {
        if (handle->isGrabbing())
            ok = step("HKCamera::closeCamera", "Stop Grabbing fail! nRet ", handle->stopGrabbing());
        ok = step("HKCamera::closeCamera", "ClosDevice fail! nRet ", handle->close()) && ok;
    } catch (const std::exception &e) {
        qCritical().noquote() << "HKCamera::closeCamera" << e.what();
    }
    return ok;
}

bool HKCamera::startVideo(const QByteArray &serial, const QByteArray &filePath)
{
    static const char *const method = "HKCamera::startVideo";
    QMutexLocker lock(&m_lock);
    CameraDevice *device = handleOf(serial);
    if (!device)
        return false;
    qint64 width = 0, height = 0, pixelType = 0;
    double rate = 0.0;
    if (!step(method, "Get Width fail! nRet ", device->getIntValue("Width", &width)) ||
        !step(method, "Get Height fail! nRet ", device->getIntValue("Height", &height)) ||
        !step(method, "Get Pixel Format fail! nRet ", device->getEnumValue("PixelFormat", &pixelType)))
        return false;
    // Not every camera reports the rate it reaches; the one it was set to is
    // the next best for playing the recording back.
    if (!device->getFloatValue("ResultingFrameRate", &rate) &&
        !step(method, "Get Resulting FrameRate fail! nRet ", device->getFloatValue("AcquisitionFrameRate", &rate)))
        return false;
    RecordParams params;
    params.pixelType = quint32(pixelType);
    params.width = int(width);
    params.height = int(height);
    params.frameRate = rate;
    params.filePath = filePath;
    return step(method, "Stop Grabbing fail! nRet ", device->stopGrabbing()) &&
           step(method, "Start Grabbing fail!", device->startGrabbing()) &&
           step(method, "MV_CC_StartRecord fail! nRet ", device->startRecord(params));
}

void HKCamera::stopVideo(const QByteArray &serial)
{
    static const char *const method = "HKCamera::stopVideo";
    QMutexLocker lock(&m_lock);
    CameraDevice *device = handleOf(serial);
    if (!device)
        return;
    step(method, "Stop Grabbing fail! nRet ", device->stopGrabbing());
    if (step(method, "Stop record fail! nRet ", device->stopRecord()))
        qInfo().noquote() << method << serial << "frames recorded:" << device->recordedFrames();
    step(method, "Start Grabbing fail!", device->startGrabbing());
}

void HKCamera::closeCameras()
{
    QMutexLocker lock(&m_lock);
    while (!m_handles.empty())
        dropLocked(m_handles.begin()->first);
}

bool HKCamera::isOpen(const QByteArray &serial) const
{
    QMutexLocker lock(&m_lock);
    return handleOf(serial) != nullptr;
}

bool HKCamera::bufferCounts(const QByteArray &serial, int *input, int *output) const
{
    QMutexLocker lock(&m_lock);
    const CameraDevice *device = handleOf(serial);
    return device && device->bufferCounts(input, output);
}

int HKCamera::recordedFrames(const QByteArray &serial) const
{
    QMutexLocker lock(&m_lock);
    const CameraDevice *device = handleOf(serial);
    return device ? device->recordedFrames() : 0;
}

CameraDevice *HKCamera::handleOf(const QByteArray &serial) const
{
    const auto it = m_handles.find(serial);
    return it == m_handles.end() ? nullptr : it->second.get();
}

void HKCamera::dropLocked(QByteArray serial)
{
    const auto it = m_handles.find(serial);
    if (it == m_handles.end())
        return;
    std::unique_ptr<CameraDevice> handle = std::move(it->second);
    m_handles.erase(it);
    closeCamera(handle.get());
    m_health.grabbed(serial);
}
