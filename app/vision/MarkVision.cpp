// The camera hand-over, the mark scan of the answered mark image and the
// label check's results.
#include "app/vision/MarkVision.h"

#include "configuration/Config.h"
#include "inspection/marks/MarkImages.h"
#include "app/task/CutScene.h"
#include "app/task/ProductionRecords.h"
#include "app/task/TaskThreads.h"

#include <QCoreApplication>
#include <QDebug>
#include <QElapsedTimer>
#include <QThread>

MarkVision::MarkVision(CutScene &cut, ProductionRecords &records, TaskThreads &threads, const TaskHost &task,
                       QObject *parent)
    : QObject(parent), m_cut(cut), m_records(records), m_threads(threads), m_task(task)
{
}

void MarkVision::initOcr()
{
    m_ocr.setNumThread(4);
    m_ocr.initLogger(true, true, true);
}

bool MarkVision::loadOcrModels()
{
    const bool loaded = m_ocr.initModels(QStringLiteral("./models/ch_PP-OCRv3_det_infer.onnx"),
                                         QStringLiteral("./models/ch_ppocr_mobile_v2.0_cls_infer.onnx"),
                                         QStringLiteral("./models/ch_PP-OCRv3_rec_infer.onnx"),
                                         QStringLiteral("./models/ppocr_keys_v1.txt"));
    if (!loaded)
        qCritical().noquote() << "DravolinteApp::initApp" << "Failed to initialize models.";
    return loaded;
}

bool MarkVision::doCapture(const QVariant &camera)
{
    const int id = camera.toInt();
    Config *cfg = Config::instance();
    const int waitMs = cfg ? cfg->getProperty(Config::CPT_Wait_Capture).toInt() : 0;
    const bool onGuiThread = QThread::currentThread() == thread();
    return m_captures.request(id, onGuiThread, waitMs, [&] {
        if (!cfg || cfg->usedQMLCamera(id - 1)) {
            emit capture(camera);
            return true;
        }
        if (id != 2)
            return false; // no source for this camera: the request runs out
        const QImage frame = checkFrame();
        return submitLabel(id, frame);
    });
}

void MarkVision::startLabelCaptureRequest()
{
    m_threads.run("DravolinteApp::loadTemplate", [this] {
        const Config *cfg = Config::instance();
        if (cfg && cfg->getProperty(Config::CPT_Trim).toBool())
            emit labelDoCapture();
        else
            doCapture(2);
    }, false);
}

void MarkVision::capturedMarkImage(int id, const QVariant &img)
{
    scanMark(img.value<QImage>());
    m_captures.answer(id);
}

void MarkVision::capturedLabelImage(int id, const QVariant &img)
{
    const QImage image = img.value<QImage>();
    {
        QMutexLocker lock(&m_lock);
        m_labelImage = image;
    }
    submitLabel(id, image);
}

bool MarkVision::submitLabel(int id, const QImage &image)
{
    if (m_labelSink)
        return m_labelSink(id, image);
    qWarning().noquote() << "DravolinteApp::checkLabelCapture" << "no label check: image of camera" << id << "dropped";
    m_captures.answer(id);
    return false;
}

void MarkVision::scanMark(const QImage &image)
{
    Config *cfg = Config::instance();
    MarkScanParams p = MarkScanParams::fromConfig(cfg);
    p.markType = m_cut.scanMarkType();
    p.markIndex = markIndex();
    p.readCode = m_cut.switchingCutFile() && !m_records.hasTaskCode();
    p.saveDir = QCoreApplication::applicationDirPath();
    // The first mark's printed digits are read by OCR, whose models may still be loading.
    if (p.readCode && p.markIndex == 1 && p.codeReader == 2 && !m_ocrLoad.isOver()) {
        qInfo().noquote() << "DravolinteApp::scanMark" << "waits for the OCR models";
        QElapsedTimer waited;
        waited.start();
        const bool ready = m_ocrLoad.wait();
        qInfo().noquote() << "DravolinteApp::scanMark" << "OCR models" << (ready ? "ready" : "failed") << "after"
                          << waited.elapsed() << "ms";
    }
    // Nothing of an earlier scan may pass for this one's result.
    resetScanMark();
    const MarkScanResult r = m_scanner.scan(image, p, cfg);
    {
        QMutexLocker lock(&m_lock);
        m_scanPoint = r.point;
        m_scanSize = r.diameter;
    }
    m_records.takeTaskCode(r.taskCode);
    m_films.storeScan(r.record, p.markIndex, m_task.taskStatus() == 1);
    emit filmViewUpdate(QRect());
}

bool MarkVision::saveFrame(const QString &fileName) const
{
    return MarkImages::saveFrame(checkFrame(), fileName);
}

void MarkVision::setCheckFrameSource(std::function<QImage()> source)
{
    QMutexLocker lock(&m_lock);
    m_checkFrameSource = std::move(source);
}

QImage MarkVision::checkFrame() const
{
    std::function<QImage()> source;
    {
        QMutexLocker lock(&m_lock);
        source = m_checkFrameSource;
    }
    return source ? source() : QImage();
}

QPointF MarkVision::scanMarkPoint() const
{
    QMutexLocker lock(&m_lock);
    return m_scanPoint;
}

float MarkVision::scanMarkSize() const
{
    QMutexLocker lock(&m_lock);
    return m_scanSize;
}

void MarkVision::resetScanMark()
{
    QMutexLocker lock(&m_lock);
    m_scanPoint = QPointF(0, 0);
    m_scanSize = 0.0f;
}

void MarkVision::clearFilm(int index)
{
    if (m_films.clear(index))
        emit filmViewUpdate(QRect());
}

bool MarkVision::hasTaskCode() const
{
    return m_records.hasTaskCode();
}

void MarkVision::setCollectLen(double len)
{
    double old = 0.0;
    const bool changed = m_collectLen.update([&](double &value) {
        if (qFuzzyCompare(value, len))
            return false;
        old = value;
        value = len;
        return true;
    });
    if (!changed)
        return;
    qInfo().noquote() << "DravolinteApp::setCollectLen" << old << "->" << len;
    emit collectLenChanged();
}

void MarkVision::setShowLostLabelView(bool show)
{
    if (m_showLostLabelView.set(show))
        emit showLostLabelViewChanged();
}
