#include "tools/simcontroller/network/LengthFramer.h"

#include "device/link/FrameCodec.h"

namespace {
constexpr int kMaxDigits = 10;
}

LengthFramer::LengthFramer(qint64 maxFrame)
    : m_maxFrame(maxFrame)
{
}

QList<LengthFramer::Item> LengthFramer::feed(const QByteArray &bytes)
{
    QList<Item> items;
    m_buffer.append(bytes);
    qsizetype pos = 0;
    while (pos < m_buffer.size()) {
        if (m_buffer.at(pos) != FrameCodec::kStart) {
            qsizetype start = m_buffer.indexOf(FrameCodec::kStart, pos);
            if (start < 0)
                start = m_buffer.size();
            items.append({Item::Junk, m_buffer.mid(pos, start - pos)});
            pos = start;
            continue;
        }
        if (!takeFrame(pos, items))
            break;
    }
    m_buffer.remove(0, pos);
    if (m_buffer.size() > m_maxFrame + kMaxDigits + 2) {
        items.append({Item::BadLength, m_buffer});
        m_buffer.clear();
    }
    return items;
}

bool LengthFramer::takeFrame(qsizetype &pos, QList<Item> &items)
{
    qsizetype i = pos + 1;
    while (i < m_buffer.size() && i - pos - 1 <= kMaxDigits && m_buffer.at(i) >= '0' && m_buffer.at(i) <= '9')
        ++i;
    if (i == m_buffer.size() && i - pos - 1 <= kMaxDigits)
        return false;
    if (i == pos + 1 || i - pos - 1 > kMaxDigits || m_buffer.at(i) != ';')
        return dropBroken(pos, items);

    bool ok = false;
    const qint64 length = m_buffer.mid(pos + 1, i - pos - 1).toLongLong(&ok);
    const qsizetype bodyStart = i + 1;
    const qsizetype available = m_buffer.size() - bodyStart;
    const QByteArray upg("UPG;");
    const QByteArray head = m_buffer.mid(bodyStart, 4);
    if (available < 4 && upg.startsWith(head) && !head.contains(FrameCodec::kEnd))
        return false; // cannot tell a firmware frame yet

    const qint64 minimum = bodyStart - pos + 4 + 1;
    if (head == upg && ok && length >= minimum && length <= m_maxFrame) {
        if (m_buffer.size() - pos < length)
            return false;
        if (m_buffer.at(pos + qsizetype(length) - 1) == FrameCodec::kEnd) {
            items.append({Item::Frame, m_buffer.mid(pos, qsizetype(length))});
            pos += qsizetype(length);
            return true;
        }
        return dropBroken(pos, items);
    }

    qsizetype end = m_buffer.indexOf(FrameCodec::kEnd, bodyStart);
    const qsizetype nextStart = m_buffer.indexOf(FrameCodec::kStart, bodyStart);
    if (nextStart >= 0 && (end < 0 || nextStart < end))
        return dropBroken(pos, items);
    if (end < 0)
        return false;
    const QByteArray frame = m_buffer.mid(pos, end + 1 - pos);
    items.append({ok && length == frame.size() ? Item::Frame : Item::BadLength, frame});
    pos = end + 1;
    return true;
}

bool LengthFramer::dropBroken(qsizetype &pos, QList<Item> &items)
{
    const qsizetype end = m_buffer.indexOf(FrameCodec::kEnd, pos + 1);
    const qsizetype nextStart = m_buffer.indexOf(FrameCodec::kStart, pos + 1);
    qsizetype stop = -1;
    if (nextStart >= 0 && (end < 0 || nextStart < end))
        stop = nextStart;
    else if (end >= 0)
        stop = end + 1;
    if (stop < 0)
        return false;
    items.append({Item::BadLength, m_buffer.mid(pos, stop - pos)});
    pos = stop;
    return true;
}
