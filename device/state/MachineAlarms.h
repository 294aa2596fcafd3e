#pragma once

#include <QString>
#include <QtGlobal>

// The bits of the driver's deviceState and their texts.
namespace MachineAlarms {

enum Bit : quint64 {
    FeedLimit = 1,           // dancer past its limit (feed or waste side by machine version)
    PrintRollerLimit = 2,
    PrintRollerMax = 4,
    FilmRollerLimit = 8,
    FilmRollerMax = 16,
    CollectRollerLimit = 32,
    CollectRollerMax = 64,
    DefectCheckFailed = 128,
    AlarmReport = 256,       // the controller sent an alarm report (id 23)
    WebGuideError = 512,
};

// The text put in front of an alarm report with this code; empty for codes
// without a text.
QString alarmCodeText(int code);

// The limit texts of the set bits (0 to 6, then 9), for a machine version.
QString limitTexts(quint64 state, int machineVersion);

} // namespace MachineAlarms
