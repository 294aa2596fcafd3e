#include "views/overlays/FilmView.h"

#include "configuration/Config.h"
#include "inspection/marks/FilmList.h"
#include "inspection/OverlaySource.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace {

constexpr double kThumbnailWidth = 100.0; // item pixels per image width
constexpr int kTopMargin = 40;
constexpr int kBottomMargin = 90;

QFont boldFont(const QFont &base)
{
    QFont font = base;
    font.setWeight(QFont::Bold);
    font.setPointSize(12);
    return font;
}

int markCameraRotation()
{
    const Config *cfg = Config::instance();
    return cfg ? cfg->markCameraRotation() : 0;
}

} // namespace

FilmView::FilmView(QQuickItem *parent) : OverlayItem(SIGNAL(filmViewUpdate(QRect)), parent)
{
}

void FilmView::storeInt(int &field, int v, void (FilmView::*changed)())
{
    if (field == v)
        return;
    field = v;
    emit(this->*changed)();
    if (v >= 1)
        update();
}

void FilmView::setVideoOutputX(int v)
{
    storeInt(m_x, v, &FilmView::videoOutputXChanged);
}

void FilmView::setVideoOutputY(int v)
{
    storeInt(m_y, v, &FilmView::videoOutputYChanged);
}

void FilmView::setVideoOutputWidth(int v)
{
    storeInt(m_width, v, &FilmView::videoOutputWidthChanged);
}

void FilmView::setVideoOutputHeight(int v)
{
    storeInt(m_height, v, &FilmView::videoOutputHeightChanged);
}

void FilmView::setShowHistory(bool v)
{
    if (m_showHistory == v)
        return;
    m_showHistory = v;
    emit showHistoryChanged();
    update();
}

void FilmView::drawCircle(QPainter *painter, const QRectF &rect)
{
    const QRect r(int(std::lround(rect.x())), int(std::lround(rect.y())), int(std::ceil(rect.width())),
                  int(std::ceil(rect.height())));
    painter->setPen(QPen(Qt::red, 2.0));
    painter->setBrush(Qt::NoBrush);
    painter->drawEllipse(r);
}

void FilmView::drawOutline(QPainter *painter, const FilmRecord &record, double originH, double originV, double s,
                           int rotation)
{
    const double w = record.image.width(), h = record.image.height();
    QPolygonF polygon;
    for (const QPointF &p : record.points) {
        if (rotation == 90)
            polygon << QPointF(originH + (h - p.y()) * s, originV + p.x() * s);
        else if (rotation == 270)
            polygon << QPointF(originH + p.y() * s, originV + (w - p.x()) * s);
    }
    if (polygon.isEmpty())
        return;
    polygon << polygon.first();
    QPainterPath path;
    path.addPolygon(polygon);
    painter->setPen(QPen(Qt::blue, 2.0, Qt::SolidLine));
    painter->setBrush(Qt::NoBrush);
    painter->drawPath(path);
    if (polygon.size() >= 4) {
        painter->setFont(boldFont(painter->font()));
        painter->drawText(polygon[3], record.text);
    }
}

void FilmView::paint(QPainter *painter)
{
    const OverlaySource *source = OverlaySource::current();
    if (!source || !painter || m_width == 0 || m_height == 0)
        return;
    painter->setRenderHint(QPainter::Antialiasing);
    const QList<FilmRecord> films = source->filmRecords();
    const int turn = markCameraRotation();

    // The latest scan over the live video. A record without an image has no
    // scale to draw it by.
    if (!films.isEmpty() && films[0].diameter > 0 && films[0].image.width() > 0) {
        const FilmRecord &r = films[0];
        const double s = double(m_width) / r.image.width();
        const double d = r.diameter * s;
        double h = 0.0, v = 0.0;
        if (turn == 90) {
            h = (r.image.height() - r.y) * s;
            v = (r.x + 1.0) * s;
        } else if (turn == 270) {
            h = r.y * s;
            v = (r.image.width() - r.x) * s;
        }
        drawCircle(painter, QRectF(int(m_y + h - d / 2), int(m_x + v - d / 2), int(d), int(d)));
        if (!r.text.isEmpty() && !r.points.isEmpty())
            drawOutline(painter, r, m_y, m_x, s, turn);
    }

    if (!m_showHistory || m_y < 1)
        return;
    for (int i = 1; i < films.size(); ++i) {
        const FilmRecord &r = films[i];
        if (r.diameter < 0 || r.image.width() <= 0)
            continue;
        const double s = kThumbnailWidth / r.image.width();
        double h = (r.image.height() - r.y) * s, v = r.x * s;
        if (turn == 270) {
            h = r.y * s;
            v = (r.image.width() - r.x) * s;
        }
        const QImage thumb = r.image.transformed(QTransform().scale(s, s).rotate(turn), Qt::FastTransformation);
        const int W = int(width()), H = int(height()), tw = thumb.width(), th = thumb.height();
        QPoint at(0, 0);
        switch (i) {
        case 1:
            at = QPoint(0, H - th - kBottomMargin);
            break;
        case 2:
            at = QPoint(0, kTopMargin);
            break;
        case 3:
            at = QPoint(W - tw, kTopMargin);
            break;
        case 4:
            at = QPoint(W - tw, H - th - kBottomMargin);
            break;
        default:
            break;
        }
        painter->drawImage(at, thumb);
        if (r.diameter > 0) {
            const double d = r.diameter * s;
            drawCircle(painter, QRectF(int(at.x() + h - d / 2), int(at.y() + v - d / 2), int(d), int(d)));
            if (!r.text.isEmpty() && !r.points.isEmpty())
                drawOutline(painter, r, at.x(), at.y(), s, turn);
        } else {
            painter->setFont(boldFont(painter->font()));
            painter->setPen(Qt::red);
            painter->drawText(QPointF(at.x(), int(at.y() + th * 0.5)), tr("未检出"));
        }
    }
}
