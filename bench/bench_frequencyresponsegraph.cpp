#include "frequencyresponsegraph.h"

#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <cmath>

namespace {

constexpr int curveCount = 5;

// The dialogs' grid: 10 Hz to below 30 kHz in steps of 0.01 decade, 348 points.
QVector<double> logFrequencies()
{
    QVector<double> xs;
    const double hi = std::log10(30000.0);
    for (double x = 1.0; hi > x; x += 0.01)
        xs.append(x);
    return xs;
}

// A bell per curve, shaped like an equalizer band; the values only need to vary.
double gainAt(int curve, double x)
{
    const double centre = 1.5 + 0.6 * curve;
    return 6.0 * std::exp(-(x - centre) * (x - centre) * 8.0) - 2.0 * curve;
}

struct Fixture
{
    FrequencyResponseGraph graph;
    QVector<double> xs = logFrequencies();
    QVector<QVector<double>> ys;

    Fixture()
    {
        for (int c = 1; c < curveCount; ++c)
            graph.appendGraph(QPen(QColor::fromHsv(c * 60, 200, 200), 2));
        graph.prepareGrid(-20, 20, 5);
        graph.resize(1280, 520);
        for (int c = 0; c < curveCount; ++c) {
            QVector<double> curve;
            for (double x : xs)
                curve.append(gainAt(c, x));
            ys.append(curve);
        }
    }

    void redraw()
    {
        for (int c = 0; c < curveCount; ++c) {
            graph.useGraph(c);
            graph.clear();
            for (int i = 0; i < xs.size(); ++i)
                graph.addPoint(xs[i], ys[c][i]);
        }
    }
};

// Five curves of 348 points replaced in the scene, as one equalizer edit does.
void BM_RedrawFiveCurves(benchmark::State& state)
{
    Fixture f;
    if (f.xs.size() != 348)
        state.SkipWithError("unexpected grid size");
    for (auto _ : state) {
        f.redraw();
        QCoreApplication::processEvents(); // let the scene index the new items
    }
    state.counters["segments"] = double(curveCount * (f.xs.size() - 1));
}
BENCHMARK(BM_RedrawFiveCurves)->Unit(benchmark::kMicrosecond);

// The same, then painting the whole view once into an image.
void BM_RedrawAndPaintFiveCurves(benchmark::State& state)
{
    Fixture f;
    QImage image(f.graph.size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        f.redraw();
        QPainter painter(&image);
        f.graph.render(&painter);
    }
}
BENCHMARK(BM_RedrawAndPaintFiveCurves)->Unit(benchmark::kMicrosecond);

} // namespace
