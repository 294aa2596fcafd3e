#include "tests/support/pages/PageFixtures.h"

#include "configuration/Config.h"
#include "views/cameras/FrameRelay.h"
#include "tests/support/TeardownWatch.h"
#include "tests/support/printing/TestPdf.h"
#include "app/DravolinteApp.h"
#include "device/Varnok120X.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QVideoFrame>
#include <QVideoSink>

PageFixtures::~PageFixtures()
{
    if (m_worker)
        m_worker->wait();
}

QString PageFixtures::folder() const
{
    return QDir::current().absoluteFilePath(QStringLiteral("files"));
}

QStringList PageFixtures::listFiles(const QString &path) const
{
    return QDir(path).entryList(QDir::Files, QDir::Name);
}

QString PageFixtures::makeFile(const QString &name, const QString &content)
{
    QDir().mkpath(folder());
    QFile file(QDir(folder()).absoluteFilePath(name));
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    file.write(content.toUtf8());
    return file.fileName();
}

QString PageFixtures::makePdf(const QString &name)
{
    QDir().mkpath(folder());
    const QString path = QDir(folder()).absoluteFilePath(name);
    return TestPdf::write(path, QSizeF(100, 50)) ? path : QString();
}

void PageFixtures::leaveIfTeardownHangs(int failures, int ms)
{
    ::leaveIfTeardownHangs(failures, ms);
}

bool PageFixtures::feedFrame(QObject *target, int width, int height)
{
    QVideoSink *sink = FrameRelay::sinkOf(target);
    if (!sink)
        return false;
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::darkCyan);
    const QVideoFrame frame = FrameRelay::frameOf(image);
    if (!frame.isValid())
        return false;
    sink->setVideoFrame(frame);
    return true;
}

void PageFixtures::useCutScene()
{
    Config::instance()->setCutSceneSource([] { return DravolinteApp::instance()->cutScene(); });
}

void PageFixtures::loadCheckParams()
{
    DravolinteApp::instance()->loadCheckParams();
}

void PageFixtures::connectCamera(QObject *camera)
{
    DravolinteApp::instance()->connectCamera(camera);
}

void PageFixtures::captureOnWorker(int camera)
{
    if (m_worker)
        m_worker->wait();
    m_worker.reset(QThread::create([this, camera] {
        const bool answered = DravolinteApp::instance()->doCapture(camera);
        QMetaObject::invokeMethod(this, [this, camera, answered] { emit captureDone(camera, answered); });
    }));
    m_worker->start();
}

void PageFixtures::setErrorOnWorker(const QString &text)
{
    std::unique_ptr<QThread> worker(QThread::create([text] { DravolinteApp::driver()->setErrorMessage(text); }));
    worker->start();
    worker->wait();
}
