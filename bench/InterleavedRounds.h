#pragma once

#include <benchmark/benchmark.h>

#include <functional>
#include <string>
#include <vector>

// One figure of the table measured fairly: the measured work and its reference run alternately, round
// after round, so that both meet the same machine state (caches, page cache, other load). Each side
// reports the median of its rounds as its time and its fastest and slowest round as the spread.
//
// A figure is registered as two benchmarks, "<row>/measured" and "<row>/reference", each with
// registerHalf; whichever runs first runs all rounds of both sides, the other reads the result.
class InterleavedRounds
{
public:
    static constexpr int ROUNDS = 5;

    struct Work
    {
        std::function<bool()> setUp;     // before each round, untimed; false stops the figure
        std::function<bool()> measured;  // false: the work failed
        std::function<bool()> reference;
    };

    // Registers one half of a figure; work is made (once, for both halves) by makeWork.
    static void registerHalf(const std::string& row, bool measuredHalf, std::function<Work()> makeWork);

private:
    struct Result
    {
        bool ok = false;
        std::vector<double> measured;
        std::vector<double> reference;
    };

    static Result run(const Work& work);
    static void report(benchmark::State& state, const Result& result, bool measuredHalf);
    static double timed(const std::function<bool()>& work, bool& ok);
};
