#include "configuration/parameters/CameraDevices.h"

#include <QMutex>

namespace {
QMutex g_lock;
std::function<QStringList()> g_provider;
} // namespace

void CameraDevices::setProvider(std::function<QStringList()> provider)
{
    QMutexLocker lock(&g_lock);
    g_provider = std::move(provider);
}

QStringList CameraDevices::serials()
{
    std::function<QStringList()> provider;
    {
        QMutexLocker lock(&g_lock);
        provider = g_provider;
    }
    return provider ? provider() : QStringList();
}
