#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// One line per frame or event, written through at once so that a test can
// read the file while the simulator runs. Bytes outside printable ASCII are
// written as \xhh and the backslash as \\, so the line is byte-exact.
class Transcript
{
public:
    static QByteArray escape(const QByteArray &bytes);
    // Reverses escape(); unknown escapes are kept as they stand.
    static QByteArray unescape(const QByteArray &text);

    bool open(const QString &path);
    bool isOpen() const { return m_file.isOpen(); }
    // tag, a blank and the escaped bytes ("RX \x0212;CCMD;3;\x03").
    void write(const char *tag, const QByteArray &bytes = QByteArray());
    // tag, a blank and a plain text note.
    void note(const char *tag, const QString &text);
    // Whole lines, each ended by a newline, written as they stand in one write.
    void writeRaw(const QByteArray &lines);

private:
    void writeLine(const QByteArray &line);
    QFile m_file;
};
