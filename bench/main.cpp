// Runs every benchmark and prints one table: each figure beside its reference measured in the same run.
//
// A benchmark's name is "<row>/measured" or "<row>/reference"; the two halves of a row are paired by
// the row name. Counters a benchmark sets (PSNR, MB/s, peak memory, ...) are shown after the times.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace
{
struct Half
{
    double seconds = -1.0;
    std::map<std::string, double> counters;
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
            half.seconds = run.GetAdjustedRealTime() / timeUnitsPerSecond(run.time_unit);
            for (const auto& [key, counter] : run.counters)
                half.counters[key] = counter.value;
        }
    }

    void Finalize() override
    {
        std::printf("%-52s %14s %14s %8s  %s\n", "figure", "measured", "reference", "ratio", "counters");
        for (const std::string& name : m_order) {
            const Row& row = m_rows[name];
            std::printf("%-52s %14s %14s %8s  %s\n", name.c_str(), formatTime(row.measured.seconds).c_str(),
                        formatTime(row.reference.seconds).c_str(), formatRatio(row).c_str(),
                        formatCounters(row).c_str());
        }
    }

    bool failed() const { return m_failed; }

private:
    static double timeUnitsPerSecond(benchmark::TimeUnit unit)
    {
        switch (unit) {
        case benchmark::kNanosecond: return 1e9;
        case benchmark::kMicrosecond: return 1e6;
        case benchmark::kMillisecond: return 1e3;
        default: return 1.0;
        }
    }

    static std::string formatTime(double seconds)
    {
        if (seconds < 0)
            return "-";
        char text[32];
        if (seconds >= 1.0)
            std::snprintf(text, sizeof text, "%.3f s", seconds);
        else if (seconds >= 1e-3)
            std::snprintf(text, sizeof text, "%.3f ms", seconds * 1e3);
        else
            std::snprintf(text, sizeof text, "%.3f us", seconds * 1e6);
        return text;
    }

    static std::string formatRatio(const Row& row)
    {
        if (row.measured.seconds < 0 || row.reference.seconds <= 0)
            return "-";
        char text[32];
        std::snprintf(text, sizeof text, "%.2fx", row.measured.seconds / row.reference.seconds);
        return text;
    }

    static std::string formatCounters(const Row& row)
    {
        std::string text;
        auto append = [&text](const char* side, const Half& half) {
            for (const auto& [key, value] : half.counters) {
                char item[96];
                std::snprintf(item, sizeof item, "%s%s=%.4g ", side, key.c_str(), value);
                text += item;
            }
        };
        append("", row.measured);
        append("ref.", row.reference);
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
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return reporter.failed() ? 1 : 0;
}
