#include "frequencyresponsegraph.h"

#include <QGraphicsItemGroup>
#include <QGraphicsLineItem>
#include <QGraphicsSimpleTextItem>
#include <QResizeEvent>
#include <QtMath>
#include <cmath>

namespace {

constexpr double ln10 = 2.302585092994046;
constexpr double minLogFrequency = 1.0; // 10 Hz
// log10(30000) - 1: the plot ends at 30 kHz.
constexpr double logFrequencySpan = 3.4771212547196617;
constexpr int maxFrequency = 30000;

constexpr qreal gridZ = -2.0;
constexpr qreal labelZ = 1.0;

QPen cosmeticPen(const QColor& colour, int width)
{
    QPen pen(colour, width);
    pen.setCosmetic(true);
    return pen;
}

double log10Of(int frequency)
{
    return std::log(double(frequency)) / ln10;
}

QString frequencyLabel(int frequency)
{
    if (frequency < 1000)
        return QStringLiteral("%1 Hz").arg(frequency);
    return QStringLiteral("%1 kHz").arg(frequency / 1000);
}

} // namespace

FrequencyResponseGraph::FrequencyResponseGraph(QWidget* parent)
    : QGraphicsView(parent), gridPen(cosmeticPen(Qt::lightGray, 1))
{
    setScene(&graphScene);
    setRenderHints(QPainter::Antialiasing);
    // Curves are replaced whole on every edit: indexing thousands of short segments
    // costs more than it saves (painting takes about twice as long with an index).
    graphScene.setItemIndexMethod(QGraphicsScene::NoIndex);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Graph graph;
    graph.pen = cosmeticPen(Qt::blue, 3);
    graphs.append(graph);
}

void FrequencyResponseGraph::prepareGrid(int minDb, int maxDb, int stepDb)
{
    graphScene.setSceneRect(minLogFrequency, minDb, logFrequencySpan, maxDb - minDb);

    // A step of zero or less would never reach the top.
    if (stepDb > 0) {
        for (int v = minDb + stepDb; v <= maxDb - stepDb; v += stepDb) {
            addGridLine(0.0, v, (maxDb - minDb) + 2, v);
            addText(minLogFrequency, v, QStringLiteral("%1 dB").arg(v));
        }
    }

    // 2 Hz ... 9 Hz, 10 Hz ... 90 Hz and so on; those below 10 Hz lie left of the scene.
    for (int step = 1, f = 2; f < maxFrequency; f += step) {
        if (f == 10 * step)
            step *= 10;
        const double x = log10Of(f);
        addGridLine(x, minDb - 1, x, maxDb + 1);
    }

    for (int f : {5, 10, 50, 100, 500, 1000, 5000, 10000, 20000})
        addText(log10Of(f), maxDb, frequencyLabel(f));
}

void FrequencyResponseGraph::addGridLine(double x1, double y1, double x2, double y2)
{
    QGraphicsLineItem* line = graphScene.addLine(x1, y1, x2, y2, gridPen);
    line->setZValue(gridZ);
}

void FrequencyResponseGraph::addText(double x, double y, const QString& text)
{
    QGraphicsSimpleTextItem* item = graphScene.addSimpleText(text);
    // Keeps its pixel size and is not mirrored by the view's vertical flip.
    item->setFlag(QGraphicsItem::ItemIgnoresTransformations);
    item->setPos(x, y);
    item->setZValue(labelZ);
    item->setBrush(palette().color(QPalette::Text));
    item->setFont(font());
    labels.append(item);
    keepLabelInside(item);
}

// A label near the right edge (20 kHz on a narrow graph) is moved left until it fits,
// rather than being cut off. Labels keep their pixel size, so this depends on the width.
void FrequencyResponseGraph::keepLabelInside(QGraphicsSimpleTextItem* label)
{
    label->setTransform(QTransform());
    const int right = mapFromScene(label->pos()).x() + qCeil(label->boundingRect().width());
    const int overflow = right - viewport()->width();
    if (overflow > 0)
        label->setTransform(QTransform::fromTranslate(-overflow, 0));
}

void FrequencyResponseGraph::changeEvent(QEvent* event)
{
    QGraphicsView::changeEvent(event);
    if (event->type() != QEvent::PaletteChange && event->type() != QEvent::StyleChange &&
        event->type() != QEvent::FontChange)
        return;
    const QColor text = palette().color(QPalette::Text);
    for (QGraphicsSimpleTextItem* label : qAsConst(labels)) {
        label->setBrush(text);
        label->setFont(font());
        keepLabelInside(label);
    }
}

void FrequencyResponseGraph::appendGraph(const QPen& pen)
{
    Graph graph;
    graph.pen = pen;
    graphs.append(graph);
}

void FrequencyResponseGraph::useGraph(int index)
{
    current = (index < 0 || index >= graphs.size()) ? 0 : index;
}

void FrequencyResponseGraph::setGraphPen(const QPen& pen)
{
    graphs[current].pen = pen;
}

void FrequencyResponseGraph::clear()
{
    Graph& graph = graphs[current];
    delete graph.group; // removes it from the scene, with its segments
    graph.group = new QGraphicsItemGroup;
    graphScene.addItem(graph.group);
    graph.first = true;
}

void FrequencyResponseGraph::addPoint(double x, double y)
{
    Graph& graph = graphs[current];
    // A curve that was never cleared has no group yet; give it one rather than
    // dereferencing nothing.
    if (!graph.group) {
        graph.group = new QGraphicsItemGroup;
        graphScene.addItem(graph.group);
    }
    if (!graph.first) {
        auto* segment = new QGraphicsLineItem(graph.lastX, graph.lastY, x, y);
        segment->setPen(graph.pen);
        // Parented directly: addToGroup() would map coordinates and grow the group's
        // bounds per segment, which doubles the cost of a redraw.
        segment->setParentItem(graph.group);
    }
    graph.lastX = x;
    graph.lastY = y;
    graph.first = false;
}

void FrequencyResponseGraph::resizeEvent(QResizeEvent* event)
{
    QGraphicsView::resizeEvent(event);
    // Stretch the scene over the viewport in both directions, keeping the 2 px margin
    // fitInView() leaves, with y pointing up so that larger dB values are drawn higher.
    const QRectF target = QRectF(viewport()->rect()).adjusted(2, 2, -2, -2);
    const QRectF source = graphScene.sceneRect();
    if (target.isEmpty() || source.isEmpty())
        return;
    setTransform(
        QTransform::fromScale(target.width() / source.width(), -target.height() / source.height()));
    centerOn(source.center());
    for (QGraphicsSimpleTextItem* label : qAsConst(labels))
        keepLabelInside(label);
}
