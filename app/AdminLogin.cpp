#include "app/AdminLogin.h"

#include <QCryptographicHash>

namespace AdminLogin {

namespace {
constexpr char kUser[] = "admin";
constexpr char kSalt[] = "Dravolinte-settings-2024";
constexpr char kDigest[] = "e8885ad223e53f4663a0624ccfc696bee68ab782a3c5930e62096c2c35a2639c";
} // namespace

Result check(const QString &userName, const QString &password)
{
    if (userName != QLatin1String(kUser))
        return UnknownUser;
    const QByteArray digest =
        QCryptographicHash::hash(QByteArray(kSalt) + password.toUtf8(), QCryptographicHash::Sha256).toHex();
    return digest == QByteArray(kDigest) ? Accepted : WrongPassword;
}

} // namespace AdminLogin
