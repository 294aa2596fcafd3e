#include "inspection/marks/MarkTrace.h"

#include <QDebug>

Q_LOGGING_CATEGORY(lcMarkFinder, "dravo.markfinder")

void markTrace(const QString &text)
{
    qCDebug(lcMarkFinder).noquote() << "findMarkCircles" << text;
}
