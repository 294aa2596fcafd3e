#pragma once
// The cut files the benchmarks read: made in memory, the same each run.
#include <QByteArray>
#include <cmath>

// 10 MB: a page 10 m long of rounded labels, each with a round hole, eight across.
inline const QByteArray &tenMegabytes()
{
    static const QByteArray text = [] {
        QByteArray t = "IN;PS400000,8000,200,200,1,120,0,3200;MD1,120,399600,7600,2;SP1;\n";
        t.reserve(10 * 1024 * 1024 + 4096);
        auto arc = [&](double cx, double cy, double r, double from, int steps) {
            for (int i = 0; i <= steps; ++i) {
                const double a = from + (M_PI / 2) * i / steps;
                t += QByteArray::number(qint64(std::lround(cx + r * std::cos(a)))) + ',' +
                     QByteArray::number(qint64(std::lround(cy + r * std::sin(a)))) + ',';
            }
        };
        for (int label = 0; t.size() < 10 * 1024 * 1024; ++label) {
            const double x = 100 + (label / 8) * 1300;
            const double y = 100 + (label % 8) * 950;
            t += "PU" + QByteArray::number(qint64(x + 100)) + ',' + QByteArray::number(qint64(y)) + ";PD";
            arc(x + 1100, y + 100, 100, -M_PI / 2, 16);
            arc(x + 1100, y + 800, 100, 0, 16);
            arc(x + 100, y + 800, 100, M_PI / 2, 16);
            arc(x + 100, y + 100, 100, M_PI, 16);
            t += QByteArray::number(qint64(x + 100)) + ',' + QByteArray::number(qint64(y)) + ";\n";
            t += "PU" + QByteArray::number(qint64(x + 700)) + ',' + QByteArray::number(qint64(y + 450)) + ";PD";
            for (int i = 1; i <= 48; ++i) {
                const double a = 2 * M_PI * i / 48;
                t += QByteArray::number(qint64(std::lround(x + 600 + 100 * std::cos(a)))) + ',' +
                     QByteArray::number(qint64(std::lround(y + 450 + 100 * std::sin(a)))) + (i < 48 ? "," : ";\n");
            }
        }
        return t;
    }();
    return text;
}


// 10 MB: a 600 x 300 mm sheet in three knife lanes of fine artwork (rings
// of 0.1 mm steps), the detail that drawing programs export.
inline const QByteArray &denseSheet()
{
    static const QByteArray text = [] {
        QByteArray t = "IN;PS24000,12000,400,400,1,200,0,4000,8000;MD1,200,23200,3600,3;SP1;\n";
        t.reserve(10 * 1024 * 1024 + 4096);
        for (int ring = 0; t.size() < 10 * 1024 * 1024; ++ring) {
            const double cx = 300 + (ring / 6) * 500 % 23000, cy = 300 + (ring % 6) * 550;
            const double r = 150 + (ring % 7) * 15;
            const int steps = int(2 * M_PI * r / 4);
            t += "PU" + QByteArray::number(qint64(cx + r)) + ',' + QByteArray::number(qint64(cy)) + ";PD";
            for (int i = 1; i <= steps; ++i) {
                const double a = 2 * M_PI * i / steps;
                t += QByteArray::number(qint64(std::lround(cx + r * std::cos(a)))) + ',' +
                     QByteArray::number(qint64(std::lround(cy + r * std::sin(a)))) + (i < steps ? "," : ";\n");
            }
        }
        return t;
    }();
    return text;
}
