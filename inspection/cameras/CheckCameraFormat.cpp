#include "inspection/cameras/CheckCameraFormat.h"

#include <QCamera>
#include <QCameraDevice>
#include <QCameraFormat>
#include <QDebug>

namespace CheckCameraFormat {

int choose(const QList<Offer> &offers)
{
    int chosen = -1;
    for (int i = 0; i < offers.size(); ++i) {
        const QSize r = offers[i].resolution;
        const bool size = r == QSize(3040, 3840) || r == QSize(3840, 3040);
        const double rate = offers[i].minRate;
        if (size && rate >= 8.0 && rate < 2147483648.0)
            chosen = i;
    }
    return chosen;
}

void apply(QCamera *camera)
{
    if (!camera)
        return;
    const QCameraDevice device = camera->cameraDevice();
    qDebug().noquote() << "DravolinteApp::checkCameraChanged" << device.description();
    const QList<QCameraFormat> formats = device.videoFormats();
    QList<Offer> offers;
    for (int i = 0; i < formats.size(); ++i) {
        const QCameraFormat &f = formats[i];
        qDebug().noquote() << "DravolinteApp::checkCameraChanged" << i << f.pixelFormat() << f.resolution()
                           << f.minFrameRate() << f.maxFrameRate();
        offers.append({f.resolution(), f.minFrameRate()});
    }
    const int chosen = choose(offers);
    if (chosen < 0)
        return;
    const QCameraFormat &f = formats[chosen];
    camera->setCameraFormat(f);
    qDebug().noquote() << "DravolinteApp::checkCameraChangedsetCameraFormat" << f.pixelFormat() << f.resolution()
                       << f.minFrameRate() << f.maxFrameRate();
}

} // namespace CheckCameraFormat
