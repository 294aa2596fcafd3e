#include "platform/graphics/variabledata/XlsxReader.h"

#include <QDebug>
#include <QXmlStreamReader>
#include <cmath>
#include <quazip/quazip.h>
#include <quazip/quazipfile.h>

namespace {

// One part of the package, refused when missing or too big once unpacked.
bool readPart(QuaZip &zip, const QString &name, QByteArray &out)
{
    if (!zip.setCurrentFile(name, QuaZip::csInsensitive))
        return false;
    QuaZipFile file(&zip);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    out.clear();
    char buffer[65536];
    for (;;) {
        const qint64 n = file.read(buffer, sizeof buffer);
        if (n < 0 || out.size() + n > XlsxReader::kMaxPartBytes) {
            file.close();
            return false;
        }
        if (n == 0)
            break;
        out.append(buffer, qsizetype(n));
    }
    const bool ok = file.getZipError() == UNZ_OK;
    file.close();
    return ok && file.getZipError() == UNZ_OK;
}

// "BC12" -> column 54 (0-based); -1 when there are no letters.
int columnOf(QStringView ref)
{
    int column = 0;
    int letters = 0;
    for (QChar c : ref) {
        const char16_t u = c.toUpper().unicode();
        if (u < 'A' || u > 'Z')
            break;
        column = column * 26 + (u - 'A' + 1);
        if (++letters > 3)
            return -1;
    }
    return letters ? column - 1 : -1;
}

QString numberText(const QString &raw)
{
    bool ok = false;
    const double v = raw.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return raw;
    return QString::number(v, 'g', 15);
}

// The sheet's part name from the workbook and its relationships.
QString firstSheetPart(QuaZip &zip)
{
    QByteArray workbook;
    QByteArray rels;
    if (!readPart(zip, QStringLiteral("xl/workbook.xml"), workbook) ||
        !readPart(zip, QStringLiteral("xl/_rels/workbook.xml.rels"), rels))
        return QString();
    QString id;
    QXmlStreamReader xml(workbook);
    while (!xml.atEnd() && id.isEmpty()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("sheet")) {
            for (const QXmlStreamAttribute &a : xml.attributes()) {
                if (a.name() == QLatin1String("id"))
                    id = a.value().toString();
            }
        }
    }
    if (id.isEmpty())
        return QString();
    QXmlStreamReader relXml(rels);
    while (!relXml.atEnd()) {
        if (relXml.readNext() == QXmlStreamReader::StartElement &&
            relXml.name() == QLatin1String("Relationship") &&
            relXml.attributes().value(QLatin1String("Id")) == id) {
            const QString target = relXml.attributes().value(QLatin1String("Target")).toString();
            return target.startsWith(QLatin1Char('/')) ? target.mid(1) : QStringLiteral("xl/") + target;
        }
    }
    return QString();
}

QStringList sharedStrings(QuaZip &zip)
{
    QByteArray data;
    QStringList strings;
    if (!readPart(zip, QStringLiteral("xl/sharedStrings.xml"), data))
        return strings;
    QXmlStreamReader xml(data);
    QString current;
    int phonetic = 0;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (xml.name() == QLatin1String("si"))
                current.clear();
            else if (xml.name() == QLatin1String("rPh"))
                ++phonetic;
            else if (xml.name() == QLatin1String("t") && !phonetic)
                current += xml.readElementText();
        } else if (token == QXmlStreamReader::EndElement) {
            if (xml.name() == QLatin1String("si"))
                strings << current;
            else if (xml.name() == QLatin1String("rPh"))
                --phonetic;
        }
    }
    return strings;
}

} // namespace

void XlsxReader::clear()
{
    m_fileName.clear();
    m_headers.clear();
    m_records.clear();
}

bool XlsxReader::load(const QString &path)
{
    clear();
    QuaZip zip(path);
    if (!zip.open(QuaZip::mdUnzip)) {
        qWarning().noquote() << "XlsxReader::load" << "not a workbook:" << path;
        return false;
    }
    const QString sheetPart = firstSheetPart(zip);
    QByteArray sheet;
    if (sheetPart.isEmpty() || !readPart(zip, sheetPart, sheet)) {
        qWarning().noquote() << "XlsxReader::load" << "no readable worksheet in" << path;
        return false;
    }
    const QStringList strings = sharedStrings(zip);

    QList<QStringList> rows;
    QXmlStreamReader xml(sheet);
    QStringList row;
    int column = 0;
    QString type;
    QString cell;
    bool inRow = false;
    qint64 cells = 0;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            const auto name = xml.name();
            if (name == QLatin1String("row")) {
                row.clear();
                column = 0;
                inRow = true;
            } else if (name == QLatin1String("c") && inRow) {
                const int c = columnOf(xml.attributes().value(QLatin1String("r")));
                column = c >= 0 ? c : column;
                type = xml.attributes().value(QLatin1String("t")).toString();
                cell.clear();
            } else if ((name == QLatin1String("v") || name == QLatin1String("t")) && inRow) {
                cell += xml.readElementText(QXmlStreamReader::IncludeChildElements);
            }
        } else if (token == QXmlStreamReader::EndElement) {
            const auto name = xml.name();
            if (name == QLatin1String("c") && inRow) {
                QString text = cell;
                if (type == QLatin1String("s")) {
                    bool ok = false;
                    const int i = cell.toInt(&ok);
                    text = ok && i >= 0 && i < strings.size() ? strings[i] : QString();
                } else if (type == QLatin1String("b")) {
                    text = cell == QLatin1String("1") ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
                } else if (type.isEmpty() || type == QLatin1String("n")) {
                    text = numberText(cell);
                }
                // Records are read by column name: nothing beyond the header row's width is kept.
                const int width = rows.isEmpty() ? kMaxColumns : int(rows.front().size());
                if (column < width) {
                    while (row.size() <= column)
                        row << QString();
                    row[column] = text;
                }
                ++column;
            } else if (name == QLatin1String("row") && inRow) {
                inRow = false;
                cells += rows.isEmpty() ? 0 : rows.front().size();
                if (rows.size() >= kMaxRows || cells > kMaxCells) {
                    qWarning().noquote() << "XlsxReader::load" << "too many cells, records after" << rows.size()
                                         << "left out:" << path;
                    break;
                }
                rows << row;
            }
        }
    }
    if (xml.hasError()) {
        qWarning().noquote() << "XlsxReader::load" << "damaged worksheet in" << path << xml.errorString();
        return false;
    }
    if (rows.isEmpty()) {
        qWarning().noquote() << "XlsxReader::load" << "the worksheet is empty:" << path;
        return false;
    }
    m_fileName = path;
    m_headers = rows.takeFirst();
    for (QStringList &r : rows) {
        bool any = false;
        for (const QString &v : r)
            any = any || !v.isEmpty();
        if (!any)
            continue;
        while (r.size() < m_headers.size())
            r << QString();
        m_records << r;
    }
    qInfo().noquote() << "XlsxReader::load" << path << m_records.size() << "records";
    return true;
}

QStringList XlsxReader::record(int index) const
{
    return index >= 0 && index < m_records.size() ? m_records[index] : QStringList();
}

QString XlsxReader::value(int index, const QString &column) const
{
    const int c = int(m_headers.indexOf(column));
    const QStringList r = record(index);
    return c >= 0 && c < r.size() ? r[c] : QString();
}
