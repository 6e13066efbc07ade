// Runs every benchmark in several rounds and prints one table: each figure beside its reference.
//
// A benchmark's name is "<row>/measured" or "<row>/reference"; the two halves of a row are paired by
// the row name and registered one after the other. Every round runs all benchmarks once in that order,
// so the two halves of a row alternate (measured, reference, measured, reference, ...) and a load that
// comes and goes on the machine falls on both. A half's figure is the fastest of its rounds; the
// median and the slowest are printed beside it to show the spread. The ratio is that of the fastest
// times, with the ratio of the medians beside it.
//
// Counters a benchmark sets (PSNR, MB/s, peak memory, ...) are shown after the times, from the round
// with the median time. A counter named "goal" on the measured half is the largest ratio the row may
// have; the table says whether the row meets it, and the program fails when a row does not.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace
{
constexpr int ROUNDS = 5;

struct Sample
{
    double seconds = 0.0;
    std::map<std::string, double> counters;
};

// All rounds of one half of a row.
struct Half
{
    std::vector<Sample> samples;

    bool empty() const { return samples.empty(); }

    std::vector<double> sortedSeconds() const
    {
        std::vector<double> seconds;
        for (const Sample& sample : samples)
            seconds.push_back(sample.seconds);
        std::sort(seconds.begin(), seconds.end());
        return seconds;
    }
    double fastest() const { return sortedSeconds().front(); }
    double median() const
    {
        const std::vector<double> seconds = sortedSeconds();
        const size_t middle = seconds.size() / 2;
        return seconds.size() % 2 ? seconds[middle] : (seconds[middle - 1] + seconds[middle]) / 2.0;
    }
    double slowest() const { return sortedSeconds().back(); }

    const Sample& medianSample() const
    {
        std::vector<const Sample*> order;
        for (const Sample& sample : samples)
            order.push_back(&sample);
        std::sort(order.begin(), order.end(),
                  [](const Sample* a, const Sample* b) { return a->seconds < b->seconds; });
        return *order[order.size() / 2];
    }
};

struct Row
{
    Half measured;
    Half reference;
};

class TableReporter : public benchmark::BenchmarkReporter
{
public:
    bool ReportContext(const Context&) override { return true; }

    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            if (run.error_occurred) {
                std::fprintf(stderr, "benchmark %s failed: %s\n", run.benchmark_name().c_str(),
                             run.error_message.c_str());
                m_failed = true;
                continue;
            }
            const std::string name = run.run_name.function_name;
            const size_t slash = name.rfind('/');
            const std::string rowName = name.substr(0, slash);
            if (m_rows.find(rowName) == m_rows.end())
                m_order.push_back(rowName);
            Half& half = (slash != std::string::npos && name.substr(slash + 1) == "reference")
                             ? m_rows[rowName].reference
                             : m_rows[rowName].measured;
            Sample sample;
            sample.seconds = run.GetAdjustedRealTime() / timeUnitsPerSecond(run.time_unit);
            for (const auto& [key, counter] : run.counters)
                sample.counters[key] = counter.value;
            half.samples.push_back(sample);
        }
    }

    void print()
    {
        std::printf(
            "%d rounds; each half: fastest (median, slowest); ratio: of the fastest (of the medians)\n",
            ROUNDS);
        std::printf("%-58s %30s %30s %16s  %s\n", "figure", "measured", "reference", "ratio", "counters");
        for (const std::string& name : m_order) {
            const Row& row = m_rows[name];
            std::printf("%-58s %30s %30s %16s  %s\n", name.c_str(), formatHalf(row.measured).c_str(),
                        formatHalf(row.reference).c_str(), formatRatio(row).c_str(),
                        formatCounters(row).c_str());
        }
    }

    bool failed() const { return m_failed; }

private:
    static double timeUnitsPerSecond(benchmark::TimeUnit unit)
    {
        switch (unit) {
        case benchmark::kNanosecond:
            return 1e9;
        case benchmark::kMicrosecond:
            return 1e6;
        case benchmark::kMillisecond:
            return 1e3;
        default:
            return 1.0;
        }
    }

    static std::string formatTime(double seconds)
    {
        char text[32];
        if (seconds >= 1.0)
            std::snprintf(text, sizeof text, "%.3f s", seconds);
        else if (seconds >= 1e-3)
            std::snprintf(text, sizeof text, "%.2f ms", seconds * 1e3);
        else
            std::snprintf(text, sizeof text, "%.2f us", seconds * 1e6);
        return text;
    }

    static std::string formatHalf(const Half& half)
    {
        if (half.empty())
            return "-";
        return formatTime(half.fastest()) + " (" + formatTime(half.median()) + ", " +
               formatTime(half.slowest()) + ")";
    }

    static bool hasRatio(const Row& row) { return !row.measured.empty() && !row.reference.empty(); }

    static double fastestRatio(const Row& row) { return row.measured.fastest() / row.reference.fastest(); }

    std::string formatRatio(const Row& row)
    {
        if (!hasRatio(row) || row.reference.fastest() <= 0 || row.reference.median() <= 0)
            return "-";
        char text[48];
        std::snprintf(text, sizeof text, "%.2fx (%.2fx)", fastestRatio(row),
                      row.measured.median() / row.reference.median());
        return text;
    }

    std::string formatCounters(const Row& row)
    {
        std::string text;
        auto append = [&text](const char* side, const Half& half) {
            if (half.empty())
                return;
            for (const auto& [key, value] : half.medianSample().counters) {
                if (key == "goal")
                    continue;
                char item[96];
                std::snprintf(item, sizeof item, "%s%s=%.4g ", side, key.c_str(), value);
                text += item;
            }
        };
        append("", row.measured);
        append("ref.", row.reference);
        if (!row.measured.empty() && hasRatio(row)) {
            const auto goal = row.measured.medianSample().counters.find("goal");
            if (goal != row.measured.medianSample().counters.end()) {
                const bool met = fastestRatio(row) <= goal->second;
                char item[64];
                std::snprintf(item, sizeof item, "goal<=%.2fx %s", goal->second, met ? "met" : "MISSED");
                text += item;
                m_failed = m_failed || !met;
            }
        }
        return text;
    }

    std::map<std::string, Row> m_rows;
    std::vector<std::string> m_order;
    bool m_failed = false;
};
} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    TableReporter reporter;
    for (int round = 0; round < ROUNDS; ++round)
        benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.print();
    benchmark::Shutdown();
    return reporter.failed() ? 1 : 0;
}
