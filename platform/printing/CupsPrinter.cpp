#include "CupsPrinter.h"

#include <cups/cups.h>

#include <QtGlobal>
#include <memory>

namespace {

struct DestDeleter
{
    void operator()(cups_dest_t *dest) const { cupsFreeDests(1, dest); }
};
struct InfoDeleter
{
    void operator()(cups_dinfo_t *info) const { cupsFreeDestInfo(info); }
};
struct IppDeleter
{
    void operator()(ipp_t *ipp) const { ippDelete(ipp); }
};
struct HttpDeleter
{
    void operator()(http_t *http) const { httpClose(http); }
};
using Dest = std::unique_ptr<cups_dest_t, DestDeleter>;
using Info = std::unique_ptr<cups_dinfo_t, InfoDeleter>;
using Ipp = std::unique_ptr<ipp_t, IppDeleter>;
using Http = std::unique_ptr<http_t, HttpDeleter>;

// A printer that does not answer within this is taken as one that knows nothing.
constexpr int kDeviceTimeoutMs = 3000;

QString lastError()
{
    return QString::fromUtf8(cupsLastErrorString());
}

bool failed(ipp_status_t status)
{
    return status > IPP_STATUS_OK_EVENTS_COMPLETE;
}

int dpiOf(ipp_attribute_t *resolution)
{
    if (!resolution)
        return 0;
    int yres = 0;
    ipp_res_t units = IPP_RES_PER_INCH;
    const int xres = ippGetResolution(resolution, 0, &yres, &units);
    return units == IPP_RES_PER_CM ? qRound(xres * 2.54) : xres;
}

int maxCopiesOf(ipp_attribute_t *copies)
{
    if (!copies || ippGetValueTag(copies) != IPP_TAG_RANGE)
        return 1;
    int upper = 1;
    ippGetRange(copies, 0, &upper);
    return upper;
}

// A paper size given as ranges, not as a list of fixed sizes.
bool hasMediaRange(ipp_attribute_t *sizes)
{
    const int count = sizes ? ippGetCount(sizes) : 0;
    for (int i = 0; i < count; ++i) {
        ipp_t *size = ippGetCollection(sizes, i);
        ipp_attribute_t *x = size ? ippFindAttribute(size, "x-dimension", IPP_TAG_ZERO) : nullptr;
        if (x && ippGetValueTag(x) == IPP_TAG_RANGE)
            return true;
    }
    return false;
}

// What the IPP printer behind a raw queue says of itself; false when it does not answer.
bool askDevice(const char *deviceUri, CupsPrinter::Capabilities &caps)
{
    char scheme[32], user[256], host[256], resource[1024];
    int port = 0;
    if (httpSeparateURI(HTTP_URI_CODING_ALL, deviceUri, scheme, sizeof scheme, user, sizeof user, host, sizeof host,
                        &port, resource, sizeof resource) < HTTP_URI_STATUS_OK)
        return false;
    const bool secure = qstrcmp(scheme, "ipps") == 0;
    if (!secure && qstrcmp(scheme, "ipp") != 0)
        return false;
    Http http(httpConnect2(host, port, nullptr, AF_UNSPEC, secure ? HTTP_ENCRYPTION_ALWAYS : HTTP_ENCRYPTION_IF_REQUESTED,
                           1, kDeviceTimeoutMs, nullptr));
    if (!http)
        return false;
    httpSetTimeout(http.get(), kDeviceTimeoutMs / 1000.0, nullptr, nullptr);
    ipp_t *request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, deviceUri);
    static const char *const wanted[] = {"copies-supported", "printer-resolution-default", "media-size-supported"};
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 3, nullptr, wanted);
    Ipp response(cupsDoRequest(http.get(), request, resource));
    if (!response || failed(ippGetStatusCode(response.get())))
        return false;
    if (const int dpi = dpiOf(ippFindAttribute(response.get(), "printer-resolution-default", IPP_TAG_RESOLUTION)))
        caps.dpi = dpi;
    caps.maxCopies = maxCopiesOf(ippFindAttribute(response.get(), "copies-supported", IPP_TAG_ZERO));
    caps.customMedia = hasMediaRange(ippFindAttribute(response.get(), "media-size-supported", IPP_TAG_BEGIN_COLLECTION));
    return true;
}

Dest namedDest(const QString &queue)
{
    return Dest(cupsGetNamedDest(CUPS_HTTP_DEFAULT, queue.toUtf8().constData(), nullptr));
}

} // namespace

CupsPrinter::Capabilities CupsPrinter::capabilities(const QString &queue)
{
    Capabilities caps;
    Dest dest = namedDest(queue);
    if (!dest) {
        caps.error = lastError();
        return caps;
    }
    Info info(cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest.get()));
    if (!info) {
        caps.error = lastError();
        return caps;
    }
    caps.found = true;
    const int dpi = dpiOf(cupsFindDestDefault(CUPS_HTTP_DEFAULT, dest.get(), info.get(), "printer-resolution"));
    if (dpi > 0)
        caps.dpi = dpi;
    caps.maxCopies = maxCopiesOf(cupsFindDestSupported(CUPS_HTTP_DEFAULT, dest.get(), info.get(), "copies"));
    caps.customMedia = hasMediaRange(cupsFindDestSupported(CUPS_HTTP_DEFAULT, dest.get(), info.get(), "media-size"));
    const char *device = cupsGetOption("device-uri", dest->num_options, dest->options);
    if (dpi <= 0 && device)
        askDevice(device, caps);
    return caps;
}

CupsPrinter::Submission CupsPrinter::submit(const QString &queue, const QString &title, const QByteArray &pdf,
                                            int copies, const QSizeF &mediaMm)
{
    Submission result;
    Dest dest = namedDest(queue);
    Info info(dest ? cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest.get()) : nullptr);
    if (!info) {
        result.error = lastError();
        return result;
    }
    int optionCount = 0;
    cups_option_t *options = nullptr;
    if (copies > 1)
        optionCount = cupsAddOption("copies", QByteArray::number(copies).constData(), optionCount, &options);
    if (mediaMm.isValid() && !mediaMm.isEmpty()) {
        // IPP sizes are hundredths of a millimetre.
        const QByteArray media = "{media-size={x-dimension=" + QByteArray::number(qRound(mediaMm.width() * 100))
                                 + " y-dimension=" + QByteArray::number(qRound(mediaMm.height() * 100)) + "}}";
        optionCount = cupsAddOption("media-col", media.constData(), optionCount, &options);
    }
    const QByteArray name = title.toUtf8();
    int jobId = 0;
    const ipp_status_t created =
        cupsCreateDestJob(CUPS_HTTP_DEFAULT, dest.get(), info.get(), &jobId, name.constData(), optionCount, options);
    cupsFreeOptions(optionCount, options);
    if (failed(created) || jobId <= 0) {
        result.error = lastError();
        return result;
    }
    bool sent = cupsStartDestDocument(CUPS_HTTP_DEFAULT, dest.get(), info.get(), jobId, name.constData(),
                                      CUPS_FORMAT_PDF, 0, nullptr, 1) == HTTP_STATUS_CONTINUE;
    constexpr qsizetype kChunk = 1 << 16;
    for (qsizetype at = 0; sent && at < pdf.size(); at += kChunk)
        sent = cupsWriteRequestData(CUPS_HTTP_DEFAULT, pdf.constData() + at, size_t(qMin(kChunk, pdf.size() - at)))
               == HTTP_STATUS_CONTINUE;
    // Finishing also reads the answer of a document that was cut short.
    const bool finished = !failed(cupsFinishDestDocument(CUPS_HTTP_DEFAULT, dest.get(), info.get()));
    if (!sent || !finished) {
        result.error = lastError();
        cupsCancelDestJob(CUPS_HTTP_DEFAULT, dest.get(), jobId);
        return result;
    }
    result.jobId = jobId;
    return result;
}

namespace {

// A reason without its "-error", "-warning" or "-report" ending.
QString reasonStem(const char *reason)
{
    QString text = QString::fromUtf8(reason);
    for (const char *suffix : {"-error", "-warning", "-report"}) {
        if (text.endsWith(QLatin1String(suffix)))
            return text.left(text.size() - int(qstrlen(suffix)));
    }
    return text;
}

quint32 reasonBits(ipp_attribute_t *reasons)
{
    quint32 bits = 0;
    const int count = reasons ? ippGetCount(reasons) : 0;
    for (int i = 0; i < count; ++i) {
        const QString reason = reasonStem(ippGetString(reasons, i, nullptr));
        if (reason.startsWith(QLatin1String("offline")))
            bits |= CupsPrinter::JobOffline;
        else if (reason == QLatin1String("media-empty") || reason == QLatin1String("media-needed"))
            bits |= CupsPrinter::JobPaperOut;
        else if (reason == QLatin1String("media-jam"))
            bits |= CupsPrinter::JobUserIntervention;
        else if (reason == QLatin1String("document-format") || reason == QLatin1String("document-unprintable")
                 || reason == QLatin1String("unsupported-document-format"))
            bits |= CupsPrinter::JobBlockedDevq;
    }
    return bits;
}

} // namespace

CupsPrinter::JobState CupsPrinter::jobState(int jobId)
{
    JobState state;
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", ippPort(), "/jobs/%d", jobId);
    ipp_t *request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, uri);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
    static const char *const wanted[] = {"job-state", "job-state-reasons", "job-printer-state-reasons"};
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 3, nullptr, wanted);
    Ipp response(cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/"));
    if (!response || failed(ippGetStatusCode(response.get()))) {
        state.error = lastError();
        return state;
    }
    state.known = true;
    ipp_attribute_t *jobState = ippFindAttribute(response.get(), "job-state", IPP_TAG_ENUM);
    switch (jobState ? ippGetInteger(jobState, 0) : 0) {
    case IPP_JSTATE_HELD:
        state.status |= JobPaused;
        break;
    case IPP_JSTATE_PROCESSING:
        state.status |= JobPrinting;
        break;
    case IPP_JSTATE_STOPPED:
        state.status |= JobUserIntervention;
        break;
    case IPP_JSTATE_CANCELED:
        state.status |= JobDeleted;
        state.finished = state.failed = true;
        break;
    case IPP_JSTATE_ABORTED:
        state.status |= JobError;
        state.finished = state.failed = true;
        break;
    case IPP_JSTATE_COMPLETED:
        state.status |= JobPrinted;
        state.finished = true;
        break;
    default:
        break;
    }
    state.status |= reasonBits(ippFindAttribute(response.get(), "job-state-reasons", IPP_TAG_KEYWORD));
    state.status |= reasonBits(ippFindAttribute(response.get(), "job-printer-state-reasons", IPP_TAG_KEYWORD));
    return state;
}

QString CupsPrinter::serverAddress()
{
    const QString server = QString::fromUtf8(cupsServer());
    if (server.isEmpty() || server.startsWith(QLatin1Char('/')))
        return QStringLiteral("localhost:631");
    if (server.contains(QLatin1Char(':')))
        return server;
    return server + QLatin1Char(':') + QString::number(ippPort());
}
