#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <functional>

// The callbacks of the MQTT client per subscribed topic, in the order they
// were registered. Two callbacks are the same when both are empty, both hold
// the same plain function, or both hold a callable of one type (the same
// lambda): a topic holds a callback once, and removal takes every copy.
class MqttCallbacks
{
public:
    using Callback = std::function<void(const QString &, const QByteArray &)>;

    static bool same(const Callback &a, const Callback &b);

    // The topic's entry exists from now on, also for an empty callback,
    // which is not kept in it.
    void add(const QString &topic, const Callback &callback);
    bool contains(const QString &topic) const { return m_topics.contains(topic); }
    int count(const QString &topic) const;
    // Takes every callback that is the same out of the topic's list; true
    // when the list is empty then.
    bool remove(const QString &topic, const Callback &callback);
    void clear() { m_topics.clear(); }

    // Calls the callbacks of exactly this topic in order. One that throws is
    // taken out of the list, its text logged under origin; the others run.
    // A callback may add or remove callbacks meanwhile.
    void dispatch(const QString &topic, const QByteArray &payload, const char *origin);

private:
    struct Entry
    {
        quint64 id;
        Callback callback;
    };
    QMap<QString, QList<Entry>> m_topics;
    quint64 m_nextId = 1;
};
