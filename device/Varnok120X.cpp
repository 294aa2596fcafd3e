// Life cycle of the driver: construction, the initial reads after each
// link, the alarm text for the pages and the shutdown.
#include "Varnok120X.h"

#include "Config.h"
#include "GPathProcess.h"
#include "MachineAlarms.h"
#include "PollWorker.h"
#include "PollWorkerCollect.h"
#include "TcpLink.h"

#include <QDebug>

Varnok120X::Varnok120X(Config *config, QObject *parent)
    : QObject(parent), m_config(config), m_host(&m_nullHost), m_cutSource(&m_nullCutSource), m_vision(&m_nullVision),
      m_featureFlags(kFeatureFlagCount, 0)
{
    Q_ASSERT(config);
    m_printRoller = config->getProperty(Config::CPT_Print_Roller_Trigger).toDouble();
    m_filmRoller = config->getProperty(Config::CPT_Film_Roller_Trigger).toDouble();
    m_collectRoller = config->getProperty(Config::CPT_Collect_Roller_Trigger).toDouble();
    m_gyroscope = config->getProperty(Config::CPT_Gyroscope_Trigger).toDouble();
    m_workThread.setObjectName(QStringLiteral("work"));
    m_pollThread.setObjectName(QStringLiteral("poll"));
    m_collectThread.setObjectName(QStringLiteral("collect"));
    // Queued: the thread emits it, the driver's own thread handles it.
    connect(&m_workThread, &QThread::finished, this, &Varnok120X::onWorkThreadFinished);
    listenToHost(&m_nullHost);
    listenToVision(&m_nullVision);
    // A poller whose loop ended while polling was turned off and on again
    // runs again; queued, on the driver's thread.
    connect(&m_pollThread, &QThread::finished, this, [this] {
        if (polling())
            startPoller(&m_pollThread, m_pollWorker);
    });
    connect(&m_collectThread, &QThread::finished, this, [this] {
        if (polling())
            startPoller(&m_collectThread, m_collectWorker);
    });
    // Without a parent: each moves to a thread of its own.
    m_pollWorker = new PollWorker(this);
    m_collectWorker = new pollworkerCollect(this);
    setPolling(true);
}

Varnok120X::~Varnok120X()
{
    m_shuttingDown.store(true);
    unInit();
    m_threads.joinAll();
    m_pollThread.wait();
    m_collectThread.wait();
    m_workThread.wait();
    // Their threads have ended: nothing of theirs runs any more.
    delete m_pollWorker;
    delete m_collectWorker;
    host()->removeTaskStatusListener(m_hostListener);
    vision()->removeLabelCaptureListener(m_captureListener);
}

void Varnok120X::readInitialState()
{
    host()->setTaskStatus(2);
    QMap<int, QString> firmwares, pcbVers;
    {
        QMutexLocker lock(&m_stateLock);
        m_featureFlags.resize(kFeatureFlagCount);
        firmwares = m_firmwares;
        pcbVers = m_pcbVers;
    }
    // A legacy controller answers the one device-info query; a newer one
    // only the per-module queries.
    bool perModule = false;
    if (!rDeviceInfo()) {
        perModule = true;
        const QList<int> modules = m_config->getModules();
        for (int module : modules)
            rDeviceInfo(module);
    }
    {
        QMutexLocker lock(&m_stateLock);
        const bool changed = firmwares != m_firmwares || pcbVers != m_pcbVers;
        lock.unlock();
        if (changed)
            emit pcbVersionChanged();
    }
    const int knives = m_config->knifeNum();
    const bool trim = m_config->enableTrim();
    const int version = m_config->version();
    {
        // Each link decides for itself: the controller may have been replaced.
        QMutexLocker lock(&m_stateLock);
        m_featureFlags[FF_PerModule] = perModule ? 1 : 0;
        const int modern = (version == 4 || version == 6) ? 1 : 0;
        for (int entry : {int(FF_KnifePosition), int(FF_Reserved5), int(FF_FourFieldJog), int(FF_KnifeSelect)})
            m_featureFlags[entry] = modern;
    }
    if (perModule) {
        for (int knife = 1; knife <= knives; ++knife)
            command(QStringLiteral("8,0,%1,0,0;").arg(knife));
        if (trim)
            command(QStringLiteral("8,0,0,0,0;"));
        command(QStringLiteral("2,0,0,4;"));
        if (trim)
            command(QStringLiteral("2,0,3,1;"));
    }
    rGyroscope();
    rSensor();
    rCutModel();
    if (rSpeed())
        m_config->setProperty(Config::CPT_CUT_SPEED, speed());
    wCheckLightStrip(configInt(Config::CPT_Check_Light));
    wCheckBackgroundLight(configInt(Config::CPT_Check_BK_Light));
    wMarkLight(configInt(Config::CPT_Mark_Light));
    for (int knife = 0; knife < knives; ++knife)
        rPressure(knife);

    const bool fromZero = configInt(Config::CPT_Cut_Coordinates) == 1;
    const double maxDistance = m_config->getProperty(Config::CPT_Knife_Max_Distance).toDouble();
    const double interval = m_config->getProperty(Config::CPT_Knife_Interval).toDouble();
    QMutexLocker lock(&m_stateLock);
    for (int knife = 0; knife < knives; ++knife) {
        QPointF &offset = m_knifeOffsets[knife];
        offset.setY(fromZero ? 0.0 : GPathProcess::mm2Hpgl(maxDistance - knife * interval));
    }
}

QString Varnok120X::deviceStateString() const
{
    const qulonglong state = deviceState();
    QString text = MachineAlarms::limitTexts(state, m_config->version());
    if (state & MachineAlarms::DefectCheckFailed)
        text += tr(" 缺陷检测失败 ");
    else
        text += host()->messageText();
    return alarmText() + text;
}

void Varnok120X::unInit()
{
    if (polling()) {
        setPolling(false);
        m_pollThread.wait();
        m_collectThread.wait();
        qInfo().noquote() << "Varnok120X::unInit" << "m_pollThread exit";
    }
    if (m_ready.load()) {
        host()->setTaskStatus(2);
        const int cutSpeed = configInt(Config::CPT_CUT_SPEED);
        if (cutSpeed != speed())
            wSpeed(cutSpeed);
        setFilmMotorRunning(false);
        command(QStringLiteral("20,1,1,0,0,0;"));
        command(QStringLiteral("20,1,0,0,0,0;"));
        if (command(QStringLiteral("20,1,3,0,0,0;"), true, 105))
            m_config->setCollectSpeedRealTime(0);
        wMoveX(0);
        wMoveY(0);
        if (m_config->trim())
            command(QStringLiteral("20,1,4,0,0,0;"), true, 107);
    }
    m_ready.store(false);
    {
        std::shared_ptr<TcpLink> closed;
        QMutexLocker lock(&m_linkLock);
        closeLinkLocked(&closed);
    }
    m_pending.wakeAll();
    host()->setTaskStatus(2);
    if (!isWorkIdle()) {
        m_workThread.wait();
        qInfo().noquote() << "Varnok120X::unInit" << "m_workThread exit";
    }
    m_pending.clear();
}
