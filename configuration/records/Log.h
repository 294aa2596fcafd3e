#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// Process-wide log writer: one file per start day under "./log", one line per
// message, levels gated by the "LogSetting" parameters.

// Prunes "./log" to at most seven files (today's included), fixes the file
// name from today's date and installs the message handler.
void initLog();
void logMessageHandler(QtMsgType type, const QMessageLogContext &context, const QString &text);

void setLogDebug(bool on);
void setLogInfo(bool on);
void setLogWarn(bool on);
void setLogError(bool on);

// The file the handler appends to ("./log/output<yyyy-MM-dd>.log"); empty before initLog.
QString logFileName();

// Bytes as UTF-8, or as GBK when they are not valid UTF-8.
QString decodeText(const QByteArray &bytes);

// Byte-for-byte copy. A source that cannot be opened leaves the destination untouched.
bool copyFile(const QString &source, const QString &destination);
