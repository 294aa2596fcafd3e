#pragma once

#include "online/upgrades/FirmwareQuery.h"

#include <QMap>
#include <QString>

// Whether a module's firmware number between two checks tells of a finished
// upgrade. The number must change on the same controller (a controller put in
// another's place reports its own numbers), whichever page sent the file; and
// when the firmware dialog sent one, the board must report the version it
// sent: any other number is a flash that did not take, or another's.
class FirmwareOutcome
{
public:
    enum Verdict {
        Unchanged,       // nothing to tell (no number yet, or the same one)
        Upgraded,        // "升级成功"
        OtherController, // the numbers of two controllers: never an upgrade
        NotWhatWasSent,  // the dialog's file, but the board reports another version
    };

    // The dialog sent a file with this version to the module of that controller.
    void sent(int module, const QString &machineCode, const QString &firmNo);
    // Judges the module's new check against its check before; a change ends what sent() noted.
    Verdict judge(const FirmwareQuery &before, const FirmwareQuery &now);

    // A version number as compared: without blanks and a leading "V".
    static QString plain(const QString &firmNo);

private:
    struct Sent
    {
        QString machineCode;
        QString firmNo;
    };
    QMap<int, Sent> m_sent;
};
