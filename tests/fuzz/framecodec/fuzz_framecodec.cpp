// Feeds arbitrary controller byte streams, cut into arbitrary reads, through
// the frame splitter and the reply parsers, and checks what must always hold.
#include "device/link/FrameCodec.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

using namespace FrameCodec;

namespace {

constexpr int kLimit = 512;

void check(bool condition)
{
    if (!condition)
        std::abort();
}

void checkFrame(const QByteArray &frame)
{
    check(frame.size() >= 2);
    check(frame.front() == kStart && frame.back() == kEnd);
    // A frame starts at the last 0x02 before its 0x03 and ends at the first 0x03.
    check(frame.indexOf(kStart, 1) < 0);
    check(frame.indexOf(kEnd) == frame.size() - 1);

    if (const std::optional<CommandReply> reply = parseCommandReply(frame)) {
        check(!reply->fields.isEmpty());
        check(reply->ok.has_value() == (reply->id != kAlarmId));
        if (reply->id == kAlarmId)
            check(reply->fields.size() >= 2);
    } else if (const std::optional<double> progress = parseUpgradeProgress(frame)) {
        check(std::isfinite(*progress));
    }
    (void)sentCommandId(frame);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    // The first byte chooses how the stream is cut into reads.
    const int step = 1 + data[0] % 64;
    const QByteArray stream(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));

    FrameSplitter splitter(kLimit);
    qint64 handedOut = 0;
    for (qsizetype at = 0; at < stream.size(); at += step) {
        const QList<QByteArray> frames = splitter.feed(stream.mid(at, step));
        for (const QByteArray &frame : frames) {
            checkFrame(frame);
            handedOut += frame.size();
        }
        check(splitter.buffered() <= kLimit);
    }
    // No byte is lost or counted twice: handed out, dropped or still held.
    check(handedOut + splitter.dropped() + splitter.buffered() == stream.size());

    // The whole stream parsed as one frame, as a damaged frame would be.
    (void)parseCommandReply(stream);
    (void)parseUpgradeProgress(stream);
    (void)sentCommandId(stream);

    // Framing any body gives a frame whose length field is its size.
    const QByteArray frame = frameRaw(stream);
    const qsizetype separator = frame.indexOf(';');
    check(frame.mid(1, separator - 1).toLongLong() == frame.size());
    return 0;
}
