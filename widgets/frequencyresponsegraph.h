#pragma once

#include <QGraphicsScene>
#include <QGraphicsView>
#include <QList>
#include <QPen>

class QGraphicsItemGroup;
class QGraphicsSimpleTextItem;
class QResizeEvent;

// Magnitude-response plot: x is log10 of the frequency in Hz, y the gain in dB.
// Holds several curves; callers pick one with useGraph(), clear() it and feed it
// points in increasing x.
class FrequencyResponseGraph : public QGraphicsView
{
    Q_OBJECT
public:
    struct Graph
    {
        QGraphicsItemGroup* group = nullptr;
        QPen pen;
        bool first = true;
        double lastX = 0.0;
        double lastY = 0.0;
    };

    explicit FrequencyResponseGraph(QWidget* parent = nullptr);

    void prepareGrid(int minDb, int maxDb, int stepDb);
    void addText(double x, double y, const QString& text);
    void appendGraph(const QPen& pen);
    void useGraph(int index);
    void setGraphPen(const QPen& pen);
    void clear();
    void addPoint(double x, double y);

protected:
    void resizeEvent(QResizeEvent* event) override;
    // Labels take the theme's text colour, so they stay legible on a dark background, and
    // the widget's font rather than the one the application had when they were made.
    void changeEvent(QEvent* event) override;

private:
    void addGridLine(double x1, double y1, double x2, double y2);
    void keepLabelInside(QGraphicsSimpleTextItem* label);

    QGraphicsScene graphScene;
    QList<QGraphicsSimpleTextItem*> labels;
    QList<Graph> graphs;
    // An index rather than a pointer into the list, so appending never leaves it dangling.
    int current = 0;
    QPen gridPen;
};
