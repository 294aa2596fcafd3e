#pragma once

#include <QList>
#include <QSize>

class QCamera;

// The check camera's video format: the camera's full 3840 x 3040 picture
// (either way round) at a usable rate.
namespace CheckCameraFormat {

struct Offer
{
    QSize resolution;
    float minRate = 0.0f;
};

// The index of the format to take: the last one of 3040 x 3840 or
// 3840 x 3040 whose least frame rate is at least 8 and below 2^31; -1 when
// none is, and the camera keeps its format.
int choose(const QList<Offer> &offers);

// Logs the camera's device and formats and sets the chosen format.
void apply(QCamera *camera);

} // namespace CheckCameraFormat
