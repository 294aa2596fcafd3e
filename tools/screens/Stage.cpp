#include "Stage.h"

#include <QCoreApplication>
#include <QDebug>
#include <QElapsedTimer>
#include <QQuickItem>
#include <QQuickWindow>
#include <QThread>

QObject *Stage::find(const QString &name) const
{
    QObject *found = m_window->findChild<QObject *>(name);
    if (!found)
        qWarning().noquote() << "dravo_screens: no object" << name;
    return found;
}

bool Stage::set(const QString &name, const char *property, const QVariant &value) const
{
    QObject *object = find(name);
    return object && object->setProperty(property, value);
}

bool Stage::call(const QString &name, const char *method) const
{
    QObject *object = find(name);
    return object && QMetaObject::invokeMethod(object, method);
}

void Stage::settle(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
}
