#include "tests/support/cameras/SimMarkCamera.h"

#include "tests/support/SimController.h"

#include <QPainter>
#include <QTransform>
#include <cmath>

namespace {

constexpr double kPixelsPerMm = 40.0;
constexpr double kHpglPerMm = 40.0;

bool parseNumbers(const QString &text, int count, double *out)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != count)
        return false;
    for (int i = 0; i < count; ++i) {
        bool ok = false;
        out[i] = parts.at(i).toDouble(&ok);
        if (!ok)
            return false;
    }
    return true;
}

} // namespace

void PrintedWeb::setMarkedArea(const QRectF &area)
{
    marks = QPolygonF{area.topLeft(), area.topRight(), area.bottomRight(), area.bottomLeft()};
}

QPointF PrintedWeb::markOnWeb(int pageIndex, int i) const
{
    const QPointF centre(page.height() / 2.0, page.width() / 2.0);
    QTransform t;
    t.translate(firstPage + pageIndex * pitch() + centre.x() + shift.x(), centre.y() + shift.y());
    t.rotate(rotation);
    t.scale(scale, scale);
    t.translate(-centre.x(), -centre.y());
    return t.map(marks.value(i));
}

SimMarkCamera::SimMarkCamera(SimController *sim, QObject *parent)
    : SimCamera(parent)
    , m_sim(sim)
{
}

QPointF SimMarkCamera::toPixel(const QPointF &webMm, const QPointF &centre, const QSize &frame)
{
    return QPointF(frame.width() / 2.0 - (webMm.y() - centre.y()) * kPixelsPerMm,
                   frame.height() / 2.0 - (webMm.x() - centre.x()) * kPixelsPerMm);
}

QImage SimMarkCamera::render(const PrintedWeb &web, const QPointF &centre, const QSize &frame, bool blank)
{
    QImage image(frame, QImage::Format_RGB32);
    image.fill(Qt::white);
    if (blank || web.marks.isEmpty() || web.pitch() <= 0.0)
        return image;
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    const double radius = web.markSize * web.scale * kPixelsPerMm / 2.0;
    // Only the pages near the camera can show in its frame.
    const int nearest = int(std::floor((centre.x() - web.firstPage) / web.pitch()));
    for (int n = qMax(0, nearest - 1); n <= nearest + 1; ++n) {
        for (int i = 0; i < web.marks.size(); ++i)
            painter.drawEllipse(toPixel(web.markOnWeb(n, i), centre, frame), radius, radius);
    }
    return image;
}

bool SimMarkCamera::cameraPosition(QPointF *centre) const
{
    double along = 0.0;
    double knife[2] = {0.0, 0.0};
    if (!m_sim || !parseNumbers(m_sim->query(QStringLiteral("web")), 1, &along)
        || !parseNumbers(m_sim->query(QStringLiteral("point0")), 2, knife))
        return false;
    *centre = QPointF(along / kHpglPerMm, knife[1] / kHpglPerMm) + cameraOffset;
    return true;
}

void SimMarkCamera::onCapture(const QVariant &camera)
{
    const int id = camera.toInt();
    if (id != 1)
        return; // the check camera is no part of these runs
    QPointF centre;
    if (!cameraPosition(&centre))
        return; // no answer: the request runs out as with a dead camera
    ++answered;
    emit capturedMarkImage(id, QVariant(render(web, centre, frameSize, blank)));
}
