#include "AravisSupport.h"
#include "CameraDevice.h"
#include "PixelConversion.h"
#include "VideoRecorder.h"

#include <QHash>
#include <QMutex>
#include <vector>

namespace {

// GigE Vision cameras this process controls, by address.
QMutex g_openedLock;
QHash<QByteArray, CameraDeviceInfo> g_opened;

QString statusName(ArvBufferStatus status)
{
    switch (status) {
    case ARV_BUFFER_STATUS_SUCCESS:
        return QStringLiteral("complete");
    case ARV_BUFFER_STATUS_CLEARED:
        return QStringLiteral("cleared");
    case ARV_BUFFER_STATUS_TIMEOUT:
        return QStringLiteral("timed out");
    case ARV_BUFFER_STATUS_MISSING_PACKETS:
        return QStringLiteral("missing packets");
    case ARV_BUFFER_STATUS_WRONG_PACKET_ID:
        return QStringLiteral("wrong packet id");
    case ARV_BUFFER_STATUS_SIZE_MISMATCH:
        return QStringLiteral("larger than its buffer");
    case ARV_BUFFER_STATUS_FILLING:
        return QStringLiteral("still filling");
    case ARV_BUFFER_STATUS_ABORTED:
        return QStringLiteral("aborted");
    default:
        return QStringLiteral("unknown");
    }
}

CameraStatus result(GError *error)
{
    return error ? AravisSupport::takeError(error) : CameraStatus();
}

CameraStatus notCreated()
{
    return CameraStatus::failure(CameraError::NotConnected, QStringLiteral("not created"));
}

// One feature call on the camera, its error as the status.
template <typename Call>
CameraStatus featureCall(ArvCamera *camera, Call &&call)
{
    if (!camera)
        return notCreated();
    GError *error = nullptr;
    call(camera, &error);
    return result(error);
}

} // namespace

struct CameraDevice::Private
{
    CameraDeviceInfo info;
    ArvDevice *gvDevice = nullptr; // our own reference to a GigE Vision device
    ArvCamera *camera = nullptr;
    ArvStream *stream = nullptr;
    gsize bufferBytes = 0; // each of the stream's buffers
    bool acquiring = false;
    bool registered = false;
    VideoRecorder recorder;

    void requeue(ArvBuffer *buffer) { arv_stream_push_buffer(stream, buffer); }
    void record(ArvBuffer *buffer)
    {
        if (!recorder.isRecording())
            return;
        size_t size = 0;
        const void *data = arv_buffer_get_image_data(buffer, &size);
        recorder.write(PixelConversion::toRgb(data, size, arv_buffer_get_image_width(buffer),
                                              arv_buffer_get_image_height(buffer),
                                              quint32(arv_buffer_get_image_pixel_format(buffer))));
    }
};

CameraDevice::CameraDevice() : d(std::make_unique<Private>()) {}

CameraDevice::~CameraDevice()
{
    close();
}

const CameraDeviceInfo &CameraDevice::info() const
{
    return d->info;
}

CameraStatus CameraDevice::create(const CameraDeviceInfo &info)
{
    if (d->camera)
        return CameraStatus::failure(CameraError::Busy, QStringLiteral("already created"));
    d->info = info;
    GError *error = nullptr;
    if (!info.address.isEmpty()) {
        d->gvDevice = AravisSupport::connectGigE(info.address, &error);
        if (!d->gvDevice)
            return AravisSupport::takeError(error);
        d->camera = arv_camera_new_with_device(d->gvDevice, &error);
    } else {
        d->camera = arv_camera_new(info.deviceId.constData(), &error);
    }
    if (!d->camera) {
        const CameraStatus status = AravisSupport::takeError(error);
        close();
        return status;
    }
    return CameraStatus();
}

CameraStatus CameraDevice::open()
{
    if (!d->camera)
        return notCreated();
    // USB3 Vision claims the device when it is created; GigE Vision only
    // tries to take control and goes on as a reader when another client has it.
    if (d->gvDevice) {
        if (!arv_gv_device_is_controller(ARV_GV_DEVICE(d->gvDevice)))
            return CameraStatus::failure(CameraError::NotController,
                                         QStringLiteral("%1 is controlled by another client")
                                             .arg(QString::fromLatin1(d->info.address)));
        QMutexLocker lock(&g_openedLock);
        g_opened.insert(d->info.address, d->info);
        d->registered = true;
    }
    return CameraStatus();
}

CameraStatus CameraDevice::setEnumValue(const char *feature, const char *value)
{
    return featureCall(d->camera, [&](ArvCamera *camera, GError **error) { arv_camera_set_string(camera, feature, value, error); });
}

CameraStatus CameraDevice::setBoolValue(const char *feature, bool value)
{
    return featureCall(d->camera, [&](ArvCamera *camera, GError **error) { arv_camera_set_boolean(camera, feature, value, error); });
}

CameraStatus CameraDevice::setIntValue(const char *feature, qint64 value)
{
    return featureCall(d->camera, [&](ArvCamera *camera, GError **error) { arv_camera_set_integer(camera, feature, value, error); });
}

CameraStatus CameraDevice::setFloatValue(const char *feature, double value)
{
    return featureCall(d->camera, [&](ArvCamera *camera, GError **error) { arv_camera_set_float(camera, feature, value, error); });
}

CameraStatus CameraDevice::getIntValue(const char *feature, qint64 *value) const
{
    return featureCall(d->camera, [&](ArvCamera *camera, GError **error) { *value = arv_camera_get_integer(camera, feature, error); });
}

CameraStatus CameraDevice::getEnumValue(const char *feature, qint64 *value) const
{
    // An enumeration reads as the integer value of its entry.
    return getIntValue(feature, value);
}

CameraStatus CameraDevice::getFloatValue(const char *feature, double *value) const
{
    return featureCall(d->camera, [&](ArvCamera *camera, GError **error) { *value = arv_camera_get_float(camera, feature, error); });
}

CameraStatus CameraDevice::startGrabbing()
{
    if (!d->camera)
        return notCreated();
    if (d->acquiring)
        return CameraStatus::failure(CameraError::Busy, QStringLiteral("already grabbing"));
    GError *error = nullptr;
    const guint payload = arv_camera_get_payload(d->camera, &error);
    if (error)
        return AravisSupport::takeError(error);
    // A stream of a stop before is taken up again while its buffers hold a
    // frame: its channel stays where the camera sends (a camera that missed
    // the short stop goes on sending there).
    if (d->stream && payload > d->bufferBytes)
        g_clear_object(&d->stream);
    if (!d->stream) {
        d->stream = arv_camera_create_stream(d->camera, nullptr, nullptr, &error);
        if (!d->stream)
            return AravisSupport::takeError(error, CameraError::NotConnected);
        for (int i = 0; i < kBuffers; ++i)
            arv_stream_push_buffer(d->stream, arv_buffer_new_allocate(payload));
        d->bufferBytes = payload;
    }
    arv_camera_start_acquisition(d->camera, &error);
    if (error)
        return AravisSupport::takeError(error);
    d->acquiring = true;
    return CameraStatus();
}

CameraStatus CameraDevice::stopGrabbing()
{
    if (!d->acquiring)
        return CameraStatus::failure(CameraError::NotConnected, QStringLiteral("not grabbing"));
    GError *error = nullptr;
    arv_camera_stop_acquisition(d->camera, &error);
    d->acquiring = false;
    return result(error);
}

bool CameraDevice::isGrabbing() const
{
    return d->acquiring;
}

CameraStatus CameraDevice::getImageBuffer(CameraFrame *frame, int timeoutMs)
{
    if (!d->acquiring)
        return CameraStatus::failure(CameraError::NotConnected, QStringLiteral("not grabbing"));
    if (frame->buffer)
        return CameraStatus::failure(CameraError::Busy, QStringLiteral("the frame lent before is not back"));
    ArvBuffer *first = arv_stream_timeout_pop_buffer(d->stream, guint64(qMax(timeoutMs, 0)) * 1000);
    if (!first)
        return CameraStatus::failure(CameraError::Timeout, QStringLiteral("no frame within %1 ms").arg(timeoutMs));
    std::vector<ArvBuffer *> popped{first};
    while (ArvBuffer *more = arv_stream_try_pop_buffer(d->stream))
        popped.push_back(more);

    ArvBuffer *newest = nullptr;
    ArvBufferStatus lastFailure = ARV_BUFFER_STATUS_SUCCESS;
    for (ArvBuffer *buffer : popped) {
        const ArvBufferStatus status = arv_buffer_get_status(buffer);
        if (status == ARV_BUFFER_STATUS_SUCCESS &&
            arv_buffer_get_payload_type(buffer) == ARV_BUFFER_PAYLOAD_TYPE_IMAGE) {
            d->record(buffer);
            if (newest)
                d->requeue(newest);
            newest = buffer;
        } else {
            lastFailure = status;
            d->requeue(buffer);
        }
    }
    if (!newest)
        return CameraStatus::failure(quint32(lastFailure),
                                     QStringLiteral("incomplete frame: %1").arg(statusName(lastFailure)));
    size_t size = 0;
    frame->data = static_cast<const unsigned char *>(arv_buffer_get_image_data(newest, &size));
    frame->length = size;
    frame->width = arv_buffer_get_image_width(newest);
    frame->height = arv_buffer_get_image_height(newest);
    frame->pixelType = quint32(arv_buffer_get_image_pixel_format(newest));
    frame->buffer = newest;
    return CameraStatus();
}

CameraStatus CameraDevice::freeImageBuffer(CameraFrame *frame)
{
    if (!frame->buffer)
        return CameraStatus::failure(CameraError::InvalidParameter, QStringLiteral("no frame lent"));
    auto *buffer = static_cast<ArvBuffer *>(frame->buffer);
    *frame = CameraFrame();
    if (!d->stream) {
        g_object_unref(buffer); // its stream is gone
        return CameraStatus::failure(CameraError::NotConnected, QStringLiteral("not grabbing"));
    }
    d->requeue(buffer);
    return CameraStatus();
}

bool CameraDevice::bufferCounts(int *input, int *output) const
{
    if (!d->stream)
        return false;
    gint in = 0, out = 0;
    arv_stream_get_n_buffers(d->stream, &in, &out);
    *input = in;
    *output = out;
    return true;
}

CameraStatus CameraDevice::startRecord(const RecordParams &params)
{
    if (!d->camera)
        return notCreated();
    return d->recorder.start(params.filePath, params.width, params.height, params.frameRate);
}

CameraStatus CameraDevice::stopRecord()
{
    return d->recorder.stop();
}

int CameraDevice::recordedFrames() const
{
    return d->recorder.frames();
}

CameraStatus CameraDevice::close()
{
    CameraStatus status;
    if (d->recorder.isRecording())
        d->recorder.stop();
    if (d->acquiring)
        status = stopGrabbing();
    g_clear_object(&d->stream);
    if (d->registered) {
        QMutexLocker lock(&g_openedLock);
        g_opened.remove(d->info.address);
        d->registered = false;
    }
    g_clear_object(&d->camera);
    g_clear_object(&d->gvDevice);
    return status;
}

bool CameraDevice::openedAt(const QByteArray &address, CameraDeviceInfo *info)
{
    QMutexLocker lock(&g_openedLock);
    const auto it = g_opened.constFind(address);
    if (it == g_opened.constEnd())
        return false;
    *info = *it;
    return true;
}
