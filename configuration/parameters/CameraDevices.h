#pragma once

#include <QStringList>
#include <functional>

// Serial numbers of the industrial cameras found on this machine, in
// enumeration order. The camera code registers the provider; until it does
// the list is empty and every camera counts as a QML camera.
namespace CameraDevices {
void setProvider(std::function<QStringList()> provider);
QStringList serials();
} // namespace CameraDevices
