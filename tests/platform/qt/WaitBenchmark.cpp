// Processor time of a 1.5 s WaitSeconds on the Qt toolkit (the original's
// busy loop used all of it). Run: skyroll_qt_benchmark; the CPU column is
// the figure.

#include <benchmark/benchmark.h>

#include <QApplication>

#include "platform/qt/QtToolkit.h"

namespace {

void BM_WaitOneAndAHalfSeconds(benchmark::State& state) {
    skyroll::qt::QtToolkit toolkit;
    for (auto _ : state) toolkit.runUntil(toolkit.monotonicSeconds() + 1.5);
}
BENCHMARK(BM_WaitOneAndAHalfSeconds)->Iterations(2)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
