// The check camera as the pages use it: its video format.
#include "app/DravolinteApp.h"

#include "CheckCameraFormat.h"

#include <QCamera>

void DravolinteApp::checkCameraChanged()
{
    CheckCameraFormat::apply(qobject_cast<QCamera *>(m_checkCamera));
}
