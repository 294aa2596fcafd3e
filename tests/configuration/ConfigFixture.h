#pragma once

// What the configuration tests share: a fresh folder per test, reading back
// what was written, and counting log lines.

#include "configuration/records/DbConfig.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QLoggingCategory>
#include <QMutex>
#include <QRegularExpression>
#include <QSettings>
#include <QStringList>
#include <QTest>

// Config and DbConfig open "config.db" in the current folder: a test that
// needs a fresh start moves into a new folder of its own.
inline QString enterFreshDir()
{
    static const QString base = QDir::currentPath();
    static int serial = 0;
    const QString path = QStringLiteral("%1/run%2").arg(base).arg(++serial);
    QDir().mkpath(path);
    QDir::setCurrent(path);
    return path;
}

// A fresh folder, and any warning the test does not expect fails it. The info
// lines of the load pass (one per parameter) are kept out of the output.
inline QString startConfigTest()
{
    QLoggingCategory::setFilterRules(QStringLiteral("default.info=false\ndefault.debug=false"));
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
    return enterFreshDir();
}

inline QVariant iniValue(const QString &path, const QString &key)
{
    return QSettings(path, QSettings::IniFormat).value(key);
}

// The day table's rows: date text, cut, print, copies, scan, scan ok.
inline QList<QVariantList> dayRows(DbConfig &db)
{
    QList<QVariantList> rows;
    db.select(QStringLiteral("SELECT * FROM t_work_data ORDER BY date"), rows);
    return rows;
}

// Records the messages of one level while alive (from any thread), then hands
// each on to Qt Test's handler, which applies ignoreMessage.
class MessageLog
{
public:
    explicit MessageLog(QtMsgType type = QtCriticalMsg) : m_type(type)
    {
        s_self = this;
        s_previous = qInstallMessageHandler(handle);
    }
    ~MessageLog() { qInstallMessageHandler(s_previous); s_self = nullptr; }
    QStringList lines() const { QMutexLocker lock(&m_lock); return m_lines; }

private:
    static void handle(QtMsgType type, const QMessageLogContext &ctx, const QString &text)
    {
        if (s_self && type == s_self->m_type) {
            QMutexLocker lock(&s_self->m_lock);
            s_self->m_lines.append(text);
        }
        if (s_previous)
            s_previous(type, ctx, text);
    }
    const QtMsgType m_type;
    mutable QMutex m_lock;
    QStringList m_lines;
    static inline MessageLog *s_self = nullptr;
    static inline QtMessageHandler s_previous = nullptr;
};
