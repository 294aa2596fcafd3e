#include "tools/simcontroller/Transcript.h"

QByteArray Transcript::escape(const QByteArray &bytes)
{
    static const char hex[] = "0123456789abcdef";
    QByteArray out;
    out.reserve(bytes.size());
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '\\') {
            out.append("\\\\");
        } else if (c >= 0x20 && c < 0x7f) {
            out.append(char(c));
        } else {
            out.append("\\x");
            out.append(hex[c >> 4]);
            out.append(hex[c & 0xf]);
        }
    }
    return out;
}

QByteArray Transcript::unescape(const QByteArray &text)
{
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == '\\' && i + 1 < text.size() && text.at(i + 1) == '\\') {
            out.append('\\');
            ++i;
            continue;
        }
        if (text.at(i) == '\\' && i + 3 < text.size() && text.at(i + 1) == 'x') {
            bool ok = false;
            const int value = text.mid(i + 2, 2).toInt(&ok, 16);
            if (ok) {
                out.append(char(value));
                i += 3;
                continue;
            }
        }
        out.append(text.at(i));
    }
    return out;
}

bool Transcript::open(const QString &path)
{
    m_file.setFileName(path);
    return m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered);
}

void Transcript::write(const char *tag, const QByteArray &bytes)
{
    QByteArray line(tag);
    if (!bytes.isEmpty())
        line += ' ' + escape(bytes);
    writeLine(line);
}

void Transcript::note(const char *tag, const QString &text)
{
    writeLine(QByteArray(tag) + ' ' + escape(text.toUtf8()));
}

void Transcript::writeRaw(const QByteArray &lines)
{
    if (m_file.isOpen() && !lines.isEmpty())
        m_file.write(lines);
}

void Transcript::writeLine(const QByteArray &line)
{
    if (m_file.isOpen())
        m_file.write(line + '\n');
}
