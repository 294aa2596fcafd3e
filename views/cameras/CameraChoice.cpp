#include "views/cameras/CameraChoice.h"

namespace CameraChoice {

namespace {
bool isCheckCameraModel(const QString &description)
{
    return description == QLatin1String("USB 4K HD Camera") || description == QLatin1String("USB Camera");
}
} // namespace

Choice choose(const QList<Input> &inputs, const Stored &stored)
{
    Choice choice;
    QString mark = stored.markCamera;
    QString check = stored.checkCamera;
    for (int i = 0; i < inputs.size(); ++i) {
        const Input &input = inputs.at(i);
        if (mark.isEmpty() && input.description == QLatin1String("PC Camera")) {
            mark = input.id;
            choice.markCamera = mark;
        }
        if (input.id == mark) {
            if (choice.mark < 0)
                choice.mark = i;
            continue;
        }
        if (check.isEmpty() && isCheckCameraModel(input.description)) {
            check = input.id;
            choice.checkCamera = check;
            choice.checkCameraName = input.description;
        }
        if (input.id == check && stored.enableDetection && choice.check < 0)
            choice.check = i;
    }
    return choice;
}

int restart(const QList<Input> &inputs, const Stored &stored, bool check)
{
    if (check && !stored.enableDetection)
        return -1;
    const QString &wanted = check ? stored.checkCamera : stored.markCamera;
    for (int i = 0; i < inputs.size(); ++i) {
        if (inputs.at(i).id == wanted)
            return i;
    }
    return -1;
}

} // namespace CameraChoice
