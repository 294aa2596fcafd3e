#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

class QSocketNotifier;
class QTimer;
struct mosquitto;
struct mosquitto_message;

// One MQTT 3.1.1 connection over libmosquitto, run by the Qt event loop of
// the object's thread: its socket is watched by notifiers and the keep-alive
// by a timer, so every signal comes on that thread and no thread of the
// library's own runs. The broker keeps the session (clean session off). A
// lost or refused connection is not tried again.
class MqttLink : public QObject
{
    Q_OBJECT
public:
    enum State { Disconnected, Connecting, Connected };
    Q_ENUM(State)
    // As the client reports faults: the broker's refusals by their CONNACK
    // code, then the transport and the protocol.
    enum ClientError {
        NoError,
        InvalidProtocolVersion,
        IdRejected,
        ServerUnavailable,
        BadUsernameOrPassword,
        NotAuthorized,
        TransportInvalid,
        ProtocolViolation,
        UnknownError,
    };
    Q_ENUM(ClientError)

    struct Settings
    {
        QString host;
        quint16 port = 1883;
        QString username; // empty: no user name and no password
        QString password;
        QString clientId; // must not be empty: the broker keeps the session under it
        int keepAliveSeconds = 60;
    };

    explicit MqttLink(QObject *parent = nullptr);
    ~MqttLink() override;

    // Starts a connection, ending the one before. False when it cannot even
    // start (no client id, an address that cannot be used): the error tells.
    bool connectToHost(const Settings &settings);
    // Says goodbye to the broker and closes the connection.
    void disconnectFromHost();
    State state() const { return m_state; }
    ClientError error() const { return m_error; }
    static const char *errorName(ClientError error);

    // Message ids (above 0), or -1 when nothing was sent.
    int publish(const QString &topic, const QByteArray &payload, int qos, bool retain);
    int subscribe(const QString &filter, int qos);
    int unsubscribe(const QString &filter);
    // A topic that a message may carry: not empty, no wildcard, valid UTF-8.
    static bool isValidTopicName(const QString &topic);

signals:
    void stateChanged(MqttLink::State state);
    void errorChanged(MqttLink::ClientError error);
    void messageReceived(const QByteArray &message, const QString &topic);
    // grantedQos 128: the broker refused the filter.
    void subscribed(int mid, int grantedQos);
    void unsubscribed(int mid);

private:
    struct Event
    {
        enum Kind { Connack, Lost, Message, Suback, Unsuback } kind;
        int code = 0; // CONNACK code, loss result, granted QoS
        int mid = 0;
        QString topic;
        QByteArray payload;
    };
    static void onConnect(mosquitto *, void *self, int code);
    static void onDisconnect(mosquitto *, void *self, int rc);
    static void onMessage(mosquitto *, void *self, const mosquitto_message *message);
    static void onSubscribe(mosquitto *, void *self, int mid, int count, const int *granted);
    static void onUnsubscribe(mosquitto *, void *self, int mid);

    // Runs a library call that may read, write or call back; then follows
    // the socket and hands the events over, outside the library.
    template <typename Call> int run(Call call);
    void follow();
    void deliver();
    void unwatch();
    void release();
    void setState(State state);
    void setError(ClientError error);

    mosquitto *m_client = nullptr;
    int m_socket = -1;
    QSocketNotifier *m_read = nullptr;
    QSocketNotifier *m_write = nullptr;
    QTimer *m_misc = nullptr;
    bool m_inLibrary = false;
    QList<Event> m_events;
    State m_state = Disconnected;
    ClientError m_error = NoError;
};
