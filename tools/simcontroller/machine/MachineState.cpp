#include "tools/simcontroller/machine/MachineState.h"

#include <cmath>
#include <functional>

namespace {

bool toInt(const QString &text, int &value)
{
    bool ok = false;
    const int parsed = text.toInt(&ok);
    if (ok)
        value = parsed;
    return ok;
}

bool toDouble(const QString &text, double &value)
{
    bool ok = false;
    const double parsed = text.toDouble(&ok);
    if (ok)
        value = parsed;
    return ok;
}

bool toPoint(const QString &text, QPointF &point)
{
    const QStringList xy = text.split(QLatin1Char(','));
    double x = 0;
    double y = 0;
    if (xy.size() != 2 || !toDouble(xy.at(0), x) || !toDouble(xy.at(1), y))
        return false;
    point = QPointF(x, y);
    return true;
}

// A key with a number suffix ("point2", "firmware1") gives the number.
bool indexed(const QString &key, const QString &stem, int &index)
{
    return key.startsWith(stem) && toInt(key.mid(stem.size()), index) && index >= 0;
}

} // namespace

QString fixed(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}

QString general(double value)
{
    return QString::number(value, 'g', 6);
}

void MotorState::settle()
{
    if (state == 1 && moving.isValid() && moving.elapsed() >= moveMs) {
        state = 0;
        speed = 0;
        moving.invalidate();
    }
}

QString coordinate(double value)
{
    if (value == std::floor(value) && std::abs(value) < 1e15)
        return QString::number(qint64(value));
    QString text = QString::number(value, 'f', 3);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    return text;
}

void MachineState::resetToDefaults()
{
    const QString keepType = devType;
    const QString keepId = devId;
    const QString keepPcb = pcbId;
    const QMap<int, QString> keepPcbVers = pcbVers;
    const QMap<int, QString> keepFirmwares = firmwares;
    const int keepMoveMs = moveMs; // how the simulated motors behave, not a machine setting
    const double keepWeb = webPosition; // the web does not run back with the settings
    *this = MachineState();
    moveMs = keepMoveMs;
    webPosition = keepWeb;
    devType = keepType;
    devId = keepId;
    pcbId = keepPcb;
    pcbVers = keepPcbVers;
    firmwares = keepFirmwares;
}

QPointF MachineState::markOffset(int knife) const
{
    // Distinct per knife, so that a test sees which knife was asked for.
    return markOffsets.value(knife, QPointF(20.0 + knife, -10.0 - knife));
}

double MachineState::pressure(int knife) const
{
    return pressures.value(knife, defaultPressure);
}

QStringList MachineState::keys()
{
    return {"status", "speed", "cutModel", "sensors", "sensor<1-7>", "printRoller", "filmRoller",
            "collectRoller", "gyroscope", "point<k>", "pressure<k>", "markOffset<n>", "checkCenterX",
            "rectifyReset", "trimYReset", "knifeMask", "web", "dataBusy", "devType", "pcbId", "pcbVer<m>", "firmware<m>",
            "moveMs", "motor<k>"};
}

bool MachineState::number(const QString &key, double &value) const
{
    if (key == QLatin1String("printRoller"))
        value = printRoller;
    else if (key == QLatin1String("filmRoller"))
        value = filmRoller;
    else if (key == QLatin1String("collectRoller"))
        value = collectRoller;
    else if (key == QLatin1String("gyroscope"))
        value = gyroscopeRaw;
    else if (key == QLatin1String("checkCenterX"))
        value = checkCenterX;
    else if (key == QLatin1String("speed"))
        value = speed;
    else
        return false;
    return true;
}

bool MachineState::setNumber(const QString &key, double value)
{
    double ignored = 0;
    if (!number(key, ignored))
        return false;
    // The integer keys take the nearest whole number.
    const bool whole = key == QLatin1String("gyroscope") || key == QLatin1String("speed");
    QString error;
    return set(key, whole ? QString::number(qRound64(value)) : QString::number(value, 'g', 17), error);
}

bool MachineState::set(const QString &key, const QString &value, QString &error)
{
    int index = 0;
    bool ok = false;
    using Setter = std::function<bool()>;
    const QMap<QString, Setter> plain{
        {"status", [&] { return toInt(value, cutMotorStatus); }},
        {"speed", [&] { return toInt(value, speed); }},
        {"cutModel", [&] { return toInt(value, cutModel); }},
        {"printRoller", [&] { return toDouble(value, printRoller); }},
        {"filmRoller", [&] { return toDouble(value, filmRoller); }},
        {"collectRoller", [&] { return toDouble(value, collectRoller); }},
        {"gyroscope", [&] { return toInt(value, gyroscopeRaw); }},
        {"checkCenterX", [&] { return toDouble(value, checkCenterX); }},
        {"rectifyReset", [&] { return toInt(value, rectifyReset); }},
        {"trimYReset", [&] { return toInt(value, trimYReset); }},
        {"knifeMask", [&] { return toInt(value, knifeMask); }},
        {"web", [&] { return toDouble(value, webPosition); }},
        {"dataBusy",
         [&] {
             int on = 0;
             const bool good = toInt(value, on);
             dataBusy = on != 0;
             return good;
         }},
        {"moveMs", [&] { return toInt(value, moveMs) && moveMs >= 0; }},
        {"devType", [&] { devType = value; return !value.isEmpty(); }},
        {"pcbId", [&] { pcbId = value; return !value.isEmpty(); }},
        {"sensors",
         [&] {
             if (value.size() != 7)
                 return false;
             for (int i = 0; i < 7; ++i)
                 sensors[i] = value.at(i) != QLatin1Char('0');
             return true;
         }},
    };
    if (plain.contains(key)) {
        ok = plain.value(key)();
    } else if (indexed(key, "sensor", index) && index >= 1 && index <= 7) {
        int on = 0;
        ok = toInt(value, on);
        sensors[index - 1] = on != 0;
    } else if (indexed(key, "point", index)) {
        QPointF p;
        ok = toPoint(value, p);
        if (ok)
            points[index] = p;
    } else if (indexed(key, "markOffset", index)) {
        QPointF p;
        ok = toPoint(value, p);
        if (ok)
            markOffsets[index] = p;
    } else if (indexed(key, "pressure", index)) {
        double p = 0;
        ok = toDouble(value, p);
        if (ok)
            pressures[index] = p;
    } else if (indexed(key, "motor", index) && index % 10 <= 1 && index / 10 <= 4) {
        // motor * 10 + sub: forces the state that reads of that motor report.
        int state = 0;
        ok = toInt(value, state);
        if (ok) {
            motors[index].state = state;
            motors[index].moving.invalidate();
        }
    } else if (indexed(key, "pcbVer", index)) {
        pcbVers[index] = value;
        ok = true;
    } else if (indexed(key, "firmware", index)) {
        firmwares[index] = value;
        ok = true;
    } else {
        error = QStringLiteral("unknown key %1 (known: %2)").arg(key, keys().join(QLatin1Char(' ')));
        return false;
    }
    if (!ok)
        error = QStringLiteral("bad value for %1: %2").arg(key, value);
    return ok;
}

bool MachineState::get(const QString &key, QString &value, QString &error) const
{
    int index = 0;
    if (key == QLatin1String("web")) {
        value = coordinate(webPosition);
        return true;
    }
    if (indexed(key, "point", index)) {
        const QPointF p = points.value(index);
        value = coordinate(p.x()) + QLatin1Char(',') + coordinate(p.y());
        return true;
    }
    error = QStringLiteral("cannot read %1 (readable: web point<k>)").arg(key);
    return false;
}
