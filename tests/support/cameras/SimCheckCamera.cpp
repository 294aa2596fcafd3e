#include "tests/support/cameras/SimCheckCamera.h"

SimCheckCamera::SimCheckCamera(QObject *parent) : SimCamera(parent)
{
}

void SimCheckCamera::onCapture(const QVariant &camera)
{
    const int id = camera.toInt();
    if (id != 2)
        return; // the mark camera is no part of these runs
    ++answered;
    emit capturedLabelImage(id, QVariant(view.camera(page, rotation)));
}
