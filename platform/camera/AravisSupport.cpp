#include "AravisSupport.h"

namespace {
constexpr guint16 kGvcpPort = 3956;

// The local address of the interface that routes to device: the one a
// connected datagram socket is given.
GInetAddress *localAddressFor(GInetAddress *device, GError **error)
{
    GSocket *socket = g_socket_new(G_SOCKET_FAMILY_IPV4, G_SOCKET_TYPE_DATAGRAM, G_SOCKET_PROTOCOL_UDP, error);
    if (!socket)
        return nullptr;
    GInetAddress *local = nullptr;
    GSocketAddress *remote = g_inet_socket_address_new(device, kGvcpPort);
    if (g_socket_connect(socket, remote, nullptr, error)) {
        if (GSocketAddress *bound = g_socket_get_local_address(socket, error)) {
            local = G_INET_ADDRESS(g_object_ref(g_inet_socket_address_get_address(G_INET_SOCKET_ADDRESS(bound))));
            g_object_unref(bound);
        }
    }
    g_object_unref(remote);
    g_object_unref(socket);
    return local;
}
} // namespace

CameraStatus AravisSupport::takeError(GError *error, quint32 fallbackCode)
{
    if (!error)
        return CameraStatus::failure(fallbackCode, QStringLiteral("unknown error"));
    const CameraStatus status = CameraStatus::failure(quint32(error->code), QString::fromUtf8(error->message));
    g_error_free(error);
    return status;
}

ArvDevice *AravisSupport::connectGigE(const QByteArray &address, GError **error)
{
    GInetAddress *device = g_inet_address_new_from_string(address.constData());
    if (!device || g_inet_address_get_family(device) != G_SOCKET_FAMILY_IPV4) {
        if (device)
            g_object_unref(device);
        g_set_error(error, ARV_DEVICE_ERROR, ARV_DEVICE_ERROR_INVALID_PARAMETER, "not an IPv4 address: %s",
                    address.constData());
        return nullptr;
    }
    ArvDevice *opened = nullptr;
    if (GInetAddress *local = localAddressFor(device, error)) {
        opened = arv_gv_device_new(local, device, error);
        g_object_unref(local);
    }
    g_object_unref(device);
    return opened;
}
