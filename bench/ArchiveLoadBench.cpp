// Opening a 200-texture archive against zlib's uncompress alone on the same stream: inflating is the
// floor, everything else (reading the file, the dictionary, creating textures and copying their levels)
// should add little to it.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdint>
#include <vector>

#include "BenchArchive.h"
#include "PeakMemory.h"
#include "WTD/WTDFile.h"

namespace
{
void openArchive(benchmark::State& state)
{
    const BenchArchive* shared = BenchArchive::sharedFor(state);
    if (!shared)
        return;
    size_t textures = 0;
    const double peak = PeakMemory::measure([&] {
        WTDFile file(shared->path(), shared->device(), WTDFile::s_wholeFile, 0);
        textures = file.m_textures.size();
    });
    for (auto _ : state) {
        WTDFile file(shared->path(), shared->device(), WTDFile::s_wholeFile, 0);
        if (file.hasLoadFailed() || file.m_textures.size() != BenchArchive::TEXTURE_COUNT)
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
}

void uncompressStream(benchmark::State& state)
{
    const BenchArchive* shared = BenchArchive::sharedFor(state);
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

BENCHMARK(openArchive)->Name("open 200-texture archive/measured")->Unit(benchmark::kMillisecond);
BENCHMARK(uncompressStream)->Name("open 200-texture archive/reference")->Unit(benchmark::kMillisecond);
