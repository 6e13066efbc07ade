#pragma once

#include <cstdint>
#include <vector>

#include <benchmark/benchmark.h>

// The quality of a mip chain as every benchmark reports it, alike for ours and for every other tool:
// PSNR of level 0 and, apart from it, of levels 1 and below (every pixel of them weighted alike, so
// that the same level 0 on both sides cannot hide a difference below it), against the box-filtered
// source chain, on RGB over the pixels the source has opaque (a tool may weight colour by alpha, so
// colour under no alpha counts nothing).
class ChainQuality
{
public:
    typedef std::vector<uint8_t> Pixels; // 8-bit RGBA, rows without padding

    // Sets the counters "PSNR 0", "PSNR 1+" and "levels" (how many levels both chains have at the same
    // size, from level 0 on; only those are compared).
    static void report(benchmark::State& state, const std::vector<Pixels>& levels,
                       const std::vector<Pixels>& source);
};
