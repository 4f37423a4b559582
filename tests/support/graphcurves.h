#pragma once

#include <QGraphicsLineItem>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <cmath>

// Reads a response graph as a user sees it: curves by the colour of their segments.
// Grid lines sit directly in the scene, curve segments in item groups.
namespace graphcurves {

inline QList<QGraphicsLineItem*> lines(const QGraphicsView& view, bool ofCurves)
{
    QList<QGraphicsLineItem*> found;
    for (QGraphicsItem* item : view.scene()->items())
        if (auto* line = qgraphicsitem_cast<QGraphicsLineItem*>(item))
            if (bool(line->parentItem()) == ofCurves)
                found.append(line);
    return found;
}

inline int segments(const QGraphicsView& view, const QColor& colour)
{
    int n = 0;
    for (QGraphicsLineItem* line : lines(view, true))
        n += line->pen().color() == colour;
    return n;
}

// The gain the curve of that colour shows at `frequency`; NaN when no segment ends there.
inline double gainAt(const QGraphicsView& view, const QColor& colour, double frequency)
{
    for (QGraphicsLineItem* line : lines(view, true))
        if (line->pen().color() == colour &&
            std::abs(line->line().x2() - std::log10(frequency)) < 1e-9)
            return line->line().y2();
    return std::nan("");
}

} // namespace graphcurves
