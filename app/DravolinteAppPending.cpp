// Members whose work belongs to the inspection. Until those parts are built
// they keep the plain state the task flow reads and say in the log what is
// missing; none of them pretends to have done its work.
#include "DravolinteApp.h"

#include <QDebug>

void DravolinteApp::checkCameraChanged()
{
}
