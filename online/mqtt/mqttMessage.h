#pragma once

#include "online/carousel/CarouselImageWindow.h"
#include "online/mqtt/MqttCallbacks.h"
#include "online/mqtt/MqttLink.h"

#include <QByteArray>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QString>

class QWidget;
class QWindow;

// Connection settings of the MQTT link.
struct mqttSetting
{
    QString host;
    quint16 port = 1883;
    QString username; // empty: connect without user name and password
    QString password;
    QString clientId; // empty: this program's identifier on this machine, written back by connectToServer
};

// The program's MQTT link: connects with an mqttSetting, publishes,
// subscribes topics with callbacks per topic, passes every message on as
// messageReceived, and feeds the advertising carousel from the JSON messages
// of one topic, the ad topic. Nothing reconnects: a lost link is logged once
// and stays lost. Every call belongs to the thread that made the object.
class mqttMessage : public QObject
{
    Q_OBJECT
public:
    using Callback = MqttCallbacks::Callback;
    // How long connectToServer and subTopic wait for the broker.
    static constexpr int kWaitMs = 1000;

    explicit mqttMessage(QObject *parent = nullptr);
    ~mqttMessage() override;

    // Connects and waits up to kWaitMs (the thread's events go on meanwhile).
    // False when already connected, or not connected when the wait ends; an
    // attempt still under way may connect later. An empty clientId is filled
    // with this client's identifier: the program's own on this machine
    // (MqttClientId), the same at every start.
    bool connectToServer(mqttSetting &setting);
    // Says goodbye to the broker; every callback is dropped.
    void disconnectFromServer();
    bool isConnectToServer() const;
    // QoS 1, not retained; true when the client took the message.
    bool pubTopic(const QString &topic, const QByteArray &message);
    // QoS 1; true when the filter is subscribed on return (a new one waits kWaitMs).
    bool subTopic(const QString &topic, Callback callback = Callback());
    void unSubTopic(const QString &topic, Callback callback = Callback());
    // Creates the carousel (once for the object's life) and subscribes the ad topic.
    bool showAD(const QString &topic, QWidget *parent);
    bool showAD(const QString &topic, QWindow *parent);
    // Unsubscribes the ad topic; the carousel stays as it is.
    void hideAD();

    QString clientId() const { return m_clientId; }
    CarouselImageWindow *adWindow() const { return m_adWindow; }
    QString adTopic() const { return m_adTopic; }

signals:
    void messageReceived(QString topic, QByteArray message);

private:
    enum class Subscription { Pending, Subscribed, Error };
    struct Filter
    {
        int mid = -1;
        Subscription state = Subscription::Pending;
        QList<Callback> waiting; // registered once the broker grants the filter
    };

    void onState(MqttLink::State state);
    void onError(MqttLink::ClientError error);
    void onMessage(const QByteArray &payload, const QString &topic);
    void onSubscribed(int mid, int grantedQos);
    void showAd(const QByteArray &payload);
    bool startAd(const QString &topic, CarouselImageWindow *window);
    // Runs the thread's events until done() or ms have passed; false when
    // this object went meanwhile.
    bool waitUntil(const std::function<bool()> &done, int ms);

    QPointer<CarouselImageWindow> m_adWindow;
    bool m_adCreated = false;
    MqttLink m_link;
    mqttSetting m_setting;
    QString m_clientId;
    QString m_adTopic;
    MqttCallbacks m_callbacks;
    QMap<QString, Filter> m_filters;
};
