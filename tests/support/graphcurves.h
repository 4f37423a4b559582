#pragma once

#include <QColor>
#include <QGraphicsLineItem>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QPointF>
#include <QVector>
#include <cmath>

// Reads the curves a response graph shows, as a user would see them: by the colour of
// their segments. Grid lines sit directly in the scene, curve segments in item groups.
namespace graphcurves {

inline QList<QGraphicsLineItem*> segments(const QGraphicsView& view, const QColor& colour)
{
    QList<QGraphicsLineItem*> found;
    for (QGraphicsItem* item : view.scene()->items(Qt::AscendingOrder)) {
        if (!item->parentItem())
            continue;
        if (auto* line = qgraphicsitem_cast<QGraphicsLineItem*>(item))
            if (line->pen().color() == colour)
                found.append(line);
    }
    return found;
}

// The points of the curve in the order they were added.
inline QVector<QPointF> points(const QGraphicsView& view, const QColor& colour)
{
    QVector<QPointF> result;
    const QList<QGraphicsLineItem*> lines = segments(view, colour);
    if (lines.isEmpty())
        return result;
    // Children keep their insertion order within the group.
    for (QGraphicsItem* child : lines.first()->parentItem()->childItems()) {
        auto* line = qgraphicsitem_cast<QGraphicsLineItem*>(child);
        if (!line)
            continue;
        if (result.isEmpty())
            result.append(line->line().p1());
        result.append(line->line().p2());
    }
    return result;
}

// The gain the curve shows at x = log10(frequency); NaN when no point lies there.
inline double valueAt(const QVector<QPointF>& curve, double frequency)
{
    const double x = std::log10(frequency);
    for (const QPointF& p : curve)
        if (std::abs(p.x() - x) < 1e-9)
            return p.y();
    return std::nan("");
}

} // namespace graphcurves
