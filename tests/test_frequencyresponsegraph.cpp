#include "frequencyresponsegraph.h"
#include "graphcurves.h"

#include <QGraphicsSimpleTextItem>
#include <QtTest>

using graphcurves::lines;
using graphcurves::segments;

class TestFrequencyResponseGraph : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void selectsCurvesAndChainsPoints()
    {
        FrequencyResponseGraph graph;
        graph.appendGraph(QPen(Qt::red));
        // Points on a curve never cleared before do not crash; one point draws nothing.
        graph.useGraph(1);
        graph.addPoint(1.0, 0.0);
        QCOMPARE(segments(graph, Qt::red), 0);
        graph.addPoint(2.0, -3.0);
        graph.addPoint(3.0, 1.5);
        QCOMPARE(segments(graph, Qt::red), 2);
        // A new pen applies to the segments that follow only.
        graph.setGraphPen(QPen(Qt::magenta));
        graph.addPoint(4.0, 0.0);
        QCOMPARE(segments(graph, Qt::magenta), 1);

        // Out of range selects curve 0 (blue), whose redraw leaves curve 1 alone; clearing
        // starts a fresh chain that does not join the old one.
        for (int index : {-1, 2, 100}) {
            graph.useGraph(index);
            graph.clear();
            graph.addPoint(1.0, 0.0);
            graph.addPoint(2.0, -2.0);
            QCOMPARE(segments(graph, Qt::blue), 1);
            QCOMPARE(lines(graph, true).size(), 4);
        }
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

        // Horizontal lines at the levels; vertical ones at 20, 30 ... 90, 100 ... 20000 Hz.
        QList<int> horizontal;
        QSet<int> vertical;
        for (QGraphicsLineItem* item : lines(graph, false)) {
            const QLineF l = item->line();
            if (l.y1() == l.y2())
                horizontal.append(int(l.y1()));
            else
                vertical.insert(qRound(std::pow(10.0, l.x1())));
        }
        std::sort(horizontal.begin(), horizontal.end());
        QCOMPARE(horizontal, levels);
        QCOMPARE(vertical.size(), 37);
        QVERIFY(vertical.contains(20) && vertical.contains(20000) && !vertical.contains(30000));

        // Level labels at the left edge, frequency labels along the top (QPointF compares
        // fuzzily).
        QMap<QString, QPointF> shown, expected;
        for (QGraphicsItem* item : graph.scene()->items())
            if (auto* text = qgraphicsitem_cast<QGraphicsSimpleTextItem*>(item))
                shown.insert(text->text(), text->pos());
        for (int v : levels)
            expected.insert(QString::number(v) + " dB", QPointF(1.0, v));
        for (int hz : {5, 10, 50, 100, 500, 1000, 5000, 10000, 20000})
            expected.insert(hz < 1000 ? QString("%1 Hz").arg(hz) : QString("%1 kHz").arg(hz / 1000),
                            QPointF(std::log10(hz), maxDb));
        QCOMPARE(shown, expected);
    }

    void stretchesOnResizeWhileLabelsKeepTheirPixelSize()
    {
        FrequencyResponseGraph graph;
        graph.prepareGrid(-20, 20, 5);
        graph.show();
        QVERIFY(QTest::qWaitForWindowExposed(&graph));
        QGraphicsSimpleTextItem* label = nullptr;
        for (QGraphicsItem* item : graph.scene()->items())
            label = label ? label : qgraphicsitem_cast<QGraphicsSimpleTextItem*>(item);
        const QSizeF natural = label->boundingRect().size();

        for (QSize size : {QSize(400, 300), QSize(900, 250), QSize(300, 700)}) {
            graph.resize(size);
            QTRY_COMPARE(graph.size(), size);
            // The scene fills the viewport in both directions, higher dB drawn higher.
            const QRect viewport = graph.viewport()->rect();
            for (const QPoint d :
                 {graph.mapFromScene(QPointF(1.0, 20.0)) - viewport.topLeft(),
                  graph.mapFromScene(QPointF(std::log10(30000.0), -20.0)) - viewport.bottomRight()})
                QVERIFY(qAbs(d.x()) <= 3 && qAbs(d.y()) <= 3);
            // The label neither stretches nor mirrors.
            const QTransform device = label->deviceTransform(graph.viewportTransform());
            QCOMPARE(device.mapRect(label->boundingRect()).size(), natural);
            QVERIFY(device.m22() > 0);
        }
    }
};

QTEST_MAIN(TestFrequencyResponseGraph)
#include "test_frequencyresponsegraph.moc"
