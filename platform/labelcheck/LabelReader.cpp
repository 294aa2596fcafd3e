#include "LabelReader.h"

#include "OcrLite.h"

#include <QFile>
#include <opencv2/imgproc.hpp>
#include <algorithm>
#include <climits>
#include <zbar.h>

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

} // namespace

struct LabelReader::Scanner
{
    zbar::zbar_image_scanner_t *scanner = zbar::zbar_image_scanner_create();
    ~Scanner() { zbar::zbar_image_scanner_destroy(scanner); }
};

LabelReader::LabelReader() : m_scanner(std::make_unique<Scanner>()) {}

LabelReader::~LabelReader() = default;

void LabelReader::readCodes(const cv::Mat &place, cv::Point offset, bool qr, bool bar,
                            std::vector<LabelCode> &qrCodes, std::vector<LabelCode> &barCodes)
{
    if ((!qr && !bar) || place.empty() || place.type() != CV_8UC1)
        return;
    // Black and white: ZBar's edge finder loses weak edges (a pale label
    // around a code's white box) depending on where the place was cut. The
    // result is packed, as ZBar reads rows back to back, which a place cut
    // out of a larger image is not.
    cv::Mat packed;
    cv::threshold(place, packed, 0, 255, cv::THRESH_BINARY | cv::THRESH_OTSU);
    zbar::zbar_image_scanner_t *scanner = m_scanner->scanner;
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
}

bool LabelReader::hasEngine(const std::string &model) const
{
    return m_ocr && m_model == model;
}

bool LabelReader::loadEngine(const std::string &model)
{
    if (triedEngine(model))
        return m_ocr != nullptr;
    m_ocr.reset();
    m_model = model;
    m_tried = true;
    auto ocr = std::make_unique<OcrLite>();
    // Without a language file of its own the engine takes English from the models folder or the system.
    const QString rec = model.empty() ? QStringLiteral("./models/rec")
                                      : QFile::decodeName(QByteArray::fromStdString(model));
    if (!ocr->initModels(QString(), QString(), rec, QString()))
        return false;
    m_ocr = std::move(ocr);
    return true;
}

std::vector<LabelText> LabelReader::readTexts(const cv::Mat &place, cv::Point offset, double minScore)
{
    std::vector<LabelText> texts;
    if (!m_ocr || place.empty())
        return texts;
    const OcrResult result = m_ocr->detect(place, 10, 0, float(minScore), 0.3f, 0.0f, false, true);
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
