#pragma once

#include "configuration/Guarded.h"

#include <QMap>
#include <QString>
#include <QVariant>
#include <functional>

// The mark camera's offset from each knife, in millimetres, per axis, stored
// in the working file under "Dravolinte/Mark_Camera_Offset_X" (and _Y) for
// knife 0 and under the same key with the knife's number appended for the
// others. Offsets are not parameter rows: no id, label or group.
class KnifeOffsets
{
public:
    enum Axis { X, Y };
    // Receives every changed offset under the axis's lock (in the order set).
    using WriteThrough = std::function<void(const QString &key, const QVariant &value)>;

    explicit KnifeOffsets(WriteThrough writeThrough);

    static QString key(Axis axis, int knife);
    // 0 for a knife that has no offset.
    double get(Axis axis, int knife) const;
    // Stores and writes mm through when it differs (exactly) from the knife's
    // offset, or the knife has none yet; true then.
    bool set(Axis axis, int knife, double mm);
    // The load pass: mm as read, not written back. The save pass: the
    // knife's offset, 0 from now on when it had none.
    void load(Axis axis, int knife, double mm);
    double slot(Axis axis, int knife);

private:
    Guarded<QMap<int, double>> m_offsets[2];
    WriteThrough m_writeThrough;
};
