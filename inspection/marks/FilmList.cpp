#include "inspection/marks/FilmList.h"

#include <QDebug>

bool FilmList::storeScan(const FilmRecord &record, int markIndex, bool taskRunning)
{
    QMutexLocker lock(&m_lock);
    m_records[0] = record;
    if (markIndex <= 0 || !taskRunning)
        return true;
    if (markIndex >= kRecords) {
        qWarning().noquote() << "FilmList::storeScan" << "mark index" << markIndex << "has no film record";
        return false;
    }
    m_records[size_t(markIndex)] = record;
    return true;
}

bool FilmList::clear(int index)
{
    QMutexLocker lock(&m_lock);
    if (index < -1 || index >= kRecords)
        return false;
    bool changed = false;
    for (int i = 0; i < kRecords; ++i) {
        FilmRecord &r = m_records[size_t(i)];
        if ((index == -1 || index == i) && r.diameter != -1.0f) {
            r.diameter = -1.0f;
            changed = true;
        }
    }
    return changed;
}

FilmRecord FilmList::at(int index) const
{
    QMutexLocker lock(&m_lock);
    if (index < 0 || index >= kRecords)
        return FilmRecord();
    return m_records[size_t(index)];
}

QList<FilmRecord> FilmList::records() const
{
    QMutexLocker lock(&m_lock);
    return QList<FilmRecord>(m_records.begin(), m_records.end());
}
