#pragma once

#include "tests/support/cameras/SimCamera.h"

#include <QImage>
#include <QPointF>
#include <QPolygonF>
#include <QRectF>
#include <QSize>
#include <QSizeF>
#include <QVariant>

class SimController;

// What the simulated web carries: pages one after the other along the web
// (page height plus spacing apart), each with round marks, printed shifted,
// turned and scaled on purpose. Millimetres; x runs along the web (from the
// web's position 0), y across it.
struct PrintedWeb
{
    QSizeF page{100, 60};        // width across, height along
    double spacing = 0.0;        // blank web between two pages
    double firstPage = 0.0;      // where the first page starts along the web
    QPolygonF marks;             // mark centres in page coordinates (x along, y across)
    double markSize = 3.5;       // diameter
    QPointF shift;               // the print's error, applied about the page centre
    double rotation = 0.0;       // degrees
    double scale = 1.0;

    // Four marks at the corners of a marked area (page coordinates).
    void setMarkedArea(const QRectF &area);
    double pitch() const { return page.height() + spacing; }
    // Where mark i of page n lies on the web, the print's error included.
    QPointF markOnWeb(int page, int i) const;
};

// The mark camera of a test: answers the application's capture request for
// camera 1 with the frame under the camera at that moment, read from the
// simulator (web position, knife 0 across) plus the mark-camera offset of
// knife 0, at 40 pixels per mm. The image's rows run along the web (a mark
// further on appears higher), its columns across it (further across: more
// to the left), as the task worker reads them.
class SimMarkCamera : public SimCamera
{
    Q_OBJECT

public:
    explicit SimMarkCamera(SimController *sim, QObject *parent = nullptr);

    PrintedWeb web;
    QPointF cameraOffset{20, -10}; // mm from knife 0 (x along, y across)
    QSize frameSize{1280, 960};
    bool blank = false;            // a camera that sees no mark (lens cap on)
    int answered = 0;

    // The frame of a camera whose centre stands at `centre` (web mm).
    static QImage render(const PrintedWeb &web, const QPointF &centre, const QSize &frame, bool blank = false);
    // Where a web point (mm) appears in a frame centred at `centre`.
    static QPointF toPixel(const QPointF &webMm, const QPointF &centre, const QSize &frame);
    // Where the camera stands now; false when the simulator does not answer.
    bool cameraPosition(QPointF *centre) const;

public slots:
    void onCapture(const QVariant &camera) override;

private:
    SimController *m_sim;
};
