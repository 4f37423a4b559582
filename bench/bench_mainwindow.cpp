// Main window construction to its first show, offscreen: form, parameter tree, strips,
// bindings, theme.
#include "mainwindow.h"

#include <QApplication>
#include <benchmark/benchmark.h>

namespace {

void BM_MainWindowToFirstShow(benchmark::State& state)
{
    for (auto _ : state) {
        MainWindow window;
        window.show();
        QApplication::processEvents();
        state.PauseTiming();
        window.hide();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_MainWindowToFirstShow)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace
