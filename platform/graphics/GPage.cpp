#include "platform/graphics/GPage.h"

#include "platform/graphics/GMarkItem.h"
#include "platform/graphics/scenefiles/SceneData.h"

#include <QPageSize>

GPage::GPage(const QSizeF &sizeMm, GMarkItem *markItem) : m_sizeMm(sizeMm), m_markItem(markItem)
{
    QMarginsF margins;
    if (markItem) {
        const QRectF area = markItem->areaMm().intersected(QRectF(QPointF(0, 0), sizeMm));
        if (!area.isEmpty())
            margins = QMarginsF(area.left(), area.top(), sizeMm.width() - area.right(), sizeMm.height() - area.bottom());
    }
    // Exact size: a custom page must not snap to a nearby standard one.
    const QPageSize size(sizeMm, QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
    m_layout = QPageLayout(size, QPageLayout::Portrait, QMarginsF(), QPageLayout::Millimeter);
    m_layout.setMinimumMargins(QMarginsF());
    m_layout.setMargins(margins);
}

QRectF GPage::sceneRect() const
{
    return layoutMmToScene(QRectF(QPointF(0, 0), m_sizeMm));
}

QRectF GPage::paintSceneRect() const
{
    return layoutMmToScene(m_layout.paintRect(QPageLayout::Millimeter));
}
