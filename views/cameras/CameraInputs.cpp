#include "views/cameras/CameraInputs.h"

#include "configuration/Config.h"

#include <QCamera>
#include <QDebug>
#include <QVariantMap>

CameraInputs::CameraInputs(QObject *parent)
    : QObject(parent)
    , m_inputs(QMediaDevices::videoInputs())
{
    connect(&m_devices, &QMediaDevices::videoInputsChanged, this, &CameraInputs::refresh);
}

void CameraInputs::refresh()
{
    m_inputs = QMediaDevices::videoInputs();
    emit camerasChanged();
}

QVariantList CameraInputs::cameras() const
{
    QVariantList list;
    for (const CameraChoice::Input &input : inputs())
        list << QVariantMap{{QStringLiteral("id"), input.id}, {QStringLiteral("description"), input.description}};
    return list;
}

QList<CameraChoice::Input> CameraInputs::inputs() const
{
    QList<CameraChoice::Input> list;
    for (const QCameraDevice &device : m_inputs)
        list << CameraChoice::Input{QString::fromUtf8(device.id()), device.description()};
    return list;
}

CameraChoice::Stored CameraInputs::stored()
{
    const Config *cfg = Config::instance();
    if (!cfg)
        return {};
    return {cfg->markCamera(), cfg->checkCamera(), cfg->enableDetection()};
}

void CameraInputs::init(QCamera *mark, QCamera *check)
{
    const CameraChoice::Choice choice = CameraChoice::choose(inputs(), stored());
    if (Config *cfg = Config::instance()) {
        if (!choice.markCamera.isEmpty())
            cfg->setMarkCamera(choice.markCamera);
        if (!choice.checkCamera.isEmpty()) {
            cfg->setCheckCameraName(choice.checkCameraName);
            cfg->setCheckCamera(choice.checkCamera);
        }
    }
    if (choice.mark >= 0)
        run(mark, m_inputs.at(choice.mark), false);
    if (choice.check >= 0)
        run(check, m_inputs.at(choice.check), false);
}

void CameraInputs::update(QCamera *mark, QCamera *check)
{
    const Config *cfg = Config::instance();
    const bool checkShown = cfg && cfg->showCamera() != 0;
    const int index = CameraChoice::restart(inputs(), stored(), checkShown);
    if (index >= 0)
        run(checkShown ? check : mark, m_inputs.at(index), true);
}

void CameraInputs::run(QCamera *camera, const QCameraDevice &device, bool restart)
{
    if (!camera) {
        qWarning().noquote() << "RCamera::init_camera" << "no camera object for" << device.description();
        return;
    }
    if (restart)
        camera->stop();
    camera->setCameraDevice(device);
    camera->start();
    qInfo().noquote() << "RCamera::init_camera" << device.description() << "started";
}
