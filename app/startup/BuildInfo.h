#pragma once

#include <QString>

// When the program was built, as the home page shows it.
namespace BuildInfo {

// The compiler's date ("Jun 12 2025", as __DATE__ writes it) as year, month
// and day without leading zeros ("2025-6-12"); empty when it reads as no date.
QString dateText(const char *compilerDate);
// This build's date in that form.
QString date();

} // namespace BuildInfo
