#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// The machine frame: 0x02, the frame's total length in decimal, ";", a body,
// 0x03. Pure functions, shared by the driver and the simulated controller.
namespace FrameCodec {

constexpr char kStart = 0x02;
constexpr char kEnd = 0x03;
// The controller's spontaneous alarm report; its field list keeps the id.
constexpr int kAlarmId = 23;

// 0x02, length digits, ";", body bytes unchanged, 0x03.
QByteArray frameRaw(const QByteArray &body);
// type + ";" + params in the local 8-bit encoding, framed as frameRaw does.
QByteArray frameCommand(const QString &params, const QString &type);

// Cuts a received byte stream into frames: at each 0x03, the frame runs from
// the last 0x02 before it. An unfinished frame longer than maxBuffered bytes
// is dropped, so a peer that never sends 0x03 cannot grow the buffer.
class FrameSplitter
{
public:
    explicit FrameSplitter(int maxBuffered = 4 * 1024 * 1024);
    // Appends bytes and returns the complete frames, in arrival order.
    QList<QByteArray> feed(const QByteArray &bytes);
    int buffered() const { return int(m_buffer.size()); }
    qint64 dropped() const { return m_dropped; } // bytes thrown away as garbage or overflow
    int overflows() const { return m_overflows; } // unfinished frames dropped for their size
    void clear() { m_buffer.clear(); }

private:
    QByteArray m_buffer;
    int m_maxBuffered;
    qint64 m_dropped = 0;
    int m_overflows = 0;
};

// A command reply: the fields after "CMD;" up to the next ";".
struct CommandReply
{
    int id = 0;
    // Set for every id but 23 (the alarm report), whose status is not a status.
    std::optional<bool> ok;
    // Starting with the status (id removed) for every id but 23, whose list stays whole.
    QStringList fields;
};

// Null when the frame is no command reply.
std::optional<CommandReply> parseCommandReply(const QByteArray &frame);
// The progress of an upgrade-progress reply ("UPG" with flag 1 and status 0); null otherwise.
std::optional<double> parseUpgradeProgress(const QByteArray &frame);
// The command id the sender waits for: the text after "CMD;" up to the first "," or ";"; -1 when absent.
int sentCommandId(const QByteArray &frameOrBody);

} // namespace FrameCodec
