#pragma once

// Helpers shared by the Config tests: a fresh folder per test, writing the
// operator's files, reading back what Config wrote, and watching log lines.

#include "DbConfig.h"
#include "TestFiles.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QMutex>
#include <QRegularExpression>
#include <QSettings>
#include <QStringList>
#include <QTest>

// Config opens "config.db" in the current folder: every test that needs a
// fresh start moves into a new folder of its own and builds Config there.
inline QString enterFreshDir();

// Every Config test starts in a fresh folder and fails on any warning it does not expect.
inline QString startConfigTest()
{
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
    return enterFreshDir();
}

inline QString enterFreshDir()
{
    static const QString base = QDir::currentPath();
    static int serial = 0;
    const QString path = QStringLiteral("%1/run%2").arg(base).arg(++serial);
    QDir().mkpath(path);
    QDir::setCurrent(path);
    return path;
}


inline QVariant iniValue(const QString &path, const QString &key)
{
    return QSettings(path, QSettings::IniFormat).value(key);
}

// Every row of the day table as (date text, cut, print, copies, scan, scan ok).
inline QList<QVariantList> dayRows(DbConfig &db)
{
    QList<QVariantList> rows;
    db.select(QStringLiteral("SELECT * FROM t_work_data ORDER BY date"), rows);
    return rows;
}

// The info lines of the load pass (one per parameter) would drown the test
// output; warnings and worse still show and are checked.
inline void quietInfoLog()
{
    QLoggingCategory::setFilterRules(QStringLiteral("default.info=false\ndefault.debug=false"));
}

// Records critical log lines while alive, then hands every message on to Qt Test.
class CriticalLog
{
public:
    CriticalLog() { s_self = this; s_previous = qInstallMessageHandler(&CriticalLog::handle); }
    ~CriticalLog() { qInstallMessageHandler(s_previous); s_self = nullptr; }
    QStringList lines() const { QMutexLocker lock(&m_lock); return m_lines; }

private:
    static void handle(QtMsgType type, const QMessageLogContext &ctx, const QString &text)
    {
        if (type == QtCriticalMsg && s_self) {
            QMutexLocker lock(&s_self->m_lock);
            s_self->m_lines.append(text);
        }
        if (s_previous)
            s_previous(type, ctx, text);
    }
    mutable QMutex m_lock;
    QStringList m_lines;
    static inline CriticalLog *s_self = nullptr;
    static inline QtMessageHandler s_previous = nullptr;
};
