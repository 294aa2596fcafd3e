#pragma once

#include "DbRecords.h"
#include "DeviceList.h"
#include "DriverHost.h"
#include "FilmList.h"
#include "MarkScanner.h"
#include "OcrLite.h"
#include "Config.h"
#include "mqttMessage.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QMarginsF>
#include <QMutex>
#include <QPolygonF>
#include <QReadWriteLock>
#include <QTransform>
#include <QPointF>
#include <QPointer>
#include <QProcess>
#include <QRectF>
#include <QSizeF>
#include <QTimer>
#include <QUdpSocket>
#include <QVariant>
#include <QWaitCondition>
#include <atomic>
#include <functional>
#include <map>
#include <memory>

class GPathItem;
class GScene;
class ImageProvider;
class QQmlApplicationEngine;
class QThread;
class QTranslator;
class UpgradesSoftWidget;
class Varnok120X;

// The program's QApplication and the object the pages see as "app": task
// control, device discovery, the camera hand-over and the start-up and
// shutdown of the services around the machine.
//
// Lives on the main thread. The driver's threads and the task threads call
// the DriverHost operations, the copy bookkeeping and the accessors below;
// what they share is atomic or under m_stateLock.
//
// Sources: DravolinteApp.cpp (life cycle), DravolinteAppProperties.cpp,
// DravolinteAppTask.cpp (task control), DravolinteAppRecords.cpp (copies and
// production records), DravolinteAppDiscovery.cpp, DravolinteAppCapture.cpp,
// DravolinteAppPending.cpp (members whose work comes with later parts).
class DravolinteApp : public QApplication, public DriverHost
{
    Q_OBJECT
    Q_PROPERTY(QString version READ version WRITE setVersion NOTIFY versionChanged)
    Q_PROPERTY(QString saveFile READ saveFile WRITE setSaveFile NOTIFY saveFileChanged)
    Q_PROPERTY(QString printFile READ printFile WRITE setPrintFile NOTIFY printFileChanged)
    Q_PROPERTY(QString cutShowFile READ cutShowFile WRITE setCutShowFile NOTIFY cutShowFileChanged)
    Q_PROPERTY(QString printCutFile READ printCutFile WRITE setPrintCutFile NOTIFY printCutFileChanged)
    Q_PROPERTY(QString cutFile READ cutFile WRITE setCutFile NOTIFY cutFileChanged)
    Q_PROPERTY(QString printTip READ printTip WRITE setPrintTip NOTIFY printTipChanged)
    Q_PROPERTY(QString printImgPath READ printImgPath WRITE setPrintImgPath NOTIFY printImgPathChanged)
    Q_PROPERTY(QString framePath READ framePath WRITE setFramePath NOTIFY framePathChanged)
    Q_PROPERTY(int cutTaskCopies READ cutTaskCopies WRITE setCutTaskCopies NOTIFY cutTaskCopiesChanged)
    Q_PROPERTY(int cutCopies READ cutCopies WRITE setCutCopies NOTIFY cutCopiesChanged)
    Q_PROPERTY(int printTaskCopies READ printTaskCopies WRITE setPrintTaskCopies NOTIFY printTaskCopiesChanged)
    Q_PROPERTY(int printCopies READ printCopies WRITE setPrintCopies NOTIFY printCopiesChanged)
    Q_PROPERTY(int imageWidth READ imageWidth WRITE setImageWidth NOTIFY imageWidthChanged)
    Q_PROPERTY(int imageHeight READ imageHeight WRITE setImageHeight NOTIFY imageHeightChanged)
    Q_PROPERTY(bool enabledDataSource READ enabledDataSource WRITE setEnabledDataSource NOTIFY enabledDataSourceChanged)
    Q_PROPERTY(QString dataSource READ dataSource WRITE setDataSource NOTIFY dataSourceChanged)
    Q_PROPERTY(int dataIndex READ dataIndex WRITE setDataIndex NOTIFY dataIndexChanged)
    Q_PROPERTY(int taskStatus READ taskStatus WRITE setTaskStatus NOTIFY taskStatusChanged)
    Q_PROPERTY(int fps READ fps WRITE setFps NOTIFY fpsChanged)
    Q_PROPERTY(bool enabledTest READ enabledTest WRITE setEnabledTest NOTIFY enabledTestChanged)
    Q_PROPERTY(bool showLostLabelView READ showLostLabelView WRITE setShowLostLabelView NOTIFY showLostLabelViewChanged)

public:
    // Label-check parameters, reloaded from Config by loadCheckParams.
    struct CheckParams
    {
        bool enablePrint = false;
        bool enableOCR = false;
        bool enableQRCode = false;
        bool enableBARCode = false;
        double threshold = 0.0;
        double iouThreshold = 0.0;
        QString modelPath;
    };

    static constexpr int kRestartCode = 777;
    static constexpr int kOnlineStartDelayMs = 1000;
    static constexpr int kDiscoveryTickMs = 5000;
    // Datagrams handled in one pass; a flood is worked off pass by pass
    // between the other events of the main thread.
    static constexpr int kDatagramsPerPass = 64;
    // How long a job's own stop waits for a pause or resume on its way.
    static constexpr int kJobStopPatienceMs = 10000;

    DravolinteApp(int &argc, char **argv);
    ~DravolinteApp() override;

    // The process-wide pointers; null before construction and after destruction.
    static DravolinteApp *instance();
    static Varnok120X *driver();
    // Hands the driver to the application (and the application to the driver
    // as its host); null takes both back. main calls it right after building
    // the driver and again before destroying it.
    void setDriver(Varnok120X *driver);

    // Called by main only, in this order around the QML loading and the loop.
    bool initApp();
    void setEngine(QQmlApplicationEngine *engine);
    bool cleanUp();
    // Stores the code that main returns (or restarts on); the program's exit
    // handler calls it as soon as an exit is requested.
    void setExitCode(int code) { m_exitCode.store(code); }
    ImageProvider *imageProvider() const { return m_imageProvider; }
    // The engine took the provider over (it deletes it).
    void releaseImageProvider() { m_imageProviderOwned = false; }
    QObject *checkCamera() const { return m_checkCamera; }

    // --- QML surface ---
    Q_INVOKABLE QString appPath() const;
    Q_INVOKABLE QStringList onlineDevices() const;
    Q_INVOKABLE QString currentDateTimeString() const;
    // Scans a mark-camera frame: the mark point and size the task steps read
    // (scanMarkPoint, scanMarkSize), the film records, the task code.
    Q_INVOKABLE void scanMark(const QImage &image);
    // Draws a mark onto img and saves it beside the working files.
    void markedImage(QImage &img, int x, int y, int l, double scale);
    // Saves the latest check-camera frame as fileName + ".jpg".
    Q_INVOKABLE void saveFrame(const QString &fileName);
    Q_INVOKABLE int pageMarkType() const;
    Q_INVOKABLE bool isSupport() override;
    Q_INVOKABLE void startTask(bool recount = true, bool bExecOnce = false);
    Q_INVOKABLE void reCount();
    Q_INVOKABLE bool finishedOneCopies() override;
    Q_INVOKABLE void print() override;
    Q_INVOKABLE void firewall();
    Q_INVOKABLE void setLanguage(int l);
    Q_INVOKABLE bool isAllowedStart();
    Q_INVOKABLE void clearFilm(int index = 0) override;
    // From a worker: asks the camera and waits, bounded by CPT_Wait_Capture,
    // for the answer of this very request. On the GUI thread, which delivers
    // the answers: asks and returns at once (true only for an answer given
    // within the request itself).
    Q_INVOKABLE bool doCapture(const QVariant &camera);
    bool doCapture(int camera) override { return doCapture(QVariant(camera)); }
    // Wires a camera object (the pages' "DravolinteCamera" or a stand-in) to
    // the capture requests and answers; null disconnects the previous one.
    void connectCamera(QObject *camera);
    Q_INVOKABLE bool allowedExit();
    Q_INVOKABLE void exitApp(int code = 0);
    Q_INVOKABLE int exitCode() const;

    // --- DriverHost ---
    int taskStatus() const override;
    void setTaskStatus(int status) override;
    QString cutFile() const override;
    void setMarkIndex(int index) override;
    void loadCheckParams() override;
    void resetPaperCenter() override;
    QString messageText() const override;
    void createPageCutFile() override;
    int cutTaskCopies() const override;
    bool hasCutItems() const override;

    // --- cut conversion (DravolinteAppCut.cpp) ---
    // The current page's cut data as HPGL, mapped by transform (the fit to
    // the scanned marks); also becomes the driver's cut data.
    QByteArray createPageCutFile(const QTransform &transform) override;
    // One cut item's HPGL; margins take no part (kept for the callers).
    QString cutPathToHpgl(const GScene *scene, const GPathItem *item, const QTransform &transform,
                          const QMarginsF &margins, const QPointF &offset) const;
    // The page's mark points in scanning order: HPGL units for a scan, else points.
    Q_INVOKABLE QPolygonF currentPageMarkPoint(bool scan = true) const override;
    // The knife lanes of the page, HPGL units; one per knife of a job.
    Q_INVOKABLE QList<int> currentKnifeIntInterval() const override;
    // true: forget the task code before a scan; false: open the cut file of
    // the task code read meanwhile (or the working one) and wait, bounded,
    // until the scene holds it. True when the scene holds the file wanted.
    bool setSwitchCutFile(bool b) override;
    bool switchingCutFile() const { return m_switchingCutFile.load(); }
    // The file that the cut scene holds.
    QString sceneFile() const;
    // How long a switch waits for the main thread to open the file.
    static constexpr int kSceneOpenWaitMs = 30000;

    // --- used by the workers and the inspection ---
    GScene *cutScene() const { return m_cutScene.get(); }
    double collectLen() const;
    void setCollectLen(double len);
    int segmentX() const { return m_segmentX.load(); }
    bool hasTaskCode() const override;
    void updateCutRecord();
    int updatePrintRecord(int printed);
    void loadTemplate();
    int markIndex() const override { return m_markIndex.load(); }
    QPointF scanMarkPoint() const override;
    float scanMarkSize() const override;
    void resetScanMark() override;
    double searchedLength() const override;
    void setSearchedLength(double mm) override;
    double paperOffset() const;
    QSizeF pageSize() const override;
    QSizeF pageDefSize() const;
    void setPageSizes(const QSizeF &page, const QSizeF &definition);
    CheckParams checkParams() const;
    bool isExecOnce() const { return m_execOnce.load(); }
    bool isTaskThreadBusy() const { return m_busy.load(); }
    QList<FilmRecord> filmRecords() const;
    WorkRecord currentWorkRecord() const;
    WorkRecord cutWorkRecord() const;
    TaskRecord currentTaskRecord() const;
    void setCurrentTaskRecord(const TaskRecord &record);

    // --- properties ---
    QString version() const;
    void setVersion(const QString &v);
    QString saveFile() const;
    void setSaveFile(const QString &v);
    QString printFile() const;
    void setPrintFile(const QString &v);
    QString cutShowFile() const;
    void setCutShowFile(const QString &v);
    QString printCutFile() const;
    void setPrintCutFile(const QString &v);
    void setCutFile(const QString &v);
    QString printTip() const;
    void setPrintTip(const QString &v);
    QString printImgPath() const;
    void setPrintImgPath(const QString &v);
    QString framePath() const;
    void setFramePath(const QString &v);
    void setCutTaskCopies(int v);
    int cutCopies() const { return m_cutCopies.load(); }
    void setCutCopies(int v);
    int printTaskCopies() const { return m_printTaskCopies.load(); }
    void setPrintTaskCopies(int v);
    int printCopies() const { return m_printCopies.load(); }
    void setPrintCopies(int v);
    int checkedCopies() const { return m_checkedCopies.load(); }
    int imageWidth() const { return m_imageWidth.load(); }
    void setImageWidth(int v);
    int imageHeight() const { return m_imageHeight.load(); }
    void setImageHeight(int v);
    bool enabledDataSource() const { return m_enabledDataSource.load(); }
    void setEnabledDataSource(bool v);
    QString dataSource() const;
    void setDataSource(const QString &v);
    int dataIndex() const { return m_dataIndex.load(); }
    void setDataIndex(int v);
    int fps() const { return m_fps.load(); }
    void setFps(int v);
    bool enabledTest() const { return m_enabledTest.load(); }
    void setEnabledTest(bool v);
    bool showLostLabelView() const { return m_showLostLabelView.load(); }
    void setShowLostLabelView(bool v);
    // The print preview; null when no print file is open.
    QImage printImage() const;

public slots:
    void capturedMarkImage(int id, const QVariant &img);
    void capturedLabelImage(int id, const QVariant &img);
    void checkUpdate();
    void upgrade();
    void onPropertyChanged(Config::ConfigParamType key, const QVariant &val);
    void slotFinished(int exitCode, QProcess::ExitStatus exitStatus);
    void stopTask(bool bWait = true) override;
    void pauseTask(bool bWait = true);
    void resumeTask(bool bWait = true);
    void checkCameraChanged();
    void slotUdpRecv();
    void slotUdpTimer();
    void onOpenScene(const QString &cutFile);

signals:
    void versionChanged();
    void saveFileChanged();
    void printFileChanged();
    void cutShowFileChanged();
    void printCutFileChanged();
    void cutFileChanged();
    void printTipChanged();
    void printImgPathChanged();
    void framePathChanged();
    void cutTaskCopiesChanged();
    void cutCopiesChanged();
    void printTaskCopiesChanged();
    void printCopiesChanged();
    void imageWidthChanged();
    void imageHeightChanged();
    void enabledDataSourceChanged();
    void dataSourceChanged();
    void dataIndexChanged();
    void taskStatusChanged();
    void fpsChanged();
    void enabledTestChanged();
    void showLostLabelViewChanged();
    void capture(const QVariant &camera);
    void checkedCopiesChanged();
    void collectLenChanged();
    void segmentXChanged();
    void checkCameraScaleChanged();
    void checkPaperTopChanged();
    void checkPaperBottomChanged();
    void pagecheckedChanged();
    void filmViewUpdate(const QRect &rect);
    void filmViewUpdate();
    void lostViewUpdate(const QRect &rect);
    void lostViewUpdate();
    void openScene(const QString &cutFile);
    void refreshView();
    void labelDoCapture();

private:
    // One per camera id. Answers carry no request number: they are matched
    // to requests in order, and an answer owed to a request that gave up is
    // taken off the next request rather than satisfying it.
    struct CaptureWaiter
    {
        QMutex requests; // one waiting request per camera at a time
        QMutex mutex;    // the fields below
        QWaitCondition answered;
        bool ready = false;   // the waiting request got its answer
        bool waiting = false; // a request waits right now
        // An answer still owed to a request that no longer waits (or to a
        // GUI-thread request, which never waits): the next answer is that.
        bool owed = false;
        // The waiting request took an owed answer off. Should it time out
        // all the same, that answer may have been its own (the camera lost
        // the earlier one): it then leaves no debt, so that one lost answer
        // costs one request, not every request after it.
        bool tookOwed = false;
    };

    // Folder of "dev.ini" and the other files beside the program: Config's
    // folder once it exists, else the program's.
    QString filesDir() const;
    Config *config() const;
    // Discovery.
    void bindDiscoverySocket();
    void handleAnnouncement(const QString &id, const QString &ip);
    QString deviceModelName(int number) const;
    // Task control.
    // Runs body on a thread of its own that cleanUp waits for; false when
    // the program is closing (body not run; the busy flag released when the
    // body was to release it).
    bool runThread(const char *origin, std::function<void()> body, bool wait, bool releasesBusy = false);
    void joinTaskThreads();
    void pauseBody();
    void resumeBody();
    void stopBody();
    // Camera hand-over.
    CaptureWaiter *waiterFor(int id);
    void answerCapture(int id);
    void checkLabelCapture(const QImage &image);
    void selectHKCamera(const QString &name);
    // Online start-up, 1 s after initApp.
    void startOnline();
    template <typename T> bool storeString(QString &field, const T &value);

    mutable QMutex m_stateLock;
    FilmList m_films;
    // The mark reading; used on the GUI thread, where the camera answers.
    OcrLite m_ocr;
    MarkScanner m_markScanner{&m_ocr};
    QPointer<QObject> m_camera;
    // Task-start inspection state.
    bool m_taskStarted = false;
    double m_startPrintRoller = 0.0, m_startFilmRoller = 0.0;
    double m_runLength = 0.0, m_copyRunLength = 0.0;
    QSizeF m_pageSize, m_pageDefSize;
    QImage m_printImage;
    QImage m_checkFrame;
    QImage m_labelImage;
    bool m_closing = false;
    ImageProvider *m_imageProvider = nullptr;
    bool m_imageProviderOwned = true;
    // Stands for the check camera until the camera support comes.
    QObject *m_checkCamera = nullptr;
    std::atomic<int> m_exitCode{0};

    // Discovery.
    QUdpSocket m_udpSocket;
    int m_port = 51287;
    DeviceList m_devices;
    QTimer m_udpTimer;
    QElapsedTimer m_clock;
    bool m_deviceListFull = false;
    mutable QMap<int, QString> m_modelNames;
    mutable QDateTime m_devIniStamp;
    mutable bool m_devIniRead = false;

    // Cut conversion: the work thread reads the scene while the main thread
    // may open another file into it; a switch waits for the open.
    mutable QReadWriteLock m_sceneLock;
    QMutex m_sceneMutex;
    QWaitCondition m_sceneOpened;
    QString m_sceneFile;  // under m_stateLock
    QString m_openedFile; // under m_sceneMutex: the last open that has finished
    std::atomic<bool> m_switchingCutFile{false};
    int pageMarkTypeLocked() const;
    std::unique_ptr<GScene> m_cutScene;
    std::unique_ptr<GScene> m_printCutScene;
    QString m_cutShowFile, m_printCutFile, m_cutFile, m_openCutFile, m_saveFile, m_printFile;
    std::atomic<int> m_cutTaskCopies{100}, m_cutCopies{0}, m_printTaskCopies{100}, m_printCopies{0},
        m_checkedCopies{0};
    double m_collectLen = 50.0;
    double m_paperCenter = 0.0, m_paperWidth = 0.0, m_paperCenterStart = 0.0;
    std::atomic<int> m_markIndex{0};
    QPointF m_scanMarkPoint;
    float m_scanMarkSize = 0.0f;
    double m_searchedLength = 0.0;
    double m_paperOffset = 0.0;
    std::atomic<int> m_segmentX{-1};
    double m_checkCameraScale = 0.0;
    int m_pagechecked = 0;
    QString m_version = QStringLiteral("2.2.1");
    std::atomic<int> m_dataIndex{1};
    std::atomic<bool> m_enabledDataSource{false};
    QString m_dataSource;
    QString m_printTip, m_printImgPath, m_framePath;
    QString m_messageText;
    QMutex m_appMutex; // one label check at a time
    int m_checkState[3] = {-1, -1, -1};
    std::atomic<int> m_taskStatus{2};
    std::atomic<bool> m_busy{false};
    QMutex m_waitersLock;
    std::map<int, std::unique_ptr<CaptureWaiter>> m_captureWaiters;
    CheckParams m_check;
    std::atomic<bool> m_execOnce{false};
    std::atomic<bool> m_capturing{false};
    std::atomic<bool> m_enabledTest{false};
    std::atomic<bool> m_showLostLabelView{false};
    std::atomic<int> m_fps{0}, m_imageWidth{0}, m_imageHeight{0};
    WorkRecord m_workRecord;
    WorkRecord m_cutWorkRecord;
    TaskRecord m_taskRecord;
    mqttMessage m_mqtt;
    UpgradesSoftWidget *m_softWidget = nullptr;
    QTranslator *m_translator = nullptr;
    QQmlApplicationEngine *m_engine = nullptr;
    QTimer m_onlineTimer;

    // The pause, resume, stop and label-check threads; cleanUp waits for every one.
    QMutex m_threadsLock;
    QList<std::shared_ptr<QThread>> m_taskThreads;
    bool m_threadsClosed = false;
};
