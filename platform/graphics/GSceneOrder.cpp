// The cut items of a GScene and their cutting order.
#include "platform/graphics/GScene.h"

#include "platform/graphics/paths/CutOrder.h"
#include "platform/graphics/GPathItem.h"

#include <QSet>
#include <algorithm>

namespace {

CutOrder::Piece pieceOf(const GPathItem *item)
{
    const QPainterPath path = item->scenePath();
    CutOrder::Piece piece;
    piece.bounds = path.controlPointRect();
    if (path.elementCount() == 0)
        return piece;
    piece.start = path.elementAt(0);
    piece.end = path.elementAt(path.elementCount() - 1);
    piece.outline << piece.start;
    for (int i = 1; i < path.elementCount() && !path.elementAt(i).isMoveTo(); ++i)
        piece.outline << QPointF(path.elementAt(i));
    return piece;
}

} // namespace

void GScene::exportCutItems(QList<GItem *> &items, bool selectedOnly, bool visibleOnly, bool sorted) const
{
    items.clear();
    for (GItem *item : m_items) {
        if (item->type() != GPathItem::Type || (selectedOnly && !item->isSelected()) ||
            (visibleOnly && !item->isVisible()))
            continue;
        items << item;
    }
    if (sorted) {
        const QList<GPathItem *> order = sortCutItems(items);
        items.clear();
        for (GPathItem *item : order)
            items << item;
    }
}

QList<GPathItem *> GScene::sortCutItems(const QList<GItem *> &items) const
{
    QList<GPathItem *> paths;
    paths.reserve(items.size());
    QSet<const GPathItem *> seen;
    seen.reserve(items.size());
    for (GItem *item : items) {
        auto *path = qgraphicsitem_cast<GPathItem *>(item);
        if (path && !seen.contains(path)) {
            seen.insert(path);
            paths << path;
        }
    }
    if (m_explicitOrder) {
        // The file's order; items made afterwards follow in the order given.
        std::stable_sort(paths.begin(), paths.end(), [](const GPathItem *a, const GPathItem *b) {
            const unsigned ia = unsigned(a->fileIndex());
            const unsigned ib = unsigned(b->fileIndex());
            return ia < ib;
        });
        return paths;
    }
    if (!m_sort)
        return paths;
    std::vector<CutOrder::Piece> pieces;
    pieces.reserve(size_t(paths.size()));
    for (const GPathItem *path : std::as_const(paths))
        pieces.push_back(pieceOf(path));
    CutOrder::Options options;
    options.byStartPoint = m_sortSP;
    options.insideFirst = m_sortInside;
    QList<GPathItem *> out;
    out.reserve(paths.size());
    for (int i : CutOrder::sort(pieces, options))
        out << paths[i];
    return out;
}
