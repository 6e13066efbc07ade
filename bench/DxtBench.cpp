// DXT speed and quality: decoding a 2048x2048 level, and building a whole DXT1 or DXT5 mip chain from a
// 2048x2048 picture the way mip-map generation does (encode level 0, then filter and encode every level
// below), against stb_dxt alone encoding the same pixels.
#include <benchmark/benchmark.h>

#include <stb_dxt.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "ChainQuality.h"
#include "Platform/Direct3D.h"
#include "Platform/Image/DxtCodec.h"
#include "Platform/Image/ImageFilter.h"
#include "Platform/Image/PixelConverter.h"

namespace
{
constexpr UINT SIZE = 2048;

// A photo-like picture: smooth gradients, edges and mild noise, with a varying alpha (opaque for
// DXT1, whose alpha is only a cut-out).
std::vector<uint8_t> makePicture(bool alpha)
{
    std::vector<uint8_t> rgba(size_t(SIZE) * SIZE * 4);
    uint32_t noise = 987654321u;
    for (UINT y = 0; y < SIZE; ++y) {
        for (UINT x = 0; x < SIZE; ++x) {
            noise = noise * 1103515245u + 12345u;
            uint8_t* p = &rgba[(size_t(y) * SIZE + x) * 4];
            const double wave = std::sin(x * 0.013) * std::cos(y * 0.021);
            p[0] = uint8_t(128 + 100 * wave + ((noise >> 16) & 7));
            p[1] = uint8_t((x ^ y) >> 3);
            p[2] = uint8_t(((x / 64 + y / 64) % 2) ? 200 : 60);
            p[3] = alpha ? uint8_t(255 - (y >> 3)) : 255;
        }
    }
    return rgba;
}

const std::vector<uint8_t>& picture(D3DFORMAT format)
{
    static const std::vector<uint8_t> opaque = makePicture(false);
    static const std::vector<uint8_t> translucent = makePicture(true);
    return format == D3DFMT_DXT1 ? opaque : translucent;
}

// The picture and every smaller level of its chain, halved outside any timing.
std::vector<std::vector<uint8_t>> makeChain(D3DFORMAT format)
{
    std::vector<std::vector<uint8_t>> levels{picture(format)};
    for (UINT size = SIZE; size > 1; size /= 2) {
        std::vector<uint8_t> next;
        ImageFilter::halve(levels.back().data(), size, size, next);
        levels.push_back(std::move(next));
    }
    return levels;
}

IDirect3DTexture9* emptyTexture(D3DFORMAT format, UINT levels)
{
    IDirect3DTexture9* texture = nullptr;
    D3DXCreateTexture(nullptr, SIZE, SIZE, levels, 0, format, D3DPOOL_MANAGED, &texture);
    return texture;
}

void decodeLevel(benchmark::State& state, D3DFORMAT format)
{
    IDirect3DTexture9* texture = emptyTexture(format, 1);
    PixelConverter::encodeLevel(*texture, 0, picture(format).data());
    std::vector<uint8_t> rgba(size_t(SIZE) * SIZE * 4);
    for (auto _ : state) {
        PixelConverter::decode(format, texture->levelData(0), SIZE, SIZE, rgba.data());
        benchmark::DoNotOptimize(rgba.data());
    }
    state.counters["MB/s"] = benchmark::Counter(double(rgba.size()) * double(state.iterations()) / 1e6,
                                                benchmark::Counter::kIsRate);
    texture->Release();
}

// The floor under any decoder: writing the same number of output bytes.
void copyOutput(benchmark::State& state)
{
    const std::vector<uint8_t>& source = picture(D3DFMT_DXT5);
    std::vector<uint8_t> rgba(source.size());
    for (auto _ : state) {
        std::memcpy(rgba.data(), source.data(), rgba.size());
        benchmark::DoNotOptimize(rgba.data());
    }
    state.counters["MB/s"] = benchmark::Counter(double(rgba.size()) * double(state.iterations()) / 1e6,
                                                benchmark::Counter::kIsRate);
}

// Ours: level 0 encoded from the picture, then D3DXFilterTexture builds and encodes the rest.
void encodeChain(benchmark::State& state, D3DFORMAT format)
{
    IDirect3DTexture9* texture = emptyTexture(format, 0);
    for (auto _ : state) {
        PixelConverter::encodeLevel(*texture, 0, picture(format).data());
        D3DXFilterTexture(texture, nullptr, 0, D3DX_DEFAULT);
        benchmark::DoNotOptimize(texture->levelData(0));
    }
    std::vector<ChainQuality::Pixels> levels(texture->GetLevelCount());
    for (UINT level = 0; level < levels.size(); ++level)
        PixelConverter::decodeLevel(*texture, level, levels[level]);
    ChainQuality::report(state, levels, makeChain(format));
    texture->Release();
}

// stb_dxt alone, high quality, on the already-halved pixels of every level.
void stbChain(benchmark::State& state, D3DFORMAT format)
{
    const int alpha = format == D3DFMT_DXT1 ? 0 : 1;
    const std::vector<std::vector<uint8_t>> levels = makeChain(format);
    const size_t blockBytes = alpha ? 16 : 8;
    std::vector<uint8_t> output(size_t(SIZE) * SIZE * 2);
    uint8_t block[64];
    for (auto _ : state) {
        uint8_t* out = output.data();
        UINT size = SIZE;
        for (const std::vector<uint8_t>& level : levels) {
            for (UINT by = 0; by < size; by += 4) {
                for (UINT bx = 0; bx < size; bx += 4) {
                    for (UINT y = 0; y < 4; ++y) {
                        for (UINT x = 0; x < 4; ++x) {
                            const UINT sx = std::min(bx + x, size - 1), sy = std::min(by + y, size - 1);
                            std::memcpy(block + 16 * y + 4 * x, &level[(size_t(sy) * size + sx) * 4], 4);
                        }
                    }
                    stb_compress_dxt_block(out, block, alpha, STB_DXT_HIGHQUAL);
                    out += blockBytes;
                }
            }
            size = std::max<UINT>(1, size / 2);
        }
        benchmark::DoNotOptimize(output.data());
    }
    std::vector<ChainQuality::Pixels> decoded(levels.size());
    const uint8_t* level = output.data();
    for (size_t i = 0; i < levels.size(); ++i) {
        const UINT size = std::max<UINT>(1, SIZE >> i);
        decoded[i].resize(size_t(size) * size * 4);
        PixelConverter::decode(format, level, size, size, decoded[i].data());
        level += TextureFormatTable::levelSize(format, size, size);
    }
    ChainQuality::report(state, decoded, levels);
}

void decodeDxt1(benchmark::State& state)
{
    decodeLevel(state, D3DFMT_DXT1);
}
void decodeDxt5(benchmark::State& state)
{
    decodeLevel(state, D3DFMT_DXT5);
}
void encodeDxt1Chain(benchmark::State& state)
{
    encodeChain(state, D3DFMT_DXT1);
}
void encodeDxt5Chain(benchmark::State& state)
{
    encodeChain(state, D3DFMT_DXT5);
}
void stbDxt1Chain(benchmark::State& state)
{
    stbChain(state, D3DFMT_DXT1);
}
void stbDxt5Chain(benchmark::State& state)
{
    stbChain(state, D3DFMT_DXT5);
}
} // namespace

BENCHMARK(decodeDxt1)->Name("DXT1 decode of a 2048x2048 level/measured")->Unit(benchmark::kMillisecond);
BENCHMARK(copyOutput)->Name("DXT1 decode of a 2048x2048 level/reference")->Unit(benchmark::kMillisecond);
BENCHMARK(decodeDxt5)->Name("DXT5 decode of a 2048x2048 level/measured")->Unit(benchmark::kMillisecond);
BENCHMARK(copyOutput)->Name("DXT5 decode of a 2048x2048 level/reference")->Unit(benchmark::kMillisecond);
BENCHMARK(encodeDxt1Chain)->Name("DXT1 mip chain from 2048x2048/measured")->Unit(benchmark::kMillisecond);
BENCHMARK(stbDxt1Chain)->Name("DXT1 mip chain from 2048x2048/reference")->Unit(benchmark::kMillisecond);
BENCHMARK(encodeDxt5Chain)->Name("DXT5 mip chain from 2048x2048/measured")->Unit(benchmark::kMillisecond);
BENCHMARK(stbDxt5Chain)->Name("DXT5 mip chain from 2048x2048/reference")->Unit(benchmark::kMillisecond);
