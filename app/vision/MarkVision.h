#pragma once

#include "app/vision/CaptureHandover.h"
#include "device/DriverHost.h"
#include "inspection/marks/FilmList.h"
#include "configuration/Guarded.h"
#include "inspection/marks/MarkScanner.h"
#include "OcrLite.h"
#include "app/vision/OcrModelLoad.h"
#include "inspection/labelcheck/PaperEdge.h"

#include <QImage>
#include <QMutex>
#include <QObject>
#include <QRect>
#include <QVariant>
#include <functional>

class CutScene;
class ProductionRecords;
class TaskThreads;

// What the cameras see: the capture hand-over between the driver's threads
// and the cameras' answers on the GUI thread, the mark scan of each mark
// image (point, size, film records, the task code), the label check's
// results (rewind length, paper offset, lost-label view). The driver's vision.
class MarkVision : public QObject, public VisionHost
{
    Q_OBJECT

public:
    // cut gives the mark type and whether a code is wanted, records keeps
    // the code read, threads runs the label checks, task's status decides
    // which film record a scan fills. All must outlive this object.
    MarkVision(CutScene &cut, ProductionRecords &records, TaskThreads &threads, const TaskHost &task,
               QObject *parent = nullptr);

    // Sets up the reading of printed codes; the models load with startOcr.
    void initOcr();
    // Loads the OCR models on a thread of their own (once); a mark scan that
    // reads text waits for them, and starts the load when nobody has.
    void startOcr() { m_ocrLoad.start(); }
    bool isOcrLoadOver() const { return m_ocrLoad.isOver(); }

    // From a worker: asks the camera and waits, bounded by CPT_Wait_Capture,
    // for the answer of this very request. On the GUI thread, which delivers
    // the answers: asks and returns false at once.
    bool doCapture(const QVariant &camera);
    bool doCapture(int camera) override { return doCapture(QVariant(camera)); }
    // The cameras' answers (GUI thread).
    void capturedMarkImage(int id, const QVariant &img);
    void capturedLabelImage(int id, const QVariant &img);
    // Shutdown: every waiting capture gives up now, later ones at once.
    void cancelCaptures() { m_captures.cancel(); }
    void abandonCaptures() override { m_captures.abandonWaiting(); }
    // A capture request waits for its answer.
    bool isCapturing() const { return m_captures.isWaiting(); }
    // The answer of camera id's request, once its image was handled.
    void answerCapture(int id) { m_captures.answer(id); }
    // Who checks the check camera's images: true when it took the image,
    // which it answers once checked; set once, before any capture.
    void setLabelSink(std::function<bool(int id, const QImage &image)> sink) { m_labelSink = std::move(sink); }
    // Scans a mark-camera frame: the mark point and size the task steps read,
    // the film records, the task code.
    void scanMark(const QImage &image);
    // Saves the latest check-camera frame as fileName + ".jpg".
    bool saveFrame(const QString &fileName) const;
    // Where the industrial check camera's latest frame comes from.
    void setCheckFrameSource(std::function<QImage()> source);
    QList<FilmRecord> filmRecords() const { return m_films.records(); }
    // The label check asks the collect side for a label image.
    void requestLabelCapture() { notifyLabelCapture(); }
    // After a template load: one label image, on a thread of its own that the
    // shutdown joins; with trimming on the collect side takes it at its own
    // moment (labelDoCapture), else the check camera is asked now.
    void startLabelCaptureRequest();

    QPointF scanMarkPoint() const override;
    float scanMarkSize() const override;
    void resetScanMark() override;
    int markIndex() const override { return m_markIndex.load(); }
    void setMarkIndex(int index) override { m_markIndex.store(index); }
    void clearFilm(int index) override;
    double searchedLength() const override { return m_searchedLength.get(); }
    void setSearchedLength(double mm) override { m_searchedLength.set(mm); }
    bool hasTaskCode() const override;
    double collectLen() const override { return m_collectLen.get(); }
    void setCollectLen(double len);
    double paperOffset() const override { return m_paperEdge.offset(); }
    void resetPaperCenter() override { m_paperEdge.resetCenter(); }
    // The paper edge that the label check follows.
    PaperEdge &paperEdge() { return m_paperEdge; }
    const PaperEdge &paperEdge() const { return m_paperEdge; }
    bool showLostLabelView() const { return m_showLostLabelView.get(); }
    void setShowLostLabelView(bool show) override;

signals:
    void capture(const QVariant &camera);
    void labelDoCapture();
    void filmViewUpdate(const QRect &rect);
    void collectLenChanged();
    void showLostLabelViewChanged();

private:
    bool loadOcrModels();
    QImage checkFrame() const;
    // Hands a check-camera image to the label check (or answers it unchecked).
    bool submitLabel(int id, const QImage &image);

    CutScene &m_cut;
    ProductionRecords &m_records;
    TaskThreads &m_threads;
    const TaskHost &m_task;
    CaptureHandover m_captures;
    FilmList m_films;
    // The mark reading; used on the GUI thread, where the camera answers.
    OcrLite m_ocr;
    MarkScanner m_scanner{&m_ocr};
    OcrModelLoad m_ocrLoad{[this] { return loadOcrModels(); }};

    mutable QMutex m_lock; // the scan result and the frames
    QPointF m_scanPoint;
    float m_scanSize = 0.0f;
    std::function<QImage()> m_checkFrameSource; // the latest check-camera frame
    QImage m_labelImage;
    std::function<bool(int, const QImage &)> m_labelSink;
    PaperEdge m_paperEdge;

    std::atomic<int> m_markIndex{0};
    Guarded<double> m_searchedLength{0.0}, m_collectLen{50.0};
    Guarded<bool> m_showLostLabelView{false};
};
