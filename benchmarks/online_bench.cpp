// The advertising carousel: one paint during a fade, two 1920 x 1080 images
// in a 422 x 237 window (the size the first of them gives it). The baseline
// scales both images on every paint.
#include "online/carousel/CarouselFrame.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <benchmark/benchmark.h>

namespace {

QImage photo(QColor from, QColor to)
{
    QImage image(1920, 1080, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, 1920, 1080);
    gradient.setColorAt(0, from);
    gradient.setColorAt(1, to);
    painter.fillRect(image.rect(), gradient);
    return image;
}

struct Fade
{
    QImage current = photo(Qt::red, Qt::yellow);
    QImage previous = photo(Qt::blue, Qt::green);
    QSize window = CarouselFrame::sizeFor(current.size());
    QImage target{window, QImage::Format_ARGB32_Premultiplied};
};

void drawCentred(QPainter &painter, const QRect &rect, const QImage &image)
{
    painter.drawImage(QPoint((rect.width() - image.width()) / 2, (rect.height() - image.height()) / 2), image);
}

void BM_CarouselFadePaintScalingEachTime(benchmark::State &state)
{
    Fade fade;
    for (auto _ : state) {
        QPainter painter(&fade.target);
        drawCentred(painter, fade.target.rect(), CarouselFrame::scaledTo(fade.current, fade.window));
        painter.setOpacity(0.5);
        drawCentred(painter, fade.target.rect(), CarouselFrame::scaledTo(fade.previous, fade.window));
    }
}
BENCHMARK(BM_CarouselFadePaintScalingEachTime)->Unit(benchmark::kMillisecond);

void BM_CarouselFadePaint(benchmark::State &state)
{
    Fade fade;
    CarouselFrame frame;
    for (auto _ : state) {
        QPainter painter(&fade.target);
        frame.paint(painter, fade.target.rect(), fade.current, fade.previous, 0.5);
    }
}
BENCHMARK(BM_CarouselFadePaint)->Unit(benchmark::kMillisecond);

} // namespace
