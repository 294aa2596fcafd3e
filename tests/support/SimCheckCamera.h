#pragma once

#include "LabelPage.h"

#include <QObject>
#include <QVariant>
#include <atomic>

// The check camera of a test: answers the application's capture request for
// camera 2 with the frame of its view of the printed page, delivered as a
// camera turned by `rotation` delivers it (the check turns it upright).
class SimCheckCamera : public QObject
{
    Q_OBJECT

public:
    explicit SimCheckCamera(QObject *parent = nullptr);

    LabelPage page = LabelPage::sixLabels();
    CheckView view;
    int rotation = 0;
    std::atomic<int> answered{0};

signals:
    void capture(const QVariant &camera);
    void capturedMarkImage(int id, const QVariant &img);
    void capturedLabelImage(int id, const QVariant &img);

public slots:
    void onCapture(const QVariant &camera);
};
