#include "OcrLite.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRectF>
#include <QtMath>

#include <dlfcn.h>
#include <mutex>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <tesseract/baseapi.h>
#include <tesseract/ocrclass.h>
#include <tesseract/resultiterator.h>

struct OcrLite::Word
{
    QRectF box; // pixels of the image that was read
    float score = 0.0f;
    QString text;
};

namespace {

// The folders a Debian or hand-built Tesseract keeps its language files in.
const char *const kSystemFolders[] = {
    "/usr/share/tesseract-ocr/5/tessdata",
    "/usr/share/tesseract-ocr/4.00/tessdata",
    "/usr/share/tessdata",
    "/usr/local/share/tessdata",
};

// Tesseract spreads a read over an OpenMP team; on a busy machine the team's
// threads spin against the load and one read took seconds instead of ~15 ms.
// With no active parallel level allowed on the reading thread every region
// runs on that thread alone. The runtime reads OMP_THREAD_LIMIT only when it
// loads, before main, so the limit is set here, per reading thread, where the
// runtime honours it at any time; looked up so that a Tesseract built without
// OpenMP needs nothing.
void readOnThisThreadAlone()
{
    using SetLevels = void (*)(int);
    static const auto setMaxActiveLevels =
        reinterpret_cast<SetLevels>(dlsym(RTLD_DEFAULT, "omp_set_max_active_levels"));
    if (setMaxActiveLevels)
        setMaxActiveLevels(0);
}

} // namespace

OcrLite::OcrLite() = default;
OcrLite::~OcrLite() = default;

void OcrLite::setNumThread(int numOfThread)
{
    QMutexLocker lock(&m_lock);
    m_numThread = qMax(1, numOfThread);
}

int OcrLite::numThread() const
{
    QMutexLocker lock(&m_lock);
    return m_numThread;
}

void OcrLite::initLogger(bool isConsole, bool isPartImg, bool isResultImg)
{
    QMutexLocker lock(&m_lock);
    m_logConsole = isConsole;
}

bool OcrLite::isReady() const
{
    QMutexLocker lock(&m_lock);
    return m_api != nullptr;
}

QString OcrLite::modelFile() const
{
    QMutexLocker lock(&m_lock);
    return m_modelFile;
}

QStringList OcrLite::modelFolders(const QString &recPath, QString *language)
{
    // Parameter files may name models with backslashes (".\models\...").
    QString path = recPath;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QFileInfo info(path);
    if (path.endsWith(QLatin1String(".traineddata"))) {
        *language = info.completeBaseName();
        return {info.absolutePath()};
    }
    *language = QStringLiteral("eng");
    QStringList folders{info.absolutePath()};
    const QString prefix = qEnvironmentVariable("TESSDATA_PREFIX");
    if (!prefix.isEmpty()) {
        folders << prefix;
    } else {
        for (const char *folder : kSystemFolders)
            folders << QString::fromLatin1(folder);
    }
    return folders;
}

bool OcrLite::initModels(const QString &detPath, const QString &clsPath, const QString &recPath,
                         const QString &keysPath)
{
    // "debug_file" is one of Tesseract's process-wide parameters: engines that
    // load side by side must not each write it.
    static std::once_flag quiet;
    std::call_once(quiet, [] {
        tesseract::TessBaseAPI api;
        // Tesseract's own chatter ("Estimating resolution ...") stays out of stderr.
        api.SetVariable("debug_file", "/dev/null");
    });
    QMutexLocker lock(&m_lock);
    m_api.reset();
    m_modelFile.clear();
    QString language;
    const QStringList folders = modelFolders(recPath, &language);
    for (const QString &folder : folders) {
        const QString file = folder + QLatin1Char('/') + language + QLatin1String(".traineddata");
        if (language.isEmpty() || !QFileInfo(file).isFile())
            continue;
        auto api = std::make_unique<tesseract::TessBaseAPI>();
        if (api->Init(QFile::encodeName(folder).constData(), language.toUtf8().constData()) != 0) {
            qWarning().noquote() << "OcrLite::initModels" << "Tesseract refused" << file;
            continue;
        }
        m_api = std::move(api);
        m_modelFile = file;
        qInfo().noquote() << "OcrLite::initModels" << "model" << file;
        return true;
    }
    qCritical().noquote() << "OcrLite::initModels" << "Failed to initialize models." << "no" << language
                          << "language file in" << folders.join(QLatin1String(", "));
    return false;
}

OcrResult OcrLite::detect(const cv::Mat &mat, int padding, int maxSideLen, float boxScoreThresh, float boxThresh,
                          float unClipRatio, bool doAngle, bool mostAngle)
{
    QElapsedTimer timer;
    timer.start();
    OcrResult result;
    QMutexLocker lock(&m_lock);
    if (!m_api) {
        qWarning().noquote() << "OcrLite::detect" << "no models loaded, nothing read";
        return result;
    }
    const int channels = mat.channels();
    if (mat.empty() || mat.dims != 2 || mat.depth() != CV_8U || (channels != 1 && channels != 3 && channels != 4) ||
        mat.cols > kMaxSide || mat.rows > kMaxSide) {
        qWarning().noquote() << "OcrLite::detect" << "unreadable image" << mat.cols << "x" << mat.rows << "channels"
                             << channels << "depth" << mat.depth();
        return result;
    }

    cv::Mat grey;
    if (channels == 3)
        cv::cvtColor(mat, grey, cv::COLOR_BGR2GRAY);
    else if (channels == 4)
        cv::cvtColor(mat, grey, cv::COLOR_BGRA2GRAY);
    else
        grey = mat;
    const int pad = qBound(0, padding, 1000);
    cv::Mat work;
    cv::copyMakeBorder(grey, work, pad, pad, pad, pad, cv::BORDER_CONSTANT, cv::Scalar(255));
    double scale = 1.0;
    const int longest = qMax(work.cols, work.rows);
    if (maxSideLen > 0 && longest > maxSideLen) {
        scale = double(maxSideLen) / longest;
        const cv::Size size(qMax(1, qRound(work.cols * scale)), qMax(1, qRound(work.rows * scale)));
        cv::Mat smaller;
        cv::resize(work, smaller, size, 0, 0, cv::INTER_AREA);
        work = smaller;
    }
    const double scaleX = double(work.cols) / (grey.cols + 2 * pad);
    const double scaleY = double(work.rows) / (grey.rows + 2 * pad);

    QList<Word> words = readWords(work, boxScoreThresh);
    bool turned = false;
    if (words.isEmpty() && doAngle) {
        cv::Mat rotated;
        cv::rotate(work, rotated, cv::ROTATE_180);
        words = readWords(rotated, boxScoreThresh);
        turned = true;
    }

    const QRectF bounds(0, 0, mat.cols - 1, mat.rows - 1);
    for (const Word &word : std::as_const(words)) {
        QRectF box = word.box;
        if (turned)
            box = QRectF(work.cols - box.right(), work.rows - box.bottom(), box.width(), box.height());
        box = QRectF(box.x() / scaleX - pad, box.y() / scaleY - pad, box.width() / scaleX, box.height() / scaleY);
        const double perimeter = 2.0 * (box.width() + box.height());
        if (perimeter > 0.0 && unClipRatio > 0.0f) {
            const double grow = box.width() * box.height() * unClipRatio / perimeter;
            box.adjust(-grow, -grow, grow, grow);
        }
        box = box.intersected(bounds);
        OcrTextBlock block;
        block.boxScore = word.score;
        block.text = word.text;
        const QRect r = box.toAlignedRect().intersected(bounds.toRect());
        block.boxPoint = {r.topLeft(), r.topRight(), r.bottomRight(), r.bottomLeft()};
        result.textBlocks.append(block);
        result.strRes += word.text + QLatin1Char('\n');
    }
    result.detectTime = timer.nsecsElapsed() / 1e6;
    if (m_logConsole)
        qDebug().noquote() << "OcrLite::detect" << result.textBlocks.size() << "blocks" << (turned ? "turned" : "upright")
                           << result.detectTime << "ms";
    return result;
}

QList<OcrLite::Word> OcrLite::readWords(const cv::Mat &grey, float boxScoreThresh)
{
    QList<Word> words;
    cv::Mat packed = grey.isContinuous() ? grey : grey.clone();
    readOnThisThreadAlone();
    m_api->SetPageSegMode(tesseract::PSM_SPARSE_TEXT);
    m_api->SetImage(packed.data, packed.cols, packed.rows, 1, int(packed.step));
    tesseract::ETEXT_DESC monitor;
    monitor.set_deadline_msecs(kReadDeadlineMs);
    if (m_api->Recognize(&monitor) != 0) {
        qWarning().noquote() << "OcrLite::detect" << "recognition failed or ran out of time";
        m_api->Clear();
        return words;
    }
    std::unique_ptr<tesseract::ResultIterator> it(m_api->GetIterator());
    if (it) {
        do {
            if (it->Empty(tesseract::RIL_WORD))
                continue;
            std::unique_ptr<char[]> utf8(it->GetUTF8Text(tesseract::RIL_WORD));
            const QString text = utf8 ? QString::fromUtf8(utf8.get()).trimmed() : QString();
            const float score = it->Confidence(tesseract::RIL_WORD) / 100.0f;
            int left = 0, top = 0, right = 0, bottom = 0;
            if (text.isEmpty() || score < boxScoreThresh ||
                !it->BoundingBox(tesseract::RIL_WORD, &left, &top, &right, &bottom))
                continue;
            words.append({QRectF(left, top, right - left, bottom - top), score, text});
        } while (it->Next(tesseract::RIL_WORD));
    }
    m_api->Clear();
    return words;
}
