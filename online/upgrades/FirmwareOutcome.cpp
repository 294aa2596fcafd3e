#include "online/upgrades/FirmwareOutcome.h"

void FirmwareOutcome::sent(int module, const QString &machineCode, const QString &firmNo)
{
    m_sent.insert(module, {machineCode, firmNo});
}

FirmwareOutcome::Verdict FirmwareOutcome::judge(const FirmwareQuery &before, const FirmwareQuery &now)
{
    if (before.machineCode != now.machineCode)
        return OtherController;
    const QString was = plain(before.firmNo), is = plain(now.firmNo);
    // A board that reported no number has nothing to compare.
    if (was.isEmpty() || is.isEmpty() || was == is)
        return Unchanged;
    const auto sentHere = m_sent.constFind(now.firmModule);
    if (sentHere == m_sent.constEnd() || sentHere->machineCode != now.machineCode)
        return Upgraded;
    // Whatever the board runs now, the file sent is no longer on its way.
    const QString sentNo = plain(sentHere->firmNo);
    m_sent.remove(now.firmModule);
    return sentNo == is ? Upgraded : NotWhatWasSent;
}

QString FirmwareOutcome::plain(const QString &firmNo)
{
    QString text;
    for (const QChar c : firmNo)
        if (!c.isSpace())
            text += c;
    if (text.startsWith(QLatin1Char('V')) || text.startsWith(QLatin1Char('v')))
        text.remove(0, 1);
    return text;
}
