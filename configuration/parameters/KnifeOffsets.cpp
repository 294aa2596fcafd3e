#include "configuration/parameters/KnifeOffsets.h"

KnifeOffsets::KnifeOffsets(WriteThrough writeThrough) : m_writeThrough(std::move(writeThrough)) {}

QString KnifeOffsets::key(Axis axis, int knife)
{
    const QString base = axis == X ? QStringLiteral("Dravolinte/Mark_Camera_Offset_X")
                                   : QStringLiteral("Dravolinte/Mark_Camera_Offset_Y");
    return knife == 0 ? base : base + QString::number(knife);
}

double KnifeOffsets::get(Axis axis, int knife) const
{
    return m_offsets[axis].get().value(knife, 0.0);
}

bool KnifeOffsets::set(Axis axis, int knife, double mm)
{
    return m_offsets[axis].update([&](QMap<int, double> &offsets) {
        const auto it = offsets.constFind(knife);
        if (it != offsets.constEnd() && it.value() == mm)
            return false;
        offsets.insert(knife, mm);
        if (m_writeThrough)
            m_writeThrough(key(axis, knife), mm);
        return true;
    });
}

void KnifeOffsets::load(Axis axis, int knife, double mm)
{
    m_offsets[axis].update([&](QMap<int, double> &offsets) {
        offsets.insert(knife, mm);
        return true;
    });
}

double KnifeOffsets::slot(Axis axis, int knife)
{
    double mm = 0.0;
    m_offsets[axis].update([&](QMap<int, double> &offsets) {
        mm = offsets.value(knife, 0.0);
        offsets.insert(knife, mm);
        return true;
    });
    return mm;
}
