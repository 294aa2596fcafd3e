#pragma once

#include <QObject>
#include <QString>

class QWindow;
struct mosquitto;

// Connection settings of the MQTT link.
struct mqttSetting
{
    QString host;
    quint16 port = 1883;
    QString username; // empty: connect without user name and password
    QString password;
    QString clientId; // empty: a generated identifier, written back by connectToServer
};

// The program's MQTT link, over libmosquitto. For now it connects and reports
// whether the broker took the connection; subscriptions and the advertising
// window come with the online services.
class mqttMessage : public QObject
{
    Q_OBJECT
public:
    static constexpr int kConnectWaitMs = 1000;

    explicit mqttMessage(QObject *parent = nullptr);
    ~mqttMessage() override;

    // Connects and waits up to about one second for the broker's answer.
    // False when already connected, refused, unreachable or too slow.
    bool connectToServer(mqttSetting &setting);
    void disconnectFromServer();
    bool isConnectToServer() const;
    // Subscribes the topic and opens the advertising window on it.
    bool showAD(const QString &topic, QWindow *parent);

private:
    static void onConnect(mosquitto *client, void *self, int result);
    static void onDisconnect(mosquitto *client, void *self, int result);
    void release();

    mosquitto *m_client = nullptr;
    bool m_loopRunning = false;
    // Written by libmosquitto's callbacks, which run on the thread that drives
    // its network loop.
    QAtomicInt m_connected{0};
    QAtomicInt m_refused{-1};
    mqttSetting m_setting;
};
