// Members whose work belongs to the inspection, the cut conversion, the
// outside programs and the upgrade dialogs. Until those parts are built they
// keep the plain state the task flow reads and say in the log what is
// missing; none of them pretends to have done its work.
#include "DravolinteApp.h"

#include "Log.h"
#include "UpgradesSoftWidget.h"
#include "Varnok120X.h"

#include <QDebug>
#include <QTranslator>

void DravolinteApp::checkCameraChanged()
{
}

void DravolinteApp::print()
{
    Config *cfg = Config::instance();
    if (!checkParams().enablePrint || printFile().isEmpty() || !cfg || cfg->printerName().isEmpty())
        return;
    qInfo().noquote() << "DravolinteApp::print" << "printing not available in this build";
}

void DravolinteApp::firewall()
{
    // The firewall rule is a Windows matter; here the system's own settings apply.
    qInfo().noquote() << "DravolinteApp::firewall" << "no firewall rule on this system";
}

void DravolinteApp::checkUpdate()
{
    qInfo().noquote() << "DravolinteApp::checkUpdate" << "upgrade tool not available in this build";
}

void DravolinteApp::upgrade()
{
    qInfo().noquote() << "DravolinteApp::upgrade" << "firmware check not available in this build";
}

void DravolinteApp::slotFinished(int exitCode, QProcess::ExitStatus exitStatus)
{
    qInfo().noquote() << "DravolinteApp::slotFinished" << exitCode << exitStatus;
}

void DravolinteApp::onPropertyChanged(Config::ConfigParamType key, const QVariant &val)
{
    if (taskStatus() != 1)
        loadCheckParams();
    switch (key) {
    case Config::CPT_LOG_ERROR:
        setLogError(val.toBool());
        break;
    case Config::CPT_LOG_WARNNING:
        setLogWarn(val.toBool());
        break;
    case Config::CPT_LOG_INFO:
        setLogInfo(val.toBool());
        break;
    case Config::CPT_LOG_DEBUG:
        setLogDebug(val.toBool());
        break;
    default:
        break;
    }
}

void DravolinteApp::setLanguage(int l)
{
    if (l != 0) {
        if (!m_translator) {
            m_translator = new QTranslator(this);
            const QString dir = appPath() + QStringLiteral("/translations");
            if (!m_translator->load(QStringLiteral("appDravolinte2024_en.qm"), dir))
                qWarning().noquote() << "DravolinteApp::setLanguage" << "no translation appDravolinte2024_en.qm in" << dir;
        }
        installTranslator(m_translator);
    } else if (m_translator) {
        removeTranslator(m_translator);
    }
}

bool DravolinteApp::allowedExit()
{
    // A transfer that has fallen silent or lost its link no longer counts.
    Varnok120X *device = driver();
    if (device && device->isUpgrading()) {
        device->setErrorMessage(tr("请等待升级结束"));
        return false;
    }
    if (m_softWidget)
        m_softWidget->close();
    return true;
}
