#pragma once

#include <QObject>
#include <QVariant>

// The pages' camera object as the application sees it (connectCamera): asked
// through capture(camera), it answers with capturedMarkImage or
// capturedLabelImage. A test's camera says in onCapture what it sees.
class SimCamera : public QObject
{
    Q_OBJECT

public:
    explicit SimCamera(QObject *parent = nullptr) : QObject(parent)
    {
        connect(this, &SimCamera::capture, this, &SimCamera::onCapture);
    }

signals:
    void capture(const QVariant &camera);
    void capturedMarkImage(int id, const QVariant &img);
    void capturedLabelImage(int id, const QVariant &img);

public slots:
    virtual void onCapture(const QVariant &camera) = 0;
};
