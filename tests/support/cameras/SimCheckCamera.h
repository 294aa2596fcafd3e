#pragma once

#include "tests/support/cameras/LabelPage.h"
#include "tests/support/cameras/SimCamera.h"

#include <atomic>

// The check camera of a test: answers the application's capture request for
// camera 2 with the frame of its view of the printed page, delivered as a
// camera turned by `rotation` delivers it (the check turns it upright).
class SimCheckCamera : public SimCamera
{
    Q_OBJECT

public:
    explicit SimCheckCamera(QObject *parent = nullptr);

    LabelPage page = LabelPage::sixLabels();
    CheckView view;
    int rotation = 0;
    std::atomic<int> answered{0};

public slots:
    void onCapture(const QVariant &camera) override;
};
