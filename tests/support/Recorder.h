#pragma once

#include <QList>
#include <QMutex>
#include <QPair>
#include <QString>

// Records what goes through the Notifier instead of showing boxes or
// ending the event loop; restores the built-in handlers when destroyed.
class NotifierRecorder
{
public:
    NotifierRecorder();
    ~NotifierRecorder();

    QStringList messages() const;
    // The box titles, one per message.
    QStringList titles() const;
    QList<int> exitCodes() const;

private:
    mutable QMutex m_lock;
    QStringList m_messages;
    QStringList m_titles;
    QList<int> m_exitCodes;
};
