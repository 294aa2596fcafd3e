#pragma once

#include <QList>
#include <QMutex>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <memory>

namespace cv {
class Mat;
}
namespace tesseract {
class TessBaseAPI;
}

// One piece of text the engine read: its outline in pixels of the image that
// was given to detect(), four corners clockwise from the top left, its score
// (0 to 1) and its text.
struct OcrTextBlock
{
    QList<QPoint> boxPoint;
    float boxScore = 0.0f;
    QString text;
};

struct OcrResult
{
    QList<OcrTextBlock> textBlocks; // in reading order
    double detectTime = 0.0;        // milliseconds
    QString strRes;                 // every block's text, one per line
};

// The OCR engine that reads printed text beside the registration marks, on
// Tesseract. It reads word by word: each word is one text block, its score
// is Tesseract's word confidence scaled to 0..1.
//
// Models: Tesseract needs one language file, "eng.traineddata". initModels
// keeps the set-up call of a four-model engine (detection, angle,
// recognition, keys): a recognition path that ends in ".traineddata" names
// the language file itself; any other set of paths names the models folder
// (the folder of the recognition path), where "eng.traineddata" is looked
// for first, then in $TESSDATA_PREFIX when that is set, else in the system's
// tessdata folders. Detection, angle and keys need no files of their own:
// Tesseract finds words by its own layout analysis and the language file
// carries its characters.
//
// One engine serves one read at a time; concurrent callers wait in turn.
class OcrLite
{
public:
    OcrLite();
    ~OcrLite();
    OcrLite(const OcrLite &) = delete;
    OcrLite &operator=(const OcrLite &) = delete;

    // A read runs on the caller's thread; the count is kept for callers that
    // size their own work by it.
    void setNumThread(int numOfThread);
    int numThread() const;
    // isConsole: one debug line per read (time and blocks). isPartImg and
    // isResultImg are taken and ignored: no images are written.
    void initLogger(bool isConsole, bool isPartImg, bool isResultImg);
    // False, with "Failed to initialize models." in the log, when no language
    // file can be found or Tesseract refuses it; the engine then reads nothing.
    bool initModels(const QString &detPath, const QString &clsPath, const QString &recPath, const QString &keysPath);
    bool isReady() const;
    // The language file in use; empty until initModels succeeded.
    QString modelFile() const;

    // Reads an 8-bit image (1, 3 or 4 channels, blue-green-red order).
    // padding: white margin added around it; maxSideLen: longer sides are
    // scaled down to it first (0: never); boxScoreThresh: blocks scoring
    // lower are dropped; unClipRatio: the word's box is grown by
    // area x ratio / perimeter, as a text detector's outline would be;
    // doAngle: when nothing upright passes, the image is read turned half
    // round; mostAngle: every block takes the angle of the whole image (always
    // so here). boxThresh belongs to a pixel-probability detector and has no
    // use in word reading. An empty result, with a log line, when the engine
    // has no models or the image cannot be read.
    OcrResult detect(const cv::Mat &mat, int padding, int maxSideLen, float boxScoreThresh, float boxThresh,
                     float unClipRatio, bool doAngle, bool mostAngle);

    // Longest a single read may take before Tesseract is told to stop.
    static constexpr int kReadDeadlineMs = 3000;
    // Largest image side accepted at all.
    static constexpr int kMaxSide = 16384;

private:
    struct Word;
    QList<Word> readWords(const cv::Mat &grey, float boxScoreThresh);
    static QStringList modelFolders(const QString &recPath, QString *language);

    mutable QMutex m_lock;
    std::unique_ptr<tesseract::TessBaseAPI> m_api;
    QString m_modelFile;
    int m_numThread = 1;
    bool m_logConsole = false;
};
