#include "inspection/marks/MarkScanner.h"

#include "configuration/Config.h"
#include "platform/graphics/GMarkItem.h"
#include "platform/graphics/GPage.h"
#include "platform/graphics/GScene.h"
#include "inspection/marks/MarkFinder.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
#include <QPainter>
#include <cmath>

MarkScanParams MarkScanParams::fromConfig(const Config *config)
{
    MarkScanParams p;
    if (!config)
        return p;
    p.cameraWidth = config->getProperty(Config::CPT_Mark_Camera_Width).toInt();
    p.cameraHeight = config->getProperty(Config::CPT_Mark_Camera_Height).toInt();
    p.markSize = config->getProperty(Config::CPT_Mark_Size).toDouble();
    p.tolerance = config->getProperty(Config::CPT_dtMark).toDouble();
    p.saveCandidates = config->getProperty(Config::CPT_SAVE_Check_Img).toBool();
    p.codeReader = config->getProperty(Config::CPT_Enable_Cut_Marker_Type).toInt();
    return p;
}

int MarkScanParams::pageMarkType(const GScene *scene)
{
    const GPage *page = scene ? scene->page() : nullptr;
    const GMarkItem *marks = page ? page->markItem() : nullptr;
    return marks ? marks->markType() : 0;
}

namespace {

// Why a frame cannot be searched at all; empty when it can.
QString refusal(const QImage &frame, const MarkScanParams &p)
{
    if (frame.isNull())
        return QStringLiteral("empty frame");
    const QString size = QStringLiteral("%1 x %2").arg(frame.width()).arg(frame.height());
    if (frame.width() < MarkScanner::kMinFrameSide || frame.height() < MarkScanner::kMinFrameSide)
        return QStringLiteral("frame too small: ") + size;
    if (frame.width() > MarkScanner::kMaxFrameSide || frame.height() > MarkScanner::kMaxFrameSide ||
        qint64(frame.width()) * frame.height() > MarkScanner::kMaxFramePixels)
        return QStringLiteral("frame too large: ") + size;
    if (p.cameraWidth < 1 || p.cameraHeight < 1)
        return QStringLiteral("mark-camera size %1 x %2").arg(p.cameraWidth).arg(p.cameraHeight);
    return QString();
}

void countScan(Config *config, bool found)
{
    if (!config)
        return;
    if (!found) {
        config->addToCounter(Config::CPT_Today_Scan_Mark, 1);
        config->addToCounter(Config::CPT_Total_Scan_Mark, 1);
    } else {
        config->addToCounter(Config::CPT_Today_Scan_Mark_OK, 1);
        config->addToCounter(Config::CPT_Total_Scan_Mark_OK, 1);
    }
}

// Frames that show several candidates are kept for later diagnosis.
void saveCandidateFrame(const QImage &frame, const QString &saveDir, int candidates)
{
    const QString base = saveDir.isEmpty() ? QCoreApplication::applicationDirPath() : saveDir;
    const QDateTime now = QDateTime::currentDateTime();
    const QString folder = base + QStringLiteral("/point/") + now.toString(QStringLiteral("yyyy-MM-dd"));
    const QString path =
        folder + QLatin1Char('/') + now.toString(QStringLiteral("yyyy-MM-dd-HH-mm-ss-zzz")) + QStringLiteral(".jpg");
    if (!QDir().mkpath(folder) || !frame.save(path)) {
        qWarning().noquote() << "MarkScanner::scan" << "cannot save" << path;
        return;
    }
    qWarning().noquote() << "MarkScanner::scan" << "scan point " << candidates << "save" << path;
}

} // namespace

MarkScanResult MarkScanner::scan(const QImage &frame, const MarkScanParams &params, Config *config) const
{
    MarkScanResult result;
    result.record.diameter = 0.0f;
    countScan(config, false);
    QElapsedTimer timer;
    timer.start();

    QString refused = refusal(frame, params);
    QImage scaled;
    double ratio = 0.0;
    if (refused.isEmpty()) {
        scaled = frame.scaled(params.cameraWidth, params.cameraHeight, Qt::KeepAspectRatio, Qt::FastTransformation);
        // The true ratio: a 2448-wide frame in a 320 x 240 box is 286 wide, 8.56 times smaller.
        ratio = scaled.isNull() ? 0.0 : double(frame.width()) / scaled.width();
        if (!(ratio > 0.0) || !std::isfinite(ratio))
            refused = QStringLiteral("frame cannot be scaled to %1 x %2").arg(params.cameraWidth).arg(params.cameraHeight);
        else if (!(params.markSize > 0.0) || !std::isfinite(params.markSize))
            refused = QStringLiteral("mark size %1 mm").arg(params.markSize);
    }
    result.record.image = scaled;
    if (!refused.isEmpty()) {
        qWarning().noquote() << "MarkScanner::scan" << "no mark:" << refused;
        result.elapsedMs = timer.elapsed();
        return result;
    }

    // First stage: up to four candidates on the small frame, nearest the centre first.
    MarkCircle candidates[kMaxCandidates];
    const int d1 = int(params.markSize * kPixelsPerMm * scaled.width() / frame.width());
    const int n = scanCircle(d1, scaled, candidates, kMaxCandidates, params.tolerance);
    result.candidates = n;
    const bool extremeMode = params.markType == 1;
    if (!extremeMode && n > 1 && params.saveCandidates)
        saveCandidateFrame(frame, params.saveDir, n);

    // Second stage: each candidate confirmed on a crop of the full frame.
    const int d2 = int(params.markSize * kPixelsPerMm);
    bool found = false;
    double x = 0.0, y = 0.0;
    float diameter = 0.0f;
    for (int i = 0; i < n; ++i) {
        const int left = qMax(0, int(candidates[i].x * ratio - kCropSide / 2));
        const int top = qMax(0, int(candidates[i].y * ratio - kCropSide / 2));
        const QImage crop = frame.copy(left, top, kCropSide, kCropSide);
        MarkCircle confirmed;
        if (scanCircle(d2, crop, &confirmed, 1, params.tolerance) < 1)
            continue;
        // The task steps take the image's scale from this size and the moves
        // from the centre: both kept to the sub-pixel.
        const double X = (confirmed.centreX + left) / ratio;
        const double Y = (confirmed.centreY + top) / ratio;
        const double D = areaDiameter(confirmed) / ratio;
        bool take = !found;
        if (found && extremeMode) {
            if (params.markIndex == 1 || params.markIndex == 2)
                take = Y < y; // the highest candidate
            else if (params.markIndex == 3 || params.markIndex == 4)
                take = Y > y; // the lowest candidate
        }
        if (take) {
            x = X;
            y = Y;
            diameter = float(D);
            found = true;
        }
        if (found && !extremeMode)
            break;
    }
    if (!found && n > 0) {
        x = candidates[0].centreX;
        y = candidates[0].centreY;
        diameter = float(areaDiameter(candidates[0]));
        found = true;
        qWarning().noquote() << "MarkScanner::scan" << "二次扫描失败";
    }
    // The task steps divide by the size and take (0, 0) for "no mark".
    if (found && (diameter < 1.0f || (x == 0.0 && y == 0.0))) {
        qWarning().noquote() << "MarkScanner::scan" << "no mark: unusable result at" << x << y << "size" << diameter;
        found = false;
    }
    if (found) {
        result.point = QPointF(x, y);
        result.diameter = diameter;
    } else {
        qInfo().noquote() << "MarkScanner::scan" << "no mark found";
    }
    result.elapsedMs = timer.elapsed();
    qInfo().noquote() << "MarkScanner::scan" << params.markIndex << result.elapsedMs << "ms.";

    result.record.x = result.point.x();
    result.record.y = result.point.y();
    result.record.diameter = result.diameter;
    if (found && params.markIndex == 1 && params.readCode) {
        qInfo().noquote() << "MarkScanner::scan" << params.codeReader;
        const CodeRead code = readCode(frame, params, result, ratio);
        result.record.text = code.text;
        result.record.points = code.points;
        result.taskCode = code.code;
    }
    if (found)
        countScan(config, true);
    return result;
}

CodeRead MarkScanner::readCode(const QImage &frame, const MarkScanParams &params, const MarkScanResult &result,
                               double ratio) const
{
    const double scale = double(result.record.image.width()) / frame.width();
    if (params.codeReader == 1)
        return CodeReader::readBarcode(frame, scale);
    if (params.codeReader != 2)
        return CodeRead();
    // A filled disc reads as "@" or "O": the mark is painted out before the
    // text beside it is read.
    QImage text = frame.convertToFormat(QImage::Format_RGB32);
    QPainter painter(&text);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    const double radius = result.diameter * ratio * 0.65 + 2.0;
    painter.drawEllipse(QPointF(result.point.x() * ratio, result.point.y() * ratio), radius, radius);
    painter.end();
    return CodeReader::readText(m_ocr, text, scale);
}
