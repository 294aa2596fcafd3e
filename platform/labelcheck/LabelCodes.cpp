#include "LabelCodes.h"

#include "OcrLite.h"

#include <QDebug>
#include <QFile>
#include <QMutex>
#include <opencv2/imgproc.hpp>
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <memory>
#include <zbar.h>

namespace LabelCodes {

namespace {

// Longest code content kept.
constexpr unsigned kMaxCodeBytes = 1u << 16;

LabelCode codeOf(const zbar::zbar_symbol_t *symbol, cv::Point offset)
{
    LabelCode code;
    code.type = zbar::zbar_get_symbol_name(zbar::zbar_symbol_get_type(symbol));
    const char *data = zbar::zbar_symbol_get_data(symbol);
    code.code.assign(data ? data : "", std::min(zbar::zbar_symbol_get_data_length(symbol), kMaxCodeBytes));
    int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
    const unsigned corners = zbar::zbar_symbol_get_loc_size(symbol);
    for (unsigned i = 0; i < corners; ++i) {
        const CheckPoint p{zbar::zbar_symbol_get_loc_x(symbol, i) + offset.x,
                           zbar::zbar_symbol_get_loc_y(symbol, i) + offset.y};
        code.corners.push_back(p);
        left = std::min(left, p.x);
        top = std::min(top, p.y);
        right = std::max(right, p.x);
        bottom = std::max(bottom, p.y);
    }
    if (corners > 0) {
        code.x = left;
        code.y = top;
        code.width = right - left;
        code.height = bottom - top;
    }
    return code;
}

// One engine for every caller. A caller keeps its own share of it: a caller
// asking for another model replaces it under the others' feet.
struct Engine
{
    QMutex lock;
    std::shared_ptr<OcrLite> ocr;
    std::string model;
    bool tried = false;
};

Engine &sharedEngine()
{
    static Engine engine;
    return engine;
}

// Tesseract keeps its dictionaries in a cache of its own, made by the first
// engine's start, so after our engine: destroyed in reverse order, it would go
// first and our engine would hand its dictionaries back to a cache no longer
// there. A handler registered once the cache exists runs before it goes.
void releaseAtExit()
{
    static const bool registered = std::atexit([] {
        Engine &engine = sharedEngine();
        QMutexLocker locker(&engine.lock);
        engine.ocr.reset();
    }) == 0;
    Q_UNUSED(registered)
}

std::shared_ptr<OcrLite> engineFor(const std::string &model)
{
    Engine &engine = sharedEngine();
    QMutexLocker locker(&engine.lock);
    if (engine.tried && engine.model == model)
        return engine.ocr && engine.ocr->isReady() ? engine.ocr : nullptr;
    engine.tried = true;
    engine.model = model;
    engine.ocr = std::make_shared<OcrLite>();
    // Without a language file of its own the engine takes English from the system.
    const QString rec = model.empty() ? QStringLiteral("./models/rec")
                                      : QFile::decodeName(QByteArray::fromStdString(model));
    if (!engine.ocr->initModels(QString(), QString(), rec, QString()))
        qWarning().noquote() << "process_frame" << "no text reading:" << rec;
    if (!engine.ocr->isReady())
        return nullptr;
    releaseAtExit();
    return engine.ocr;
}

} // namespace

void readCodes(const cv::Mat &place, cv::Point offset, bool qr, bool bar, std::vector<LabelCode> &qrCodes,
               std::vector<LabelCode> &barCodes)
{
    if ((!qr && !bar) || place.empty() || place.type() != CV_8UC1)
        return;
    // Black and white: ZBar's edge finder loses weak edges (a pale label
    // around a code's white box) depending on where the place was cut. The
    // result is packed, as ZBar reads rows back to back, which a place cut
    // out of a larger image is not.
    cv::Mat packed;
    cv::threshold(place, packed, 0, 255, cv::THRESH_BINARY | cv::THRESH_OTSU);
    zbar::zbar_image_scanner_t *scanner = zbar::zbar_image_scanner_create();
    zbar::zbar_image_scanner_set_config(scanner, zbar::ZBAR_NONE, zbar::ZBAR_CFG_ENABLE, bar ? 1 : 0);
    zbar::zbar_image_scanner_set_config(scanner, zbar::ZBAR_QRCODE, zbar::ZBAR_CFG_ENABLE, qr ? 1 : 0);
    zbar::zbar_image_t *image = zbar::zbar_image_create();
    zbar::zbar_image_set_format(image, zbar_fourcc('Y', '8', '0', '0'));
    zbar::zbar_image_set_size(image, unsigned(packed.cols), unsigned(packed.rows));
    zbar::zbar_image_set_data(image, packed.data, unsigned(packed.total()), nullptr);
    if (zbar::zbar_scan_image(scanner, image) > 0) {
        for (const zbar::zbar_symbol_t *s = zbar::zbar_image_first_symbol(image); s; s = zbar::zbar_symbol_next(s)) {
            if (zbar::zbar_symbol_get_type(s) == zbar::ZBAR_QRCODE)
                qrCodes.push_back(codeOf(s, offset));
            else
                barCodes.push_back(codeOf(s, offset));
        }
    }
    zbar::zbar_image_destroy(image);
    zbar::zbar_image_scanner_destroy(scanner);
}

std::vector<LabelText> readTexts(const cv::Mat &place, cv::Point offset, const std::string &model, double minScore)
{
    std::vector<LabelText> texts;
    const std::shared_ptr<OcrLite> ocr = engineFor(model);
    if (!ocr || place.empty())
        return texts;
    const OcrResult result = ocr->detect(place, 10, 0, float(minScore), 0.3f, 0.0f, false, true);
    for (const OcrTextBlock &block : result.textBlocks) {
        LabelText text;
        text.text = block.text.toStdString();
        text.confidence = block.boxScore;
        for (const QPoint &p : block.boxPoint)
            text.box.push_back({p.x() + offset.x, p.y() + offset.y});
        texts.push_back(std::move(text));
    }
    return texts;
}

} // namespace LabelCodes
