#pragma once

#include "inspection/OverlaySource.h"

#include <QImage>
#include <QObject>
#include <QPainter>
#include <QRect>

// What the overlays draw, given by the test in the application's place.
class OverlayFixture : public QObject, public OverlaySource
{
    Q_OBJECT
public:
    OverlayFixture();
    ~OverlayFixture() override;

    QList<FilmRecord> films;
    std::shared_ptr<const ReadData> result;
    int segment = 0;

    QList<FilmRecord> filmRecords() const override { return films; }
    std::shared_ptr<const ReadData> checkResult() const override { return result; }
    int segmentX() const override { return segment; }
    QObject *overlayNotifier() override { return this; }
    // How many overlays listen to a repaint signal.
    int listeners(const char *signal) const { return receivers(signal); }

    // item painted onto a white canvas of its size.
    template <typename Item>
    static QImage paint(Item &item)
    {
        QImage canvas(int(item.width()), int(item.height()), QImage::Format_RGB32);
        canvas.fill(Qt::white);
        QPainter painter(&canvas);
        item.paint(&painter);
        return canvas;
    }
    static bool blank(const QImage &image);
    // Pixels in rect painted in colour, fully or blended with the white (smoothed edges).
    static int count(const QImage &image, const QRect &rect, const QColor &colour);

signals:
    void filmViewUpdate(const QRect &rect);
    void lostViewUpdate(const QRect &rect);
};
