#include "views/overlays/LostLabelView.h"

#include "configuration/records/Log.h"
#include "inspection/OverlaySource.h"

#include <QPainter>
#include <cmath>

namespace {

QString utf8(const std::string &bytes)
{
    return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
}

QPointF at(int x, int y, double scale)
{
    return QPointF(x / scale, y / scale);
}

} // namespace

LostLabelView::LostLabelView(QQuickItem *parent) : OverlayItem(SIGNAL(lostViewUpdate(QRect)), parent)
{
}

void LostLabelView::setImageW(double v)
{
    if (qFuzzyCompare(m_imageW, v))
        return;
    m_imageW = v;
    emit imageWChanged();
}

void LostLabelView::setImageH(double v)
{
    if (qFuzzyCompare(m_imageH, v))
        return;
    m_imageH = v;
    emit imageHChanged();
}

void LostLabelView::drawPolylines(QPainter *painter, const std::vector<CheckPoint> &points, double scale)
{
    if (!painter || points.size() < 3)
        return;
    QPolygonF line;
    line.reserve(qsizetype(points.size()) + 1);
    for (const CheckPoint &p : points)
        line << at(p.x, p.y, scale);
    line << line.first();
    painter->drawPolyline(line);
}

void LostLabelView::paint(QPainter *painter)
{
    const OverlaySource *source = OverlaySource::current();
    if (!source || !painter)
        return;
    // Without the image's height or the item's there is no scale to draw by.
    const double scale = m_imageH / height();
    if (!(m_imageH > 0.0) || !(height() > 0.0) || !std::isfinite(scale) || !(scale > 0.0))
        return;
    painter->setRenderHint(QPainter::Antialiasing);
    QFont font = painter->font();
    font.setPointSize(10);
    painter->setFont(font);

    // The result as the last check handed it over: a check replaces it with
    // a new one and never changes it in place.
    const std::shared_ptr<const ReadData> kept = source->checkResult();
    const ReadData empty;
    const ReadData &result = kept ? *kept : empty;
    for (const LabelRecord &label : result.labels) {
        if (label.status == 0) {
            painter->fillRect(QRectF(label.x / scale, label.y / scale, label.width / scale, label.height / scale),
                              QColor(255, 0, 0, 150));
            continue;
        }
        if (label.status != 1)
            continue;
        painter->setPen(QColor(128, 0, 128, 255));
        for (const LabelCode &code : label.barCodes) {
            painter->drawText(at(code.x, code.y, scale), utf8(code.code));
            drawPolylines(painter, code.corners, scale);
        }
        painter->setPen(QColor(255, 165, 0, 255));
        for (const LabelCode &code : label.qrCodes) {
            painter->drawText(at(code.x, code.y, scale), utf8(code.code));
            drawPolylines(painter, code.corners, scale);
        }
        painter->setPen(QColor(0, 255, 0));
        for (const LabelText &text : label.texts) {
            drawPolylines(painter, text.box, scale);
            if (text.box.size() > 3)
                painter->drawText(at(text.box[0].x, text.box[0].y, scale),
                                  decodeText(QByteArray::fromStdString(text.text)));
        }
    }

    if (result.first_edge > 0 && result.last_edge > 0) {
        const int x1 = int(result.first_edge / scale), x2 = int(result.last_edge / scale);
        const int bottom = int(height() - 1.0);
        painter->setPen(QPen(Qt::blue, 1.0, Qt::SolidLine));
        painter->drawLine(QPointF(x1, 0), QPointF(x1, bottom));
        painter->drawLine(QPointF(x2, 0), QPointF(x2, bottom));
        if (result.segmentX >= 1) {
            const int y = int(result.segmentX / scale);
            painter->setPen(QPen(Qt::red, 2.0, Qt::SolidLine));
            painter->drawLine(QPointF(x1, y), QPointF(x2, y));
        }
    } else if (source->segmentX() > 0) {
        painter->setPen(QPen(Qt::red, 4.0, Qt::SolidLine));
        painter->drawText(QPointF(int(height() * 0.5), int(width() * 0.5)), tr("未检出"));
    }
}
