#pragma once

#include "DriverHost.h"
#include "GPathProcess.h"

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
    // Answers at once; counts the requests per camera. A mark-camera
    // capture takes the next answer of the mark sequence (or the standing
    // answer once the sequence is used up) and leaves its mark where the
    // application's scan would.
    bool doCapture(int camera) override
    {
        QMutexLocker lock(&m_lock);
        m_captures.append(camera);
        if (camera != 1)
            return m_captureResult;
        const MarkAnswer a = m_markAnswers.isEmpty() ? m_standingAnswer : m_markAnswers.takeFirst();
        m_markCaptureIndices.append(m_markIndex);
        if (a.answered) {
            m_scanMarkPoint = a.point;
            m_scanMarkSize = a.size;
        }
        return a.answered;
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
    QPointF scanMarkPoint() const override
    {
        QMutexLocker lock(&m_lock);
        return m_scanMarkPoint;
    }
    float scanMarkSize() const override
    {
        QMutexLocker lock(&m_lock);
        return m_scanMarkSize;
    }
    void resetScanMark() override
    {
        QMutexLocker lock(&m_lock);
        m_scanMarkPoint = QPointF();
        m_scanMarkSize = 0.0f;
    }
    double searchedLength() const override
    {
        QMutexLocker lock(&m_lock);
        return m_searchedLength;
    }
    void setSearchedLength(double mm) override
    {
        QMutexLocker lock(&m_lock);
        m_searchedLength = mm;
    }
    bool hasTaskCode() const override { return false; }
    bool setSwitchCutFile(bool b) override
    {
        QMutexLocker lock(&m_lock);
        m_switches.append(b);
        return true;
    }
    QPolygonF currentPageMarkPoint(bool) const override
    {
        QMutexLocker lock(&m_lock);
        return m_pageMarks;
    }
    QList<int> currentKnifeIntInterval() const override
    {
        QMutexLocker lock(&m_lock);
        return m_knifeIntervals;
    }
    // The page's cut path (HPGL units) mapped by the fit, which works in
    // points as the cut scene does, written as one pen-down polyline.
    QByteArray createPageCutFile(const QTransform &transform) override
    {
        QMutexLocker lock(&m_lock);
        m_fits.append(transform);
        QByteArray data;
        for (int i = 0; i < m_cutPath.size(); ++i) {
            const QPointF p =
                GPathProcess::point2Hpgl(transform.map(GPathProcess::hpgl2Point(m_cutPath.at(i))));
            data += (i == 0 ? "PU" : (i == 1 ? "PD" : ",")) + QByteArray::number(qRound(p.x())) + ','
                    + QByteArray::number(qRound(p.y()));
            if (i == 0 || i == m_cutPath.size() - 1)
                data += ';';
        }
        if (!data.isEmpty())
            data += "PU;";
        return data;
    }

    // Test side.
    // What a mark-camera capture answers: whether the camera answered, and
    // the mark the scan found in its image ((0, 0): none).
    struct MarkAnswer
    {
        bool answered = true;
        QPointF point;
        float size = 0.0f;
    };
    void setMarkAnswers(const QList<MarkAnswer> &answers, const MarkAnswer &standing)
    {
        QMutexLocker lock(&m_lock);
        m_markAnswers = answers;
        m_standingAnswer = standing;
    }
    // The mark index at each mark-camera capture.
    QList<int> markCaptureIndices() const
    {
        QMutexLocker lock(&m_lock);
        return m_markCaptureIndices;
    }
    void setPageMarks(const QPolygonF &marks, const QList<int> &knifeIntervals = {})
    {
        QMutexLocker lock(&m_lock);
        m_pageMarks = marks;
        m_knifeIntervals = knifeIntervals;
    }
    void setCutPath(const QPolygonF &hpgl)
    {
        QMutexLocker lock(&m_lock);
        m_cutPath = hpgl;
    }
    QList<QTransform> fits() const
    {
        QMutexLocker lock(&m_lock);
        return m_fits;
    }
    QList<bool> cutFileSwitches() const
    {
        QMutexLocker lock(&m_lock);
        return m_switches;
    }
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
    int markIndex() const override
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
    QList<MarkAnswer> m_markAnswers;
    MarkAnswer m_standingAnswer{false, QPointF(), 0.0f};
    QList<int> m_markCaptureIndices;
    QPointF m_scanMarkPoint;
    float m_scanMarkSize = 0.0f;
    double m_searchedLength = 0.0;
    QList<bool> m_switches;
    QPolygonF m_pageMarks;
    QList<int> m_knifeIntervals;
    QPolygonF m_cutPath;
    QList<QTransform> m_fits;
};
