// Feeds arbitrary bytes to the HPGL reader and the layout header parser and
// checks what must always hold: bounded, finite points, chains as long as
// announced, comments inside the input, and a header that survives writing.
#include "PltHeader.h"
#include "hpgl.h"

#include <QtGlobal>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void fail(const char *condition, int line)
{
    std::fprintf(stderr, "check failed, line %d: %s\n", line, condition);
    std::abort();
}
#define check(condition) ((condition) ? void() : fail(#condition, __LINE__))

struct Input
{
    const char *begin;
    const char *end;
    qint64 points = 0;
};

void onRecord(void *context, HPGL_Info info)
{
    auto *input = static_cast<Input *>(context);
    if (info.kind == HPGL_KIND_COMMENT) {
        check(info.points == nullptr && info.textLength >= 0);
        check(info.text >= input->begin && info.text + info.textLength <= input->end);
        return;
    }
    check(info.kind == HPGL_KIND_PATH && info.count >= 2 && info.text == nullptr);
    int count = 0;
    for (const HPGL_Point *p = info.points; p; p = p->next, ++count) {
        check(std::isfinite(p->x) && std::isfinite(p->y));
        check(std::fabs(p->x) <= 2147483648.0 && std::fabs(p->y) <= 2147483648.0);
    }
    check(count == info.count);
    input->points += count;
}

} // namespace

// The readers log what they leave out; at thousands of inputs a second that is noise.
extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const char *bytes = reinterpret_cast<const char *>(data);
    Input input{bytes, bytes + size};
    HPGL_Reader *reader = init_HPGL();
    limits_HPGL(reader, 200000, 1000);
    const int paths = read_HPGL_data(reader, bytes, qsizetype(size), onRecord, &input);
    const HPGL_Stats stats = stats_HPGL(reader);
    exit_HPGL(reader);
    check(paths >= 0 && paths == stats.paths);
    check(stats.points == input.points && stats.points <= 200000);
    check(stats.truncated || stats.bytes == qint64(size));

    const PltHeader header = PltHeader::parse(QByteArray::fromRawData(bytes, qsizetype(size)));
    if (header.valid) {
        check(header.pageLength > 0 && header.pageWidth > 0 && header.areaLength > 0 && header.areaWidth > 0);
        const QByteArray written = header.toHpgl();
        check(written.size() <= PltHeader::kScanBytes);
        const PltHeader again = PltHeader::parse(written);
        check(again.valid && again.markType == header.markType);
        check(again.lanes.size() <= header.lanes.size());
        check(std::fabs(again.pageLength - header.pageLength) <= 1e-4 * std::max(1.0, header.pageLength));
    }
    return 0;
}
