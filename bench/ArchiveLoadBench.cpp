// Opening an archive against zlib's uncompress alone on the same stream: inflating is the floor,
// everything else (reading the file, the dictionary, creating textures and copying their levels) should
// add little to it, however many textures the archive holds.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdint>
#include <vector>

#include "BenchArchive.h"
#include "PeakMemory.h"
#include "WTD/WTDFile.h"

namespace
{
constexpr double GOAL = 1.3;

void openArchive(benchmark::State& state, BenchArchive::Content content, size_t textureCount)
{
    const BenchArchive* shared = BenchArchive::sharedFor(state, content, textureCount);
    if (!shared)
        return;
    size_t textures = 0;
    const double peak = PeakMemory::measure([&] {
        WTDFile file(shared->path(), shared->device(), WTDFile::WHOLE_FILE, 0);
        textures = file.m_textures.size();
    });
    for (auto _ : state) {
        WTDFile file(shared->path(), shared->device(), WTDFile::WHOLE_FILE, 0);
        if (file.hasLoadFailed() || file.m_textures.size() != shared->textureCount())
            state.SkipWithError("the archive did not load");
    }
    const double megabyte = 1024.0 * 1024.0;
    const double bodySize = static_cast<double>(shared->body().size());
    state.counters["body MB"] = bodySize / megabyte;
    state.counters["textures"] = static_cast<double>(textures);
    if (peak >= 0) {
        state.counters["peak MB"] = peak / megabyte;
        state.counters["peak/body"] = peak / bodySize;
    }
    state.counters["goal"] = GOAL;
}

void uncompressStream(benchmark::State& state, BenchArchive::Content content, size_t textureCount)
{
    const BenchArchive* shared = BenchArchive::sharedFor(state, content, textureCount);
    if (!shared)
        return;
    const std::vector<uint8_t>& stream = shared->stream();
    std::vector<uint8_t> body(shared->body().size());
    for (auto _ : state) {
        uLongf length = static_cast<uLongf>(body.size());
        if (uncompress(body.data(), &length, stream.data(), static_cast<uLong>(stream.size())) != Z_OK)
            state.SkipWithError("uncompress failed");
        benchmark::DoNotOptimize(body.data());
    }
    state.counters["body MB"] = static_cast<double>(body.size()) / (1024.0 * 1024.0);
}
} // namespace

BENCHMARK_CAPTURE(openArchive, 200, BenchArchive::Content::Varied, 200)
    ->Name("open 200-texture archive/measured")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(uncompressStream, 200, BenchArchive::Content::Varied, 200)
    ->Name("open 200-texture archive/reference")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(openArchive, 10000, BenchArchive::Content::SmallDxt1, 10000)
    ->Name("open 10000-texture archive, 64x64 DXT1/measured")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(uncompressStream, 10000, BenchArchive::Content::SmallDxt1, 10000)
    ->Name("open 10000-texture archive, 64x64 DXT1/reference")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(openArchive, 30000, BenchArchive::Content::SmallDxt1, 30000)
    ->Name("open 30000-texture archive, 64x64 DXT1/measured")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(uncompressStream, 30000, BenchArchive::Content::SmallDxt1, 30000)
    ->Name("open 30000-texture archive, 64x64 DXT1/reference")
    ->Unit(benchmark::kMillisecond);
