#pragma once

#include <QString>

// The administrator's login of the settings. The pair is fixed; the password
// is kept only as a salted digest, so that it cannot be read off the pages'
// sources or the program file.
namespace AdminLogin {

enum Result { Accepted = 0, UnknownUser = 1, WrongPassword = 2 };

// Exact comparison: no trimming, case counts.
Result check(const QString &userName, const QString &password);

} // namespace AdminLogin
