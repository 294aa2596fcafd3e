#include "Recorder.h"

#include "Notifier.h"

NotifierRecorder::NotifierRecorder()
{
    Notifier::setInformationHandler([this](const QString &, const QString &text) {
        QMutexLocker lock(&m_lock);
        m_messages.append(text);
    });
    Notifier::setExitHandler([this](int code) {
        QMutexLocker lock(&m_lock);
        m_exitCodes.append(code);
    });
}

NotifierRecorder::~NotifierRecorder()
{
    Notifier::resetHandlers();
}

QStringList NotifierRecorder::messages() const
{
    QMutexLocker lock(&m_lock);
    return m_messages;
}

QList<int> NotifierRecorder::exitCodes() const
{
    QMutexLocker lock(&m_lock);
    return m_exitCodes;
}
