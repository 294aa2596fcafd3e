#include "device/link/FrameCodec.h"

#include <QRegularExpression>

#include <cmath>
#include <cstring>

namespace FrameCodec {

namespace {

int decimalDigits(qint64 n)
{
    int digits = 1;
    while (n >= 10) {
        n /= 10;
        ++digits;
    }
    return digits;
}

// The regular expressions are compiled once per thread: the reader thread,
// the senders and the simulator all parse at the same time.
// The text after the first "CMD;" that reaches one of the end characters
// before a line feed: the reply (ends at ";") or the command id (at "," or
// ";"). Null when there is none. Read byte by byte, as the frame's bytes are
// its characters; a reply is parsed for every command, so no expression
// engine runs on that path.
std::optional<QByteArray> afterCommandWord(const QByteArray &frame, const char *ends)
{
    for (qsizetype at = frame.indexOf("CMD;"); at >= 0; at = frame.indexOf("CMD;", at + 1)) {
        const qsizetype from = at + 4;
        for (qsizetype i = from; i < frame.size() && frame.at(i) != '\n'; ++i) {
            if (std::strchr(ends, frame.at(i)) && frame.at(i) != '\0')
                return frame.mid(from, i - from);
        }
    }
    return std::nullopt;
}

const QRegularExpression &upgradeExpression()
{
    thread_local const QRegularExpression re(QStringLiteral("(?<=UPG;).*?(?=(,|;))"));
    return re;
}

// Latin-1 keeps one character per byte, so no byte of a damaged frame is lost
// or merged before the fields are looked at; the fields themselves are ASCII.
QString frameText(const QByteArray &frame)
{
    return QString::fromLatin1(frame);
}

// Last index of c in [from, to), or -1.
qsizetype lastIndexIn(const QByteArray &bytes, char c, qsizetype from, qsizetype to)
{
    for (qsizetype i = to - 1; i >= from; --i) {
        if (bytes.at(i) == c)
            return i;
    }
    return -1;
}

} // namespace

QByteArray frameRaw(const QByteArray &body)
{
    // The length counts the whole frame, its own digits included; adding the
    // digits can carry the count over a power of ten (95 bytes -> 101).
    const qint64 n = qint64(body.size()) + 3;
    const int d1 = decimalDigits(n);
    const qint64 length = n + decimalDigits(n + d1);

    QByteArray frame;
    frame.reserve(qsizetype(length));
    frame.append(kStart);
    frame.append(QByteArray::number(length));
    frame.append(';');
    frame.append(body);
    frame.append(kEnd);
    return frame;
}

QByteArray frameCommand(const QString &params, const QString &type)
{
    return frameRaw((type + QLatin1Char(';') + params).toLocal8Bit());
}

FrameSplitter::FrameSplitter(int maxBuffered)
    : m_maxBuffered(maxBuffered > 0 ? maxBuffered : 1)
{
}

QList<QByteArray> FrameSplitter::feed(const QByteArray &bytes)
{
    QList<QByteArray> frames;
    // The kept buffer never holds 0x03 and, when not empty, starts at 0x02.
    const qsizetype oldSize = m_buffer.size();
    m_buffer.append(bytes);

    qsizetype pos = 0;
    qsizetype end = m_buffer.indexOf(kEnd, oldSize);
    while (end >= 0) {
        const qsizetype start = lastIndexIn(m_buffer, kStart, pos, end + 1);
        if (start < 0) {
            m_dropped += end + 1 - pos;
        } else {
            m_dropped += start - pos;
            frames.append(m_buffer.mid(start, end + 1 - start));
        }
        pos = end + 1;
        end = m_buffer.indexOf(kEnd, pos);
    }

    // Bytes before the last 0x02 of the rest can never become part of a frame:
    // drop them now instead of holding them until a 0x03 arrives.
    const qsizetype searchFrom = qMax(pos, oldSize);
    qsizetype keepFrom = lastIndexIn(m_buffer, kStart, searchFrom, m_buffer.size());
    if (keepFrom < 0)
        keepFrom = (pos == 0 && oldSize > 0) ? 0 : m_buffer.size();
    m_dropped += keepFrom - pos;

    if (m_buffer.size() - keepFrom > m_maxBuffered) {
        m_dropped += m_buffer.size() - keepFrom;
        ++m_overflows;
        m_buffer.clear();
    } else if (keepFrom > 0) {
        m_buffer.remove(0, keepFrom);
    }
    return frames;
}

std::optional<CommandReply> parseCommandReply(const QByteArray &frame)
{
    const std::optional<QByteArray> text = afterCommandWord(frame, ";");
    if (!text || text->isEmpty())
        return std::nullopt;

    QStringList parts = frameText(*text).split(QLatin1Char(','), Qt::KeepEmptyParts);
    if (parts.size() < 2)
        return std::nullopt;

    bool idOk = false;
    CommandReply reply;
    reply.id = parts.at(0).toInt(&idOk);
    if (!idOk)
        return std::nullopt;

    if (reply.id != kAlarmId) {
        // A status that is no number must not read as success.
        bool statusOk = false;
        const int status = parts.at(1).toInt(&statusOk);
        reply.ok = statusOk && status == 0;
        parts.removeFirst();
    }
    reply.fields = parts;
    return reply;
}

std::optional<double> parseUpgradeProgress(const QByteArray &frame)
{
    const QString text = frameText(frame);
    const QRegularExpressionMatch match = upgradeExpression().match(text);
    if (!match.hasMatch() || match.capturedLength(0) == 0)
        return std::nullopt;

    const QStringList parts = text.split(QLatin1Char(';'));
    if (parts.size() < 3 || parts.at(1) != QLatin1String("UPG"))
        return std::nullopt;

    const QStringList fields = parts.at(2).split(QLatin1Char(','));
    if (fields.size() < 3 || fields.at(0) != QLatin1String("1") || fields.at(1) != QLatin1String("0"))
        return std::nullopt;

    bool ok = false;
    const double progress = fields.at(2).toDouble(&ok);
    if (!ok || !std::isfinite(progress))
        return std::nullopt;
    return progress;
}

int sentCommandId(const QByteArray &frameOrBody)
{
    const std::optional<QByteArray> text = afterCommandWord(frameOrBody, ",;");
    if (!text)
        return -1;
    bool ok = false;
    const int id = frameText(*text).toInt(&ok);
    return ok ? id : -1;
}

} // namespace FrameCodec
