#include "platform/graphics/paths/CutOrder.h"

#include <QDebug>
#include <algorithm>
#include <cmath>

namespace {

using CutOrder::Piece;

// A uniform grid over points; cells hold piece numbers and lose them as they are taken.
class Grid
{
public:
    Grid(const std::vector<QPointF> &points)
    {
        double left = 0, top = 0, right = 0, bottom = 0;
        for (size_t i = 0; i < points.size(); ++i) {
            const QPointF &p = points[i];
            left = i ? std::min(left, p.x()) : p.x();
            top = i ? std::min(top, p.y()) : p.y();
            right = i ? std::max(right, p.x()) : p.x();
            bottom = i ? std::max(bottom, p.y()) : p.y();
        }
        const QRectF box(QPointF(left, top), QPointF(right, bottom));
        m_origin = box.topLeft();
        const double area = std::max(box.width() * box.height(), 1e-12);
        m_cell = std::max(std::sqrt(area / double(std::max<size_t>(points.size(), 1))) * 2, 1e-6);
        // Points along one line make a flat box and tiny cells: bounded before the cast.
        m_cols = int(std::min(box.width() / m_cell, 4095.0)) + 1;
        m_rows = int(std::min(box.height() / m_cell, 4095.0)) + 1;
        m_cell = std::max(box.width() / m_cols, box.height() / m_rows) + 1e-9;
        m_cells.resize(size_t(m_cols) * size_t(m_rows));
        m_slot.resize(points.size());
        for (size_t i = 0; i < points.size(); ++i) {
            auto &cell = m_cells[index(points[i])];
            m_slot[i] = {index(points[i]), cell.size()};
            cell.push_back(int(i));
        }
    }

    void take(int piece)
    {
        auto &cell = m_cells[m_slot[size_t(piece)].first];
        const size_t at = m_slot[size_t(piece)].second;
        const int moved = cell.back();
        cell[at] = moved;
        m_slot[size_t(moved)].second = at;
        cell.pop_back();
    }

    // The piece whose point is nearest to p; -1 when none is left or the budget ran out.
    int nearest(const QPointF &p, const std::vector<QPointF> &points, qint64 &budget) const
    {
        const int cx = cellOf(p.x() - m_origin.x(), m_cols);
        const int cy = cellOf(p.y() - m_origin.y(), m_rows);
        int best = -1;
        double bestDistance = 0;
        const int maxRing = std::max(m_cols, m_rows);
        for (int ring = 0; ring <= maxRing; ++ring) {
            // Every point in this ring or beyond is at least (ring - 1) cells away.
            if (best >= 0 && (ring - 1) * m_cell > std::sqrt(bestDistance))
                break;
            for (int y = cy - ring; y <= cy + ring; ++y) {
                if (y < 0 || y >= m_rows)
                    continue;
                const bool edge = y == cy - ring || y == cy + ring;
                for (int x = cx - ring; x <= cx + ring; x += (edge || ring == 0) ? 1 : 2 * ring) {
                    if (x < 0 || x >= m_cols)
                        continue;
                    if (--budget < 0)
                        return -1;
                    for (int piece : m_cells[size_t(y) * size_t(m_cols) + size_t(x)]) {
                        if (--budget < 0)
                            return -1;
                        const QPointF d = points[size_t(piece)] - p;
                        const double distance = d.x() * d.x() + d.y() * d.y();
                        if (best < 0 || distance < bestDistance) {
                            best = piece;
                            bestDistance = distance;
                            if (distance == 0)
                                return best;
                        }
                    }
                }
            }
        }
        return best;
    }

private:
    // Clamped while still a double: a point far off the grid (the knife at the
    // origin when every start lies at one spot, cells of 1e-9) is billions of
    // cells away, past what an int holds.
    int cellOf(double offset, int count) const
    {
        const double at = offset / m_cell;
        return at >= count - 1 ? count - 1 : at > 0 ? int(at) : 0;
    }

    size_t index(const QPointF &p) const
    {
        return size_t(cellOf(p.y() - m_origin.y(), m_rows)) * size_t(m_cols) + size_t(cellOf(p.x() - m_origin.x(), m_cols));
    }

    QPointF m_origin;
    double m_cell = 1;
    int m_cols = 1;
    int m_rows = 1;
    std::vector<std::vector<int>> m_cells;
    std::vector<std::pair<size_t, size_t>> m_slot;
};

std::vector<int> alongTheWeb(const std::vector<Piece> &pieces, std::vector<int> order)
{
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const QRectF &ra = pieces[size_t(a)].bounds;
        const QRectF &rb = pieces[size_t(b)].bounds;
        return ra.left() != rb.left() ? ra.left() < rb.left() : ra.top() < rb.top();
    });
    return order;
}

std::vector<int> byStartPoint(const std::vector<Piece> &pieces, qint64 &budget)
{
    std::vector<QPointF> starts;
    starts.reserve(pieces.size());
    for (const Piece &p : pieces)
        starts.push_back(p.start);
    Grid grid(starts);
    std::vector<int> order;
    order.reserve(pieces.size());
    std::vector<char> taken(pieces.size(), 0);
    QPointF knife(0, 0);
    while (order.size() < pieces.size()) {
        const int next = grid.nearest(knife, starts, budget);
        if (next < 0)
            break;
        grid.take(next);
        taken[size_t(next)] = 1;
        order.push_back(next);
        knife = pieces[size_t(next)].end;
    }
    if (order.size() < pieces.size()) {
        qWarning().noquote() << "CutOrder::sort" << "start-point order given up after" << order.size() << "of"
                             << pieces.size() << "paths; the rest follow along the web";
        std::vector<int> rest;
        for (size_t i = 0; i < pieces.size(); ++i) {
            if (!taken[i])
                rest.push_back(int(i));
        }
        for (int i : alongTheWeb(pieces, rest))
            order.push_back(i);
    }
    return order;
}

// For each closed piece, the pieces that lie inside it (inner one before outer: by area, then number).
std::vector<std::vector<int>> containment(const std::vector<Piece> &pieces, qint64 &budget)
{
    std::vector<std::vector<int>> inner(pieces.size());
    std::vector<int> byLeft(pieces.size());
    for (size_t i = 0; i < pieces.size(); ++i)
        byLeft[i] = int(i);
    std::sort(byLeft.begin(), byLeft.end(),
              [&](int a, int b) { return pieces[size_t(a)].bounds.left() < pieces[size_t(b)].bounds.left(); });
    std::vector<double> lefts(pieces.size());
    for (size_t i = 0; i < byLeft.size(); ++i)
        lefts[i] = pieces[size_t(byLeft[i])].bounds.left();
    auto inside = [](const QRectF &r, const QRectF &o) {
        return r.left() >= o.left() && r.right() <= o.right() && r.top() >= o.top() && r.bottom() <= o.bottom();
    };
    auto smaller = [&](int a, int b) {
        const double aa = pieces[size_t(a)].bounds.width() * pieces[size_t(a)].bounds.height();
        const double ab = pieces[size_t(b)].bounds.width() * pieces[size_t(b)].bounds.height();
        return aa != ab ? aa < ab : a < b;
    };
    for (size_t o = 0; o < pieces.size(); ++o) {
        const Piece &outer = pieces[o];
        const QPolygonF &ring = outer.outline;
        if (ring.size() < 3 || ring.front() != ring.back())
            continue;
        auto from = std::lower_bound(lefts.begin(), lefts.end(), outer.bounds.left());
        for (auto it = from; it != lefts.end() && *it <= outer.bounds.right(); ++it) {
            const int candidate = byLeft[size_t(it - lefts.begin())];
            if (--budget < 0)
                break;
            if (candidate == int(o) || !inside(pieces[size_t(candidate)].bounds, outer.bounds) ||
                !smaller(candidate, int(o)))
                continue;
            budget -= ring.size();
            if (budget >= 0 && ring.containsPoint(pieces[size_t(candidate)].start, Qt::OddEvenFill))
                inner[o].push_back(candidate);
        }
        if (budget < 0) {
            qWarning().noquote() << "CutOrder::sort" << "inside-first order given up: too many nested paths";
            return inner;
        }
    }
    return inner;
}

// Emits the order with every piece's inner pieces before it (depth first, no recursion).
std::vector<int> insideFirst(const std::vector<int> &order, const std::vector<std::vector<int>> &innerOf)
{
    std::vector<int> rank(order.size());
    for (size_t i = 0; i < order.size(); ++i)
        rank[size_t(order[i])] = int(i);
    std::vector<std::vector<int>> inner = innerOf;
    for (auto &list : inner)
        std::sort(list.begin(), list.end(), [&](int a, int b) { return rank[size_t(a)] < rank[size_t(b)]; });
    std::vector<char> state(order.size(), 0); // 0 new, 1 on the stack, 2 emitted
    std::vector<size_t> cursor(order.size(), 0);
    std::vector<int> out;
    out.reserve(order.size());
    std::vector<int> stack;
    for (int root : order) {
        if (state[size_t(root)])
            continue;
        stack.push_back(root);
        state[size_t(root)] = 1;
        while (!stack.empty()) {
            const int top = stack.back();
            auto &list = inner[size_t(top)];
            size_t &at = cursor[size_t(top)];
            while (at < list.size() && state[size_t(list[at])])
                ++at;
            if (at < list.size()) {
                state[size_t(list[at])] = 1;
                stack.push_back(list[at]);
            } else {
                stack.pop_back();
                state[size_t(top)] = 2;
                out.push_back(top);
            }
        }
    }
    return out;
}

} // namespace

namespace CutOrder {

std::vector<int> sort(const std::vector<Piece> &pieces, const Options &options)
{
    qint64 budget = options.budget;
    std::vector<int> order;
    if (options.byStartPoint) {
        order = byStartPoint(pieces, budget);
    } else {
        std::vector<int> identity(pieces.size());
        for (size_t i = 0; i < pieces.size(); ++i)
            identity[i] = int(i);
        order = alongTheWeb(pieces, identity);
    }
    if (options.insideFirst)
        order = insideFirst(order, containment(pieces, budget));
    return order;
}

} // namespace CutOrder
