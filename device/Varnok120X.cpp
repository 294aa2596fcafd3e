// Life cycle of the driver: construction, the initial reads after each
// link, the alarm text for the pages and the shutdown.
#include "device/Varnok120X.h"

#include "configuration/Config.h"
#include "platform/graphics/paths/GPathProcess.h"
#include "device/polling/PollWorker.h"
#include "device/polling/PollWorkerCollect.h"
#include "device/state/MachineAlarms.h"

#include <QDeadlineTimer>
#include <QDebug>

Varnok120X::Varnok120X(Config *config, QObject *parent)
    : QObject(parent), m_config(config), m_host(&m_nullHost), m_cutSource(&m_nullCutSource), m_vision(&m_nullVision),
      m_state(config->getProperty(Config::CPT_Print_Roller_Trigger).toDouble(),
              config->getProperty(Config::CPT_Film_Roller_Trigger).toDouble(),
              config->getProperty(Config::CPT_Collect_Roller_Trigger).toDouble(),
              config->getProperty(Config::CPT_Gyroscope_Trigger).toDouble()),
      m_link([this](const QByteArray &frame) { decode(frame); },
             [this](quint64 generation) { changeIp(QString(), generation); })
{
    Q_ASSERT(config);
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
    m_link.shutDown();
    m_threads.joinAll();
    // Whatever unInit left running uses the driver: it must end before the
    // driver goes. Every wait in it is bounded and the link is closed.
    for (QThread *thread : {&m_pollThread, &m_collectThread, &m_workThread}) {
        if (waitForThread(thread, kJoinMs))
            continue;
        qCritical().noquote() << "Varnok120X::~Varnok120X" << thread->objectName() << "still running, waiting";
        if (waitForThread(thread, kGiveUpMs))
            continue;
        // Stuck: going on would free what it still uses, and a QThread must
        // not be destroyed while it runs. The program ends here rather than
        // hang unseen at exit (a hung instance blocks the next start).
        qFatal("Varnok120X::~Varnok120X %s did not end within %d ms, giving up", qPrintable(thread->objectName()),
               kJoinMs + kGiveUpMs);
    }
    // Their threads have ended: nothing of theirs runs any more.
    delete m_pollWorker;
    delete m_collectWorker;
    host()->removeTaskStatusListener(m_hostListener);
    vision()->removeLabelCaptureListener(m_captureListener);
}

void Varnok120X::readInitialState()
{
    // One run at a time, and alone on the link: the pollers wait (a step
    // under way may finish, within a bound).
    QMutexLocker serial(&m_initialReadsLock);
    if (!m_pollGate.close(kJoinMs))
        qWarning().noquote() << "Varnok120X::readInitialState" << "a poll step still runs, reading anyway";
    struct Reopen
    {
        PollSupport::PollGate &gate;
        ~Reopen() { gate.open(); }
    } reopen{m_pollGate};

    host()->setTaskStatus(2);
    const MachineState::Versions before = m_state.versions();
    // A legacy controller answers the one device-info query; a newer one
    // only the per-module queries.
    bool perModule = false;
    if (!rDeviceInfo()) {
        perModule = true;
        const QList<int> modules = m_config->getModules();
        for (int module : modules)
            rDeviceInfo(module);
    }
    if (m_state.versions() != before)
        emit pcbVersionChanged();
    const int knives = m_config->knifeNum();
    const bool trim = m_config->enableTrim();
    const int version = m_config->version();
    // Each link decides for itself: the controller may have been replaced.
    m_state.setFeatureFlag(FF_PerModule, perModule ? 1 : 0);
    const int modern = (version == 4 || version == 6) ? 1 : 0;
    for (int entry : {int(FF_KnifePosition), int(FF_Reserved5), int(FF_FourFieldJog), int(FF_KnifeSelect)})
        m_state.setFeatureFlag(entry, modern);
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
    for (int knife = 0; knife < knives; ++knife)
        m_state.setKnifeOffsetY(knife, fromZero ? 0.0 : GPathProcess::mm2Hpgl(maxDistance - knife * interval));
}

void Varnok120X::rerunInitialReads()
{
    int state = m_rerunState.load();
    do {
        if (state == 2)
            return; // one more run is already due
    } while (!m_rerunState.compare_exchange_weak(state, state + 1));
    if (state == 1)
        return; // the running one goes again when it ends
    const bool started = m_threads.start(QStringLiteral("initialReads"), [this] {
        do {
            readInitialState();
        } while (m_rerunState.fetch_sub(1) == 2);
    });
    if (!started)
        m_rerunState.store(0);
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

bool Varnok120X::waitForThread(QThread *thread, int ms)
{
    const QDeadlineTimer deadline(ms);
    for (;;) {
        // Again and again: the thread may ask for a capture after the last call.
        vision()->abandonCaptures();
        if (thread->wait(QDeadlineTimer(qMin<qint64>(100, deadline.remainingTime()))))
            return true;
        if (deadline.hasExpired())
            return false;
    }
}

bool Varnok120X::joinBounded(QThread *thread, const char *name)
{
    if (waitForThread(thread, kJoinMs)) {
        qInfo().noquote() << "Varnok120X::unInit" << name << "exit";
        return true;
    }
    // Left running rather than freezing the caller (the GUI thread at exit);
    // the destructor waits for it before it frees what the thread uses.
    qCritical().noquote() << "Varnok120X::unInit" << name << "did not end within" << kJoinMs << "ms";
    return false;
}

void Varnok120X::unInit()
{
    if (polling()) {
        setPolling(false);
        joinBounded(&m_pollThread, "m_pollThread");
        joinBounded(&m_collectThread, "m_collectThread");
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
    m_link.close();
    noteLinkDown();
    host()->setTaskStatus(2);
    if (!isWorkIdle())
        joinBounded(&m_workThread, "m_workThread");
}
