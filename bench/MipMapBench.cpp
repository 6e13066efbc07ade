// Generating the full mip chain of a 2048x2048 DXT5 texture with photo-like content, against the bare
// encoder (stb_dxt encoding the same levels from ideally filtered pixels) and against ImageMagick making
// the same chain from the same picture, the tool a user would otherwise pick. Each half reports the
// PSNR of its whole chain against the box-filtered source.
#include "WTD/WTDFile.h"

#include "Platform/Direct3D.h"
#include "Platform/ImageFilter.h"
#include "Platform/PixelConverter.h"

#include <benchmark/benchmark.h>
#include <stb_dxt.h>
#include <stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{
const UINT SIZE = 2048;
const char* const CONVERT = "/usr/bin/convert";
const char* const SOURCE_PNG = "/tmp/varnel-mipmap-bench-in.png";
const char* const CONVERTED_DDS = "/tmp/varnel-mipmap-bench-out.dds";

typedef std::vector<uint8_t> Pixels; // 8-bit RGBA

// Smooth random field: values on a lattice of the given spacing, interpolated with smoothstep.
class ValueNoise
{
public:
    ValueNoise(UINT spacing, uint32_t seed) : m_spacing(spacing), m_cells(SIZE / spacing + 2)
    {
        m_values.resize(size_t(m_cells) * m_cells);
        for (float& value : m_values) {
            seed = seed * 1664525u + 1013904223u;
            value = float(seed >> 8) / float(1u << 24) - 0.5f;
        }
    }

    float at(UINT x, UINT y) const
    {
        const float fx = float(x) / m_spacing;
        const float fy = float(y) / m_spacing;
        const UINT cx = UINT(fx);
        const UINT cy = UINT(fy);
        const float tx = smooth(fx - cx);
        const float ty = smooth(fy - cy);
        const float top = lerp(value(cx, cy), value(cx + 1, cy), tx);
        const float bottom = lerp(value(cx, cy + 1), value(cx + 1, cy + 1), tx);
        return lerp(top, bottom, ty);
    }

private:
    static float smooth(float t) { return t * t * (3 - 2 * t); }
    static float lerp(float a, float b, float t) { return a + (b - a) * t; }
    float value(UINT x, UINT y) const { return m_values[size_t(y) * m_cells + x]; }

    UINT m_spacing;
    UINT m_cells;
    std::vector<float> m_values;
};

uint8_t toByte(float value)
{
    return uint8_t(std::lround(std::fmin(255.0f, std::fmax(0.0f, value))));
}

// Photo-like content: a 1/f mix of noise octaves for the brightness (large soft shapes down to fine
// grain), slower colour variation on top, and an alpha channel that fades out towards the corners (so
// that every tool keeps the alpha and writes DXT5).
Pixels makePhoto()
{
    std::vector<ValueNoise> octaves;
    for (UINT spacing = 512, seed = 1; spacing >= 2; spacing /= 2, ++seed)
        octaves.emplace_back(spacing, seed * 7919u);
    const ValueNoise hue(384, 101);
    const ValueNoise saturation(192, 202);
    Pixels rgba(size_t(SIZE) * SIZE * 4);
    for (UINT y = 0; y < SIZE; ++y)
        for (UINT x = 0; x < SIZE; ++x) {
            float light = 0.0f;
            float amplitude = 150.0f;
            for (const ValueNoise& octave : octaves) {
                light += amplitude * octave.at(x, y);
                amplitude *= 0.55f;
            }
            const float h = hue.at(x, y) * 160.0f;
            const float s = saturation.at(x, y) * 90.0f;
            const float dx = (float(x) - SIZE / 2.0f) / (SIZE / 2.0f);
            const float dy = (float(y) - SIZE / 2.0f) / (SIZE / 2.0f);
            uint8_t* pixel = &rgba[(size_t(y) * SIZE + x) * 4];
            pixel[0] = toByte(128 + light + h);
            pixel[1] = toByte(120 + light - 0.5f * h + s);
            pixel[2] = toByte(110 + light - s);
            pixel[3] = toByte(255.0f * (1.3f - std::sqrt(dx * dx + dy * dy)));
        }
    return rgba;
}

struct Inputs
{
    std::vector<Pixels> chain;     // the source and its box-filtered levels, 2048 down to 1
    std::vector<uint8_t> topLevel; // the source encoded as DXT5: the texture whose chain is made
    IDirect3DDevice9* device = nullptr;
};

UINT levelSize(UINT level)
{
    return TextureFormatTable::levelDimension(SIZE, level);
}

const Inputs& inputs()
{
    static const Inputs result = [] {
        Inputs made;
        made.chain.push_back(makePhoto());
        for (UINT level = 1; level < TextureFormatTable::fullChainLength(SIZE, SIZE); ++level) {
            Pixels next;
            ImageFilter::halve(made.chain.back().data(), levelSize(level - 1), levelSize(level - 1), next);
            made.chain.push_back(next);
        }
        made.topLevel.resize(size_t(TextureFormatTable::levelSize(D3DFMT_DXT5, SIZE, SIZE)));
        PixelConverter::encode(D3DFMT_DXT5, made.chain[0].data(), SIZE, SIZE, made.topLevel.data());
        stbi_write_png(SOURCE_PNG, int(SIZE), int(SIZE), 4, made.chain[0].data(), int(SIZE) * 4);
        IDirect3D9* direct3D = Direct3DCreate9(D3D_SDK_VERSION);
        D3DPRESENT_PARAMETERS parameters = {};
        parameters.Windowed = TRUE;
        parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
        if (direct3D)
            direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr,
                                   D3DCREATE_SOFTWARE_VERTEXPROCESSING, &parameters, &made.device);
        return made;
    }();
    return result;
}

// PSNR of a whole chain against the source chain, every pixel of every level weighted alike.
double chainPsnr(const std::vector<Pixels>& levels, const std::vector<Pixels>& source)
{
    double squares = 0.0;
    double samples = 0.0;
    for (size_t level = 0; level < source.size() && level < levels.size(); ++level) {
        if (levels[level].size() != source[level].size())
            return 0.0;
        for (size_t i = 0; i < source[level].size(); ++i) {
            const double difference = double(levels[level][i]) - source[level][i];
            squares += difference * difference;
        }
        samples += double(source[level].size());
    }
    if (levels.size() != source.size() || samples == 0.0)
        return 0.0;
    return squares == 0.0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 * samples / squares);
}

std::vector<Pixels> decodeChain(IDirect3DTexture9* texture)
{
    std::vector<Pixels> levels(texture->GetLevelCount());
    for (UINT level = 0; level < levels.size(); ++level)
        PixelConverter::decodeLevel(*texture, level, levels[level]);
    return levels;
}

// An archive holding one 2048x2048 DXT5 texture of a single level, on the benchmark's device.
class OneTextureArchive : public WTDFile
{
public:
    explicit OneTextureArchive(IDirect3DDevice9* device) { m_device = device; }

    bool reset(const std::vector<uint8_t>& topLevel)
    {
        if (m_textures.empty())
            m_textures.emplace_back();
        TextureEntry& entry = m_textures[0];
        entry.texture.reset();
        entry.record.width = int16_t(SIZE);
        entry.record.height = int16_t(SIZE);
        entry.record.format = D3DFMT_DXT5;
        entry.record.mipLevelCount = 1;
        D3DLOCKED_RECT locked = {};
        if (FAILED(D3DXCreateTexture(m_device, SIZE, SIZE, 1, 0, D3DFMT_DXT5, D3DPOOL_MANAGED,
                                     entry.texture.put())) ||
            FAILED(entry.texture->LockRect(0, &locked, nullptr, 0)))
            return false;
        std::memcpy(locked.pBits, topLevel.data(), topLevel.size());
        entry.texture->UnlockRect(0);
        return true;
    }
};

void generateMipMaps(benchmark::State& state)
{
    const Inputs& input = inputs();
    if (!input.device) {
        state.SkipWithError("no device");
        return;
    }
    OneTextureArchive archive(input.device);
    for (auto _ : state) {
        state.PauseTiming();
        const bool ready = archive.reset(input.topLevel);
        state.ResumeTiming();
        if (!ready || !archive.generateMipMaps(0)) {
            state.SkipWithError("the mip chain was not generated");
            return;
        }
    }
    state.counters["PSNR"] = chainPsnr(decodeChain(archive.m_textures[0].texture.get()), input.chain);
}

// stb_dxt alone on the levels a chain generation must produce (1 to 11), from the ideally filtered
// source; level 0 is the same DXT5 top level the measured half starts from.
void encodeLevelsWithStb(benchmark::State& state)
{
    const Inputs& input = inputs();
    std::vector<std::vector<uint8_t>> encoded(input.chain.size());
    for (auto _ : state) {
        for (UINT level = 1; level < input.chain.size(); ++level) {
            const UINT size = levelSize(level);
            const UINT blocks = (size + 3) / 4;
            encoded[level].resize(size_t(blocks) * blocks * 16);
            uint8_t block[64];
            for (UINT by = 0; by < blocks; ++by)
                for (UINT bx = 0; bx < blocks; ++bx) {
                    // Edge pixels repeat where a level is smaller than one block.
                    for (UINT y = 0; y < 4; ++y)
                        for (UINT x = 0; x < 4; ++x) {
                            const UINT sx = std::min(bx * 4 + x, size - 1);
                            const UINT sy = std::min(by * 4 + y, size - 1);
                            std::memcpy(block + (y * 4 + x) * 4,
                                        &input.chain[level][(size_t(sy) * size + sx) * 4], 4);
                        }
                    stb_compress_dxt_block(&encoded[level][(size_t(by) * blocks + bx) * 16], block, 1,
                                           STB_DXT_HIGHQUAL);
                }
        }
        benchmark::DoNotOptimize(encoded.back().data());
    }
    encoded[0] = input.topLevel;
    std::vector<Pixels> levels(input.chain.size());
    for (UINT level = 0; level < input.chain.size(); ++level) {
        levels[level].resize(input.chain[level].size());
        PixelConverter::decode(D3DFMT_DXT5, encoded[level].data(), levelSize(level), levelSize(level),
                               levels[level].data());
    }
    state.counters["PSNR"] = chainPsnr(levels, input.chain);
}

// ImageMagick making the whole DXT5 chain from the source picture, as a user would run it.
void convertWithImageMagick(benchmark::State& state)
{
    const Inputs& input = inputs();
    if (access(CONVERT, X_OK) != 0) {
        state.SkipWithError("ImageMagick (/usr/bin/convert) is not installed");
        return;
    }
    const std::string command =
        std::string(CONVERT) + " " + SOURCE_PNG + " -define dds:compression=dxt5 " + CONVERTED_DDS;
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("convert failed");
            return;
        }
    }
    IDirect3DTexture9* texture = nullptr;
    const std::wstring widePath(CONVERTED_DDS, CONVERTED_DDS + std::strlen(CONVERTED_DDS));
    if (FAILED(D3DXCreateTextureFromFileW(input.device, widePath.c_str(), &texture))) {
        state.SkipWithError("the DDS file of ImageMagick cannot be read");
        return;
    }
    state.counters["PSNR"] = chainPsnr(decodeChain(texture), input.chain);
    state.counters["levels"] = texture->GetLevelCount();
    texture->Release();
}
} // namespace

BENCHMARK(generateMipMaps)
    ->Name("mip chain 2048x2048 DXT5 vs stb_dxt/measured")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(encodeLevelsWithStb)
    ->Name("mip chain 2048x2048 DXT5 vs stb_dxt/reference")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(generateMipMaps)
    ->Name("mip chain 2048x2048 DXT5 vs ImageMagick/measured")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(convertWithImageMagick)
    ->Name("mip chain 2048x2048 DXT5 vs ImageMagick/reference")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);
