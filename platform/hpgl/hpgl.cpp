#include "hpgl.h"

#include "HpglParser.h"

#include <QDebug>
#include <QFile>

struct HPGL_Reader
{
    qint64 maxPoints = 8 * 1024 * 1024;
    qint64 maxPathPoints = 1024 * 1024;
    HPGL_Stats stats;
};

HPGL_Reader *init_HPGL()
{
    return new HPGL_Reader;
}

void exit_HPGL(HPGL_Reader *reader)
{
    delete reader;
}

void limits_HPGL(HPGL_Reader *reader, qint64 maxPoints, qint64 maxPathPoints)
{
    if (!reader)
        return;
    reader->maxPoints = qMax<qint64>(0, maxPoints);
    reader->maxPathPoints = qMax<qint64>(2, maxPathPoints);
}

HPGL_Stats stats_HPGL(const HPGL_Reader *reader)
{
    return reader ? reader->stats : HPGL_Stats();
}

int read_HPGL_data(HPGL_Reader *reader, const char *data, qsizetype size, HPGL_Callback callback, void *context)
{
    if (!reader)
        return -1;
    HpglParser parser(callback, context, reader->maxPoints, reader->maxPathPoints);
    reader->stats = parser.run(data, size);
    const HPGL_Stats &s = reader->stats;
    if (s.truncated)
        qWarning().noquote() << "HPGL_Reader::read" << "stopped after" << s.points << "points, the rest of the file is left out";
    if (s.skippedValues > 0)
        qWarning().noquote() << "HPGL_Reader::read" << s.skippedValues << "coordinates out of range or unpaired were dropped";
    if (!s.unhonoured.isEmpty())
        qWarning().noquote() << "HPGL_Reader::read" << "instructions not carried out, the cut may miss what they draw:"
                             << s.unhonoured.join(QStringLiteral(", "));
    return int(qMin<qint64>(s.paths, INT_MAX));
}

int read_HPGL(HPGL_Reader *reader, const QString &path, HPGL_Callback callback, void *context)
{
    if (!reader)
        return -1;
    reader->stats = HPGL_Stats();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning().noquote() << "HPGL_Reader::read" << "cannot open" << path << file.errorString();
        return -1;
    }
    const qint64 size = file.size();
    if (size == 0) {
        qInfo().noquote() << "HPGL_Reader::read" << path << "is empty";
        return 0;
    }
    // Mapping spares a copy of large files; a pipe or odd file system falls back to reading.
    if (uchar *mapped = file.map(0, size)) {
        const int paths = read_HPGL_data(reader, reinterpret_cast<const char *>(mapped), size, callback, context);
        file.unmap(mapped);
        return paths;
    }
    const QByteArray bytes = file.readAll();
    return read_HPGL_data(reader, bytes.constData(), bytes.size(), callback, context);
}
