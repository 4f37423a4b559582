#include "frequencyresponsegraph.h"

#include <QGraphicsLineItem>
#include <QGraphicsSimpleTextItem>
#include <QtTest>
#include <cmath>

namespace {

// Curve segments live in item groups; grid lines sit directly in the scene.
QList<QGraphicsLineItem*> lines(const FrequencyResponseGraph& graph, bool ofCurves)
{
    QList<QGraphicsLineItem*> found;
    for (QGraphicsItem* item : graph.scene()->items(Qt::AscendingOrder))
        if (auto* line = qgraphicsitem_cast<QGraphicsLineItem*>(item))
            if (bool(line->parentItem()) == ofCurves)
                found.append(line);
    return found;
}

QList<QGraphicsLineItem*> segments(const FrequencyResponseGraph& graph)
{
    return lines(graph, true);
}

QList<QGraphicsSimpleTextItem*> labels(const FrequencyResponseGraph& graph)
{
    QList<QGraphicsSimpleTextItem*> found;
    for (QGraphicsItem* item : graph.scene()->items(Qt::AscendingOrder))
        if (auto* text = qgraphicsitem_cast<QGraphicsSimpleTextItem*>(item))
            found.append(text);
    return found;
}

int countWithColour(const QList<QGraphicsLineItem*>& lines, const QColor& colour)
{
    return int(std::count_if(lines.begin(), lines.end(),
                             [&](QGraphicsLineItem* l) { return l->pen().color() == colour; }));
}

void drawTwoPoints(FrequencyResponseGraph& graph)
{
    graph.clear();
    graph.addPoint(1.0, 0.0);
    graph.addPoint(2.0, -3.0);
}

} // namespace

class TestFrequencyResponseGraph : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void selectsCurvesAndClampsOutOfRangeIndices()
    {
        FrequencyResponseGraph graph;
        graph.appendGraph(QPen(Qt::red));
        graph.appendGraph(QPen(Qt::green));

        // Appending does not change the current curve: this draws on curve 0.
        drawTwoPoints(graph);
        graph.useGraph(1);
        drawTwoPoints(graph);
        graph.useGraph(2);
        drawTwoPoints(graph);
        // A new pen applies to the segments that follow only.
        graph.setGraphPen(QPen(Qt::magenta));
        graph.addPoint(3.0, 0.0);
        QCOMPARE(countWithColour(segments(graph), Qt::blue), 1);
        QCOMPARE(countWithColour(segments(graph), Qt::red), 1);
        QCOMPARE(countWithColour(segments(graph), Qt::green), 1);
        QCOMPARE(countWithColour(segments(graph), Qt::magenta), 1);

        // Out of range selects curve 0, whose redraw leaves the other curves alone.
        for (int index : {-1, 3, 100}) {
            graph.useGraph(index);
            graph.clear();
            QCOMPARE(countWithColour(segments(graph), Qt::blue), 0);
            QCOMPARE(segments(graph).size(), 3);
            graph.addPoint(1.0, 0.0);
            graph.addPoint(2.0, 0.0);
            QCOMPARE(countWithColour(segments(graph), Qt::blue), 1);
        }
    }

    void chainsPointsIntoSegments()
    {
        FrequencyResponseGraph graph;
        graph.clear();
        graph.addPoint(1.0, -1.0);
        QVERIFY(segments(graph).isEmpty());
        graph.addPoint(2.0, -2.0);
        QCOMPARE(segments(graph).size(), 1);
        graph.addPoint(3.0, 1.5);
        const QList<QGraphicsLineItem*> lines = segments(graph);
        QCOMPARE(lines.size(), 2);
        QList<QLineF> drawn;
        for (auto* l : lines)
            drawn.append(QLineF(l->mapToScene(l->line().p1()), l->mapToScene(l->line().p2())));
        QVERIFY(drawn.contains(QLineF(1.0, -1.0, 2.0, -2.0)));
        QVERIFY(drawn.contains(QLineF(2.0, -2.0, 3.0, 1.5)));

        // Clearing removes the segments and starts a fresh chain: the next point does
        // not join the last point of the old one.
        graph.clear();
        QVERIFY(segments(graph).isEmpty());
        graph.addPoint(4.0, 0.0);
        QVERIFY(segments(graph).isEmpty());

        // A cleared curve with no points stays empty (how a curve is hidden).
        graph.clear();
        QVERIFY(segments(graph).isEmpty());
    }

    void pointsOnACurveNeverClearedDoNotCrash()
    {
        FrequencyResponseGraph graph;
        graph.appendGraph(QPen(Qt::red));
        graph.useGraph(1);
        graph.addPoint(1.0, 0.0);
        graph.addPoint(2.0, 0.0);
        QCOMPARE(countWithColour(segments(graph), Qt::red), 1);
        graph.clear();
        QVERIFY(segments(graph).isEmpty());
    }

    void drawsTheGrid_data()
    {
        QTest::addColumn<int>("minDb");
        QTest::addColumn<int>("maxDb");
        QTest::addColumn<int>("stepDb");
        QTest::addColumn<QList<int>>("levels");
        QTest::newRow("crossover")
            << -30 << 3 << 3 << QList<int>{-27, -24, -21, -18, -15, -12, -9, -6, -3, 0};
        QTest::newRow("equalizer") << -20 << 20 << 5 << QList<int>{-15, -10, -5, 0, 5, 10, 15};
        QTest::newRow("step too large") << -3 << 3 << 4 << QList<int>{};
        QTest::newRow("step zero") << -3 << 3 << 0 << QList<int>{};
    }

    void drawsTheGrid()
    {
        QFETCH(int, minDb);
        QFETCH(int, maxDb);
        QFETCH(int, stepDb);
        QFETCH(QList<int>, levels);

        FrequencyResponseGraph graph;
        graph.prepareGrid(minDb, maxDb, stepDb);
        QCOMPARE(graph.scene()->sceneRect(),
                 QRectF(1.0, minDb, std::log10(30000.0) - 1.0, maxDb - minDb));

        QList<int> horizontal;
        QList<double> vertical;
        for (QGraphicsLineItem* item : lines(graph, false)) {
            QCOMPARE(item->zValue(), -2.0);
            QCOMPARE(item->pen().color(), QColor(Qt::lightGray));
            QVERIFY(item->pen().isCosmetic());
            const QLineF l = item->line();
            if (l.y1() == l.y2()) {
                QCOMPARE(l.x1(), 0.0);
                QCOMPARE(l.x2(), double(maxDb - minDb + 2));
                horizontal.append(int(l.y1()));
            } else {
                QCOMPARE(l.x1(), l.x2());
                QCOMPARE(l.y1(), double(minDb - 1));
                QCOMPARE(l.y2(), double(maxDb + 1));
                vertical.append(l.x1());
            }
        }
        std::sort(horizontal.begin(), horizontal.end());
        QCOMPARE(horizontal, levels);

        QList<double> expectedVertical;
        for (int decade = 1; decade <= 10000; decade *= 10)
            for (int k = decade == 1 ? 2 : 1; k <= 9 && k * decade < 30000; ++k)
                expectedVertical.append(std::log10(double(k * decade)));
        std::sort(vertical.begin(), vertical.end());
        QCOMPARE(vertical.size(), 37);
        for (int i = 0; i < vertical.size(); ++i)
            QVERIFY(qFuzzyCompare(vertical[i], expectedVertical[i]));

        QMap<QString, QPointF> shown;
        for (QGraphicsSimpleTextItem* text : labels(graph)) {
            QCOMPARE(text->zValue(), 1.0);
            shown.insert(text->text(), text->pos());
        }
        QStringList expected;
        for (int v : levels) {
            // ASCII hyphen-minus for negative levels: "-27 dB".
            const QString name = QString::number(v) + QStringLiteral(" dB");
            expected.append(name);
            QCOMPARE(shown.value(name), QPointF(1.0, v));
        }
        const QList<QPair<QString, int>> frequencies{
            {"5 Hz", 5},     {"10 Hz", 10},   {"50 Hz", 50},     {"100 Hz", 100},  {"500 Hz", 500},
            {"1 kHz", 1000}, {"5 kHz", 5000}, {"10 kHz", 10000}, {"20 kHz", 20000}};
        for (const auto& f : frequencies) {
            expected.append(f.first);
            QVERIFY2(shown.contains(f.first), qPrintable(f.first));
            QVERIFY(qFuzzyCompare(shown.value(f.first).x(), std::log10(double(f.second))));
            QCOMPARE(shown.value(f.first).y(), double(maxDb));
        }
        QCOMPARE(shown.size(), expected.size());
    }

    void stretchesOnResizeWhileLabelsKeepTheirPixelSize()
    {
        FrequencyResponseGraph graph;
        graph.prepareGrid(-20, 20, 5);
        graph.clear();
        graph.addPoint(1.0, -20.0);
        graph.addPoint(1.0 + std::log10(3000.0), 20.0);
        graph.resize(400, 300);
        graph.show();
        QVERIFY(QTest::qWaitForWindowExposed(&graph));

        QGraphicsSimpleTextItem* label = labels(graph).value(0);
        QVERIFY(label);
        const QSizeF natural = label->boundingRect().size();

        for (QSize size : {QSize(400, 300), QSize(900, 250), QSize(300, 700)}) {
            graph.resize(size);
            QTRY_COMPARE(graph.size(), size);
            const QRect viewport = graph.viewport()->rect();

            // The scene fills the viewport in both directions, higher dB drawn higher.
            const QPoint topLeft = graph.mapFromScene(QPointF(1.0, 20.0));
            const QPoint bottomRight = graph.mapFromScene(QPointF(std::log10(30000.0), -20.0));
            QVERIFY2(std::abs(topLeft.x() - viewport.left()) <= 3,
                     qPrintable(QString::number(topLeft.x())));
            QVERIFY(std::abs(topLeft.y() - viewport.top()) <= 3);
            QVERIFY(std::abs(bottomRight.x() - viewport.right()) <= 3);
            QVERIFY(std::abs(bottomRight.y() - viewport.bottom()) <= 3);

            // The label neither stretches nor mirrors.
            const QTransform device = label->deviceTransform(graph.viewportTransform());
            QCOMPARE(device.mapRect(label->boundingRect()).size(), natural);
            QVERIFY(device.m22() > 0);

            // The curve is painted where the scene maps it.
            const QImage shot = graph.viewport()->grab().toImage();
            const QPoint middle = graph.mapFromScene(QPointF(1.0 + std::log10(3000.0) / 2, 0.0));
            const QColor pixel = shot.pixelColor(middle);
            QVERIFY2(pixel.blue() > 200 && pixel.red() < 100, qPrintable(pixel.name()));
        }
    }
};

QTEST_MAIN(TestFrequencyResponseGraph)
#include "test_frequencyresponsegraph.moc"
