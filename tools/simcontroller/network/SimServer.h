#pragma once

#include "tools/simcontroller/network/FaultScript.h"
#include "tools/simcontroller/network/LengthFramer.h"

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPair>
#include <QPointer>
#include <QTcpServer>

class CommandHandler;
class CutJob;
class QTcpSocket;
class Transcript;

// The controller's end of the link: one client at a time (a new connection
// replaces the old one), frames checked by length, every command answered
// through the handler and the fault plan, and writes kept in order through
// one output queue so that a split reply is never interleaved.
class SimServer : public QObject
{
    Q_OBJECT

public:
    SimServer(CommandHandler &handler, CutJob &job, FaultScript &faults, Transcript &transcript, int splitGapMs,
              QObject *parent = nullptr);

    bool listen(const QHostAddress &address, quint16 port, QString &error);
    // Writes an emission now; noted and skipped when no client is linked.
    void emitNow(const Emission &emission);
    // Starts the timed rules not yet started, counting from now, once a client has linked.
    void startTimedRules();
    bool everLinked() const { return m_everLinked; }

signals:
    // A client has connected.
    void clientConnected();

private:
    struct OutItem
    {
        QByteArray bytes;
        int gapAfterMs = 0;
        bool close = false;
        QList<QPair<const char *, QByteArray>> log;
    };

    bool linked() const;
    void onNewConnection();
    void onReadyRead();
    void onDisconnected();
    void handleFrame(const QByteArray &frame);
    void handleCommand(const QByteArray &text);
    QList<OutItem> planned(const QByteArray &reply, const ReplyPlan &plan) const;
    void schedule(const QList<OutItem> &items, int delayMs);
    void pump();
    static OutItem itemOf(const Emission &emission);

    CommandHandler &m_handler;
    CutJob &m_job;
    FaultScript &m_faults;
    Transcript &m_transcript;
    int m_splitGapMs;
    QTcpServer m_server;
    QPointer<QTcpSocket> m_socket;
    quint64 m_generation = 0;
    bool m_everLinked = false;
    LengthFramer m_framer;
    QList<OutItem> m_queue;
    bool m_waiting = false;
};
