#pragma once

#include "DriverHost.h"

#include <QList>
#include <QMutex>
#include <QString>
#include <QThread>
#include <functional>

// A driver host that records what the driver asks of the application.
class RecordingHost : public DriverHost
{
public:
    ~RecordingHost() override { joinStopThreads(); }

    // Waits for the stop threads that were not waited for.
    void joinStopThreads()
    {
        QList<QThread *> threads;
        {
            QMutexLocker lock(&m_lock);
            threads.swap(m_stopThreads);
        }
        for (QThread *t : threads) {
            t->wait();
            delete t;
        }
    }

    int taskStatus() const override
    {
        QMutexLocker lock(&m_lock);
        return m_taskStatus;
    }
    void setTaskStatus(int status) override
    {
        {
            QMutexLocker lock(&m_lock);
            m_taskStatus = status;
            m_statusLog.append(status);
        }
        notifyTaskStatus(status);
    }
    void clearFilm(int index) override
    {
        QMutexLocker lock(&m_lock);
        m_clearedFilms.append(index);
    }
    QString cutFile() const override
    {
        QMutexLocker lock(&m_lock);
        return m_cutFile;
    }
    void setMarkIndex(int index) override
    {
        QMutexLocker lock(&m_lock);
        m_markIndex = index;
    }
    void loadCheckParams() override
    {
        QMutexLocker lock(&m_lock);
        ++m_checkParamLoads;
    }
    void resetPaperCenter() override
    {
        QMutexLocker lock(&m_lock);
        ++m_paperCenterResets;
    }
    QString messageText() const override
    {
        QMutexLocker lock(&m_lock);
        return m_message;
    }
    void createPageCutFile() override
    {
        QMutexLocker lock(&m_lock);
        ++m_pageCutFiles;
    }
    int cutTaskCopies() const override
    {
        QMutexLocker lock(&m_lock);
        return m_cutTaskCopies;
    }
    bool isSupport() override
    {
        QMutexLocker lock(&m_lock);
        return m_support;
    }

    // Runs the stop action on a thread of its own as the application does
    // (the driver's exitTask, set by the fixture); without one the status
    // goes to 2 at once.
    void stopTask(bool wait) override
    {
        std::function<bool()> action;
        {
            QMutexLocker lock(&m_lock);
            ++m_stopRequests;
            action = m_stopAction;
        }
        if (!action) {
            setTaskStatus(2);
            return;
        }
        QThread *thread = QThread::create([action] { action(); });
        thread->start();
        if (wait) {
            thread->wait();
            delete thread;
            return;
        }
        QMutexLocker lock(&m_lock);
        m_stopThreads.append(thread);
    }
    bool finishedOneCopies() override
    {
        QMutexLocker lock(&m_lock);
        ++m_finishedCopies;
        return m_copiesLeft < 0 || --m_copiesLeft > 0;
    }
    void print() override
    {
        QMutexLocker lock(&m_lock);
        ++m_prints;
    }
    double collectLen() const override
    {
        QMutexLocker lock(&m_lock);
        return m_collectLen;
    }
    // Answers at once with the set result; counts the requests per camera.
    bool doCapture(int camera) override
    {
        QMutexLocker lock(&m_lock);
        m_captures.append(camera);
        return m_captureResult;
    }
    double paperOffset() const override
    {
        QMutexLocker lock(&m_lock);
        return m_paperOffset;
    }
    void setShowLostLabelView(bool show) override
    {
        QMutexLocker lock(&m_lock);
        m_lostLabelViews.append(show);
    }

    QSizeF pageSize() const override
    {
        QMutexLocker lock(&m_lock);
        return m_pageSize;
    }
    bool hasCutItems() const override
    {
        QMutexLocker lock(&m_lock);
        return m_hasCutItems;
    }

    // Test side.
    void setPageSize(const QSizeF &size)
    {
        QMutexLocker lock(&m_lock);
        m_pageSize = size;
    }
    void setHasCutItems(bool has)
    {
        QMutexLocker lock(&m_lock);
        m_hasCutItems = has;
    }
    void setStopAction(std::function<bool()> action)
    {
        QMutexLocker lock(&m_lock);
        m_stopAction = std::move(action);
    }
    // finishedOneCopies answers false at the n-th copy; -1: never.
    void setCopiesLeft(int n)
    {
        QMutexLocker lock(&m_lock);
        m_copiesLeft = n;
    }
    int stopRequests() const
    {
        QMutexLocker lock(&m_lock);
        return m_stopRequests;
    }
    int finishedCopies() const
    {
        QMutexLocker lock(&m_lock);
        return m_finishedCopies;
    }
    int prints() const
    {
        QMutexLocker lock(&m_lock);
        return m_prints;
    }
    void setCutFile(const QString &path)
    {
        QMutexLocker lock(&m_lock);
        m_cutFile = path;
    }
    void setMessage(const QString &text)
    {
        QMutexLocker lock(&m_lock);
        m_message = text;
    }
    void setCutTaskCopies(int n)
    {
        QMutexLocker lock(&m_lock);
        m_cutTaskCopies = n;
    }
    void setSupport(bool s)
    {
        QMutexLocker lock(&m_lock);
        m_support = s;
    }
    void setCollectLen(double len)
    {
        QMutexLocker lock(&m_lock);
        m_collectLen = len;
    }
    void setPaperOffset(double offset)
    {
        QMutexLocker lock(&m_lock);
        m_paperOffset = offset;
    }
    QList<int> captures() const
    {
        QMutexLocker lock(&m_lock);
        return m_captures;
    }
    QList<bool> lostLabelViews() const
    {
        QMutexLocker lock(&m_lock);
        return m_lostLabelViews;
    }
    // The application's labelDoCapture.
    void requestLabelCapture() { notifyLabelCapture(); }
    QList<int> statusLog() const
    {
        QMutexLocker lock(&m_lock);
        return m_statusLog;
    }
    QList<int> clearedFilms() const
    {
        QMutexLocker lock(&m_lock);
        return m_clearedFilms;
    }
    int markIndex() const
    {
        QMutexLocker lock(&m_lock);
        return m_markIndex;
    }
    int checkParamLoads() const
    {
        QMutexLocker lock(&m_lock);
        return m_checkParamLoads;
    }
    int paperCenterResets() const
    {
        QMutexLocker lock(&m_lock);
        return m_paperCenterResets;
    }
    int pageCutFiles() const
    {
        QMutexLocker lock(&m_lock);
        return m_pageCutFiles;
    }

private:
    mutable QMutex m_lock;
    QSizeF m_pageSize;
    bool m_hasCutItems = true;
    int m_taskStatus = 2;
    QList<int> m_statusLog;
    QList<int> m_clearedFilms;
    QString m_cutFile;
    QString m_message;
    int m_markIndex = -1;
    int m_checkParamLoads = 0;
    int m_paperCenterResets = 0;
    int m_pageCutFiles = 0;
    int m_cutTaskCopies = 0;
    bool m_support = true;
    std::function<bool()> m_stopAction;
    QList<QThread *> m_stopThreads;
    int m_stopRequests = 0;
    int m_copiesLeft = -1;
    int m_finishedCopies = 0;
    int m_prints = 0;
    double m_collectLen = 50.0;
    double m_paperOffset = 0.0;
    bool m_captureResult = true;
    QList<int> m_captures;
    QList<bool> m_lostLabelViews;
};
