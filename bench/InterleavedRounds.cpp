#include "InterleavedRounds.h"

#include <algorithm>
#include <chrono>
#include <map>
#include <memory>

void InterleavedRounds::registerHalf(const std::string& row, bool measuredHalf, std::function<Work()> makeWork)
{
    static std::map<std::string, std::shared_ptr<Result>> results;
    benchmark::RegisterBenchmark((row + (measuredHalf ? "/measured" : "/reference")).c_str(),
                                 [row, measuredHalf, makeWork](benchmark::State& state) {
                                     std::shared_ptr<Result>& result = results[row];
                                     if (!result)
                                         result = std::make_shared<Result>(run(makeWork()));
                                     report(state, *result, measuredHalf);
                                 })
        ->UseManualTime()
        ->Iterations(1)
        ->Unit(benchmark::kMillisecond);
}

double InterleavedRounds::timed(const std::function<bool()>& work, bool& ok)
{
    const auto start = std::chrono::steady_clock::now();
    ok = work() && ok;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The sides take turns starting a round, so neither always runs right after the set-up.
InterleavedRounds::Result InterleavedRounds::run(const Work& work)
{
    Result result;
    result.ok = true;
    for (int round = 0; round < ROUNDS && result.ok; ++round) {
        for (int side = 0; side < 2 && result.ok; ++side) {
            const bool measuredSide = (round + side) % 2 == 0;
            if (!work.setUp()) {
                result.ok = false;
                break;
            }
            const double seconds = timed(measuredSide ? work.measured : work.reference, result.ok);
            (measuredSide ? result.measured : result.reference).push_back(seconds);
        }
    }
    return result;
}

void InterleavedRounds::report(benchmark::State& state, const Result& result, bool measuredHalf)
{
    for (auto _ : state) {
        if (!result.ok) {
            state.SkipWithError("the work failed");
            return;
        }
        std::vector<double> times = measuredHalf ? result.measured : result.reference;
        std::sort(times.begin(), times.end());
        state.SetIterationTime(times[times.size() / 2]);
        state.counters["rounds"] = static_cast<double>(times.size());
        state.counters["min ms"] = times.front() * 1e3;
        state.counters["max ms"] = times.back() * 1e3;
    }
}
