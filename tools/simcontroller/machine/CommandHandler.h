#pragma once

#include <QByteArray>
#include <QStringList>

#include <optional>

class CutJob;
struct MachineState;

// A command text as sent: "id,arg,arg;".
struct Command
{
    int id = 0;
    QStringList args;
};

// Answers each command id with the fields the driver reads, status first,
// and applies what write commands change. Status 1 answers what the
// controller does not understand (unknown ids, missing or non-numeric
// arguments, unknown modules).
class CommandHandler
{
public:
    CommandHandler(MachineState &state, CutJob &job, bool perModule);

    // The command text after "CCMD;"; null when it has no numeric id.
    static std::optional<Command> parse(const QByteArray &text);
    QStringList handle(const Command &command);

private:
    QStringList deviceInfo(const Command &c);
    QStringList reset(const Command &c);
    QStringList knifePoint(const Command &c);
    QStringList knifeUpDown(const Command &c);
    QStringList speed(const Command &c);
    QStringList pressure(const Command &c);
    QStringList camera(const Command &c);
    QStringList scale(const Command &c);
    QStringList cutModel(const Command &c);
    QStringList workArea(const Command &c);
    QStringList taskControl(const Command &c);
    QStringList light(const Command &c);
    QStringList jog(const Command &c);
    QStringList factory(const Command &c);
    QStringList sensors(const Command &c);
    QStringList rollers(const Command &c);
    QStringList knifeSelect(const Command &c);
    QStringList motor(const Command &c);
    QStringList cutDataSize(const Command &c);

    MachineState &m_state;
    CutJob &m_job;
    bool m_perModule;
};

// Argument i as a number; false when missing or not a number.
bool argInt(const Command &c, int i, int &value);
bool argDouble(const Command &c, int i, double &value);
