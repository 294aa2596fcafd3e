#pragma once

#include <QElapsedTimer>
#include <QMap>
#include <QPointF>
#include <QString>
#include <QStringList>

// What the controller keeps and reports. Numbers that travel as text with a
// fixed number of decimals are kept as doubles and formatted on the way out.
struct MotorState
{
    double speed = 0;
    double length = 0;
    int state = 0; // 1 while a timed move runs, 3 while it turns at a speed, 0 when stopped
    QElapsedTimer moving; // started by a timed move
    int moveMs = 0;       // how long that move runs

    // Ends a timed move whose time is up: the motor stands (state 0, speed 0).
    void settle();
};

struct MachineState
{
    // Identity and versions by module (0 control, 1 driver, 2 sensor, 3 trim).
    QString devType;
    QString devId;
    QString pcbId = QStringLiteral("PCB0001");
    QMap<int, QString> pcbVers;
    QMap<int, QString> firmwares;

    int speed = 100;
    int cutModel = 0;
    double scaleX = 1.0;
    double scaleY = 1.0;
    int workWidth = 1200;
    int workHeight = 50000;
    QMap<int, double> pressures;              // by knife index; missing = defaultPressure
    double defaultPressure = 120;
    double checkCenterX = 0;
    QMap<int, QPointF> markOffsets;           // by knife number 1..n
    int lights[3] = {50, 60, 70};             // mark, check background, check strip
    int rgb[3] = {0, 0, 0};
    QMap<int, QPointF> points;                // knife positions by index, HPGL units
    QMap<int, bool> knifeDown;
    int jogX = 0;
    int jogY = 0;
    QMap<int, MotorState> motors;             // key motor * 10 + sub
    bool sensors[7] = {false, false, false, false, false, false, false};
    double printRoller = 50;
    double filmRoller = 50;
    double collectRoller = 50;
    int gyroscopeRaw = 9000;                  // hundredths of a degree
    int rectifyReset = 0;                     // 3 once reset
    int trimYReset = 0;
    int knifeMask = 1;                        // knives of the next cut job (command 19)
    int cutMotorStatus = 0;                   // 0 idle, 1 cutting, 2 paused
    double webPosition = 0;                   // web travelled since power-on, HPGL units; X zeroing keeps it
    bool dataBusy = false;                    // command 21 answers "busy" whatever the carriage does
    int moveMs = 0;                           // a motor write with a length runs this long; 0: no timed moves

    // The state after power-on; identity and versions come from the caller.
    void resetToDefaults();
    QPointF markOffset(int knife) const;
    double pressure(int knife) const;

    // Changes one value by name (command line --set and the stdin "set" line).
    bool set(const QString &key, const QString &value, QString &error);
    static QStringList keys();
    // Reads the positions back (stdin "get" line): "web" and "point<k>",
    // written as machine coordinates.
    bool get(const QString &key, QString &value, QString &error) const;
    // The keys that hold one number, which a ramp may move.
    bool number(const QString &key, double &value) const;
    bool setNumber(const QString &key, double value);
};

// Numbers as the controller writes them.
QString fixed(double value, int decimals);
QString general(double value);
// A machine coordinate: an integer as such, else with up to three decimals.
QString coordinate(double value);
