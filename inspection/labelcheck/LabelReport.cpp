#include "inspection/labelcheck/LabelReport.h"

#include "configuration/FilePaths.h"

#include <QDir>
#include <QFile>
#include <QTextCodec>

namespace {

// Library text (UTF-8 as a rule) with every line break a plain "\n" and no
// control character that a spreadsheet would choke on.
QString textOf(const std::string &bytes)
{
    QString text = QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    for (QChar &c : text) {
        if (c.unicode() < 0x20 && c != QLatin1Char('\n') && c != QLatin1Char('\t'))
            c = QLatin1Char('?');
    }
    return text;
}

QString quoted(QString field)
{
    field.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + field + QLatin1Char('"');
}

// The index of the first band holding v strictly inside; 0 when none does.
int bandOf(const QList<SceneSegment> &bands, double v)
{
    for (int i = 0; i < bands.size(); ++i) {
        if (bands[i].start < v && bands[i].end > v)
            return i;
    }
    return 0;
}

QString position(const LabelCode &c)
{
    return QStringLiteral("(%1, %2, %3, %4)").arg(c.x).arg(c.y).arg(c.width).arg(c.height);
}

} // namespace

QString LabelReport::filePath()
{
    return labelReportPath();
}

QString LabelReport::row(const ReadData &result, const Page &page)
{
    int lost = 0, checked = 0, bars = 0, qrs = 0, texts = 0;
    QString lostList, checkList;
    for (const LabelRecord &label : result.labels) {
        const double xmm = (double(label.x) - result.first_edge) * page.scale;
        const double ymm = (double(label.y) - page.segmentX) * page.scale;
        const QString header = QStringLiteral("%1, %2(%3, %4, %5, %6)")
                                   .arg(bandOf(page.rows, ymm))
                                   .arg(bandOf(page.cols, xmm))
                                   .arg(label.x)
                                   .arg(label.y)
                                   .arg(label.width)
                                   .arg(label.height);
        if (label.status == 0) {
            ++lost;
            lostList += QStringLiteral("LOST%1、%2\n").arg(QString::number(lost), header);
            continue;
        }
        // One substitution pass each: a code's own "%1" stays as it is.
        QString details;
        for (const LabelCode &c : label.barCodes)
            details += QStringLiteral("BAR%1、type %2, code %3 %4\n")
                           .arg(QString::number(++bars), textOf(c.type), textOf(c.code), position(c));
        for (const LabelCode &c : label.qrCodes)
            details += QStringLiteral("QR%1、type %2, code %3 %4\n")
                           .arg(QString::number(++qrs), textOf(c.type), textOf(c.code), position(c));
        for (const LabelText &t : label.texts) {
            const QString at = t.box.empty() ? QString() : QStringLiteral("(%1, %2)").arg(t.box[0].x).arg(t.box[0].y);
            details += QStringLiteral("OCR%1、%2, confidence %3, %4\n")
                           .arg(QString::number(++texts), textOf(t.text), QString::number(t.confidence, 'g', 6), at);
        }
        while (details.endsWith(QLatin1Char('\n')))
            details.chop(1);
        ++checked;
        checkList += QStringLiteral("CHECK%1 %2:\n%3\n\n").arg(QString::number(checked), header, details);
    }
    while (checkList.endsWith(QLatin1Char('\n')))
        checkList.chop(1);
    if (!lostList.isEmpty()) {
        lostList.chop(1);
        lostList = quoted(lostList);
    }
    if (!checkList.isEmpty())
        checkList = quoted(checkList);
    QString totals = QStringLiteral("lost: %1, check: %2").arg(lost).arg(checked);
    if (page.barCodes && bars > 0)
        totals += QStringLiteral(", BAR: %1").arg(bars);
    if (page.qrCodes && qrs > 0)
        totals += QStringLiteral(", QR: %1").arg(qrs);
    if (page.texts && texts > 0)
        totals += QStringLiteral(", OCR: %1").arg(texts);
    return QStringLiteral("%1,%2,%3,%4\n")
        .arg(page.time.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")), quoted(totals), lostList, checkList);
}

QByteArray LabelReport::encode(const QString &row)
{
    QString text = row;
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    static QTextCodec *const gbk = QTextCodec::codecForName("GBK");
    return gbk ? gbk->fromUnicode(text) : text.toLatin1();
}

bool LabelReport::append(const QString &path, const QByteArray &bytes, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}
