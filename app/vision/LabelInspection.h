#pragma once

#include "inspection/labelcheck/CheckImages.h"
#include "LabelDetect.h"
#include "LabelReaders.h"
#include "platform/graphics/scenefiles/SceneData.h"
#include "app/vision/CheckQueue.h"

#include <QImage>
#include <QMutex>
#include <QObject>
#include <QRect>
#include <QSizeF>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>

class CutScene;
class MarkVision;
class ProductionRecords;
class TaskControl;
class Varnok120X;

// The label check: each check-camera image against the template of the cut
// page (through the label-check library), the result kept for the overlay,
// the task paused on a faulty label, the paper edge followed (stopping the
// task when the web drifts), the page bookkeeping, one report row per page
// and the images of irregular checks.
//
// Images are checked one at a time on the check thread (CheckQueue); while
// one is checked at most one more waits, and a newer image takes its place
// (the one it replaces is answered unchecked, so its requester does not wait
// for nothing). The check lock serialises the checks. The check thread is
// joined by close() and, when the driver changes, waited for: a check never
// outlives the driver or the parameter store it reports to. A new template is handed
// over whole under a lock of its own: a running check keeps the one it began
// with, and the main thread, which loads templates, never waits for a check
// (which may wait for a stop that waits for the main thread).
class LabelInspection : public QObject
{
    Q_OBJECT

public:
    // The label-check library's call; the tests put results of their own in its place.
    using Detector = std::function<ReadData(const cv::Mat &input, const cv::Mat &templ, bool ocr, bool qr, bool bar,
                                            const std::string &modelPath, const PageLabels &page)>;

    // All must outlive this object. vision answers the capture requests and
    // keeps the paper edge, the rewind length and the overlay's visibility.
    LabelInspection(CutScene &cut, ProductionRecords &records, TaskControl &task, MarkVision &vision,
                    QObject *parent = nullptr);
    ~LabelInspection() override;

    // A new driver (or none) once the checks handed in so far are through
    // (not from a check).
    void setDriver(Varnok120X *driver);
    void setDetector(Detector detector);
    // Where the "image" folder of saved checks goes (the program's folder).
    void setImageFolder(const QString &folder);

    // An image of camera id to check; answered through vision once checked.
    // False when it cannot be checked (answered at once, unchecked).
    bool submit(int id, const QImage &image);
    // No more images are checked; the check thread is joined (the image
    // still waiting is answered unchecked). Before the program lets go of
    // the parameter store and the driver.
    void close();

    // The cut scene's background becomes the template (main thread); false
    // without a background. (The cut scene then asks for a first image.)
    // With texts to read, the text engines start loading.
    bool loadTemplate();
    // Starts loading the text engines of the check's model on the label
    // readers' workers and returns at once (from any thread; a check that
    // comes first waits for them).
    void warmUp();
    bool hasTemplate() const;

    // One check (on the check thread; takes the check lock).
    void checkLabelCapture(const QImage &img);
    // The steps of a check, with the check lock held.
    void doMediaEdge(const ReadData &result);
    void updateSegmentX(const ReadData &result, const QSize &imageSize);
    void labelReport();
    QString saveCheckImage();

    // The last check's result; a check replaces it whole.
    std::shared_ptr<const ReadData> checkResult() const;
    bool pageChecked() const { return m_pageChecked.load(); }
    QString imageFolder() const;

    // Larger images are not checked (their conversion alone would take
    // hundreds of megabytes).
    static constexpr qint64 kMaxPixels = 64LL * 1024 * 1024;

signals:
    void lostViewUpdate(const QRect &rect);
    void pagecheckedChanged();
    void checkCameraScaleChanged();
    // The size of the checked image (after its turn).
    void checkedImageSize(const QSize &size);

private:
    struct Template
    {
        QImage image; // blue-green-red
        cv::Mat bgr;  // over image's pixels
        std::vector<cv::Rect> cells; // template pixels
        QList<SceneSegment> rows, cols;
    };
    // One image from the queue: checked, whatever goes wrong, then answered.
    void checkAndAnswer(int id, const QImage &image);
    // The check itself, the check lock held.
    void check(const QImage &img);
    ReadData detect(const QImage &checkImage);
    std::shared_ptr<const Template> currentTemplate() const;
    void setErrorMessage(const QString &text);

    CutScene &m_cut;
    ProductionRecords &m_records;
    TaskControl &m_task;
    MarkVision &m_vision;
    std::atomic<Varnok120X *> m_driver{nullptr};

    mutable QMutex m_checkLock; // a check; the members below
    Detector m_detect;
    std::shared_ptr<const Template> m_checked; // the template of the running check
    CheckImages m_images;
    std::atomic<bool> m_pageChecked{false};

    mutable QMutex m_templateLock;
    std::shared_ptr<const Template> m_template;

    mutable QMutex m_resultLock;
    std::shared_ptr<const ReadData> m_result;

    // The workers that read the labels' codes and texts, with their engines.
    LabelReaders m_readers;

    // Last: its thread runs checks over the members above.
    CheckQueue m_queue{[this](int id, const QImage &image) { checkAndAnswer(id, image); }};
};
