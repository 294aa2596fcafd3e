#include "tests/views/OverlayFixture.h"

#include <cmath>

OverlayFixture::OverlayFixture()
{
    setCurrent(this);
}

OverlayFixture::~OverlayFixture()
{
    unsetCurrent(this);
}

bool OverlayFixture::blank(const QImage &image)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != qRgb(255, 255, 255))
                return false;
        }
    }
    return true;
}

int OverlayFixture::count(const QImage &image, const QRect &rect, const QColor &colour)
{
    // Ink: how far from white. A blend of colour with white has ink in the
    // same proportions as colour itself.
    const double ink[3] = {255.0 - colour.red(), 255.0 - colour.green(), 255.0 - colour.blue()};
    const double inkLength = std::sqrt(ink[0] * ink[0] + ink[1] * ink[1] + ink[2] * ink[2]);
    int n = 0;
    const QRect r = rect.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            const double here[3] = {255.0 - c.red(), 255.0 - c.green(), 255.0 - c.blue()};
            const double length = std::sqrt(here[0] * here[0] + here[1] * here[1] + here[2] * here[2]);
            if (length < 40.0)
                continue;
            const double cosine = (here[0] * ink[0] + here[1] * ink[1] + here[2] * ink[2]) / (length * inkLength);
            n += cosine > 0.97 ? 1 : 0;
        }
    }
    return n;
}
