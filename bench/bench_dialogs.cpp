// Filter edits in the crossover and equalizer dialogs, from the edit signal to the scene
// updated: design, storing into the node and the hub's queue, gains and curve items, and
// the scene's own deferred bookkeeping. Each iteration is timed on its own; "median_us"
// is the median of those times. The "Painted" variants keep the dialog on screen
// (offscreen platform), so the event loop also repaints it after each edit.
#include "crossovercontrol.h"
#include "crossoverdialog.h"
#include "customdoublespinbox.h"
#include "equalizercontrol.h"
#include "equalizerdialog.h"
#include "outputnode.h"
#include "paramhub.h"
#include "paramtree.h"

#include <QComboBox>
#include <QCoreApplication>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Fixture
{
    ParamTree tree;
    ParamHub& hub = *tree.hub;
    CrossoverDialog crossover;
    EqualizerDialog equalizer;

    Fixture()
    {
        crossover.setXoverNodes(tree.getXoverNodes());
        crossover.resize(700, 700);
        equalizer.resize(1280, 700);
    }

    // Keeps the hub's queue from growing into the measurement.
    void drainQueue()
    {
        int index = 0;
        while (hub.dequeueParamIndex(index)) {
        }
    }
};

template <typename Edit> void timeEdits(benchmark::State& state, Fixture& f, Edit edit)
{
    QCoreApplication::processEvents();
    std::vector<double> micros;
    int step = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        edit(step++);
        QCoreApplication::processEvents();
        micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
        f.drainQueue();
    }
    if (micros.empty())
        return;
    auto middle = micros.begin() + micros.size() / 2;
    std::nth_element(micros.begin(), middle, micros.end());
    state.counters["median_us"] = *middle;
}

// A band's gain edited: that band's design, its curve and the sum curve.
void BM_EqualizerBandEdit(benchmark::State& state, bool painted)
{
    Fixture f;
    f.equalizer.show(f.tree.getOutputNode(0)->getPEQSNode());
    if (!painted)
        f.equalizer.hide();
    EqualizerControl* band = f.equalizer.findChildren<EqualizerControl*>().at(2);
    band->findChild<QComboBox*>("type")->setCurrentIndex(3); // "Peak"
    auto* gain = band->findChild<CustomDoubleSpinBox*>("gain");
    timeEdits(state, f, [&](int step) {
        gain->setValueSilently(step % 2 ? 6.0 : -4.5);
        Q_EMIT gain->editingFinished();
    });
}

BENCHMARK_CAPTURE(BM_EqualizerBandEdit, Hidden, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_EqualizerBandEdit, Painted, true)->Unit(benchmark::kMicrosecond);

// Every band and the sum recomputed and redrawn, as opening a channel does.
void BM_EqualizerAllCurves(benchmark::State& state)
{
    Fixture f;
    f.equalizer.show(f.tree.getOutputNode(0)->getPEQSNode());
    f.equalizer.hide();
    timeEdits(state, f, [&](int) {
        for (int band = 0; band < 5; ++band)
            f.equalizer.updateSingleGraph(band, false);
        f.equalizer.updateSumGraph();
    });
}
BENCHMARK(BM_EqualizerAllCurves)->Unit(benchmark::kMicrosecond);

// A crossover's lowpass frequency edited: both sides designed, one curve redrawn.
void BM_CrossoverEdit(benchmark::State& state, bool painted)
{
    Fixture f;
    f.crossover.show(3);
    if (!painted)
        f.crossover.hide();
    CrossoverControl* control = f.crossover.findChildren<CrossoverControl*>().at(3);
    control->findChild<QComboBox*>("highpassType")->setCurrentIndex(4); // "BW 24"
    control->findChild<QComboBox*>("lowpassType")->setCurrentIndex(6);  // "LR 24"
    auto* frequency = control->findChild<CustomDoubleSpinBox*>("lowpassFrequency");
    timeEdits(state, f, [&](int step) {
        frequency->setValueSilently(step % 2 ? 2000.0 : 2500.0);
        Q_EMIT frequency->editingFinished();
    });
}

BENCHMARK_CAPTURE(BM_CrossoverEdit, Hidden, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_CrossoverEdit, Painted, true)->Unit(benchmark::kMicrosecond);

} // namespace
