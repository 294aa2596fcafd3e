#include "configuration/Notifier.h"

#include <QCoreApplication>
#include <QDebug>
#include <QMetaObject>
#include <QMutex>

namespace {

QMutex g_lock;

void logInformation(const QString &title, const QString &text)
{
    qInfo().noquote() << "Notifier::information" << title << text;
}

void quitLoop(int code)
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app)
        return;
    // Queued so that the caller finishes its own work before the loop ends.
    QMetaObject::invokeMethod(app, [code] { QCoreApplication::exit(code); }, Qt::QueuedConnection);
}

QString chooseNothing(const QString &caption, const QString &folder, const QString &)
{
    qInfo().noquote() << "Notifier::chooseFile" << caption << folder << "no dialog: nothing chosen";
    return QString();
}

Notifier::InformationHandler &infoHandler()
{
    static Notifier::InformationHandler h = logInformation;
    return h;
}

Notifier::ExitHandler &exitHandler()
{
    static Notifier::ExitHandler h = quitLoop;
    return h;
}

Notifier::FileChooser &fileChooser()
{
    static Notifier::FileChooser h = chooseNothing;
    return h;
}

} // namespace

void Notifier::information(const QString &text)
{
    InformationHandler h;
    {
        QMutexLocker lock(&g_lock);
        h = infoHandler();
    }
    h(QCoreApplication::applicationName(), text);
}

void Notifier::warning(const QString &title, const QString &text)
{
    InformationHandler h;
    {
        QMutexLocker lock(&g_lock);
        h = infoHandler();
    }
    h(title, text);
}

void Notifier::requestExit(int code)
{
    ExitHandler h;
    {
        QMutexLocker lock(&g_lock);
        h = exitHandler();
    }
    h(code);
}

QString Notifier::chooseFile(const QString &caption, const QString &folder, const QString &filter)
{
    FileChooser h;
    {
        QMutexLocker lock(&g_lock);
        h = fileChooser();
    }
    return h(caption, folder, filter);
}

void Notifier::setInformationHandler(InformationHandler handler)
{
    QMutexLocker lock(&g_lock);
    infoHandler() = handler ? std::move(handler) : InformationHandler(logInformation);
}

void Notifier::setExitHandler(ExitHandler handler)
{
    QMutexLocker lock(&g_lock);
    exitHandler() = handler ? std::move(handler) : ExitHandler(quitLoop);
}

void Notifier::setFileChooser(FileChooser chooser)
{
    QMutexLocker lock(&g_lock);
    fileChooser() = chooser ? std::move(chooser) : FileChooser(chooseNothing);
}

void Notifier::resetHandlers()
{
    setInformationHandler(nullptr);
    setExitHandler(nullptr);
    setFileChooser(nullptr);
}
