// Members whose work belongs to the inspection, the cut conversion and the
// upgrade dialogs. Until those parts are built they
// keep the plain state the task flow reads and say in the log what is
// missing; none of them pretends to have done its work.
#include "DravolinteApp.h"

#include "Log.h"
#include "UpgradesSoftWidget.h"
#include "Varnok120X.h"

#include <QDebug>
#include <QTranslator>

void DravolinteApp::selectHKCamera(const QString &name)
{
    qInfo().noquote() << "DravolinteApp::selectHKCamera" << name << "industrial camera support not available in this build";
}

void DravolinteApp::checkCameraChanged()
{
}

void DravolinteApp::checkUpdate()
{
    qInfo().noquote() << "DravolinteApp::checkUpdate" << "upgrade tool not available in this build";
}

void DravolinteApp::upgrade()
{
    qInfo().noquote() << "DravolinteApp::upgrade" << "firmware check not available in this build";
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
