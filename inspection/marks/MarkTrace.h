#pragma once

#include <QLoggingCategory>
#include <QString>

// The finder's trace lines ("s2: ..", "T: ..", "DIAM: ..", the corner test),
// debug level, category "dravo.markfinder", so they can be switched off alone.
Q_DECLARE_LOGGING_CATEGORY(lcMarkFinder)

void markTrace(const QString &text);
