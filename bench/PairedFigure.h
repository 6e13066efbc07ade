#pragma once

#include <benchmark/benchmark.h>

#include <functional>
#include <string>

// A figure whose two halves share state that is costly to make (a window with a large archive open):
// the work is made once, on the first half that runs, and every run of a half is one set-up (untimed)
// and one timed run of that half. The table's rounds then alternate the halves as for every other row.
class PairedFigure
{
public:
    struct Work
    {
        std::function<bool()> setUp;    // before each run, untimed; false fails the run
        std::function<bool()> measured; // false: the work failed
        std::function<bool()> reference;
        std::function<void()> tearDown; // after each run, untimed; may be empty
    };

    // Work that fails at once, for a figure whose state could not be made.
    static Work failing();

    // Registers "<row>/measured" and "<row>/reference"; makeWork is called once for both. goal is the
    // largest ratio the row may have.
    static void registerRow(const std::string& row, double goal, std::function<Work()> makeWork);

private:
    static void runHalf(benchmark::State& state, const Work& work, bool measuredHalf, double goal);
};
