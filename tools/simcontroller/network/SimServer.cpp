#include "tools/simcontroller/network/SimServer.h"

#include "tools/simcontroller/machine/CommandHandler.h"
#include "tools/simcontroller/machine/CutJob.h"
#include "tools/simcontroller/Transcript.h"
#include "device/link/FrameCodec.h"

#include <QTcpSocket>
#include <QTimer>

namespace {

// The body of a checked frame: between "<length>;" and the final 0x03.
QByteArray bodyOf(const QByteArray &frame)
{
    const qsizetype separator = frame.indexOf(';');
    return frame.mid(separator + 1, frame.size() - separator - 2);
}

} // namespace

SimServer::SimServer(CommandHandler &handler, CutJob &job, FaultScript &faults, Transcript &transcript,
                     int splitGapMs, QObject *parent)
    : QObject(parent)
    , m_handler(handler)
    , m_job(job)
    , m_faults(faults)
    , m_transcript(transcript)
    , m_splitGapMs(splitGapMs)
{
    connect(&m_server, &QTcpServer::newConnection, this, &SimServer::onNewConnection);
}

bool SimServer::listen(const QHostAddress &address, quint16 port, QString &error)
{
    if (m_server.listen(address, port))
        return true;
    error = m_server.errorString();
    return false;
}

void SimServer::onNewConnection()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        if (m_socket) {
            m_transcript.write("DISCONNECT");
            m_socket->disconnect(this);
            m_socket->abort();
            m_socket->deleteLater();
        }
        m_socket = socket;
        ++m_generation;
        m_framer.clear();
        m_queue.clear();
        m_waiting = false;
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        connect(socket, &QTcpSocket::readyRead, this, &SimServer::onReadyRead);
        connect(socket, &QTcpSocket::disconnected, this, &SimServer::onDisconnected);
        m_transcript.note("CONNECT", socket->peerAddress().toString() + QLatin1Char(':')
                                         + QString::number(socket->peerPort()));
        m_everLinked = true;
        startTimedRules();
        emit clientConnected();
    }
}

void SimServer::onDisconnected()
{
    auto *socket = qobject_cast<QTcpSocket *>(sender());
    if (!socket || socket != m_socket)
        return;
    m_transcript.write("DISCONNECT");
    m_socket = nullptr;
    ++m_generation;
    m_queue.clear();
    socket->deleteLater();
}

void SimServer::onReadyRead()
{
    if (!linked() || sender() != m_socket)
        return;
    const QList<LengthFramer::Item> items = m_framer.feed(m_socket->readAll());
    for (const LengthFramer::Item &item : items) {
        if (item.kind == LengthFramer::Item::Junk)
            m_transcript.write("RX-JUNK", item.bytes);
        else if (item.kind == LengthFramer::Item::BadLength)
            m_transcript.write("RX-BADLEN", item.bytes);
        else
            handleFrame(item.bytes);
        if (!linked())
            return; // a fault closed the link
    }
}

void SimServer::handleFrame(const QByteArray &frame)
{
    m_transcript.write("RX", frame);
    const QByteArray body = bodyOf(frame);
    if (body.startsWith("CCMD;")) {
        handleCommand(body.mid(5));
        return;
    }
    QByteArray key;
    if (body.startsWith("PPLT;")) {
        key = "PPLT;";
        const QString note = m_job.receive(body.mid(5));
        if (!note.isEmpty())
            m_transcript.note("NOTE", note);
    } else if (body.startsWith("UPG;")) {
        key = "UPG;";
    } else {
        m_transcript.note("NOTE", QStringLiteral("unknown frame type, ignored"));
        return;
    }
    // Data frames get no reply; their rules may only emit or close.
    ReplyPlan plan = m_faults.planFor(key);
    plan.drop = true;
    QList<OutItem> items = planned(QByteArray(), plan);
    if (plan.close)
        items.append(OutItem{QByteArray(), 0, true, {}});
    schedule(items, plan.delayMs);
}

void SimServer::handleCommand(const QByteArray &text)
{
    const std::optional<Command> command = CommandHandler::parse(text);
    if (!command) {
        m_transcript.note("NOTE", QStringLiteral("command without a numeric id, no reply"));
        return;
    }
    const ReplyPlan plan = m_faults.planFor(text);
    if (plan.close) {
        schedule({OutItem{QByteArray(), 0, true, {}}}, plan.delayMs);
        return;
    }
    // The command takes effect even when its reply is withheld.
    QStringList fields = m_handler.handle(*command);
    if (!plan.status.isEmpty() && !fields.isEmpty())
        fields[0] = plan.status;
    if (plan.fieldCount >= 0) {
        fields = fields.mid(0, plan.fieldCount);
        while (fields.size() < plan.fieldCount)
            fields << QStringLiteral("0");
    }
    QByteArray body = "CCMD;" + QByteArray::number(command->id);
    if (!fields.isEmpty())
        body += ',' + fields.join(QLatin1Char(',')).toLatin1();
    body += ';';
    if (!plan.body.isEmpty())
        body = plan.body;
    if (plan.drop)
        m_transcript.note("NOREPLY", QString::number(command->id));
    schedule(planned(FrameCodec::frameRaw(body), plan), plan.delayMs);
}

QList<SimServer::OutItem> SimServer::planned(const QByteArray &reply, const ReplyPlan &plan) const
{
    QList<OutItem> items;
    if (!plan.drop) {
        OutItem item;
        if (!plan.garbage.isEmpty())
            item.log.append({"TX-JUNK", plan.garbage});
        item.log.append({"TX", reply});
        if (plan.twice)
            item.log.append({"TX", reply});
        item.bytes = plan.garbage + (plan.twice ? reply + reply : reply);
        if (plan.splitAt >= 0 && item.bytes.size() > 1) {
            const qsizetype cut = plan.splitAt > 0 ? qMin<qsizetype>(plan.splitAt, item.bytes.size() - 1)
                                                   : item.bytes.size() / 2;
            OutItem rest{item.bytes.mid(cut), 0, false, {}};
            item.bytes.truncate(cut);
            item.gapAfterMs = m_splitGapMs;
            items << item << rest;
        } else {
            items << item;
        }
    }
    for (const Emission &emission : plan.after)
        items << itemOf(emission);
    return items;
}

SimServer::OutItem SimServer::itemOf(const Emission &emission)
{
    OutItem item;
    item.close = emission.kind == Emission::Close;
    item.bytes = emission.bytes;
    if (!item.close)
        item.log.append({emission.isFrame ? "TX" : "TX-RAW", emission.bytes});
    return item;
}

void SimServer::schedule(const QList<OutItem> &items, int delayMs)
{
    if (items.isEmpty())
        return;
    if (delayMs <= 0) {
        m_queue += items;
        pump();
        return;
    }
    const quint64 generation = m_generation;
    QTimer::singleShot(delayMs, this, [this, items, generation] {
        if (generation != m_generation)
            return; // the link the reply was meant for is gone
        m_queue += items;
        pump();
    });
}

bool SimServer::linked() const
{
    return m_socket && m_socket->state() == QAbstractSocket::ConnectedState;
}

void SimServer::emitNow(const Emission &emission)
{
    if (!linked()) {
        m_transcript.note("NOTE", QStringLiteral("no link, nothing sent"));
        return;
    }
    schedule({itemOf(emission)}, 0);
}

void SimServer::startTimedRules()
{
    if (!m_everLinked)
        return;
    const QList<FaultScript::Rule> rules = m_faults.takeTimedRules();
    for (const FaultScript::Rule &rule : rules) {
        Emission emission;
        QString error;
        QStringList tokens{rule.action};
        if (!rule.arg.isEmpty())
            tokens << rule.arg;
        tokens << QStringLiteral("repeat") << QString::number(rule.repeat);
        if (!FaultScript::parseEmission(tokens, emission, error))
            continue;
        QTimer::singleShot(rule.atMs, this, [this, emission] { emitNow(emission); });
    }
}

void SimServer::pump()
{
    while (!m_waiting && !m_queue.isEmpty() && linked()) {
        const OutItem item = m_queue.takeFirst();
        if (item.close) {
            m_transcript.write("CLOSE");
            m_queue.clear();
            m_socket->disconnectFromHost();
            return;
        }
        for (const auto &entry : item.log)
            m_transcript.write(entry.first, entry.second);
        m_socket->write(item.bytes);
        m_socket->flush();
        if (item.gapAfterMs > 0) {
            m_waiting = true;
            const quint64 generation = m_generation;
            QTimer::singleShot(item.gapAfterMs, this, [this, generation] {
                if (generation != m_generation)
                    return;
                m_waiting = false;
                pump();
            });
        }
    }
}
