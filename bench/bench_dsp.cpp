#include "peqdesign.h"
#include "responsecalc.h"
#include "xoverdesign.h"

#include <benchmark/benchmark.h>

#include <vector>

// The numeric work behind the crossover and equalizer dialogs, per edit.

namespace {

void designCrossover(benchmark::State& state)
{
    XoverParams params{XoverType::BW_24, true, 80.0};
    for (auto _ : state) {
        params.frequency = params.frequency < 20000.0 ? params.frequency + 1.0 : 80.0;
        benchmark::DoNotOptimize(calcXoverCoeffs(params));
    }
}
BENCHMARK(designCrossover);

void designEqualizerBand(benchmark::State& state)
{
    PEQParams params{PEQType::PEAK, 80.0, 4.5, 1.4};
    for (auto _ : state) {
        params.frequency = params.frequency < 20000.0 ? params.frequency + 1.0 : 80.0;
        benchmark::DoNotOptimize(calcPEQCoeffs(params));
    }
}
BENCHMARK(designEqualizerBand);

// One output's curve: design both sides, then the dB sum of two four-section filters at
// every grid point.
void crossoverCurve(benchmark::State& state)
{
    const QList<FreqPair> freqs = makeFreqsRange(10.0, 30000.0, 0.01);
    std::vector<double> curve(size_t(freqs.size()));
    double hpFreq = 80.0;
    for (auto _ : state) {
        hpFreq = hpFreq < 2000.0 ? hpFreq + 1.0 : 80.0;
        const XoverGainCalc hp(calcXoverCoeffs(XoverParams{XoverType::LR_24, true, hpFreq}));
        const XoverGainCalc lp(calcXoverCoeffs(XoverParams{XoverType::CH_24, false, 8000.0}));
        for (int j = 0; j < freqs.size(); ++j)
            curve[size_t(j)] = hp.calcGain(freqs[j].frequency) + lp.calcGain(freqs[j].frequency);
        benchmark::DoNotOptimize(curve.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(crossoverCurve)->Unit(benchmark::kMicrosecond);

// One equalizer redraw: every band designed and evaluated over the grid, then their sum.
void equalizerRedraw(benchmark::State& state)
{
    const QList<FreqPair> freqs = makeFreqsRange(10.0, 30000.0, 0.01);
    const size_t n = size_t(freqs.size());
    std::vector<std::vector<double>> bandGains(5, std::vector<double>(n));
    std::vector<double> sum(n);
    const PEQType types[5] = {PEQType::LOW_SHELF, PEQType::PEAK, PEQType::PEAK, PEQType::AP2,
                              PEQType::HIGH_SHELF};
    const double centres[5] = {60.0, 400.0, 2500.0, 5000.0, 12000.0};
    double gain = -6.0;
    for (auto _ : state) {
        gain = gain < 6.0 ? gain + 0.5 : -6.0;
        for (int b = 0; b < 5; ++b) {
            const IIRGainCalc calc(calcPEQCoeffs(PEQParams{types[b], centres[b], gain, 1.2}));
            for (size_t j = 0; j < n; ++j)
                bandGains[size_t(b)][j] = calc.calcGain(freqs[int(j)].frequency);
        }
        for (size_t j = 0; j < n; ++j) {
            double total = 0.0;
            for (const std::vector<double>& band : bandGains)
                total += band[j];
            sum[j] = total;
        }
        benchmark::DoNotOptimize(sum.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(equalizerRedraw)->Unit(benchmark::kMicrosecond);

void frequencyGrid(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(makeFreqsRange(10.0, 30000.0, 0.01));
}
BENCHMARK(frequencyGrid)->Unit(benchmark::kMicrosecond);

} // namespace
