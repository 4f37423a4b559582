#pragma once

#include <QColor>
#include <QGraphicsLineItem>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QVector>
#include <cmath>

// Reads the curves a response graph shows, as a user would see them: by the colour of
// their segments. Grid lines sit directly in the scene, curve segments in item groups.
namespace graphcurves {

// The points of the curve of that colour in the order they were added.
inline QVector<QPointF> points(const QGraphicsView& view, const QColor& colour)
{
    QVector<QPointF> result;
    for (QGraphicsItem* item : view.scene()->items()) {
        auto* line = qgraphicsitem_cast<QGraphicsLineItem*>(item);
        if (!line || !item->parentItem() || line->pen().color() != colour)
            continue;
        // Children keep their insertion order within the group.
        for (QGraphicsItem* child : item->parentItem()->childItems()) {
            if (auto* segment = qgraphicsitem_cast<QGraphicsLineItem*>(child)) {
                if (result.isEmpty())
                    result.append(segment->line().p1());
                result.append(segment->line().p2());
            }
        }
        break;
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
