#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The first worksheet of an .xlsx workbook as text: the first row gives the
// column names, every further non-empty row is a record. Numbers come out in
// their shortest exact form ("12", "3.5"), booleans as TRUE/FALSE; formats and
// formulas are not evaluated (the cached value is taken).
// Damaged or oversized workbooks give no records and a log line.
class XlsxReader
{
public:
    static constexpr qint64 kMaxPartBytes = 64 * 1024 * 1024; // one unpacked part
    static constexpr int kMaxColumns = 16384;
    static constexpr int kMaxRows = 1048576;
    static constexpr qint64 kMaxCells = 8 * 1024 * 1024;

    bool load(const QString &path);
    void clear();

    QString fileName() const { return m_fileName; }
    QStringList headers() const { return m_headers; }
    int recordCount() const { return int(m_records.size()); }
    // The record's cells, as many as there are headers (empty when out of range).
    QStringList record(int index) const;
    // The cell of `column` (a header) in the record; empty when either is missing.
    QString value(int index, const QString &column) const;

private:
    QString m_fileName;
    QStringList m_headers;
    QList<QStringList> m_records;
};
