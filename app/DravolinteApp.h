#pragma once

#include "app/AdminLogin.h"
#include "app/startup/BuildInfo.h"
#include "app/vision/CheckCameraFeed.h"
#include "configuration/Config.h"
#include "app/task/CutScene.h"
#include "configuration/records/DbRecords.h"
#include "app/discovery/DeviceDiscovery.h"
#include "configuration/Guarded.h"
#include "app/vision/LabelInspection.h"
#include "app/upgrades/LanguageSwitch.h"
#include "configuration/LocalFile.h"
#include "app/vision/MarkVision.h"
#include "inspection/OverlaySource.h"
#include "app/printing/OutsidePrograms.h"
#include "app/printing/PrintFiles.h"
#include "app/printing/Printing.h"
#include "app/task/ProductionRecords.h"
#include "app/task/TaskControl.h"
#include "app/task/TaskThreads.h"
#include "app/upgrades/UpgradeHandover.h"
#include "online/mqtt/mqttMessage.h"

#include <QApplication>
#include <QImage>
#include <QMarginsF>
#include <QPointer>
#include <QPolygonF>
#include <QProcess>
#include <QSizeF>
#include <QTimer>
#include <QTransform>
#include <QVariant>
#include <atomic>
#include <memory>

class GPathItem;
class GScene;
class GraphicsView;
class ImageProvider;
class QQmlApplicationEngine;
class UpgradesSoftWidget;
class UpgradesWidget;
class Varnok120X;

// The program's QApplication and the object the pages see as "app": a facade
// over the parts it owns, each with its own state and lock:
//   CutScene           the cut scene, its open and switch, the cut data (the driver's cut source)
//   TaskControl        task status, start checks, pause/resume/stop (the driver's task host)
//   ProductionRecords  copies and production records
//   MarkVision         capture hand-over, mark scan, label-check results (the driver's vision)
//   LabelInspection    the label check, paper edge, page rows, inspection report (the overlays' source)
//   DeviceDiscovery    controllers announced on the network
//   PrintFiles         print file, preview, print cut file, data source and record
//   Printing           print jobs: CUPS queue, the RIP's input folder, the plug-in
//   OutsidePrograms    the RIP and the printer program, the spreadsheet
//   UpgradeHandover    firmware checks, the firmware dialog, the upgrade tool
//   LanguageSwitch     the pages' English
//   CheckCameraFeed    the industrial check camera: selection, grab loop, frame, recording
//   TaskThreads        the short-lived threads that cleanUp joins (the label check has its own)
// Members here forward to them; what is left (DravolinteApp.cpp) is the life
// cycle around the machine, the pages' own properties, the check camera and
// the upgrade side.
class DravolinteApp : public QApplication, public OverlaySource
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
    using CheckParams = TaskControl::CheckParams;

    static constexpr int kRestartCode = 777;
    static constexpr int kOnlineStartDelayMs = 1000;
    static constexpr int kDiscoveryTickMs = DeviceDiscovery::kTickMs;
    static constexpr int kDatagramsPerPass = DeviceDiscovery::kDatagramsPerPass;
    static constexpr int kJobStopPatienceMs = TaskControl::kJobStopPatienceMs;
    static constexpr int kSceneOpenWaitMs = CutScene::kSceneOpenWaitMs;

    DravolinteApp(int &argc, char **argv);
    ~DravolinteApp() override;

    // The process-wide pointers; null before construction and after destruction.
    static DravolinteApp *instance();
    static Varnok120X *driver();
    // Hands the driver to the application (and the parts to the driver in
    // their roles); null takes both back. main calls it right after building
    // the driver and again before destroying it.
    void setDriver(Varnok120X *driver);

    // Called by main only, in this order around the QML loading and the loop.
    bool initApp();
    void setEngine(QQmlApplicationEngine *engine);
    // Stops the captures, the label check, the task threads and the driver, in that order.
    bool cleanUp();
    // Stores the code that main returns (or restarts on); the program's exit
    // handler calls it as soon as an exit is requested.
    void setExitCode(int code) { m_exitCode.store(code); }
    ImageProvider *imageProvider() const { return m_imageProvider; }
    // The engine took the provider over (it deletes it).
    void releaseImageProvider() { m_imageProviderOwned = false; }
    bool ownsImageProvider() const { return m_imageProviderOwned; }
    // The check camera's QCamera; null until startCheckCamera.
    QObject *checkCamera() const { return m_checkCamera; }
    // Makes the check camera (and with it the multimedia backend) when the
    // pages' cameras first start; later calls return the same one.
    Q_INVOKABLE QObject *startCheckCamera();

    // --- QML surface ---
    Q_INVOKABLE QStringList printersName() const { return m_printing.printersName(); }
    Q_INVOKABLE void printerPreference(const QString &printer) { m_printing.printerPreference(printer); }
    Q_INVOKABLE QString appPath() const;
    Q_INVOKABLE QStringList onlineDevices() const { return m_discovery.onlineDevices(); }
    Q_INVOKABLE QString currentDateTimeString() const;
    // The day the program was built, "2025-6-12".
    Q_INVOKABLE QString buildDate() const { return BuildInfo::date(); }
    Q_INVOKABLE void scanMark(const QImage &image) { m_vision.scanMark(image); }
    // Draws a mark onto img and saves it beside the working files.
    void markedImage(QImage &img, int x, int y, int l, double scale);
    Q_INVOKABLE void printPdfFile(const QString &file, const QString &printerName)
    {
        m_printing.printPdfFile(file, printerName);
    }
    // False when there was no frame or it could not be written.
    Q_INVOKABLE bool saveFrame(const QString &fileName) { return m_vision.saveFrame(fileName); }
    Q_INVOKABLE int pageMarkType() const { return m_cut.pageMarkType(); }
    Q_INVOKABLE bool isSupport() { return m_cut.isSupport(); }
    Q_INVOKABLE void startTask(bool recount = true, bool bExecOnce = false) { m_task.startTask(recount, bExecOnce); }
    Q_INVOKABLE void reCount() { m_records.reCount(); }
    Q_INVOKABLE bool finishedOneCopies() { return m_task.finishedOneCopies(); }
    Q_INVOKABLE void print() { m_printing.print(); }
    Q_INVOKABLE void firewall();
    Q_INVOKABLE void setLanguage(int l);
    Q_INVOKABLE bool isAllowedStart() { return m_task.isAllowedStart(); }
    Q_INVOKABLE void openLabelExcel() { m_programs.openLabelExcel(driver()); }
    Q_INVOKABLE void clearFilm(int index = 0) { m_vision.clearFilm(index); }
    Q_INVOKABLE bool doCapture(const QVariant &camera) { return m_vision.doCapture(camera); }
    bool doCapture(int camera) { return m_vision.doCapture(camera); }
    // The firmware dialog, once a firmware check has made it; null before.
    UpgradesWidget *firmwareWidget() const { return m_upgrades.firmwareWidget(); }
    // Wires a camera object (the pages' "DravolinteCamera" or a stand-in) to
    // the capture requests and answers; null disconnects the previous one.
    void connectCamera(QObject *camera);
    Q_INVOKABLE void startRecorder(const QString &fileName) { m_feed.startRecorder(fileName); }
    Q_INVOKABLE void stopRecorder() { m_feed.stopRecorder(); }
    Q_INVOKABLE bool allowedExit();
    // The settings' administrator login: 0 accepted, 1 unknown user name, 2 wrong password.
    Q_INVOKABLE int checkLogin(const QString &userName, const QString &password) const
    {
        return AdminLogin::check(userName, password);
    }
    // File URLs from the dialogs to stored paths and back (LocalFile).
    Q_INVOKABLE QString localPath(const QVariant &url) const { return LocalFile::pathFromVariant(url); }
    Q_INVOKABLE QUrl fileUrl(const QString &path) const { return LocalFile::urlFromPath(path); }
    Q_INVOKABLE void exitApp(int code = 0);
    Q_INVOKABLE int exitCode() const { return m_exitCode.load(); }

    // --- task control (TaskControl, ProductionRecords) ---
    int taskStatus() const { return m_task.taskStatus(); }
    void setTaskStatus(int status) { m_task.setTaskStatus(status); }
    void loadCheckParams() { m_task.loadCheckParams(); }
    QString messageText() const { return m_task.messageText(); }
    CheckParams checkParams() const { return m_task.checkParams(); }
    bool isExecOnce() const { return m_task.isExecOnce(); }
    bool isTaskThreadBusy() const { return m_task.isTaskThreadBusy(); }
    int segmentX() const override { return m_task.segmentX(); }
    void updateCutRecord() { m_records.updateCutRecord(); }
    int updatePrintRecord(int printed) { return m_printing.updatePrintRecord(printed); }
    WorkRecord currentWorkRecord() const { return m_records.currentWorkRecord(); }
    WorkRecord cutWorkRecord() const { return m_records.cutWorkRecord(); }
    TaskRecord currentTaskRecord() const { return m_records.currentTaskRecord(); }
    void setCurrentTaskRecord(const TaskRecord &record) { m_records.setCurrentTaskRecord(record); }
    bool hasTaskCode() const { return m_records.hasTaskCode(); }

    // --- cut scene (CutScene) ---
    GScene *cutScene() const { return m_cut.scene(); }
    // The identity fit of the current page, written to "tmp.plt" in test mode.
    void createPageCutFile() { m_cut.createPageCutFile(QTransform()); }
    QByteArray createPageCutFile(const QTransform &transform) { return m_cut.createPageCutFile(transform); }
    QString cutPathToHpgl(const GScene *scene, const GPathItem *item, const QTransform &transform,
                          const QMarginsF &margins, const QPointF &offset) const
    {
        return m_cut.cutPathToHpgl(scene, item, transform, margins, offset);
    }
    Q_INVOKABLE QPolygonF currentPageMarkPoint(bool scan = true) const { return m_cut.currentPageMarkPoint(scan); }
    Q_INVOKABLE QList<int> currentKnifeIntInterval() const { return m_cut.currentKnifeIntInterval(); }
    // The cut view (a GraphicsView on the cut scene) for the cut-file page's
    // QuickItemWidget; it stays this object's.
    Q_INVOKABLE QVariant getCutGraphicsView() const;
    bool setSwitchCutFile(bool b) { return m_cut.setSwitchCutFile(b); }
    bool switchingCutFile() const { return m_cut.switchingCutFile(); }
    QString sceneFile() const { return m_cut.sceneFile(); }
    bool hasCutItems() const { return m_cut.hasCutItems(); }
    bool loadTemplate() { return m_cut.loadTemplate(); }
    QSizeF pageSize() const { return m_cut.pageSize(); }
    QSizeF pageDefSize() const { return m_cut.pageDefSize(); }
    void setPageSizes(const QSizeF &page, const QSizeF &definition) { m_cut.setPageSizes(page, definition); }

    // --- printing (PrintFiles, Printing, OutsidePrograms) ---
    bool printPdf(const QString &file, const QString &printerName, int copies)
    {
        return m_printing.printPdf(file, printerName, copies);
    }
    void openPrintPdf(const QString &file) { m_printFiles.openPrintPdf(file); }
    void openCutFile(const QString &file) { m_printFiles.openCutFile(file); }
    void selectDataSourceFile(const QString &file) { m_printFiles.selectDataSourceFile(file); }
    QSizeF printPageSize() const { return m_printFiles.printPageSize(); }
    GScene *printCutScene() const { return m_printFiles.printCutScene(); }
    Printing &printing() { return m_printing; }
    OutsidePrograms &outsidePrograms() { return m_programs; }

    // --- vision (MarkVision) ---
    double collectLen() const { return m_vision.collectLen(); }
    void setCollectLen(double len) { m_vision.setCollectLen(len); }
    int markIndex() const { return m_vision.markIndex(); }
    void setMarkIndex(int index) { m_vision.setMarkIndex(index); }
    QPointF scanMarkPoint() const { return m_vision.scanMarkPoint(); }
    float scanMarkSize() const { return m_vision.scanMarkSize(); }
    void resetScanMark() { m_vision.resetScanMark(); }
    double searchedLength() const { return m_vision.searchedLength(); }
    void setSearchedLength(double mm) { m_vision.setSearchedLength(mm); }
    double paperOffset() const { return m_vision.paperOffset(); }
    void resetPaperCenter() { m_vision.resetPaperCenter(); }
    QList<FilmRecord> filmRecords() const override { return m_vision.filmRecords(); }

    // --- label check (LabelInspection) ---
    void checkLabelCapture(const QImage &img) { m_labels.checkLabelCapture(img); }
    void updateSegmentX(const ReadData &result, const QSize &imageSize) { m_labels.updateSegmentX(result, imageSize); }
    std::shared_ptr<const ReadData> checkResult() const override { return m_labels.checkResult(); }
    double checkCameraScale() const { return m_vision.paperEdge().scale(); }
    Q_INVOKABLE void checkedImage(QImage &img, QPolygonF poly, int index) { CheckImages::checkedImage(img, poly, index); }
    QObject *overlayNotifier() override { return this; }

    // --- properties ---
    QString version() const;
    void setVersion(const QString &v);
    QString saveFile() const { return m_printFiles.saveFile(); }
    void setSaveFile(const QString &v) { m_printFiles.setSaveFile(v); }
    QString printFile() const { return m_printFiles.printFile(); }
    void setPrintFile(const QString &v) { m_printFiles.setPrintFile(v); }
    QString cutShowFile() const { return m_cut.cutShowFile(); }
    void setCutShowFile(const QString &v) { m_cut.setCutShowFile(v); }
    QString printCutFile() const { return m_printFiles.printCutFile(); }
    void setPrintCutFile(const QString &v) { m_printFiles.setPrintCutFile(v); }
    QString cutFile() const { return m_cut.cutFile(); }
    void setCutFile(const QString &v) { m_printFiles.setCutFile(v); }
    QString printTip() const { return m_printFiles.printTip(); }
    void setPrintTip(const QString &v) { m_printFiles.setPrintTip(v); }
    QString printImgPath() const { return m_printFiles.printImgPath(); }
    void setPrintImgPath(const QString &v) { m_printFiles.setPrintImgPath(v); }
    QString framePath() const { return m_feed.framePath(); }
    void setFramePath(const QString &v) { m_feed.setFramePath(v); }
    int cutTaskCopies() const { return m_records.cutTaskCopies(); }
    void setCutTaskCopies(int v) { m_records.setCutTaskCopies(v); }
    int cutCopies() const { return m_records.cutCopies(); }
    void setCutCopies(int v) { m_records.setCutCopies(v); }
    int printTaskCopies() const { return m_records.printTaskCopies(); }
    void setPrintTaskCopies(int v) { m_records.setPrintTaskCopies(v); }
    int printCopies() const { return m_records.printCopies(); }
    void setPrintCopies(int v) { m_records.setPrintCopies(v); }
    int checkedCopies() const { return m_records.checkedCopies(); }
    int imageWidth() const;
    void setImageWidth(int v);
    int imageHeight() const;
    void setImageHeight(int v);
    bool enabledDataSource() const { return m_printFiles.enabledDataSource(); }
    void setEnabledDataSource(bool v) { m_printFiles.setEnabledDataSource(v); }
    QString dataSource() const { return m_printFiles.dataSource(); }
    void setDataSource(const QString &v) { m_printFiles.setDataSource(v); }
    int dataIndex() const { return m_printFiles.dataIndex(); }
    void setDataIndex(int v) { m_printFiles.setDataIndex(v); }
    int fps() const { return m_feed.fps(); }
    void setFps(int v) { m_feed.setFps(v); }
    bool enabledTest() const;
    void setEnabledTest(bool v);
    bool showLostLabelView() const { return m_vision.showLostLabelView(); }
    void setShowLostLabelView(bool v) { m_vision.setShowLostLabelView(v); }
    // The industrial check camera's latest frame; null before the first.
    QImage frameImage() const { return m_feed.frame(); }
    // Settles the industrial check camera and starts its grab loop (initApp's step).
    void selectHKCamera(const QString &name) { m_feed.select(name); }
    bool hkCameraGrabbing() const { return m_feed.isGrabbing(); }
    // The print preview; null when no print file is open.
    QImage printImage() const { return m_printFiles.printImage(); }

public slots:
    void capturedMarkImage(int id, const QVariant &img) { m_vision.capturedMarkImage(id, img); }
    void capturedLabelImage(int id, const QVariant &img) { m_vision.capturedLabelImage(id, img); }
    void checkUpdate();
    void upgrade();
    void onPropertyChanged(Config::ConfigParamType key, const QVariant &val);
    void slotFinished(int exitCode, QProcess::ExitStatus exitStatus);
    void slotprinterPreference(const QString &printer) { printerPreference(printer); }
    void stopTask(bool bWait = true) { m_task.stopTask(bWait); }
    void pauseTask(bool bWait = true) { m_task.pauseTask(bWait); }
    void resumeTask(bool bWait = true) { m_task.resumeTask(bWait); }
    void checkCameraChanged();
    void slotUdpRecv() { m_discovery.readDatagrams(); }
    void slotUdpTimer() { m_discovery.dropSilent(); }
    void onOpenScene(const QString &cutFile) { m_cut.open(cutFile); }

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
    // The check camera was made: the engines' "checkCamera" becomes it.
    void checkCameraStarted(QObject *camera);

private:
    // Passes the parts' change signals on as this object's own.
    void relayPartSignals();
    // Online start-up, 1 s after initApp.
    void startOnline();
    // What waited for the window's first frame: the OCR models' load.
    void afterFirstFrame();
    // The printer name, and on VT_7x4 the RIP and the printer program.
    void initPrinterProcess() { m_programs.init(printersName()); }

    // The parts, each handed the ones it uses. Task control is handed the
    // cut scene before that exists, and only uses it later. The threads go
    // last, after the destructor has joined them.
    TaskThreads m_threads;
    ProductionRecords m_records;
    TaskControl m_task{m_records, m_cut, m_threads};
    CutScene m_cut{m_records, m_task};
    MarkVision m_vision{m_cut, m_records, m_threads, m_task};
    LabelInspection m_labels{m_cut, m_records, m_task, m_vision};
    DeviceDiscovery m_discovery;
    PrintFiles m_printFiles{m_cut, m_records};
    Printing m_printing{m_printFiles, m_records, m_task, m_threads};
    OutsidePrograms m_programs;
    UpgradeHandover m_upgrades{QCoreApplication::applicationDirPath()};
    LanguageSwitch m_language{QCoreApplication::applicationDirPath() + QStringLiteral("/translations")};
    CheckCameraFeed m_feed;

    // The pages' own properties.
    Guarded<QString> m_version{QStringLiteral("2.2.1")};
    Guarded<int> m_imageWidth{0}, m_imageHeight{0};
    Guarded<bool> m_enabledTest{false};

    QPointer<QObject> m_camera;
    GraphicsView *m_cutView = nullptr;
    ImageProvider *m_imageProvider = nullptr;
    bool m_imageProviderOwned = true;
    // The check camera's QCamera, which the pages' check session runs.
    QObject *m_checkCamera = nullptr;
    std::atomic<int> m_exitCode{0};
    std::atomic<bool> m_closing{false};
    mqttMessage m_mqtt;
    UpgradesSoftWidget *m_softWidget = nullptr;
    QQmlApplicationEngine *m_engine = nullptr;
    QTimer m_onlineTimer;
};
