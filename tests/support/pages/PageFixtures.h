#pragma once

#include <QObject>
#include <QString>
#include <QThread>
#include <memory>

// "fixtures" in QML: what the page tests need beside the program's objects:
// files with odd names, video frames for a view, requests made from a
// worker thread as the program's workers make them.
class PageFixtures : public QObject
{
    Q_OBJECT
public:
    explicit PageFixtures(QObject *parent = nullptr) : QObject(parent) {}
    ~PageFixtures() override;

    // A file of that name (any characters) with a few bytes, in a folder of
    // the test's own; its absolute path.
    Q_INVOKABLE QString makeFile(const QString &name, const QString &content = QStringLiteral("x"));
    // A one-page PDF of 100 x 50 mm of that name, in the same folder.
    Q_INVOKABLE QString makePdf(const QString &name);
    Q_INVOKABLE QString folder() const;
    // The names of the files in folder, sorted.
    Q_INVOKABLE QStringList listFiles(const QString &folder) const;
    // A width x height BGRA frame into the sink of target (a VideoOutput, a
    // relay or a sink); false when it has none.
    Q_INVOKABLE bool feedFrame(QObject *target, int width, int height);
    // The store's cut-scene settings follow the application's scene, as after initApp.
    Q_INVOKABLE void useCutScene();
    // The application takes its copy of the check parameters (printing on or off) again.
    Q_INVOKABLE void loadCheckParams();
    // Wires a camera object to the application's capture requests, as the start-up does.
    Q_INVOKABLE void connectCamera(QObject *camera);
    // app.doCapture(camera) on a thread of its own; captureDone tells the result.
    Q_INVOKABLE void captureOnWorker(int camera);
    // Writes the driver's error text from a thread of its own.
    Q_INVOKABLE void setErrorOnWorker(const QString &text);
    // The test file's functions are done (see TeardownWatch.h).
    Q_INVOKABLE void leaveIfTeardownHangs(int failures, int ms = 30000);

signals:
    void captureDone(int camera, bool answered);

private:
    std::unique_ptr<QThread> m_worker;
};
