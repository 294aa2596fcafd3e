#include "online/mqtt/mqttMessage.h"

#include "online/mqtt/AdMessage.h"
#include "online/carousel/CarouselImageWindow.h"
#include "online/mqtt/MqttClientId.h"

#include <QDeadlineTimer>
#include <QDebug>
#include <QEventLoop>
#include <QTimer>

namespace {
// The handlers of the client's state, error and message, and of a subscription's state.
const char *kStateOrigin = "mqttMessage::mqttMessage::<lambda_1>::operator ()";
const char *kErrorOrigin = "mqttMessage::mqttMessage::<lambda_2>::operator ()";
const char *kMessageOrigin = "mqttMessage::mqttMessage::<lambda_3>::operator ()";
const char *kSubscriptionOrigin = "mqttMessage::subTopic::<lambda_1>::operator ()";
} // namespace

mqttMessage::mqttMessage(QObject *parent)
    : QObject(parent), m_clientId(MqttClientId::forThisMachine())
{
    connect(&m_link, &MqttLink::stateChanged, this, &mqttMessage::onState);
    connect(&m_link, &MqttLink::errorChanged, this, &mqttMessage::onError);
    connect(&m_link, &MqttLink::messageReceived, this, &mqttMessage::onMessage);
    connect(&m_link, &MqttLink::subscribed, this, &mqttMessage::onSubscribed);
}

mqttMessage::~mqttMessage()
{
    disconnectFromServer();
}

bool mqttMessage::waitUntil(const std::function<bool()> &done, int ms)
{
    const QPointer<mqttMessage> self(this);
    const QDeadlineTimer deadline(ms);
    QEventLoop loop;
    QTimer check;
    connect(&check, &QTimer::timeout, &loop, [&] {
        if (!self || done() || deadline.hasExpired())
            loop.quit();
    });
    check.start(10);
    if (!done())
        loop.exec();
    return self;
}

bool mqttMessage::connectToServer(mqttSetting &setting)
{
    if (isConnectToServer())
        return false;
    if (setting.clientId.isEmpty())
        setting.clientId = m_clientId;
    else
        m_clientId = setting.clientId;
    m_setting = setting;
    m_filters.clear();
    MqttLink::Settings link{setting.host, setting.port, {}, {}, setting.clientId, 60};
    if (!setting.username.isEmpty()) {
        link.username = setting.username;
        link.password = setting.password;
    }
    m_link.connectToHost(link);
    // Not cut short by a refusal: the wait is the caller's known second.
    if (!waitUntil([this] { return isConnectToServer(); }, kWaitMs))
        return false;
    const bool connected = isConnectToServer();
    qInfo().noquote() << "mqttMessage::connectToServer" << setting.host << setting.port
                      << (connected ? "connected" : "not connected");
    return connected;
}

void mqttMessage::disconnectFromServer()
{
    m_link.disconnectFromHost();
    m_callbacks.clear();
    m_filters.clear();
}

bool mqttMessage::isConnectToServer() const
{
    return m_link.state() == MqttLink::Connected;
}

bool mqttMessage::pubTopic(const QString &topic, const QByteArray &message)
{
    return m_link.publish(topic, message, 1, false) > 0;
}

bool mqttMessage::subTopic(const QString &topic, Callback callback)
{
    if (topic.isEmpty()) {
        qCritical() << "mqttMessage::subTopic" << "订阅主题不能为空";
        return false;
    }
    if (!isConnectToServer()) {
        qCritical() << "mqttMessage::subTopic" << "客户端未连接，延迟订阅...";
        return false;
    }
    const auto held = m_filters.constFind(topic);
    if (held != m_filters.constEnd() && held->state == Subscription::Subscribed) {
        m_callbacks.add(topic, callback);
        return true;
    }
    if (held == m_filters.constEnd() || held->state == Subscription::Error) {
        const int mid = m_link.subscribe(topic, 1);
        if (mid < 0) {
            qCritical() << "mqttMessage::subTopic" << "订阅失败！Topic:" << topic;
            return false;
        }
        m_filters.insert(topic, Filter{mid, Subscription::Pending, {}});
    }
    m_filters[topic].waiting.append(callback);
    const auto state = [this, topic] { return m_filters.value(topic, Filter{-1, Subscription::Error, {}}).state; };
    // As long as the broker may still refuse: a grant does not end the wait.
    if (!waitUntil([&state] { return state() == Subscription::Error; }, kWaitMs))
        return false;
    return state() == Subscription::Subscribed;
}

void mqttMessage::onSubscribed(int mid, int grantedQos)
{
    for (auto it = m_filters.begin(); it != m_filters.end(); ++it) {
        if (it->mid != mid)
            continue;
        if (grantedQos >= 0x80) {
            it->state = Subscription::Error;
            qCritical() << kSubscriptionOrigin << "订阅失败，请检查主题权限:" << it.key();
            return;
        }
        it->state = Subscription::Subscribed;
        const QString topic = it.key();
        const QList<Callback> waiting = it->waiting;
        for (const Callback &callback : waiting)
            m_callbacks.add(topic, callback);
        return;
    }
}

void mqttMessage::unSubTopic(const QString &topic, Callback callback)
{
    if (!m_callbacks.contains(topic))
        return;
    if (callback && !m_callbacks.remove(topic, callback))
        return;
    m_link.unsubscribe(topic);
    m_filters.remove(topic);
}

bool mqttMessage::showAD(const QString &topic, QWidget *parent)
{
    return !m_adCreated && startAd(topic, new CarouselImageWindow(parent));
}

bool mqttMessage::showAD(const QString &topic, QWindow *parent)
{
    return !m_adCreated && startAd(topic, new CarouselImageWindow(parent));
}

bool mqttMessage::startAd(const QString &topic, CarouselImageWindow *window)
{
    m_adCreated = true;
    m_adWindow = window;
    unSubTopic(m_adTopic);
    m_adTopic = topic;
    return subTopic(m_adTopic);
}

void mqttMessage::hideAD()
{
    unSubTopic(m_adTopic);
}

void mqttMessage::onState(MqttLink::State state)
{
    if (state == MqttLink::Connected) {
        qInfo() << kStateOrigin << "[成功连接]" << m_clientId;
    } else if (state == MqttLink::Disconnected) {
        // The broker forgets nothing of ours, but these filters are no longer served.
        m_filters.clear();
        qInfo() << kStateOrigin << "[断开连接]" << m_clientId;
    }
}

void mqttMessage::onError(MqttLink::ClientError error)
{
    qCritical() << kErrorOrigin << "[客户端错误]" << m_clientId << "错误码:" << MqttLink::errorName(error);
}

void mqttMessage::onMessage(const QByteArray &payload, const QString &topic)
{
    if (!MqttLink::isValidTopicName(topic))
        return;
    if (!m_adTopic.isEmpty() && topic == m_adTopic)
        showAd(payload);
    const QPointer<mqttMessage> self(this);
    emit messageReceived(topic, payload);
    if (self)
        m_callbacks.dispatch(topic, payload, kMessageOrigin);
}

void mqttMessage::showAd(const QByteArray &payload)
{
    const AdMessage ad = AdMessage::parse(payload);
    if (!ad.problem.isEmpty()) {
        qWarning() << kMessageOrigin << "not an ad to show:" << ad.problem;
        return;
    }
    if (!m_adWindow)
        return;
    m_adWindow->setImageUrl(ad.images(), ad.links());
    m_adWindow->startPlay();
}
