#include "tests/support/cameras/LabelPage.h"

#include "platform/graphics/paths/GPathProcess.h"
#include "platform/graphics/variabledata/GZint.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QTransform>
#include <cmath>

LabelPage LabelPage::sixLabels()
{
    LabelPage page;
    const double xs[] = {4, 36, 68};
    const double ys[] = {4, 32};
    const QString texts[] = {QString(), QString(), QStringLiteral("LOT 42"), QString(), QString(), QStringLiteral("OK 7")};
    const QString qrs[] = {QStringLiteral("LBL-0001"), QString(), QString(), QStringLiteral("X\",Y"), QString(), QString()};
    const QString bars[] = {QString(), QStringLiteral("4711"), QString(), QString(), QStringLiteral("0815"), QString()};
    int i = 0;
    for (double y : ys) {
        for (double x : xs) {
            page.labels.append({QRectF(x, y, 28, 24), texts[i], qrs[i], bars[i]});
            ++i;
        }
    }
    return page;
}

LabelPage LabelPage::grid(int across, int along, bool plain)
{
    const LabelPage six = sixLabels();
    LabelPage page;
    page.pageMm = QSizeF(4 + 32.0 * across, 4 + 28.0 * along);
    for (int j = 0; j < along; ++j) {
        for (int i = 0; i < across; ++i) {
            PrintedLabel label = plain ? PrintedLabel() : six.labels[(j * across + i) % six.labels.size()];
            label.rectMm = QRectF(4 + 32.0 * i, 4 + 28.0 * j, 28, 24);
            page.labels.append(label);
        }
    }
    return page;
}

QImage LabelPage::render(double pxPerMm, const Faults &faults) const
{
    QImage image(qMax(1, int(std::lround(pageMm.width() * pxPerMm))), qMax(1, int(std::lround(pageMm.height() * pxPerMm))),
                 QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.scale(pxPerMm, pxPerMm);
    for (int i = 0; i < labels.size(); ++i) {
        if (faults.removed.contains(i))
            continue;
        const PrintedLabel &label = labels[i];
        painter.save();
        const QPoint shift = faults.shifted.value(i);
        painter.translate(shift.x() / pxPerMm, shift.y() / pxPerMm);
        const QRectF r = label.rectMm;
        painter.setPen(QPen(QColor(20, 40, 160), 0.4));
        painter.setBrush(QColor(250, 235, 200));
        painter.drawRect(r.adjusted(1, 1, -1, -1));
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(200, 30, 30));
        painter.drawRect(QRectF(r.left() + 2, r.top() + 2, 6, 3)); // a printed logo
        if (!label.qr.isEmpty()) {
            GZint qr(GZint::QrCode);
            qr.setText(label.qr);
            qr.render(&painter, QRectF(r.left() + 7, r.top() + 5.5, 15, 15));
        }
        if (!label.code128.isEmpty()) {
            GZint bar(GZint::Code128);
            bar.setText(label.code128);
            bar.render(&painter, QRectF(r.left() + 5, r.top() + 7, 18, 12));
        }
        if (!label.text.isEmpty()) {
            QFont font(QStringLiteral("DejaVu Sans"));
            font.setPixelSize(qMax(1, int(std::lround(5.0 * pxPerMm))));
            font.setBold(true);
            painter.save();
            painter.resetTransform();
            painter.translate(shift);
            painter.setFont(font);
            painter.setPen(Qt::black);
            painter.drawText(QRectF((r.left() + 2) * pxPerMm, (r.top() + 8) * pxPerMm, 24 * pxPerMm, 10 * pxPerMm),
                             Qt::AlignCenter, label.text);
            painter.restore();
        }
        if (faults.altered.contains(i)) {
            painter.setBrush(QColor(10, 10, 10));
            painter.drawRect(QRectF(r.left() + 1, r.top() + 1, r.width() / 2, r.height() - 2));
        }
        painter.restore();
    }
    return image;
}

std::vector<QRect> LabelPage::cells(double pxPerMm) const
{
    std::vector<QRect> out;
    for (const PrintedLabel &label : labels) {
        const QRectF r = label.rectMm;
        out.push_back(QRectF(r.x() * pxPerMm, r.y() * pxPerMm, r.width() * pxPerMm, r.height() * pxPerMm).toRect());
    }
    return out;
}

SceneData LabelPage::scene(double pxPerMm) const
{
    SceneData data;
    data.hasPage = true;
    data.pageMm = pageMm;
    for (const PrintedLabel &label : labels) {
        ScenePath path;
        path.path.addRect(layoutMmToScene(label.rectMm));
        data.paths << path;
    }
    data.background = render(pxPerMm);
    return data;
}

QImage CheckView::render(const LabelPage &page) const
{
    QImage image(frame, QImage::Format_RGB32);
    image.fill(QColor(30, 30, 30));
    if (noPaper || paperRight <= paperLeft)
        return image;
    QPainter painter(&image);
    painter.fillRect(QRect(paperLeft, 0, paperRight - paperLeft, frame.height()), Qt::white);
    const double scale = pxPerMm(page);
    const double pitch = (page.pageMm.height() + spacingMm) * scale;
    const QImage faulty = page.render(scale, faults);
    const QImage plain = page.render(scale);
    if (noPages)
        return image;
    const int before = int(std::ceil(pageRow / pitch));
    for (int k = -before; pageRow + k * pitch < frame.height(); ++k)
        painter.drawImage(QPointF(paperLeft, std::round(pageRow + k * pitch)), k == 0 ? faulty : plain);
    return image;
}

QImage CheckView::camera(const LabelPage &page, int rotation) const
{
    const QImage upright = render(page);
    if ((90 - rotation) % 360 == 0)
        return upright;
    return upright.transformed(QTransform().rotate(rotation - 90));
}
