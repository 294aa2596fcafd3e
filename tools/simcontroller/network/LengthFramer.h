#pragma once

#include <QByteArray>
#include <QList>

// The controller's receive side: it frames by the length field and checks
// it. Text frames (commands, cut data) end at their first 0x03, whose
// position must agree with the length; firmware frames ("UPG;") carry raw
// bytes that may hold 0x02 and 0x03, so they end where the length says.
class LengthFramer
{
public:
    struct Item
    {
        enum Kind { Frame, BadLength, Junk };
        Kind kind;
        QByteArray bytes;
    };

    explicit LengthFramer(qint64 maxFrame = 64 * 1024 * 1024);
    QList<Item> feed(const QByteArray &bytes);
    void clear() { m_buffer.clear(); }

private:
    // Handles the frame starting at pos; returns false when more bytes are needed.
    bool takeFrame(qsizetype &pos, QList<Item> &items);
    // A frame cut short or with a broken header: dropped up to and including
    // its first 0x03, or up to the next 0x02 when that comes first.
    bool dropBroken(qsizetype &pos, QList<Item> &items);

    QByteArray m_buffer;
    qint64 m_maxFrame;
};
