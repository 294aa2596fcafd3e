// The upgrade hand-over and the language: firmware checks, the software
// update's tool, the refusal to close during a firmware transfer, and the
// pages' English.
#include "app/DravolinteApp.h"

#include "Notifier.h"
#include "UpgradesSoftWidget.h"
#include "device/Varnok120X.h"

#include <QDebug>

void DravolinteApp::upgrade()
{
    m_upgrades.upgrade();
}

// Not while a board is half flashed, and only once the tool runs: a program
// that quits for a tool that never started leaves the operator with nothing.
void DravolinteApp::checkUpdate()
{
    if (!allowedExit()) {
        qWarning().noquote() << "DravolinteApp::checkUpdate" << "a firmware transfer runs: the update waits";
        return;
    }
    // Through the exit request: with the cut view embedded, quit() did not end the loop.
    if (m_upgrades.startTool())
        Notifier::requestExit(0);
}

bool DravolinteApp::allowedExit()
{
    // A transfer that has fallen silent or lost its link no longer counts.
    Varnok120X *device = driver();
    if (device && device->isUpgrading()) {
        device->setErrorMessage(tr("请等待升级结束"));
        return false;
    }
    m_upgrades.closeDialog();
    if (m_softWidget)
        m_softWidget->close();
    return true;
}

void DravolinteApp::setLanguage(int l)
{
    m_language.setLanguage(l);
}
