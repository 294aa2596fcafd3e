#pragma once

#include "views/cameras/CameraChoice.h"

#include <QCameraDevice>
#include <QList>
#include <QMediaDevices>
#include <QObject>
#include <QVariantList>

class QCamera;

// The video inputs the system offers, for the pages: each as its id (as
// text, the form the parameters keep) and description, in the system's
// order; and the choice of the mark and check cameras' inputs from them.
class CameraInputs : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QVariantList cameras READ cameras NOTIFY camerasChanged)

public:
    explicit CameraInputs(QObject *parent = nullptr);

    QVariantList cameras() const;
    // Chooses and starts the cameras' inputs (CameraChoice::choose), storing
    // what the walk chose; no camera is stopped.
    Q_INVOKABLE void init(QCamera *mark, QCamera *check);
    // Restarts the shown camera on the input now stored for it.
    Q_INVOKABLE void update(QCamera *mark, QCamera *check);

signals:
    void camerasChanged();

private:
    void refresh();
    QList<CameraChoice::Input> inputs() const;
    static CameraChoice::Stored stored();
    static void run(QCamera *camera, const QCameraDevice &device, bool restart);

    QMediaDevices m_devices;
    QList<QCameraDevice> m_inputs;
};
