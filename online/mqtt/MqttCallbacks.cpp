#include "online/mqtt/MqttCallbacks.h"

#include <QDebug>
#include <exception>

bool MqttCallbacks::same(const Callback &a, const Callback &b)
{
    if (!a || !b)
        return !a && !b;
    if (a.target_type() != b.target_type())
        return false;
    using Function = void (*)(const QString &, const QByteArray &);
    if (const Function *f = a.target<Function>())
        return *f == *b.target<Function>();
    return true;
}

void MqttCallbacks::add(const QString &topic, const Callback &callback)
{
    QList<Entry> &list = m_topics[topic];
    if (!callback)
        return;
    for (const Entry &entry : std::as_const(list)) {
        if (same(entry.callback, callback))
            return;
    }
    list.append({m_nextId++, callback});
}

int MqttCallbacks::count(const QString &topic) const
{
    return int(m_topics.value(topic).size());
}

bool MqttCallbacks::remove(const QString &topic, const Callback &callback)
{
    QList<Entry> &list = m_topics[topic];
    list.removeIf([&callback](const Entry &entry) { return same(entry.callback, callback); });
    return list.isEmpty();
}

void MqttCallbacks::dispatch(const QString &topic, const QByteArray &payload, const char *origin)
{
    // A copy: a callback may change the lists.
    const QList<Entry> entries = m_topics.value(topic);
    for (const Entry &entry : entries) {
        QString fault;
        try {
            entry.callback(topic, payload);
        } catch (const std::exception &e) {
            fault = QString::fromLocal8Bit(e.what());
        } catch (...) {
            fault = QStringLiteral("unknown exception");
        }
        if (fault.isNull())
            continue;
        const auto found = m_topics.find(topic);
        if (found != m_topics.end())
            found->removeIf([&entry](const Entry &e) { return e.id == entry.id; });
        qCritical().noquote() << origin << "callback of" << topic << "threw, removed:" << fault;
    }
}
