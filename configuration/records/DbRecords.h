#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

// Production records as the database stores them; each field is named after
// its column and listed in column order.

struct WorkData // one calendar day
{
    QDate date;
    float cut_len = 0;   // metres
    float print_len = 0; // metres
    quint32 _copies = 0;
    quint32 scan_mark = 0;
    quint32 scan_mark_ok = 0;
};

struct WorkRecord // one job
{
    QDateTime timestamp;
    QString cut_file;
    quint32 cut_cnt = 0;
    QString print_file;
    quint32 print_cnt = 0;
    QString dataSourceFile;
    quint32 check_cnt = 0;
};

struct TaskRecord // one task code
{
    QDateTime timestamp;
    QDateTime work_record_timestamp;
    quint32 code = 0;
    qint32 dataIndex = -1;
    quint32 printCopies = 0;
    QDateTime printTime;
    quint32 cutCopies = 0;
    QDateTime cutTime;
    quint32 checkCopies = 0;
    QDateTime checkTime;
};

// Kinds of a record update.
enum DbUpdateKind : quint32 { DbPrintUpdate = 0, DbCutUpdate = 1 };
