#include "AravisSupport.h"
#include "CameraDevice.h"


static_assert(quint32(CameraError::NotConnected) == quint32(ARV_DEVICE_ERROR_NOT_CONNECTED));
static_assert(quint32(CameraError::Timeout) == quint32(ARV_DEVICE_ERROR_TIMEOUT));
static_assert(quint32(CameraError::NotFound) == quint32(ARV_DEVICE_ERROR_NOT_FOUND));
static_assert(quint32(CameraError::InvalidParameter) == quint32(ARV_DEVICE_ERROR_INVALID_PARAMETER));
static_assert(quint32(CameraError::NotController) == quint32(ARV_DEVICE_ERROR_NOT_CONTROLLER));
static_assert(quint32(CameraError::Busy) == quint32(ARV_DEVICE_ERROR_PROTOCOL_ERROR_BUSY));

CameraSources CameraSources::parse(const QString &list)
{
    CameraSources sources;
    const QStringList entries = list.split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (QString entry : entries) {
        entry = entry.trimmed();
        if (entry.compare(QLatin1String("Fake"), Qt::CaseInsensitive) == 0) {
            sources.fake = true;
            continue;
        }
        GInetAddress *address = g_inet_address_new_from_string(entry.toLatin1().constData());
        if (address && g_inet_address_get_family(address) == G_SOCKET_FAMILY_IPV4) {
            gchar *canonical = g_inet_address_to_string(address);
            sources.addresses << QByteArray(canonical);
            g_free(canonical);
        } else {
            sources.ignored << entry;
        }
        if (address)
            g_object_unref(address);
    }
    return sources;
}

CameraSources CameraSources::fromEnvironment()
{
    return parse(qEnvironmentVariable("DRAVO_CAMERAS"));
}

CameraStatus CameraSdk::initialize()
{
    return CameraStatus();
}

namespace {
QByteArray text(const char *s)
{
    return s ? QByteArray(s) : QByteArray();
}

// The serial number and model of the camera at address; it is let go again.
CameraStatus probeGigE(const QByteArray &address, CameraDeviceInfo *info)
{
    // A camera this process holds answers no second client: ask the holder.
    if (CameraDevice::openedAt(address, info))
        return CameraStatus();
    GError *error = nullptr;
    ArvDevice *device = AravisSupport::connectGigE(address, &error);
    if (!device)
        return AravisSupport::takeError(error);
    ArvCamera *camera = arv_camera_new_with_device(device, &error);
    CameraStatus status;
    if (camera) {
        info->address = address;
        info->serial = text(arv_camera_get_device_serial_number(camera, &error));
        if (!error)
            info->model = text(arv_camera_get_model_name(camera, &error));
        if (error)
            status = AravisSupport::takeError(error);
        g_object_unref(camera);
    } else {
        status = AravisSupport::takeError(error);
    }
    g_object_unref(device);
    return status;
}
} // namespace

CameraStatus CameraSdk::enumDevices(const CameraSources &sources, CameraEnumeration *found)
{
    *found = CameraEnumeration();
    // USB3 Vision only, like the vendor's transport-layer choice: GigE Vision
    // discovery would broadcast on every interface; chosen addresses are
    // reached by unicast below.
    arv_enable_interface("USB3Vision");
    arv_disable_interface("GigEVision");
    if (sources.fake)
        arv_enable_interface("Fake");
    else
        arv_disable_interface("Fake");
    arv_update_device_list();
    const unsigned count = arv_get_n_devices();
    for (unsigned i = 0; i < count; ++i) {
        CameraDeviceInfo info;
        info.deviceId = text(arv_get_device_id(i));
        info.model = text(arv_get_device_model(i));
        info.serial = text(arv_get_device_serial_nbr(i));
        found->devices << info;
    }
    for (const QByteArray &address : sources.addresses) {
        CameraDeviceInfo info;
        const CameraStatus status = probeGigE(address, &info);
        if (status)
            found->devices << info;
        else
            found->unreachable << qMakePair(address, status);
    }
    return CameraStatus();
}
