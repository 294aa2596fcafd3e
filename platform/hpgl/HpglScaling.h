#pragma once

// The user units of a plotter file: IP places the scaling points P1 and P2 in
// plotter units, SC names the user coordinates that fall on them. Once SC is
// on, every coordinate is a user unit, mapped per axis as
//   plotter = a * user + b
// (a negative a mirrors the axis: P1 right of P2, or SC's minimum above its
// maximum). Drawing programs write "IP0,0,8128,8128;SC0,10000,0,10000;" and
// the like; without SC the numbers are plotter units and IP changes nothing.
//
// Before any IP, P1 is the origin and P2 is not known: SC's point-factor form
// (type 2) needs only P1, the other forms cannot be applied until an IP comes.
class HpglScaling
{
public:
    // IN: default scaling points, scaling off.
    void reset();
    // SC; (no values) and DF: scaling off, the scaling points stay.
    void off();
    // IP with its values (0, 2 or 4 of them). False when the count makes no sense.
    bool setPoints(const double *values, int count);
    // SC with its values: xmin,xmax,ymin,ymax[,type[,left,bottom]] or, with type 2,
    // xmin,xfactor,ymin,yfactor,2. False when the count makes no sense.
    bool setScale(const double *values, int count);

    // Scaling asked for and in force.
    bool isOn() const { return m_on; }
    // SC asked for but not applicable (no P2, an empty range): coordinates stay plotter units.
    bool isBroken() const { return m_wanted && !m_on; }

    double x(double u) const { return m_on ? m_ax * u + m_bx : u; }
    double y(double u) const { return m_on ? m_ay * u + m_by : u; }
    // Factors of a relative move or a radius (1 without scaling).
    double ax() const { return m_on ? m_ax : 1.0; }
    double ay() const { return m_on ? m_ay : 1.0; }

private:
    void update();

    double m_p1x = 0, m_p1y = 0, m_p2x = 0, m_p2y = 0;
    bool m_p2Known = false;
    bool m_wanted = false; // SC with values is the last word on scaling
    double m_sc[7] = {};   // its values
    int m_scCount = 0;
    bool m_on = false;
    double m_ax = 1, m_bx = 0, m_ay = 1, m_by = 0;
};
