// The label check's images: the queue of images to check, the template and
// the check of one image.
#include "app/vision/LabelInspection.h"

#include "configuration/Config.h"
#include "DetectSettings.h"
#include "app/task/CutScene.h"
#include "app/task/TaskControl.h"
#include "app/vision/MarkVision.h"
#include "device/Varnok120X.h"

#include <QCoreApplication>
#include <QDebug>
#include <QElapsedTimer>
#include <QTransform>
#include <cmath>
#include <exception>

LabelInspection::LabelInspection(CutScene &cut, ProductionRecords &records, TaskControl &task, MarkVision &vision,
                                 QObject *parent)
    : QObject(parent), m_cut(cut), m_records(records), m_task(task), m_vision(vision), m_detect(process_frame),
      m_images(QCoreApplication::applicationDirPath())
{
}

LabelInspection::~LabelInspection()
{
    close();
}

void LabelInspection::setDetector(Detector detector)
{
    QMutexLocker lock(&m_checkLock);
    m_detect = detector ? std::move(detector) : Detector(process_frame);
}

void LabelInspection::setImageFolder(const QString &folder)
{
    QMutexLocker lock(&m_checkLock);
    m_images.setBaseFolder(folder);
}

QString LabelInspection::imageFolder() const
{
    QMutexLocker lock(&m_checkLock);
    return m_images.baseFolder();
}

bool LabelInspection::hasTemplate() const
{
    return currentTemplate() != nullptr;
}

std::shared_ptr<const LabelInspection::Template> LabelInspection::currentTemplate() const
{
    QMutexLocker lock(&m_templateLock);
    return m_template;
}

std::shared_ptr<const ReadData> LabelInspection::checkResult() const
{
    QMutexLocker lock(&m_resultLock);
    return m_result;
}

void LabelInspection::setErrorMessage(const QString &text)
{
    if (Varnok120X *device = m_driver.load())
        device->setErrorMessage(text);
}

bool LabelInspection::submit(int id, const QImage &image)
{
    const CheckQueue::Handed handed = m_queue.submit(id, image);
    if (handed.replaced) {
        qWarning().noquote() << "DravolinteApp::capturedLabelImage" << "an image of camera" << *handed.replaced
                             << "was replaced by a newer one before its check";
        m_vision.answerCapture(*handed.replaced);
    }
    if (handed.accepted)
        return true;
    // No thread to check on (the program closes, or none could be made).
    qCritical().noquote() << "DravolinteApp::capturedLabelImage" << "no check thread: image of camera" << id
                          << "not checked";
    m_vision.answerCapture(id);
    return false;
}

void LabelInspection::checkAndAnswer(int id, const QImage &image)
{
    // Whatever goes wrong in a check, its requester is answered and the
    // next image is still checked.
    try {
        checkLabelCapture(image);
    } catch (const std::exception &e) {
        qCritical().noquote() << "DravolinteApp::checkLabelCapture" << "check failed:" << e.what();
    } catch (...) {
        qCritical().noquote() << "DravolinteApp::checkLabelCapture" << "check failed";
    }
    m_vision.answerCapture(id);
}

void LabelInspection::close()
{
    if (const std::optional<int> dropped = m_queue.close()) {
        qWarning().noquote() << "DravolinteApp::capturedLabelImage" << "the program is closing: image of camera"
                             << *dropped << "not checked";
        m_vision.answerCapture(*dropped);
    }
}

void LabelInspection::setDriver(Varnok120X *driver)
{
    if (m_driver.load() == driver)
        return;
    m_queue.finish();
    m_driver.store(driver);
}

bool LabelInspection::loadTemplate()
{
    QList<SceneSegment> rows, cols;
    const QImage background = m_cut.background(&rows, &cols);
    if (background.isNull()) {
        qCritical().noquote() << "DravolinteApp::loadTemplate" << "m_cutScene->bkImage() is NULL";
        // The earlier file's page is not this one's: no check rather than a wrong one.
        QMutexLocker lock(&m_templateLock);
        m_template.reset();
        return false;
    }
    if (!background.save(QStringLiteral("bk.png")))
        qWarning().noquote() << "DravolinteApp::loadTemplate" << "cannot save bk.png";
    // Blue first, as the check image is, whatever the background's format.
    auto next = std::make_shared<Template>();
    next->image = background.convertToFormat(QImage::Format_BGR888);
    next->bgr = cv::Mat(next->image.height(), next->image.width(), CV_8UC3, const_cast<uchar *>(next->image.constBits()),
                        size_t(next->image.bytesPerLine()));
    next->rows = rows;
    next->cols = cols;
    // The label cells: each row band crossed with each column band, in
    // template pixels (the background covers the page's width).
    const QSizeF page = m_cut.pageSize();
    if (page.width() > 0.0) {
        const double k = next->image.width() / page.width();
        for (const SceneSegment &r : std::as_const(rows)) {
            for (const SceneSegment &c : std::as_const(cols)) {
                const cv::Rect cell(int(std::lround(c.start * k)), int(std::lround(r.start * k)),
                                    int(std::lround((c.end - c.start) * k)), int(std::lround((r.end - r.start) * k)));
                if (cell.width > 0 && cell.height > 0)
                    next->cells.push_back(cell);
            }
        }
    }
    {
        QMutexLocker lock(&m_templateLock);
        m_template = std::move(next);
    }
    // The checks of this page come next.
    if (m_task.checkParams().enableOCR)
        warmUp();
    return true;
}

void LabelInspection::warmUp()
{
    const std::string settings = m_task.checkParams().modelPath.toLocal8Bit().toStdString();
    m_readers.warmUp(DetectSettings::load(settings).ocrModel);
}

void LabelInspection::checkLabelCapture(const QImage &img)
{
    QMutexLocker lock(&m_checkLock);
    check(img);
}

ReadData LabelInspection::detect(const QImage &checkImage)
{
    const cv::Mat input = checkImage.isNull()
                              ? cv::Mat()
                              : cv::Mat(checkImage.height(), checkImage.width(), CV_8UC3,
                                        const_cast<uchar *>(checkImage.constBits()), size_t(checkImage.bytesPerLine()));
    const TaskControl::CheckParams params = m_task.checkParams();
    PageLabels page;
    page.cells = m_checked->cells;
    page.threshold = params.threshold;
    page.readers = &m_readers;
    try {
        return m_detect(input, m_checked->bgr, params.enableOCR, params.enableQRCode, params.enableBARCode,
                        params.modelPath.toLocal8Bit().toStdString(), page);
    } catch (const std::exception &e) {
        qCritical().noquote() << "DravolinteApp::checkLabelCapture" << "process_frame fatal" << e.what()
                              << saveCheckImage();
    } catch (...) {
        qCritical().noquote() << "DravolinteApp::checkLabelCapture" << "process_frame fatal"
                              << "(not a standard exception)" << saveCheckImage();
    }
    return ReadData();
}

void LabelInspection::check(const QImage &img)
{
    Config *cfg = Config::instance();
    if (!cfg || !cfg->getProperty(Config::CPT_Enable_Detection).toBool())
        return;
    QImage image = img;
    const int turn = 90 - cfg->getProperty(Config::CPT_Check_Camera_Rotation).toInt();
    if (turn != 0 && !image.isNull())
        image = image.transformed(QTransform().rotate(turn), Qt::SmoothTransformation);
    const std::shared_ptr<const Template> templ = currentTemplate();
    if (!templ || templ->bgr.empty()) {
        if (!m_vision.isCapturing())
            setErrorMessage(QCoreApplication::translate("LabelInspection", "切割文件未打开 \n"));
        return;
    }
    // A new template is saved with the next saved check image.
    if (templ != m_checked)
        m_images.setTemplate(templ->image);
    m_checked = templ;
    QImage checkImage;
    if (qint64(image.width()) * image.height() > kMaxPixels)
        qCritical().noquote() << "DravolinteApp::checkLabelCapture" << "image too large to check:" << image.size();
    else
        checkImage = image.convertToFormat(QImage::Format_BGR888);
    m_images.startCheck(checkImage);

    QElapsedTimer timer;
    timer.start();
    ReadData result = detect(checkImage);
    qInfo().noquote() << "DravolinteApp::checkLabelCapture" << "  recognition: " << timer.elapsed() / 1000.0 << " s. ";

    if (result.segmentX < 1) {
        const char *origin = "DravolinteApp::checkLabelCapture";
        qCritical().noquote() << origin << "recognition error";
        qCritical().noquote() << origin << "input image width: " << checkImage.width();
        qCritical().noquote() << origin << "input image height: " << checkImage.height();
        qCritical().noquote() << origin << "input image channels: " << (checkImage.isNull() ? 0 : 3);
        qCritical().noquote() << origin << "template image width: " << templ->bgr.cols;
        qCritical().noquote() << origin << "template image height: " << templ->bgr.rows;
        qCritical().noquote() << origin << "template image channels: " << templ->bgr.channels();
        qCritical().noquote() << origin << "last_edge:" << result.last_edge;
        qCritical().noquote() << origin << "first_edge" << result.first_edge;
        qCritical().noquote() << origin << "segmentX" << result.segmentX;
    }
    const qint64 width = qint64(result.last_edge) - result.first_edge;
    bool faulty = width < 1 || result.segmentX < 1;
    for (const LabelRecord &label : result.labels)
        faulty = faulty || label.status != 1;
    if (faulty && cfg->getProperty(Config::CPT_Enable_Check_Anomaly_Pause).toBool()) {
        qCritical().noquote() << "DravolinteApp::checkLabelCapture" << "检测异常暂停任务";
        if (m_task.taskStatus() == 1)
            m_task.pauseTask(false);
    }
    if (width < 1)
        result = ReadData();
    const auto kept = std::make_shared<const ReadData>(std::move(result));
    {
        QMutexLocker resultLock(&m_resultLock);
        m_result = kept;
    }
    doMediaEdge(*kept);
    updateSegmentX(*kept, image.size());
    if (m_pageChecked.load()) {
        labelReport();
        if (m_pageChecked.exchange(false))
            emit pagecheckedChanged();
    }
    emit checkedImageSize(image.size());
    emit lostViewUpdate(QRect());
    m_vision.setShowLostLabelView(true);
}
