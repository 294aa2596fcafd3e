#include "configuration/records/Log.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QRegularExpression>
#include <QStringConverter>
#include <QTextCodec>

#include <atomic>
#include <cstdlib>

namespace {

QMutex g_writeLock;
QString g_fileName;
std::atomic<bool> g_debug{false};
std::atomic<bool> g_info{true};
std::atomic<bool> g_warn{true};
std::atomic<bool> g_error{true};

const char *levelWord(QtMsgType type, bool *open)
{
    switch (type) {
    case QtDebugMsg:
        *open = g_debug;
        return "DEBUG ";
    case QtInfoMsg:
        *open = g_info;
        return "INFO ";
    case QtWarningMsg:
        *open = g_warn;
        return "WARN ";
    case QtCriticalMsg:
        *open = g_error;
        return "ERROR ";
    case QtFatalMsg:
        break;
    }
    *open = true;
    return "FATAL ";
}

} // namespace

void initLog()
{
    QDir dir(QStringLiteral("./log"));
    const QString today = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
    if (!dir.exists()) {
        QDir().mkpath(QStringLiteral("./log"));
    } else {
        const QStringList files = dir.entryList({QStringLiteral("*.log")}, QDir::Files, QDir::Name);
        if (files.size() >= 7) {
            static const QRegularExpression datePart(QStringLiteral("(?<=output).*?(?=(.log))"));
            const QString newest = datePart.match(files.last()).captured(0);
            // Today's file may already be among them; otherwise it is still to come.
            const int keep = newest == today ? 7 : 6;
            for (int i = 0; i < files.size() - keep; ++i)
                dir.remove(files.at(i));
        }
    }
    {
        QMutexLocker lock(&g_writeLock);
        g_fileName = QStringLiteral("./log/output%1.log").arg(today);
    }
    qInstallMessageHandler(logMessageHandler);
}

void logMessageHandler(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    bool open = false;
    const char *word = levelWord(type, &open);
    if (!open)
        return;
    QByteArray line(word);
    line += QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz ")).toUtf8();
    line += text.trimmed().toUtf8();
    line += '\n';
    {
        QMutexLocker lock(&g_writeLock);
        if (!g_fileName.isEmpty()) {
            // Opened and closed per line so that a crash loses nothing already logged.
            QFile file(g_fileName);
            if (file.open(QIODevice::WriteOnly | QIODevice::Append)) {
                file.write(line);
                file.flush();
                file.close();
            }
        }
    }
    if (type == QtFatalMsg)
        std::abort();
}

void setLogDebug(bool on) { g_debug = on; }
void setLogInfo(bool on) { g_info = on; }
void setLogWarn(bool on) { g_warn = on; }
void setLogError(bool on) { g_error = on; }

QString logFileName()
{
    QMutexLocker lock(&g_writeLock);
    return g_fileName;
}

QString decodeText(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    const bool invalid = utf8.hasError();
    qDebug().noquote() << "decodeText" << "invalid UTF-8:" << invalid;
    if (!invalid)
        return text;
    // GBK is only reachable through the compatibility codecs in Qt 6.4.
    if (QTextCodec *gbk = QTextCodec::codecForName("GBK"))
        return gbk->toUnicode(bytes);
    return text;
}

bool copyFile(const QString &source, const QString &destination)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        qCritical().noquote() << "copyFile" << "无法打开文件 " << source;
        return false;
    }
    // Opening the destination truncates it: onto itself the file would be emptied before it is read.
    if (QFileInfo(source).canonicalFilePath() == QFileInfo(destination).canonicalFilePath())
        return true;
    QFile out(destination);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        qCritical().noquote() << "copyFile" << "无法打开文件 " << destination;
        return false;
    }
    char buffer[64 * 1024];
    qint64 n = 0;
    while ((n = in.read(buffer, sizeof buffer)) > 0) {
        if (out.write(buffer, n) != n) {
            qCritical().noquote() << "copyFile" << "write failed" << destination << out.errorString();
            return false;
        }
    }
    return n == 0;
}
