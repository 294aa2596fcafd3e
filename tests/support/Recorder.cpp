#include "tests/support/Recorder.h"

#include "configuration/Notifier.h"

NotifierRecorder::NotifierRecorder()
{
    Notifier::setInformationHandler([this](const QString &title, const QString &text) {
        QMutexLocker lock(&m_lock);
        m_messages.append(text);
        m_titles.append(title);
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

QStringList NotifierRecorder::titles() const
{
    QMutexLocker lock(&m_lock);
    return m_titles;
}

QList<int> NotifierRecorder::exitCodes() const
{
    QMutexLocker lock(&m_lock);
    return m_exitCodes;
}
