#include "app/upgrades/UpgradeHandover.h"

#include "configuration/Config.h"
#include "online/upgrades/UpgradesWidget.h"
#include "device/Varnok120X.h"

#include <QDebug>
#include <QFileInfo>
#include <QProcess>

UpgradeHandover::UpgradeHandover(const QString &programDir, QObject *parent)
    : QObject(parent), m_programDir(programDir)
{
}

UpgradeHandover::~UpgradeHandover()
{
    delete m_firmware;
}

void UpgradeHandover::setDriver(Varnok120X *driver)
{
    m_driver = driver;
    relayProgress();
}

void UpgradeHandover::setHostLookup(Lookup ip, Lookup location)
{
    m_ip = std::move(ip);
    m_location = std::move(location);
}

// The dialog's file goes to the driver, the driver's progress to the dialog
// (queued: it comes from the driver's reader thread).
void UpgradeHandover::relayProgress()
{
    disconnect(m_toDriver);
    disconnect(m_fromDriver);
    Varnok120X *driver = m_driver;
    if (!m_firmware || !driver)
        return;
    m_toDriver = connect(m_firmware, &UpgradesWidget::upgrade, driver, &Varnok120X::slotUpgrade);
    m_fromDriver = connect(driver, &Varnok120X::updateProgressChanged, m_firmware, [this] {
        if (Varnok120X *d = m_driver)
            m_firmware->setUpgradeProgress(int(d->updateProgress()));
    });
}

void UpgradeHandover::upgrade()
{
    if (m_checking) {
        m_again = true;
        return;
    }
    m_checking = true;
    do {
        m_again = false;
        check();
    } while (m_again);
    m_checking = false;
}

void UpgradeHandover::check()
{
    const Config *cfg = Config::instance();
    if (!cfg || !m_driver) {
        qWarning().noquote() << "DravolinteApp::upgrade" << "no parameters or no driver: no firmware check";
        return;
    }
    if (!m_firmware) {
        m_firmware = new UpgradesWidget(nullptr);
        // A board that still takes a file (from this dialog or the firmware page) gets no second one.
        m_firmware->setTransferRunning([this] { return m_driver && m_driver->isUpgrading(); });
        relayProgress();
    }
    // Each check asks the server the settings name now.
    m_firmware->setHost(cfg->getProperty(Config::CPT_IP).toString());
    m_firmware->setSettingsFile(cfg->cfgPath());
    const QList<int> modules = cfg->getModules();
    const QStringList names = cfg->getModuleName();
    if (modules.isEmpty()) {
        qWarning().noquote() << "DravolinteApp::upgrade" << "no modules for this machine version";
        return;
    }
    // Once for all modules: each lookup may wait for the network.
    const QString location = m_location ? m_location() : QString();
    const QString ip = m_ip ? m_ip() : QString();
    const Varnok120X *d = m_driver;
    if (!d || !m_firmware)
        return; // gone while the lookup waited
    QList<FirmwareQuery> queries;
    for (qsizetype i = 0; i < modules.size(); ++i) {
        FirmwareQuery q;
        q.deviceId = d->devId();
        q.machineCode = d->ident();
        q.machineModelCode = d->devType();
        q.pcbCode = d->pcbId();
        switch (modules[i]) {
        case Config::MT_Control:
            q.firmNo = d->firmware();
            q.pcbversion = d->pcbVer();
            break;
        case Config::MT_Driver:
            q.firmNo = d->firmwareDriver();
            q.pcbversion = d->pcbVerDriver();
            break;
        case Config::MT_Sensor:
            q.firmNo = d->firmwareSensor();
            q.pcbversion = d->pcbVerSensor();
            break;
        case Config::MT_Trim:
            q.firmNo = d->firmwareTrim();
            q.pcbversion = d->pcbVerTrim();
            break;
        default:
            break;
        }
        if (q.firmNo.isEmpty())
            qWarning().noquote() << "DravolinteApp::upgrade" << "module" << modules[i] << "reported no firmware number";
        q.ip = ip;
        q.location = location;
        q.moduleName = names.value(i);
        q.firmModule = modules[i];
        queries << q;
    }
    m_firmware->checkAll(queries);
}

void UpgradeHandover::closeDialog()
{
    if (m_firmware)
        m_firmware->close();
}

bool UpgradeHandover::startTool()
{
    const QString tool = m_programDir + QLatin1Char('/') + QLatin1String(kTool);
    const QFileInfo info(tool);
    qint64 pid = 0;
    QString problem;
    if (!info.isFile())
        problem = QStringLiteral("is missing");
    else if (!info.isExecutable())
        problem = QStringLiteral("is not executable");
    else if (!QProcess::startDetached(tool, {}, m_programDir, &pid))
        problem = QStringLiteral("did not start");
    if (!problem.isEmpty()) {
        qCritical().noquote() << "DravolinteApp::checkUpdate" << "the upgrade tool" << tool << problem;
        if (Varnok120X *d = m_driver)
            d->setErrorMessage(tr("升级工具无法启动：%1").arg(tool));
        return false;
    }
    qInfo().noquote() << "DravolinteApp::checkUpdate" << "upgrade tool started" << tool << "pid" << pid;
    return true;
}
