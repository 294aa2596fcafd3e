#pragma once

#include "device/DriverHost.h"

#include <QList>
#include <QMutex>
#include <QThread>
#include <functional>
#include <memory>

// Fakes of the driver's roles, one role each: they record what the driver
// asks and answer what the test sets. Any thread.
class Recorded
{
protected:
    template <typename T> T get(const T &field) const { QMutexLocker lock(&m_lock); return field; }
    template <typename T, typename U> void put(T &field, const U &value) { QMutexLocker lock(&m_lock); field = value; }
    // A count up, or one more entry of a list.
    template <typename T, typename U> void add(T &field, const U &value) { QMutexLocker lock(&m_lock); field += value; }
    mutable QMutex m_lock;
};

// The task: a stop runs the action set (the driver's exitTask, as the
// application's stop does) on a thread of its own and returns when it is
// done; without one the status goes to 2 at once.
class RecordingHost : public TaskHost, public Recorded
{
public:
    void stopTask(bool) override
    {
        add(m_stops, 1);
        const std::function<bool()> action = get(m_stopAction);
        if (!action)
            return setTaskStatus(2);
        std::unique_ptr<QThread> thread(QThread::create(action));
        thread->start();
        thread->wait();
    }
    bool finishedOneCopies() override
    {
        QMutexLocker lock(&m_lock);
        ++m_finishedCopies;
        return m_copiesLeft < 0 || --m_copiesLeft > 0;
    }
    int cutTaskCopies() const override { return get(m_cutTaskCopies); }
    void print() override { add(m_prints, 1); }
    void loadCheckParams() override { add(m_checkParamLoads, 1); }
    QString messageText() const override { return get(m_message); }

    void setStopAction(std::function<bool()> action) { put(m_stopAction, action); }
    // finishedOneCopies answers false at the n-th copy; -1: never.
    void setCopiesLeft(int n) { put(m_copiesLeft, n); }
    void setCutTaskCopies(int n) { put(m_cutTaskCopies, n); }
    void setMessage(const QString &text) { put(m_message, text); }
    int stopRequests() const { return get(m_stops); }
    int finishedCopies() const { return get(m_finishedCopies); }
    int prints() const { return get(m_prints); }
    int checkParamLoads() const { return get(m_checkParamLoads); }
    QList<int> statusLog() const { return get(m_statusLog); }

protected:
    void taskStatusStored(int, int status) override { add(m_statusLog, status); }

private:
    std::function<bool()> m_stopAction;
    QList<int> m_statusLog;
    int m_stops = 0, m_prints = 0, m_checkParamLoads = 0, m_copiesLeft = -1, m_finishedCopies = 0, m_cutTaskCopies = 0;
    QString m_message;
};

// The cut page: each fit asked for is recorded; its cut data is a stroke.
class RecordingCutSource : public CutSource, public Recorded
{
public:
    QString cutFile() const override { return get(m_cutFile); }
    bool hasCutItems() const override { return get(m_hasCutItems); }
    QSizeF pageSize() const override { return get(m_pageSize); }
    QPolygonF currentPageMarkPoint(bool) const override { return get(m_marks); }
    QList<int> currentKnifeIntInterval() const override { return {}; }
    bool setSwitchCutFile(bool) override { return true; }
    bool isSupport() override { return get(m_support); }
    QByteArray createPageCutFile(const QTransform &) override
    {
        add(m_fits, 1);
        return "PU0,0;PD400,0;PU;";
    }

    void setCutFile(const QString &path) { put(m_cutFile, path); }
    void setHasCutItems(bool has) { put(m_hasCutItems, has); }
    void setPageSize(const QSizeF &size) { put(m_pageSize, size); }
    void setPageMarks(const QPolygonF &marks) { put(m_marks, marks); }
    void setSupport(bool s) { put(m_support, s); }
    int fits() const { return get(m_fits); }

private:
    QString m_cutFile;
    bool m_hasCutItems = true, m_support = true;
    QSizeF m_pageSize;
    QPolygonF m_marks;
    int m_fits = 0;
};

// The cameras: every capture answers at once. A mark-camera capture takes
// the next answer of the mark sequence (or the standing answer once it is
// used up) and leaves its mark where the application's scan would.
class RecordingVision : public VisionHost, public Recorded
{
public:
    // Whether the camera answered, and the mark its image shows ((0, 0): none).
    struct MarkAnswer
    {
        bool answered = true;
        QPointF point;
        float size = 0.0f;
    };
    bool doCapture(int camera) override
    {
        QMutexLocker lock(&m_lock);
        m_captures.append(camera);
        if (camera != 1)
            return true;
        const MarkAnswer a = m_answers.isEmpty() ? m_standing : m_answers.takeFirst();
        m_mark = a.answered ? a : m_mark;
        return a.answered;
    }
    QPointF scanMarkPoint() const override { return get(m_mark).point; }
    float scanMarkSize() const override { return get(m_mark).size; }
    void resetScanMark() override { put(m_mark, MarkAnswer()); }
    int markIndex() const override { return get(m_markIndex); }
    void setMarkIndex(int index) override { put(m_markIndex, index); }
    void clearFilm(int index) override { add(m_clearedFilms, index); }
    double searchedLength() const override { return get(m_searched); }
    void setSearchedLength(double mm) override { put(m_searched, mm); }
    bool hasTaskCode() const override { return false; }
    double collectLen() const override { return get(m_collectLen); }
    double paperOffset() const override { return get(m_paperOffset); }
    void resetPaperCenter() override { add(m_paperCenterResets, 1); }
    void setShowLostLabelView(bool show) override { add(m_lostLabelViews, show); }

    void setMarkAnswers(const QList<MarkAnswer> &answers, const MarkAnswer &standing)
    {
        put(m_answers, answers);
        put(m_standing, standing);
    }
    void setCollectLen(double len) { put(m_collectLen, len); }
    void setPaperOffset(double offset) { put(m_paperOffset, offset); }
    // The application's labelDoCapture.
    void requestLabelCapture() { notifyLabelCapture(); }
    QList<int> captures() const { return get(m_captures); }
    QList<int> clearedFilms() const { return get(m_clearedFilms); }
    QList<bool> lostLabelViews() const { return get(m_lostLabelViews); }
    int paperCenterResets() const { return get(m_paperCenterResets); }

private:
    QList<MarkAnswer> m_answers;
    MarkAnswer m_standing{false, QPointF(), 0.0f}, m_mark;
    int m_markIndex = -1, m_paperCenterResets = 0;
    double m_searched = 0.0, m_collectLen = 50.0, m_paperOffset = 0.0;
    QList<int> m_captures, m_clearedFilms;
    QList<bool> m_lostLabelViews;
};
