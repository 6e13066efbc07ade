// Saving the archives of the opening benchmark against zlib alone compressing the same body image at
// level 9: the layout, the image, the temporary file and its replacement should cost little beside the
// compression, however many textures the archive holds.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "BenchArchive.h"
#include "PeakMemory.h"
#include "WTD/WTDFile.h"

namespace
{
constexpr double GOAL = 1.15;

void saveArchive(benchmark::State& state, BenchArchive::Content content, size_t textureCount)
{
    BenchArchive* shared = BenchArchive::sharedFor(state, content, textureCount);
    if (!shared)
        return;
    // Every save writes the archive back over its own file.
    bool saved = false;
    const double peak = PeakMemory::measure([&] { saved = shared->file().saveFile("", 0); });
    for (auto _ : state) {
        if (!shared->file().saveFile("", 0))
            state.SkipWithError("saveFile failed");
    }
    const double megabyte = 1024.0 * 1024.0;
    const double bodySize = static_cast<double>(shared->body().size());
    state.counters["body MB"] = bodySize / megabyte;
    if (saved && peak >= 0) {
        state.counters["peak MB"] = peak / megabyte;
        state.counters["peak/body"] = peak / bodySize;
    }
    state.counters["MB/s"] = benchmark::Counter(bodySize * static_cast<double>(state.iterations()) / 1e6,
                                                benchmark::Counter::kIsRate);
    state.counters["goal"] = GOAL;
}

void compressBodyImage(benchmark::State& state, BenchArchive::Content content, size_t textureCount)
{
    const BenchArchive* shared = BenchArchive::sharedFor(state, content, textureCount);
    if (!shared)
        return;
    const std::vector<uint8_t>& body = shared->body();
    uLongf capacity = compressBound(static_cast<uLong>(body.size()));
    std::unique_ptr<Bytef[]> output(new Bytef[capacity]);
    for (auto _ : state) {
        uLongf length = capacity;
        if (compress2(output.get(), &length, body.data(), static_cast<uLong>(body.size()), 9) != Z_OK)
            state.SkipWithError("compress2 failed");
        benchmark::DoNotOptimize(output.get());
    }
    state.counters["body MB"] = static_cast<double>(body.size()) / (1024.0 * 1024.0);
    state.counters["MB/s"] =
        benchmark::Counter(static_cast<double>(body.size()) * static_cast<double>(state.iterations()) / 1e6,
                           benchmark::Counter::kIsRate);
}
} // namespace

BENCHMARK_CAPTURE(saveArchive, 200, BenchArchive::Content::Varied, 200)
    ->Name("save 200-texture archive/measured")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(compressBodyImage, 200, BenchArchive::Content::Varied, 200)
    ->Name("save 200-texture archive/reference")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(saveArchive, 10000, BenchArchive::Content::SmallDxt1, 10000)
    ->Name("save 10000-texture archive, 64x64 DXT1/measured")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(compressBodyImage, 10000, BenchArchive::Content::SmallDxt1, 10000)
    ->Name("save 10000-texture archive, 64x64 DXT1/reference")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(saveArchive, 30000, BenchArchive::Content::SmallDxt1, 30000)
    ->Name("save 30000-texture archive, 64x64 DXT1/measured")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(compressBodyImage, 30000, BenchArchive::Content::SmallDxt1, 30000)
    ->Name("save 30000-texture archive, 64x64 DXT1/reference")
    ->Unit(benchmark::kMillisecond);
