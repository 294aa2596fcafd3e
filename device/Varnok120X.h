#pragma once

#include "device/DriverHost.h"
#include "device/link/BackgroundThreads.h"
#include "device/link/ControllerLink.h"
#include "device/link/FrameCodec.h"
#include "device/polling/PollSupport.h"
#include "device/state/MachineState.h"
#include "device/state/PageWrites.h"

#include <QColor>
#include <QElapsedTimer>
#include <QMap>
#include <QObject>
#include <QPointF>
#include <QSizeF>
#include <QThread>
#include <QVariantMap>
#include <atomic>
#include <functional>
#include <memory>

class Config;
class QTimer;

// The driver of the machine controller, seen by the pages as "device": a
// facade over its owned parts.
//
// Transport: the ControllerLink (one TCP link to port 9100, one wait per
// frame sent, read by the waiting sender or its reader thread);
// Varnok120XLink.cpp chooses the address and forwards. Replies (Varnok120XReplies.cpp) update the MachineState,
// whose stores back the properties (Varnok120XState.cpp), each with its own
// change signal. Commands (Varnok120XCommands.cpp and,
// with guards, Varnok120XMotion.cpp) are the numbered command set; the life cycle (Varnok120X.cpp) runs the
// initial reads after each link and shuts the machine down; jobs
// (Varnok120XJobs.cpp) run one at a time on the work thread; cut data and
// positioning jobs (Varnok120XStreaming.cpp), the pressure test
// (Varnok120XPressure.cpp) and firmware (Varnok120XFirmware.cpp); the roller
// poller (PollWorker.h) and the rewind, guide and trim poller
// (PollWorkerCollect.h) loop on their own threads while polling is on. The
// machine pages' writes (Varnok120XPageWrites.cpp) check their values and
// report a write not accepted through PageWrites.
//
// Every public operation may be called from any thread.
class Varnok120X : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString ident READ ident WRITE setIdent NOTIFY identChanged)
    Q_PROPERTY(QString ip READ ip WRITE setIp NOTIFY ipChanged)
    Q_PROPERTY(QString devType READ devType WRITE setDevType NOTIFY devTypeChanged)
    Q_PROPERTY(QString devId READ devId WRITE setDevId NOTIFY devIdChanged)
    Q_PROPERTY(QString pcbId READ pcbId WRITE setPcbId NOTIFY pcbIdChanged)
    Q_PROPERTY(QString pcbVer READ pcbVer WRITE setPcbVer NOTIFY pcbVerChanged)
    Q_PROPERTY(QString firmware READ firmware WRITE setFirmware NOTIFY firmwareChanged)
    Q_PROPERTY(QString pcbVerDriver READ pcbVerDriver WRITE setPcbVerDriver NOTIFY pcbVerDriverChanged)
    Q_PROPERTY(QString firmwareDriver READ firmwareDriver WRITE setFirmwareDriver NOTIFY firmwareDriverChanged)
    Q_PROPERTY(QString pcbVerSensor READ pcbVerSensor WRITE setPcbVerSensor NOTIFY pcbVerSensorChanged)
    Q_PROPERTY(QString firmwareSensor READ firmwareSensor WRITE setFirmwareSensor NOTIFY firmwareSensorChanged)
    Q_PROPERTY(QString pcbVerTrim READ pcbVerTrim WRITE setPcbVerTrim NOTIFY pcbVerTrimChanged)
    Q_PROPERTY(QString firmwareTrim READ firmwareTrim WRITE setFirmwareTrim NOTIFY firmwareTrimChanged)
    Q_PROPERTY(double printRoller READ printRoller WRITE setPrintRoller NOTIFY printRollerChanged)
    Q_PROPERTY(double filmRoller READ filmRoller WRITE setFilmRoller NOTIFY filmRollerChanged)
    Q_PROPERTY(double collectRoller READ collectRoller WRITE setCollectRoller NOTIFY collectRollerChanged)
    Q_PROPERTY(double gyroscope READ gyroscope WRITE setGyroscope NOTIFY gyroscopeChanged)
    Q_PROPERTY(int pressure READ pressure WRITE setPressure NOTIFY pressureChanged)
    Q_PROPERTY(int speed READ speed WRITE setSpeed NOTIFY speedChanged)
    Q_PROPERTY(double scalex READ scalex WRITE setScalex NOTIFY scalexChanged)
    Q_PROPERTY(double scaley READ scaley WRITE setScaley NOTIFY scaleyChanged)
    Q_PROPERTY(bool sensor1 READ sensor1 WRITE setSensor1 NOTIFY sensor1Changed)
    Q_PROPERTY(bool sensor2 READ sensor2 WRITE setSensor2 NOTIFY sensor2Changed)
    Q_PROPERTY(bool sensor3 READ sensor3 WRITE setSensor3 NOTIFY sensor3Changed)
    Q_PROPERTY(bool sensor4 READ sensor4 WRITE setSensor4 NOTIFY sensor4Changed)
    Q_PROPERTY(bool sensor5 READ sensor5 WRITE setSensor5 NOTIFY sensor5Changed)
    Q_PROPERTY(bool sensor6 READ sensor6 WRITE setSensor6 NOTIFY sensor6Changed)
    Q_PROPERTY(bool sensor7 READ sensor7 WRITE setSensor7 NOTIFY sensor7Changed)
    Q_PROPERTY(int cutModel READ cutModel WRITE setCutModel NOTIFY cutModelChanged)
    Q_PROPERTY(int cutMotorStatus READ cutMotorStatus WRITE setCutMotorStatus NOTIFY cutMotorStatusChanged)
    Q_PROPERTY(int markLight READ markLight WRITE setMarkLight NOTIFY markLightChanged)
    Q_PROPERTY(int checkBackgroundLight READ checkBackgroundLight WRITE setCheckBackgroundLight NOTIFY checkBackgroundLightChanged)
    Q_PROPERTY(int checkLightStrip READ checkLightStrip WRITE setCheckLightStrip NOTIFY checkLightStripChanged)
    Q_PROPERTY(QColor rgbLightStrip READ rgbLightStrip WRITE setRgbLightStrip NOTIFY rgbLightStripChanged)
    Q_PROPERTY(bool polling READ polling WRITE setPolling NOTIFY pollingChanged)
    Q_PROPERTY(qulonglong deviceState READ deviceState WRITE setDeviceState NOTIFY deviceStateChanged)
    Q_PROPERTY(QString errorMessage READ errorMessage WRITE setErrorMessage NOTIFY errorMessageChanged)
    Q_PROPERTY(QString updateFile READ updateFile WRITE setUpdateFile NOTIFY updateFileChanged)
    Q_PROPERTY(int index READ index WRITE setIndex NOTIFY indexChanged)
    Q_PROPERTY(double updateProgress READ updateProgress WRITE setUpdateProgress NOTIFY updateProgressChanged)
    Q_PROPERTY(QString progress READ progress WRITE setProgress NOTIFY progressChanged)
    Q_PROPERTY(bool feedMotorRunning READ feedMotorRunning WRITE setFeedMotorRunning NOTIFY feedMotorRunningChanged)
    Q_PROPERTY(bool filmMotorRunning READ filmMotorRunning WRITE setFilmMotorRunning NOTIFY filmMotorRunningChanged)
    Q_PROPERTY(bool collectMotorRunning READ collectMotorRunning WRITE setCollectMotorRunning NOTIFY collectMotorRunningChanged)
    Q_PROPERTY(bool rectifyResetBusy READ rectifyResetBusy NOTIFY rectifyResetBusyChanged)
    Q_PROPERTY(bool upgrading READ upgrading NOTIFY upgradingChanged)

public:
    static constexpr quint16 kPort = 9100;
    static constexpr int kConnectTimeoutMs = 3000;
    static constexpr int kFeatureFlagCount = MachineState::kFeatureFlagCount;
    // HPGL units per millimetre, the controller's unit of knife positions.
    static constexpr double kHpglPerMm = 40.0;
    // Feature flags that the initial reads set.
    enum FeatureFlag { FF_PerModule = 2, FF_KnifePosition = 4, FF_Reserved5 = 5, FF_FourFieldJog = 15, FF_KnifeSelect = 19 };

    // The cut-data transfer announced by the last successful wPltSize.
    using PltTransfer = MachineState::PltTransfer;
    // How long unInit waits for each of the poll, collect and work threads.
    static constexpr int kJoinMs = 3000;
    // How much longer the destructor waits for them before it gives up.
    static constexpr int kGiveUpMs = 10000;

    explicit Varnok120X(Config *config, QObject *parent = nullptr);
    ~Varnok120X() override;

    // The application's roles (DriverHost.h); null restores the built-in
    // stand-in. Each must outlive the driver or be reset before it goes.
    void setHost(TaskHost *host);
    void setCutSource(CutSource *source);
    void setVision(VisionHost *vision);
    TaskHost *host() const { return m_host.load(); }
    CutSource *cutSource() const { return m_cutSource.load(); }
    VisionHost *vision() const { return m_vision.load(); }
    Config *config() const { return m_config; }

    // --- link and transport (Varnok120XLink.cpp) ---
    bool link();
    void closeLink();
    bool sendCMD(const QByteArray &frame, bool wantReply, int id = 0);
    bool sendMsg(const QByteArray &bytes);
    void asyncSend(const QByteArray &frame);
    // Frames a command text ("3;") with "CCMD" and sends it.
    bool command(const QString &text, bool wantReply = true, int waitId = 0);
    bool isLinked() const { return m_link.isLinked(); }
    // The initial reads of a link have completed once; a dropped link keeps
    // it, unInit and a change of ident clear it.
    bool isReady() const { return m_ready.load(); }
    // Runs for each received frame on the thread that reads the link; public for tests.
    void decode(const QByteArray &frame);
    // Poll steps pass through it; the initial reads close it, so that they
    // run alone on the link.
    PollSupport::PollGate &pollGate() { return m_pollGate; }

    // --- life cycle and jobs (Varnok120X.cpp, Varnok120XJobs.cpp) ---
    void readInitialState();
    // Runs worker on the work thread and owns it: its slot onWork() runs the
    // job and ends the thread's event loop (a TaskWorker; see TaskWorker.h).
    // Refused (worker deleted) while a job runs or before the first initial
    // reads.
    bool createWork(QObject *worker);
    // Builds the task worker of taskType with the cut data it is to cut
    // (the built-in figures; a production run fits its own from the cut
    // source) and starts it; refused, without building anything, while a
    // job runs.
    bool startJob(int taskType, const QByteArray &data = QByteArray());
    bool isWorkIdle() const;
    QThread *workThread() { return &m_workThread; }
    Q_INVOKABLE void cut();
    Q_INVOKABLE void cut100mmRect();
    Q_INVOKABLE void checkCameraOffset();
    Q_INVOKABLE void autoFindPoint();
    Q_INVOKABLE void autoCheckPoint();
    Q_INVOKABLE void cutRepeat();
    Q_INVOKABLE void resetKnife();
    Q_INVOKABLE void gotoOrigin();
    Q_INVOKABLE void moveOffset();
    bool isMoveAllowed() const;
    Q_INVOKABLE QString deviceStateString() const;
    void unInit();

    // --- command set (Varnok120XCommands.cpp, Varnok120XMotion.cpp) ---
    bool rDeviceInfo();
    bool rDeviceInfo(int type);
    bool rRectifyMotorReset();
    bool rTrimMotorYReset();
    bool rCutMotorStatus();
    bool rDevicePoint(int knifeIndex);
    bool wDevicePoint(int knife, int x, int y);
    // --- cut data (Varnok120XStreaming.cpp) ---
    // Moves the knives of the mask knife by pos (HPGL units) with a
    // one-package positioning job. Refused with "请检查设备状态" while a job
    // runs, unless the job itself asks.
    bool wDevicePoint(int knife, QPointF pos);
    // Announces a transfer of totalSize bytes in packages of at most
    // packageSize (0: the configured package size).
    bool wPltSize(size_t totalSize, size_t packageSize);
    bool wPltSize(size_t totalSize);
    // Sends one package of the announced transfer, bytes unchanged.
    bool wPlt(QByteArray pltData);
    PltTransfer pltTransfer() const;
    // Cuts the pressure test figure beside the last one (Varnok120XPressure.cpp).
    Q_INVOKABLE void testPressure();
    // --- firmware (Varnok120XFirmware.cpp) ---
    // Sends the file named by updateFile to the module of index, whole, in
    // one frame; a file that cannot be read is reported in errorMessage.
    Q_INVOKABLE void update();
    // How long a firmware transfer may go without a progress report before
    // it counts as broken (and no longer keeps the program from closing).
    static constexpr int kUpgradeStallMs = 30000;
    void setUpgradeStallLimit(int ms) { m_upgradeStallMs.store(ms); }
    // A firmware transfer has been sent and has not reported its end.
    bool isUpgrading() const;
    // From the send of a firmware file until the controller reports 100 % or
    // more, or the transfer breaks off.
    bool upgrading() const { return m_state.upgrading.get(); }
    // The web-guide reset, whose reply may take CPT_wait_TcpRet_Msecs_Max, on
    // a thread of its own; rectifyResetBusy until it ends. Refused while a
    // task exists or one runs.
    Q_INVOKABLE bool startRectifyMotorReset();
    bool rectifyResetBusy() const;
    Q_INVOKABLE bool wKnifePD(int knife);
    Q_INVOKABLE bool wKnifePU(int knife);
    bool rSpeed();
    bool rPressure(int knifeIndex);
    bool rCheckCameraCenterX();
    bool rMarkCameraOffset(int index);
    bool rScale();
    bool scale();
    Q_INVOKABLE bool wScale(double scalex, double scaley);
    bool setScale(double sx, double sy);
    bool rCutModel();
    bool workArea();
    bool setWorkArea(QSizeF area);
    bool wPause(bool bChangeAppTask = true);
    bool wResume();
    bool wStop();
    bool rMarkLight();
    Q_INVOKABLE bool wMarkLight(int val);
    bool rCheckBackgroundLight();
    Q_INVOKABLE bool wCheckBackgroundLight(int val);
    bool rCheckLightStrip();
    Q_INVOKABLE bool wCheckLightStrip(int val);
    bool rRGBLightStrip();
    bool wRGBLightStrip(QColor color);
    Q_INVOKABLE bool wMoveX(int speed);
    Q_INVOKABLE bool wMoveY(int speed);
    bool rSensor();
    bool rGyroscope();
    bool setKnife(int knife);
    bool wFeedMotorSpeed(int speed);
    bool wFilmMotorSpeed(int speed);
    bool rRectifyMotor();
    bool wRectifyMotor(uint speed, float length);
    bool rCollectMotor();
    Q_INVOKABLE bool wCollectMotor(int speed, int length);
    bool rTrimMotorX();
    Q_INVOKABLE bool wTrimMotorX(int speed, int length);
    bool rTrimMotorY();
    bool wTrimMotorYSpeed(int speed);
    bool rPrePltSend();
    Q_INVOKABLE void setOrigin();

    // --- state shared with the workers ---
    int featureFlag(int entry) const;
    QPointF devicePoint(int knife) const;
    QPointF knifeOffset(int knife) const;
    QPointF origin() const;
    QSizeF workAreaSize() const;
    bool cutSent() const { return m_cutSent.load(); }
    void setCutSent(bool sent) { m_cutSent.store(sent); }
    int currentKnife() const;
    int moveXDir() const { return m_moveXDir.load(); }
    int testPressureStep() const { return m_testPressureStep.load(); }
    void setTestPressureStep(int step) { m_testPressureStep.store(step); }
    int trimYResetValue() const;
    int collectMotorState() const;
    int rectifyMotorState() const;
    int trimXMotorState() const;
    int trimYMotorState() const;
    float rectifyLength() const;
    QString alarmText() const;
    // Milliseconds since the last well-formed roller report (command 18) of
    // the current link; -1 when there was none.
    qint64 rollerReadingAgeMs() const;
    // Sets the bits of mask to those of bits, atomically; one change signal
    // when the state changed. The way the workers and the alarm report write.
    bool changeDeviceState(qulonglong mask, qulonglong bits);

    // --- properties (Varnok120XState.cpp) ---
    QString ident() const;
    QString ip() const;
    QString devType() const;
    QString devId() const;
    QString pcbId() const;
    QString pcbVer() const;
    QString firmware() const;
    QString pcbVerDriver() const;
    QString firmwareDriver() const;
    QString pcbVerSensor() const;
    QString firmwareSensor() const;
    QString pcbVerTrim() const;
    QString firmwareTrim() const;
    double printRoller() const;
    double filmRoller() const;
    double collectRoller() const;
    double gyroscope() const;
    int pressure() const;
    int speed() const;
    double scalex() const;
    double scaley() const;
    bool sensor1() const;
    bool sensor2() const;
    bool sensor3() const;
    bool sensor4() const;
    bool sensor5() const;
    bool sensor6() const;
    bool sensor7() const;
    int cutModel() const;
    int cutMotorStatus() const;
    int markLight() const;
    int checkBackgroundLight() const;
    int checkLightStrip() const;
    QColor rgbLightStrip() const;
    bool polling() const;
    qulonglong deviceState() const;
    QString errorMessage() const;
    QString updateFile() const;
    int index() const;
    double updateProgress() const;
    QString progress() const;
    bool feedMotorRunning() const;
    bool filmMotorRunning() const;
    bool collectMotorRunning() const;

public slots:
    void setIdent(const QString &ident);
    void setIp(const QString &address);
    void setDevType(const QString &v);
    void setDevId(const QString &v);
    void setPcbId(const QString &v);
    void setPcbVer(const QString &v);
    void setFirmware(const QString &v);
    void setPcbVerDriver(const QString &v);
    void setFirmwareDriver(const QString &v);
    void setPcbVerSensor(const QString &v);
    void setFirmwareSensor(const QString &v);
    void setPcbVerTrim(const QString &v);
    void setFirmwareTrim(const QString &v);
    void setPrintRoller(double v);
    void setFilmRoller(double v);
    void setCollectRoller(double v);
    void setGyroscope(double v);
    void setPressure(int v);
    void setSpeed(int v);
    void setScalex(double v);
    void setScaley(double v);
    void setSensor1(bool v);
    void setSensor2(bool v);
    void setSensor3(bool v);
    void setSensor4(bool v);
    void setSensor5(bool v);
    void setSensor6(bool v);
    void setSensor7(bool v);
    void setCutModel(int v);
    void setCutMotorStatus(int v);
    void setMarkLight(int v);
    void setCheckBackgroundLight(int v);
    void setCheckLightStrip(int v);
    void setRgbLightStrip(const QColor &v);
    void setPolling(bool v);
    void setDeviceState(qulonglong v);
    void setErrorMessage(const QString &v);
    void setUpdateFile(const QString &v);
    void setIndex(int v);
    void setUpdateProgress(double v);
    void setProgress(const QString &v);
    void setFeedMotorRunning(bool v);
    void setFilmMotorRunning(bool v);
    void setCollectMotorRunning(bool v);

    bool exitTask();
    bool cutterXClear();
    void wStart();
    // Sends a downloaded firmware file to the module upgradeMode; paramList is not used.
    void slotUpgrade(int upgradeMode, QByteArray upgradeFile, QVariantMap paramList);

    // The writes of the machine pages (Varnok120XPageWrites.cpp): a value that
    // cannot be meant is refused and logged without sending; a write the
    // controller does not accept is also told in errorMessage; the factory
    // commands are refused while a task exists.
    bool wCutModel(int model);
    bool wCheckCameraCenterX(double val);
    bool wSpeed(double speed);
    bool wPressure(double pressure);
    bool wMarkCameraOffset(double x, double y);
    // The current knife's mark-camera offsets as the pages set them: kept
    // only once the controller has accepted them. Refused or unanswered, the
    // kept ones stay (errorMessage says why) and the result is false.
    bool setMarkCameraOffset(double x, double y);
    bool wFactoryReset();
    bool wSaveToFactorySet();
    bool wRectifyMotorReset();
    bool wTrimMotorYReset();

signals:
    void identChanged();
    void ipChanged();
    void devTypeChanged();
    void devIdChanged();
    void pcbIdChanged();
    void pcbVerChanged();
    void firmwareChanged();
    void pcbVerDriverChanged();
    void firmwareDriverChanged();
    void pcbVerSensorChanged();
    void firmwareSensorChanged();
    void pcbVerTrimChanged();
    void firmwareTrimChanged();
    void printRollerChanged();
    void filmRollerChanged();
    void collectRollerChanged();
    void gyroscopeChanged();
    void pressureChanged();
    void speedChanged();
    void scalexChanged();
    void scaleyChanged();
    void sensor1Changed();
    void sensor2Changed();
    void sensor3Changed();
    void sensor4Changed();
    void sensor5Changed();
    void sensor6Changed();
    void sensor7Changed();
    void cutModelChanged();
    void cutMotorStatusChanged();
    void markLightChanged();
    void checkBackgroundLightChanged();
    void checkLightStripChanged();
    void rgbLightStripChanged();
    void pollingChanged();
    void deviceStateChanged();
    void errorMessageChanged();
    void updateFileChanged();
    void indexChanged();
    void updateProgressChanged();
    void progressChanged();
    void feedMotorRunningChanged();
    void filmMotorRunningChanged();
    void collectMotorRunningChanged();
    void rectifyResetBusyChanged();
    void upgradingChanged();
    // A new alarm report: its text leads deviceStateString(), also while the
    // alarm bit stays set.
    void alarmTextChanged();
    // The board or firmware versions differ from those before the last initial reads.
    void pcbVersionChanged();
    // The application's task status, relayed from the host on the thread that set it.
    void appTaskStatusChanged(int status);
    // The application asks the collect side for a label image; relayed from
    // the host on the thread that asked.
    void labelCaptureRequested();

private:
    struct ReplyResult;
    // Link (Varnok120XLink.cpp).
    bool linkTo(quint64 generation);
    // Takes address and links to it on a thread of its own; with generation
    // set, only while that link is current.
    void changeIp(const QString &address, quint64 generation = 0);
    // Closes the link and empties the address without ipChanged.
    void forgetAddress();
    // Reruns the initial reads on a thread: one at a time, and at most one more after it.
    void rerunInitialReads();
    int configInt(int id) const;
    // Replies (Varnok120XReplies.cpp).
    ReplyResult handleReply(const FrameCodec::CommandReply &reply, const QByteArray &frame);
    bool handleDeviceInfo(const QStringList &f);
    bool handleReset(const QStringList &f, int *id);
    bool handlePosition(const QStringList &f, int *id);
    bool handlePressure(const QStringList &f);
    bool handleCameraPoint(const QStringList &f);
    bool handleTaskControl(const QStringList &f, int *id, int *status);
    bool handleRollers(const QStringList &f);
    bool handleMotor(const QStringList &f, int *id);
    void handleAlarm(const QStringList &f);
    // Page writes (Varnok120XPageWrites.cpp), write being a PageWrites::Write.
    bool pageWriteRefused(int write, double a = 0.0, double b = 0.0);
    bool pageWriteEnded(int write, bool accepted);
    bool refusedMidTask(int write);
    bool sendMarkCameraOffset(int knife, double x, double y);
    // The motors do not run on without a link: their flags go.
    void noteLinkDown();
    // Firmware (Varnok120XFirmware.cpp).
    bool sendFirmware(int module, const QByteArray &file);
    void noteUpgradeProgress(double progress);
    void checkUpgrade();
    void setUpgrading(bool on);
    void startUpgradeWatch();
    // Jobs (Varnok120XJobs.cpp).
    void onWorkThreadFinished();
    bool jobRunsElsewhere() const;
    // Takes the work slot for a transfer that runs on the calling thread;
    // false while a job or another transfer holds it.
    bool reserveWork();
    void releaseWork();
    bool devicePointJob(int knife, QPointF pos);
    // Sets the busy message when a job runs; the starters test it before
    // they read or build anything for a job that would be refused.
    bool refuseIfBusy();
    void runWorkerOn(QThread *thread, QObject *worker);
    void listenToHost(TaskHost *host);
    void listenToVision(VisionHost *vision);
    // Starts the worker on its thread unless that thread still runs.
    void startPoller(QThread *thread, QObject *worker);
    // Waits up to kJoinMs for thread; logs and goes on when it does not end.
    bool joinBounded(QThread *thread, const char *name);
    // Waits up to ms for thread to end. A capture it waits for meanwhile
    // gives up: only the thread waiting here might have answered it.
    bool waitForThread(QThread *thread, int ms);

    Config *m_config;
    NullTaskHost m_nullHost;
    std::atomic<TaskHost *> m_host;
    NullCutSource m_nullCutSource;
    std::atomic<CutSource *> m_cutSource;
    NullVisionHost m_nullVision;
    std::atomic<VisionHost *> m_vision;
    int m_hostListener = 0;
    int m_captureListener = 0;

    MachineState m_state;
    PageWrites m_pageWrites;

    std::atomic<int> m_moveXDir{0};
    std::atomic<int> m_testPressureStep{0};
    std::atomic<bool> m_cutSent{false};

    std::atomic<bool> m_ready{false};
    std::atomic<bool> m_shuttingDown{false};
    // The initial reads run one at a time; 0 none, 1 one runs, 2 one more follows.
    QMutex m_initialReadsLock;
    std::atomic<int> m_rerunState{0};
    PollSupport::PollGate m_pollGate;

    // Jobs.
    QThread m_workThread, m_pollThread, m_collectThread;
    // The roller and the rewind/guide/trim pollers; they start with polling.
    QObject *m_pollWorker = nullptr;
    QObject *m_collectWorker = nullptr;
    mutable QMutex m_workLock;
    bool m_workIdle = true;

    // Firmware transfer watch: a tick on the driver's thread while a
    // transfer is under way.
    std::atomic<int> m_upgradeStallMs{kUpgradeStallMs};
    QTimer *m_upgradeWatch = nullptr;

    // Declared after the state its readers decode into: closed and joined
    // before that state goes (the destructor does both first anyway).
    ControllerLink m_link;
    // The short-lived threads (link, reruns, asynchronous sends), which use
    // the link: joined before it goes.
    BackgroundThreads m_threads;
};
