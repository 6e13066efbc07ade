#include "PairedFigure.h"

#include <chrono>
#include <memory>

PairedFigure::Work PairedFigure::failing()
{
    const auto fail = [] { return false; };
    return Work{fail, fail, fail, {}};
}

void PairedFigure::registerRow(const std::string& row, double goal, std::function<Work()> makeWork)
{
    auto work = std::make_shared<std::unique_ptr<Work>>();
    for (const bool measuredHalf : {true, false}) {
        benchmark::RegisterBenchmark((row + (measuredHalf ? "/measured" : "/reference")).c_str(),
                                     [work, makeWork, measuredHalf, goal](benchmark::State& state) {
                                         if (!*work)
                                             *work = std::make_unique<Work>(makeWork());
                                         runHalf(state, **work, measuredHalf, goal);
                                     })
            ->UseManualTime()
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
    }
}

void PairedFigure::runHalf(benchmark::State& state, const Work& work, bool measuredHalf, double goal)
{
    for (auto _ : state) {
        if (!work.setUp()) {
            state.SkipWithError("the set-up failed");
            return;
        }
        const auto start = std::chrono::steady_clock::now();
        const bool ok = (measuredHalf ? work.measured : work.reference)();
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        if (work.tearDown)
            work.tearDown();
        if (!ok)
            state.SkipWithError("the work failed");
    }
    if (measuredHalf)
        state.counters["goal"] = goal;
}
