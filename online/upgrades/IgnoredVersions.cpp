#include "online/upgrades/IgnoredVersions.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSettings>

IgnoredVersions::IgnoredVersions()
    : m_file(QCoreApplication::applicationDirPath() + QStringLiteral("/config.ini"))
{
}

bool IgnoredVersions::available() const
{
    return QFileInfo(m_file).isFile();
}

QString IgnoredVersions::version(const QString &name) const
{
    if (!available())
        return QString();
    const QSettings settings(m_file, QSettings::IniFormat);
    return settings.value(QLatin1String(kSection) + QLatin1Char('/') + name).toString();
}

bool IgnoredVersions::ignore(const QString &name, const QString &version)
{
    if (!available())
        return false;
    QSettings settings(m_file, QSettings::IniFormat);
    settings.setValue(QLatin1String(kSection) + QLatin1Char('/') + name, version);
    settings.sync();
    return settings.status() == QSettings::NoError;
}
