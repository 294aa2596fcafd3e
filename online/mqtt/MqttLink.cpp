#include "online/mqtt/MqttLink.h"

#include <QMetaEnum>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>
#include <mosquitto.h>

namespace {
// libmosquitto wants one initialisation per process, before any client.
void initLibrary()
{
    static const int once = mosquitto_lib_init();
    Q_UNUSED(once);
}

MqttLink::ClientError fromConnack(int code)
{
    switch (code) {
    case 1: return MqttLink::InvalidProtocolVersion;
    case 2: return MqttLink::IdRejected;
    case 3: return MqttLink::ServerUnavailable;
    case 4: return MqttLink::BadUsernameOrPassword;
    case 5: return MqttLink::NotAuthorized;
    default: return MqttLink::ProtocolViolation;
    }
}

MqttLink::ClientError fromResult(int rc)
{
    switch (rc) {
    case MOSQ_ERR_PROTOCOL:
    case MOSQ_ERR_MALFORMED_PACKET:
    case MOSQ_ERR_MALFORMED_UTF8:
    case MOSQ_ERR_PAYLOAD_SIZE:
    case MOSQ_ERR_OVERSIZE_PACKET:
        return MqttLink::ProtocolViolation;
    case MOSQ_ERR_NOMEM:
    case MOSQ_ERR_UNKNOWN:
        return MqttLink::UnknownError;
    default:
        return MqttLink::TransportInvalid; // lost, refused, unreachable, silent
    }
}
} // namespace

MqttLink::MqttLink(QObject *parent)
    : QObject(parent)
{
    initLibrary();
    m_misc = new QTimer(this);
    m_misc->setInterval(1000);
    connect(m_misc, &QTimer::timeout, this, [this] { run([this] { return mosquitto_loop_misc(m_client); }); });
}

MqttLink::~MqttLink()
{
    release();
}

const char *MqttLink::errorName(ClientError error)
{
    return QMetaEnum::fromType<ClientError>().valueToKey(error);
}

bool MqttLink::isValidTopicName(const QString &topic)
{
    const QByteArray bytes = topic.toUtf8();
    return !bytes.isEmpty() && mosquitto_pub_topic_check2(bytes.constData(), size_t(bytes.size())) == MOSQ_ERR_SUCCESS;
}

void MqttLink::release()
{
    unwatch();
    m_misc->stop();
    if (m_client) {
        mosquitto_destroy(m_client);
        m_client = nullptr;
    }
    m_events.clear();
}

void MqttLink::unwatch()
{
    delete m_read;
    delete m_write;
    m_read = m_write = nullptr;
    m_socket = -1;
}

bool MqttLink::connectToHost(const Settings &settings)
{
    release();
    m_error = NoError;
    const QByteArray id = settings.clientId.toUtf8();
    m_client = id.isEmpty() ? nullptr : mosquitto_new(id.constData(), false, this);
    if (!m_client) {
        setState(Disconnected);
        setError(IdRejected);
        return false;
    }
    mosquitto_int_option(m_client, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    mosquitto_connect_callback_set(m_client, &MqttLink::onConnect);
    mosquitto_disconnect_callback_set(m_client, &MqttLink::onDisconnect);
    mosquitto_message_callback_set(m_client, &MqttLink::onMessage);
    mosquitto_subscribe_callback_set(m_client, &MqttLink::onSubscribe);
    mosquitto_unsubscribe_callback_set(m_client, &MqttLink::onUnsubscribe);
    if (!settings.username.isEmpty())
        mosquitto_username_pw_set(m_client, settings.username.toUtf8().constData(), settings.password.toUtf8().constData());
    setState(Connecting);
    const QByteArray host = settings.host.toUtf8();
    const int rc = run([&] { return mosquitto_connect_async(m_client, host.constData(), settings.port, settings.keepAliveSeconds); });
    if (rc != MOSQ_ERR_SUCCESS) {
        unwatch();
        setError(fromResult(rc));
        setState(Disconnected);
        return false;
    }
    m_misc->start();
    return true;
}

void MqttLink::disconnectFromHost()
{
    if (!m_client || m_state == Disconnected)
        return;
    run([this] { return mosquitto_disconnect(m_client); });
    // Said or not (the socket may be gone already), the connection is over.
    if (m_state != Disconnected) {
        unwatch();
        setState(Disconnected);
    }
}

int MqttLink::publish(const QString &topic, const QByteArray &payload, int qos, bool retain)
{
    if (!m_client)
        return -1;
    int mid = 0;
    const QByteArray name = topic.toUtf8();
    const int rc = run([&] {
        return mosquitto_publish(m_client, &mid, name.constData(), int(payload.size()), payload.constData(), qos, retain);
    });
    return rc == MOSQ_ERR_SUCCESS && mid > 0 ? mid : -1;
}

int MqttLink::subscribe(const QString &filter, int qos)
{
    if (!m_client)
        return -1;
    int mid = 0;
    const QByteArray name = filter.toUtf8();
    const int rc = run([&] { return mosquitto_subscribe(m_client, &mid, name.constData(), qos); });
    return rc == MOSQ_ERR_SUCCESS && mid > 0 ? mid : -1;
}

int MqttLink::unsubscribe(const QString &filter)
{
    if (!m_client)
        return -1;
    int mid = 0;
    const QByteArray name = filter.toUtf8();
    const int rc = run([&] { return mosquitto_unsubscribe(m_client, &mid, name.constData()); });
    return rc == MOSQ_ERR_SUCCESS && mid > 0 ? mid : -1;
}

template <typename Call> int MqttLink::run(Call call)
{
    // The library is never entered twice: its callbacks only queue events,
    // and what they start runs after it has returned.
    if (m_inLibrary || !m_client)
        return MOSQ_ERR_INVAL;
    m_inLibrary = true;
    const int rc = call();
    m_inLibrary = false;
    follow();
    deliver();
    return rc;
}

void MqttLink::follow()
{
    const int socket = m_client ? mosquitto_socket(m_client) : -1;
    if (socket != m_socket) {
        unwatch();
        if (socket >= 0) {
            m_socket = socket;
            m_read = new QSocketNotifier(socket, QSocketNotifier::Read, this);
            m_write = new QSocketNotifier(socket, QSocketNotifier::Write, this);
            connect(m_read, &QSocketNotifier::activated, this, [this] { run([this] { return mosquitto_loop_read(m_client, 1); }); });
            connect(m_write, &QSocketNotifier::activated, this, [this] { run([this] { return mosquitto_loop_write(m_client, 1); }); });
        }
    }
    if (m_write)
        m_write->setEnabled(mosquitto_want_write(m_client));
}

void MqttLink::deliver()
{
    const QPointer<MqttLink> self(this);
    while (self && !m_events.isEmpty()) {
        const Event event = m_events.takeFirst();
        switch (event.kind) {
        case Event::Connack:
            if (event.code == 0) {
                setState(Connected);
            } else {
                setError(fromConnack(event.code));
            }
            break;
        case Event::Lost:
            m_misc->stop();
            if (m_state == Disconnected)
                break;
            // A goodbye of our own has no fault; a refusal has said its own.
            if (event.code != MOSQ_ERR_SUCCESS && m_error == NoError)
                setError(fromResult(event.code));
            if (self)
                setState(Disconnected);
            break;
        case Event::Message:
            emit messageReceived(event.payload, event.topic);
            break;
        case Event::Suback:
            emit subscribed(event.mid, event.code);
            break;
        case Event::Unsuback:
            emit unsubscribed(event.mid);
            break;
        }
    }
}

void MqttLink::setState(State state)
{
    if (m_state == state)
        return;
    m_state = state;
    emit stateChanged(state);
}

void MqttLink::setError(ClientError error)
{
    if (m_error == error)
        return;
    m_error = error;
    emit errorChanged(error);
}

void MqttLink::onConnect(mosquitto *, void *self, int code)
{
    static_cast<MqttLink *>(self)->m_events.append({Event::Connack, code, 0, {}, {}});
}

void MqttLink::onDisconnect(mosquitto *, void *self, int rc)
{
    static_cast<MqttLink *>(self)->m_events.append({Event::Lost, rc, 0, {}, {}});
}

void MqttLink::onMessage(mosquitto *, void *self, const mosquitto_message *message)
{
    const QByteArray payload(static_cast<const char *>(message->payload), message->payloadlen);
    static_cast<MqttLink *>(self)->m_events.append({Event::Message, 0, 0, QString::fromUtf8(message->topic), payload});
}

void MqttLink::onSubscribe(mosquitto *, void *self, int mid, int count, const int *granted)
{
    // One filter per request: its granted QoS, 128 for a refusal.
    const int qos = count > 0 ? (granted[0] & 0xff) : 0x80;
    static_cast<MqttLink *>(self)->m_events.append({Event::Suback, qos, mid, {}, {}});
}

void MqttLink::onUnsubscribe(mosquitto *, void *self, int mid)
{
    static_cast<MqttLink *>(self)->m_events.append({Event::Unsuback, 0, mid, {}, {}});
}
