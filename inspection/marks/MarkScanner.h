#pragma once

#include "inspection/marks/CodeReader.h"
#include "inspection/marks/FilmList.h"

#include <QImage>
#include <QPointF>
#include <QString>

class Config;
class GScene;
class OcrLite;

// What one mark scan needs to know: the camera and mark settings of Config
// and the application's state at the moment of the scan.
struct MarkScanParams
{
    int cameraWidth = 320;       // the frame is scaled into this box, aspect kept
    int cameraHeight = 240;
    double markSize = 3.5;       // printed mark diameter, mm
    double tolerance = 0.1;      // relative diameter tolerance of the finder
    bool saveCandidates = false; // keep frames that show several candidates
    int codeReader = 0;          // 1 QR or bar code, 2 printed digits, else none

    int markType = 0;            // the page's mark type; 1 picks the extreme candidate
    int markIndex = 0;           // mark being scanned, 1 to 4; 0 outside a mark sequence
    bool readCode = false;       // the cut file follows the code and none is known yet
    QString saveDir;             // where "point" folders go; empty: the program's folder

    // The Config part; the application fills the rest.
    static MarkScanParams fromConfig(const Config *config);
    // The mark type of the scene's current page, 0 without scene, page or marks.
    static int pageMarkType(const GScene *scene);
};

struct MarkScanResult
{
    QPointF point;          // mark centre, pixels of the scaled frame; (0, 0) no mark
    float diameter = 0.0f;  // pixels of the scaled frame, at least 1 when a mark was found
    FilmRecord record;      // for the overlay: scaled frame, mark, code read
    int taskCode = 0;       // code read at the first mark; 0 none
    int candidates = 0;     // first-stage candidates
    qint64 elapsedMs = 0;   // the search, without code reading

    bool found() const { return !point.isNull(); }
};

// The mark scan of one mark-camera frame: candidates on the frame scaled to
// the mark-camera size, each confirmed on a 300 x 300 crop of the full
// frame, the task code read at the first mark, the scan counters counted in
// Config. Holds no state between scans; safe to call from one thread at a time
// per OCR engine.
class MarkScanner
{
public:
    static constexpr double kPixelsPerMm = 40.0; // at the camera's own resolution
    static constexpr int kCropSide = 300;
    static constexpr int kMaxCandidates = 4;
    static constexpr int kMinFrameSide = 32;
    static constexpr int kMaxFrameSide = 8192;
    static constexpr qint64 kMaxFramePixels = qint64(4096) * 4096;

    explicit MarkScanner(OcrLite *ocr = nullptr) : m_ocr(ocr) {}
    void setOcr(OcrLite *ocr) { m_ocr = ocr; }

    // config may be null (nothing counted). Never fails: a frame that cannot
    // be searched is "no mark", with a log line saying why.
    MarkScanResult scan(const QImage &frame, const MarkScanParams &params, Config *config) const;

private:
    CodeRead readCode(const QImage &frame, const MarkScanParams &params, const MarkScanResult &result,
                      double ratio) const;

    OcrLite *m_ocr;
};
