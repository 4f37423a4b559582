#include "levelnode.h"
#include "parambinding.h"
#include "paramhub.h"
#include "volumemeter.h"
#include "volumeslider.h"

#include <QImage>
#include <QProgressBar>
#include <benchmark/benchmark.h>

// The meters repaint on every level read; the gradient itself is built once per height.

namespace {

void meterRepaint(benchmark::State& state)
{
    VolumeMeter meter;
    meter.resize(16, 300);
    QImage target(meter.size(), QImage::Format_ARGB32_Premultiplied);
    double db = -60.0;
    for (auto _ : state) {
        db = db < 3.0 ? db + 0.5 : -60.0;
        meter.setLevel(db);
        meter.render(&target);
        benchmark::DoNotOptimize(target.constBits());
    }
}
BENCHMARK(meterRepaint)->Unit(benchmark::kMicrosecond);

// A meter alone changing height: its old image is released and a new one computed.
void meterGradientBuild(benchmark::State& state)
{
    VolumeMeter meter;
    QImage target(16, 301, QImage::Format_ARGB32_Premultiplied);
    int height = 300;
    for (auto _ : state) {
        height = height == 300 ? 301 : 300;
        meter.resize(16, height);
        meter.render(&target);
        benchmark::DoNotOptimize(target.constBits());
    }
}
BENCHMARK(meterGradientBuild)->Unit(benchmark::kMicrosecond);

// One level from the device into the tree's bar and the bound fader's meter.
void levelFromDevice(benchmark::State& state)
{
    ParamHub hub;
    QList<Node*> params;
    Node root;
    NodeArgs args;
    args.parent = &root;
    args.params = &params;
    args.hub = &hub;
    auto* level = new LevelNode(args);
    root.children.append(level);
    VolumeSlider fader;
    QProgressBar bar;
    ParamBinding::bind(level, &bar);
    ParamBinding::bindMeter(level, &fader);
    float db = -60.0f;
    for (auto _ : state) {
        db = db < 0.0f ? db + 0.5f : -60.0f;
        benchmark::DoNotOptimize(
            level->deserialize(QByteArray(reinterpret_cast<const char*>(&db), sizeof db)));
    }
}
BENCHMARK(levelFromDevice)->Unit(benchmark::kMicrosecond);

void faderMapping(benchmark::State& state)
{
    VolumeSlider fader;
    double db = -120.0;
    for (auto _ : state) {
        db = db < 3.0 ? db + 0.1 : -120.0;
        fader.setValueSilently(db);
        benchmark::DoNotOptimize(fader.getValue());
    }
}
BENCHMARK(faderMapping);

} // namespace
