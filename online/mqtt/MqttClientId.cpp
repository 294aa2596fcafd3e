#include "online/mqtt/MqttClientId.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QSysInfo>

QString MqttClientId::derive(const QByteArray &machineId, const QString &hostName, const QString &program)
{
    // Tagged, so a host name can never stand for another machine's id.
    const QByteArray machine = !machineId.isEmpty() ? QByteArray("id:") + machineId : QByteArray("host:") + hostName.toUtf8();
    QCryptographicHash digest(QCryptographicHash::Sha256);
    digest.addData(machine);
    digest.addData(QByteArray(1, '\0'));
    digest.addData(program.toUtf8());
    return QStringLiteral("Dravolinte-") + QString::fromLatin1(digest.result().toHex().left(12));
}

QString MqttClientId::forThisMachine()
{
    return derive(QSysInfo::machineUniqueId(), QSysInfo::machineHostName(), QCoreApplication::applicationName());
}
