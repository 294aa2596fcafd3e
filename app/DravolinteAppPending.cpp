// Members whose work belongs to the inspection, the cut conversion and the
// outside programs. Until those parts are built they
// keep the plain state the task flow reads and say in the log what is
// missing; none of them pretends to have done its work.
#include "DravolinteApp.h"

#include "Log.h"
#include "Varnok120X.h"

#include <QDebug>

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

