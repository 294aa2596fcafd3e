#include "PltHeader.h"

#include <QDebug>
#include <QRegularExpression>
#include <QStringList>
#include <cmath>

namespace {

constexpr double kLimit = 2147483648.0;

bool readNumber(const QString &text, double &value)
{
    bool ok = false;
    value = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(value) && std::fabs(value) <= kLimit;
}

QString format(double v)
{
    if (std::fabs(v - std::round(v)) < 1e-9)
        return QString::number(qint64(std::llround(v)));
    QString s = QString::number(v, 'f', 4);
    while (s.endsWith(QLatin1Char('0')))
        s.chop(1);
    return s;
}

bool isNonZeroWhole(const QString &text)
{
    bool ok = false;
    const qlonglong v = text.toLongLong(&ok, 10);
    return ok && v != 0;
}

PltHeader refuse(PltHeader header, const QString &problem)
{
    header.valid = false;
    header.problem = problem;
    qWarning().noquote() << "PltHeader::parse" << "header not used:" << problem;
    return header;
}

} // namespace

PltHeader PltHeader::parse(const QByteArray &fileStart)
{
    PltHeader h;
    const QString text = QString::fromLatin1(fileStart.left(kScanBytes));
    static const QRegularExpression psExpr(QStringLiteral("(?<=PS).*?(?=(;))"));
    static const QRegularExpression mdExpr(QStringLiteral("(?<=MD).*?(?=(;))"));
    const QRegularExpressionMatch ps = psExpr.match(text);
    const QStringList v = ps.hasMatch() ? ps.captured(0).split(QLatin1Char(',')) : QStringList();
    if (v.size() < 5)
        return h; // no layout header: a plain cut file
    const QRegularExpressionMatch md = mdExpr.match(text);
    const QStringList m = md.hasMatch() ? md.captured(0).split(QLatin1Char(',')) : QStringList();
    if (md.hasMatch() && m.size() < 5)
        return refuse(h, QStringLiteral("MD has %1 values, 5 needed").arg(m.size()));

    // Nothing smaller than one plotter unit is a page or an area.
    if (!readNumber(v[0], h.pageLength) || !readNumber(v[1], h.pageWidth) || h.pageLength < 1 || h.pageWidth < 1)
        return refuse(h, QStringLiteral("page size \"%1\", \"%2\"").arg(v[0], v[1]));
    if (!readNumber(v[2], h.areaOffsetLength) || !readNumber(v[3], h.areaOffsetWidth))
        return refuse(h, QStringLiteral("area offset \"%1\", \"%2\"").arg(v[2], v[3]));
    bool typeOk = false;
    h.markType = v[4].trimmed().toInt(&typeOk);
    if (!typeOk)
        h.markType = 0;

    int laneStart = -1;
    if (v.size() >= 7) {
        for (int i = v.size() - 1; i >= 5 && laneStart < 0; --i) {
            if (!isNonZeroWhole(v[i]))
                laneStart = i;
        }
        if (laneStart < 0)
            laneStart = 6;
        for (int i = laneStart; i < v.size(); ++i) {
            double lane = 0; // an empty field is a lane at 0, as the preview reads it
            if (!v[i].trimmed().isEmpty() && !readNumber(v[i], lane))
                return refuse(h, QStringLiteral("lane \"%1\"").arg(v[i]));
            h.lanes << lane;
        }
    }
    if (v.size() == 6 || laneStart > 5) {
        double size = 0;
        if (readNumber(v[5], size) && size > 0) {
            h.hasMarkSize = true;
            h.markSize = size;
        }
    }

    if (md.hasMatch()) {
        if (!readNumber(m[2], h.areaLength) || !readNumber(m[3], h.areaWidth) || h.areaLength < 1 || h.areaWidth < 1)
            return refuse(h, QStringLiteral("area size \"%1\", \"%2\"").arg(m[2], m[3]));
        h.hasArea = true;
    } else {
        // Without MD the marked area keeps the same margin on both sides.
        h.areaLength = h.pageLength - 2 * h.areaOffsetLength;
        h.areaWidth = h.pageWidth - 2 * h.areaOffsetWidth;
        if (h.areaLength <= 0)
            h.areaLength = h.pageLength - h.areaOffsetLength;
        if (h.areaWidth <= 0)
            h.areaWidth = h.pageWidth - h.areaOffsetWidth;
        if (h.areaLength < 1 || h.areaWidth < 1)
            return refuse(h, QStringLiteral("area offset beyond the page"));
        // A negative offset widens the area; it is written out as MD and must read back.
        if (h.areaLength > kLimit || h.areaWidth > kLimit)
            return refuse(h, QStringLiteral("area size beyond 2^31"));
    }
    h.valid = true;
    return h;
}

QByteArray PltHeader::toHpgl() const
{
    if (!valid)
        return QByteArray();
    // Readers look at the first 256 bytes only: lanes that do not fit are left out.
    for (qsizetype laneCount = lanes.size(); laneCount >= 0; --laneCount) {
        QStringList ps{format(pageLength), format(pageWidth), format(areaOffsetLength), format(areaOffsetWidth),
                       QString::number(markType)};
        if (hasMarkSize || laneCount > 0)
            ps << format(hasMarkSize ? markSize : 0);
        for (qsizetype i = 0; i < laneCount; ++i) {
            // The first lane must stop the backwards scan for lanes ("0" or a fraction
            // does); the others must not, so they are whole units.
            QString lane = i == 0 ? format(lanes[i]) : QString::number(qint64(std::llround(lanes[i])));
            if (i == 0 && isNonZeroWhole(lane))
                lane += QStringLiteral(".0");
            ps << lane;
        }
        const QStringList md{QString::number(markType), format(hasMarkSize ? markSize : 0), format(areaLength),
                             format(areaWidth), QString::number(laneCount)};
        const QByteArray text =
            "IN;PS" + ps.join(QLatin1Char(',')).toLatin1() + ";MD" + md.join(QLatin1Char(',')).toLatin1() + ";";
        if (text.size() <= kScanBytes) {
            if (laneCount < lanes.size())
                qWarning().noquote() << "PltHeader::toHpgl" << lanes.size() - laneCount
                                     << "knife lanes do not fit into the header and are left out";
            return text;
        }
    }
    return QByteArray();
}
