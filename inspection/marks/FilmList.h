#pragma once

#include <QImage>
#include <QList>
#include <QMutex>
#include <QPolygonF>
#include <QString>
#include <array>

// What the mark-camera overlay shows of one scan.
struct FilmRecord
{
    QImage image;            // the scanned frame, scaled to the mark-camera size
    double x = 0.0;          // mark centre, pixels of image
    double y = 0.0;
    float diameter = -1.0f;  // pixels of image; -1 empty or cleared, 0 no mark found
    QString text;            // code read at the mark, empty when none
    QPolygonF points;        // outline of the code or text read, pixels of image
};

// The five records of the overlay: 0 the latest scan, 1 to 4 marks 1 to 4 of
// the running task. Records are overwritten in place, never added or removed.
// The scan writes on the GUI thread while the driver and the task steps clear
// from theirs: every access takes the list's lock.
class FilmList
{
public:
    static constexpr int kRecords = 5;

    // Record 0 takes the scan; while a task runs, the record of the mark
    // being scanned takes it too. A mark index outside 1..4 has no record of
    // its own: false and a warning (record 0 is still written).
    bool storeScan(const FilmRecord &record, int markIndex, bool taskRunning);
    // Marks one record (or all for -1) cleared; an index outside the list
    // does nothing. True when a record changed, so the overlay must repaint.
    bool clear(int index);

    FilmRecord at(int index) const; // a fresh record for an index outside the list
    QList<FilmRecord> records() const;

private:
    mutable QMutex m_lock;
    std::array<FilmRecord, kRecords> m_records;
};
