#include "app/discovery/Announcement.h"

#include <QRegularExpression>

namespace Announcement {

QString idOf(const QByteArray &datagram)
{
    if (datagram.size() > kMaxDatagramSize)
        return QString();
    static const QRegularExpression pattern(QStringLiteral("(?<=DISA;).*?(?=(\\x03))"));
    const QRegularExpressionMatch match = pattern.match(QString::fromUtf8(datagram));
    if (!match.hasMatch())
        return QString();
    const QString id = match.captured(0);
    if (id.isEmpty() || id.size() > kMaxIdLength)
        return QString();
    // The id ends up in the parameter file and on the pages.
    for (const QChar c : id) {
        if (c.category() == QChar::Other_Control || c == QChar::ReplacementCharacter)
            return QString();
    }
    return id;
}

QString typeCode(const QString &id)
{
    return id.mid(2, 4).toLower();
}

int versionOf(const QString &code)
{
    static const char *const codes[] = {"07x3", "07x4", "07x5", "07x6", "07x7", "07x8"};
    for (int i = 0; i < 6; ++i) {
        if (code == QLatin1String(codes[i]))
            return i + 1;
    }
    return 0;
}

int modelNumber(const QString &code)
{
    bool ok = false;
    const int number = code.toInt(&ok, 36);
    return ok ? number : 0;
}

QString shortName(const QString &modelName)
{
    const qsizetype slash = modelName.indexOf(QLatin1Char('/'));
    return slash < 0 ? modelName : modelName.left(slash);
}

} // namespace Announcement
