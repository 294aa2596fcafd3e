#include "mqttMessage.h"

#include <QCoreApplication>
#include <QDebug>
#include <QElapsedTimer>
#include <QThread>
#include <QUuid>
#include <mosquitto.h>

namespace {
// libmosquitto wants one initialisation per process, before any client.
void initLibrary()
{
    static const int once = mosquitto_lib_init();
    Q_UNUSED(once);
}
} // namespace

mqttMessage::mqttMessage(QObject *parent)
    : QObject(parent)
{
    initLibrary();
}

mqttMessage::~mqttMessage()
{
    disconnectFromServer();
    release();
}

void mqttMessage::release()
{
    if (!m_client)
        return;
    if (m_loopRunning) {
        // Cancelling the network thread could leave it holding one of the
        // client's mutexes, which mosquitto_destroy then destroys: the thread
        // is asked to end (a disconnect ends its loop) and joined instead.
        mosquitto_disconnect(m_client);
        mosquitto_loop_stop(m_client, false);
    }
    m_loopRunning = false;
    mosquitto_destroy(m_client);
    m_client = nullptr;
}

void mqttMessage::onConnect(mosquitto *, void *self, int result)
{
    auto *me = static_cast<mqttMessage *>(self);
    if (result == 0) {
        me->m_connected.storeRelease(1);
    } else {
        me->m_refused.storeRelease(result);
        me->m_connected.storeRelease(0);
    }
}

void mqttMessage::onDisconnect(mosquitto *, void *self, int)
{
    static_cast<mqttMessage *>(self)->m_connected.storeRelease(0);
}

bool mqttMessage::isConnectToServer() const
{
    return m_connected.loadAcquire() == 1;
}

bool mqttMessage::connectToServer(mqttSetting &setting)
{
    if (isConnectToServer())
        return false;
    release();
    if (setting.clientId.isEmpty())
        setting.clientId = QStringLiteral("Dravolinte-") + QUuid::createUuid().toString(QUuid::Id128).left(12);
    m_setting = setting;
    m_refused.storeRelease(-1);

    // The broker keeps the session between connections, so the id must stay.
    m_client = mosquitto_new(setting.clientId.toUtf8().constData(), false, this);
    if (!m_client) {
        qCritical().noquote() << "mqttMessage::connectToServer" << "cannot create the client";
        return false;
    }
    mosquitto_int_option(m_client, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    mosquitto_connect_callback_set(m_client, &mqttMessage::onConnect);
    mosquitto_disconnect_callback_set(m_client, &mqttMessage::onDisconnect);
    if (!setting.username.isEmpty())
        mosquitto_username_pw_set(m_client, setting.username.toUtf8().constData(), setting.password.toUtf8().constData());

    int rc = mosquitto_connect_async(m_client, setting.host.toUtf8().constData(), setting.port, 60);
    QElapsedTimer clock;
    clock.start();
    // The client's network work is done here, on this thread, until the
    // broker has answered or the wait is over; the caller's events go on.
    while (rc == MOSQ_ERR_SUCCESS && !isConnectToServer() && m_refused.loadAcquire() < 0
           && clock.elapsed() < kConnectWaitMs) {
        rc = mosquitto_loop(m_client, 50, 1);
        QCoreApplication::processEvents();
    }
    if (isConnectToServer()) {
        // From now on libmosquitto's own thread keeps the link alive.
        m_loopRunning = mosquitto_loop_start(m_client) == MOSQ_ERR_SUCCESS;
        qInfo().noquote() << "mqttMessage::connectToServer" << "connected" << setting.host << setting.port;
        return true;
    }
    const int refused = m_refused.loadAcquire();
    const QString why = refused > 0 ? QString::fromUtf8(mosquitto_connack_string(refused))
        : rc != MOSQ_ERR_SUCCESS   ? QString::fromUtf8(mosquitto_strerror(rc))
                                   : QStringLiteral("no answer within %1 ms").arg(kConnectWaitMs);
    qCritical().noquote() << "mqttMessage::connectToServer" << setting.host << setting.port << why;
    release();
    return false;
}

void mqttMessage::disconnectFromServer()
{
    if (m_client && isConnectToServer())
        mosquitto_disconnect(m_client);
    m_connected.storeRelease(0);
}

bool mqttMessage::showAD(const QString &topic, QWindow *)
{
    // The advertising carousel is not part of this build yet.
    qInfo().noquote() << "mqttMessage::showAD" << topic << "advertising window not available";
    return false;
}
