// DXT5 mip chains of 2048x2048 pictures.
//
// "vs stb_dxt": mip-map generation of the editor (a DXT5 texture's level 0 decoded, halved level by
// level, every level below encoded) against the bare encoder: stb_dxt encoding the same levels from
// ideally filtered pixels. The filtering is ours alone, so the ratio shows what it costs.
//
// "PNG to DDS": the same work on both sides, from a PNG file to a written DDS file with the whole chain
// (read the picture, encode level 0, build the chain, write): ours through the texture functions of the
// platform layer against ImageMagick and nvcompress run as a user would run them.
//
// Every half reports the quality of its chain as ChainQuality measures it, alike for every tool: the
// file's levels are decoded by one decoder.
#include "WTD/WTDFile.h"

#include "ChainQuality.h"

#include "Platform/Direct3D.h"
#include "Platform/Image/ImageFilter.h"
#include "Platform/Image/PixelConverter.h"

#include <benchmark/benchmark.h>
#include <stb_dxt.h>
#include <stb_image.h>
#include <stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{
const UINT SIZE = 2048;
const char* const CONVERT = "/usr/bin/convert";
const char* const NVCOMPRESS = "/usr/bin/nvcompress";
// A photograph (a nuthatch on a tree trunk, 6028x3391) of the package lomiri-wallpapers-20.04, which
// the bench script installs; the square around the bird holds bark, feathers and a smooth background.
const char* const PHOTO_JPEG = "/usr/share/backgrounds/Kleiber_by_Lukas_Baubkus.jpg";
const int PHOTO_LEFT = 1839;
const int PHOTO_TOP = 709;

typedef ChainQuality::Pixels Pixels;

std::wstring widen(const std::string& path)
{
    return std::wstring(path.begin(), path.end());
}

// A folder for the pictures and the files the tools write, removed with its files at exit.
class ScratchFolder
{
public:
    ScratchFolder()
    {
        char pattern[] = "/tmp/varnel-mipmap-bench-XXXXXX";
        if (mkdtemp(pattern))
            m_path = pattern;
    }
    ~ScratchFolder()
    {
        for (const std::string& file : m_files)
            std::remove(file.c_str());
        if (!m_path.empty())
            rmdir(m_path.c_str());
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // A path in the folder, removed at exit; empty when the folder could not be made.
    std::string file(const std::string& name)
    {
        if (m_path.empty())
            return "";
        const std::string path = m_path + "/" + name;
        if (std::find(m_files.begin(), m_files.end(), path) == m_files.end())
            m_files.push_back(path);
        return path;
    }

private:
    std::string m_path;
    std::vector<std::string> m_files;
};

ScratchFolder& scratch()
{
    static ScratchFolder folder;
    return folder;
}

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
        const float fx = float(x) / float(m_spacing);
        const float fy = float(y) / float(m_spacing);
        const UINT cx = UINT(fx);
        const UINT cy = UINT(fy);
        const float tx = smooth(fx - float(cx));
        const float ty = smooth(fy - float(cy));
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
Pixels makeGenerated()
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

// The SIZE x SIZE square of the photograph, opaque; empty when the photograph is missing.
Pixels loadPhoto()
{
    int width = 0;
    int height = 0;
    int channels = 0;
    stbi_uc* decoded = stbi_load(PHOTO_JPEG, &width, &height, &channels, 4);
    if (!decoded)
        return {};
    Pixels rgba;
    if (width >= PHOTO_LEFT + int(SIZE) && height >= PHOTO_TOP + int(SIZE)) {
        rgba.resize(size_t(SIZE) * SIZE * 4);
        for (UINT y = 0; y < SIZE; ++y)
            std::memcpy(&rgba[size_t(y) * SIZE * 4],
                        decoded + (size_t(PHOTO_TOP + y) * width + PHOTO_LEFT) * 4, size_t(SIZE) * 4);
    }
    stbi_image_free(decoded);
    return rgba;
}

UINT levelSize(UINT level)
{
    return TextureFormatTable::levelDimension(SIZE, level);
}

// One source picture: its box-filtered chain (the reference of every PSNR), its PNG file (with alpha
// only when it has any, as a user's file would be) and its level 0 encoded as DXT5.
struct Picture
{
    std::vector<Pixels> chain;
    std::string png;
    std::vector<uint8_t> topLevel;

    bool ready() const { return !chain.empty() && !png.empty(); }
};

bool writePng(const std::string& path, const Pixels& rgba)
{
    bool opaque = true;
    for (size_t i = 3; i < rgba.size(); i += 4)
        opaque = opaque && rgba[i] == 255;
    if (!opaque)
        return stbi_write_png(path.c_str(), int(SIZE), int(SIZE), 4, rgba.data(), int(SIZE) * 4) != 0;
    Pixels rgb;
    rgb.reserve(rgba.size() / 4 * 3);
    for (size_t i = 0; i < rgba.size(); ++i)
        if (i % 4 != 3)
            rgb.push_back(rgba[i]);
    return stbi_write_png(path.c_str(), int(SIZE), int(SIZE), 3, rgb.data(), int(SIZE) * 3) != 0;
}

Picture makePicture(Pixels source, const std::string& name)
{
    Picture made;
    if (source.empty())
        return made;
    made.chain.push_back(std::move(source));
    for (UINT level = 1; level < TextureFormatTable::fullChainLength(SIZE, SIZE); ++level) {
        Pixels next;
        ImageFilter::halve(made.chain.back().data(), levelSize(level - 1), levelSize(level - 1), next);
        made.chain.push_back(next);
    }
    made.topLevel.resize(size_t(TextureFormatTable::levelSize(D3DFMT_DXT5, SIZE, SIZE)));
    PixelConverter::encode(D3DFMT_DXT5, made.chain[0].data(), SIZE, SIZE, made.topLevel.data());
    const std::string png = scratch().file(name + ".png");
    if (!png.empty() && writePng(png, made.chain[0]))
        made.png = png;
    return made;
}

const Picture& generatedPicture()
{
    static const Picture picture = makePicture(makeGenerated(), "generated");
    return picture;
}

const Picture& photoPicture()
{
    static const Picture picture = makePicture(loadPhoto(), "photo");
    return picture;
}

IDirect3DDevice9* device()
{
    static IDirect3DDevice9* const made = [] {
        IDirect3DDevice9* created = nullptr;
        IDirect3D9* direct3D = Direct3DCreate9(D3D_SDK_VERSION);
        D3DPRESENT_PARAMETERS parameters = {};
        parameters.Windowed = TRUE;
        parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
        if (direct3D)
            direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr,
                                   D3DCREATE_SOFTWARE_VERTEXPROCESSING, &parameters, &created);
        return created;
    }();
    return made;
}

std::vector<Pixels> decodeChain(IDirect3DTexture9* texture)
{
    std::vector<Pixels> levels(texture->GetLevelCount());
    for (UINT level = 0; level < levels.size(); ++level)
        PixelConverter::decodeLevel(*texture, level, levels[level]);
    return levels;
}

// The levels of a DDS file as our reader and decoder see them; false when it cannot be read.
bool reportFileQuality(benchmark::State& state, const std::string& path, const Picture& picture)
{
    IDirect3DTexture9* texture = nullptr;
    if (FAILED(D3DXCreateTextureFromFileW(device(), widen(path).c_str(), &texture)))
        return false;
    ChainQuality::report(state, decodeChain(texture), picture.chain);
    texture->Release();
    return true;
}

// ---- mip-map generation against the bare encoder ----

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
    const Picture& picture = generatedPicture();
    if (!device() || picture.chain.empty()) {
        state.SkipWithError("no device or no picture");
        return;
    }
    OneTextureArchive archive(device());
    for (auto _ : state) {
        state.PauseTiming();
        const bool ready = archive.reset(picture.topLevel);
        state.ResumeTiming();
        if (!ready || !archive.generateMipMaps(0)) {
            state.SkipWithError("the mip chain was not generated");
            return;
        }
    }
    ChainQuality::report(state, decodeChain(archive.m_textures[0].texture.get()), picture.chain);
    state.counters["goal"] = 1.3;
}

// stb_dxt alone on the levels a chain generation must produce (1 to 11), from the ideally filtered
// source; level 0 is the same DXT5 top level the measured half starts from.
void encodeLevelsWithStb(benchmark::State& state)
{
    const Picture& picture = generatedPicture();
    if (picture.chain.empty()) {
        state.SkipWithError("no picture");
        return;
    }
    std::vector<std::vector<uint8_t>> encoded(picture.chain.size());
    for (auto _ : state) {
        for (UINT level = 1; level < picture.chain.size(); ++level) {
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
                                        &picture.chain[level][(size_t(sy) * size + sx) * 4], 4);
                        }
                    stb_compress_dxt_block(&encoded[level][(size_t(by) * blocks + bx) * 16], block, 1,
                                           STB_DXT_HIGHQUAL);
                }
        }
        benchmark::DoNotOptimize(encoded.back().data());
    }
    encoded[0] = picture.topLevel;
    std::vector<Pixels> levels(picture.chain.size());
    for (UINT level = 0; level < picture.chain.size(); ++level) {
        levels[level].resize(picture.chain[level].size());
        PixelConverter::decode(D3DFMT_DXT5, encoded[level].data(), levelSize(level), levelSize(level),
                               levels[level].data());
    }
    ChainQuality::report(state, levels, picture.chain);
}

// ---- PNG file to DDS file, ours against the tools ----

// Releases a Direct3D object when it goes out of scope.
template <typename Object> struct Released
{
    Object* object = nullptr;
    ~Released()
    {
        if (object)
            object->Release();
    }
};

// The picture read, level 0 encoded as DXT5, the chain built below it and the whole written as DDS.
bool convertWithOurs(const std::string& png, const std::string& dds)
{
    Released<IDirect3DTexture9> source;
    Released<IDirect3DTexture9> target;
    Released<IDirect3DSurface9> from;
    Released<IDirect3DSurface9> to;
    return SUCCEEDED(D3DXCreateTextureFromFileW(device(), widen(png).c_str(), &source.object)) &&
           SUCCEEDED(
               D3DXCreateTexture(device(), SIZE, SIZE, 0, 0, D3DFMT_DXT5, D3DPOOL_MANAGED, &target.object)) &&
           SUCCEEDED(source.object->GetSurfaceLevel(0, &from.object)) &&
           SUCCEEDED(target.object->GetSurfaceLevel(0, &to.object)) &&
           SUCCEEDED(D3DXLoadSurfaceFromSurface(to.object, nullptr, nullptr, from.object, nullptr, nullptr,
                                                D3DX_DEFAULT, 0)) &&
           SUCCEEDED(D3DXFilterTexture(target.object, nullptr, 0, D3DX_DEFAULT)) &&
           SUCCEEDED(D3DXSaveTextureToFileW(widen(dds).c_str(), D3DXIFF_DDS, target.object, nullptr));
}

void pngToDdsWithOurs(benchmark::State& state, const Picture& (*pictureOf)(), const char* outputName)
{
    const Picture& picture = pictureOf();
    const std::string dds = scratch().file(outputName);
    if (!device() || !picture.ready() || dds.empty()) {
        state.SkipWithError("no device, picture or scratch folder (is lomiri-wallpapers-20.04 installed?)");
        return;
    }
    for (auto _ : state) {
        if (!convertWithOurs(picture.png, dds)) {
            state.SkipWithError("the DDS file was not written");
            return;
        }
    }
    if (!reportFileQuality(state, dds, picture))
        state.SkipWithError("our DDS file cannot be read");
}

// A tool's command line; {in} and {out} stand for the PNG and the DDS file.
void pngToDdsWithTool(benchmark::State& state, const Picture& (*pictureOf)(), const char* tool,
                      const char* arguments, const char* outputName)
{
    const Picture& picture = pictureOf();
    const std::string dds = scratch().file(outputName);
    if (access(tool, X_OK) != 0) {
        state.SkipWithError((std::string(tool) + " is not installed").c_str());
        return;
    }
    if (!device() || !picture.ready() || dds.empty()) {
        state.SkipWithError("no device, picture or scratch folder (is lomiri-wallpapers-20.04 installed?)");
        return;
    }
    std::string command = std::string(tool) + " " + arguments + " >/dev/null 2>&1";
    command.replace(command.find("{in}"), 4, picture.png);
    command.replace(command.find("{out}"), 5, dds);
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError(("failed: " + command).c_str());
            return;
        }
    }
    if (!reportFileQuality(state, dds, picture))
        state.SkipWithError("the tool's DDS file cannot be read");
}

const char* const IMAGEMAGICK = "{in} -define dds:compression=dxt5 {out}";
const char* const NVCOMPRESS_BC3 = "-bc3 {in} {out}";
const char* const NVCOMPRESS_FAST_BC3 = "-fast -bc3 {in} {out}";
} // namespace

BENCHMARK(generateMipMaps)
    ->Name("mip chain 2048x2048 DXT5 vs stb_dxt/measured")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(encodeLevelsWithStb)
    ->Name("mip chain 2048x2048 DXT5 vs stb_dxt/reference")
    ->Unit(benchmark::kMillisecond);

// The tools are whole processes: they run once a round, and both halves are timed by the clock.
#define PNG_TO_DDS_ROW(row, picture, name, tool, arguments)                                                  \
    BENCHMARK_CAPTURE(pngToDdsWithOurs, name##_ours, picture, #name "-ours.dds")                             \
        ->Name(row "/measured")                                                                              \
        ->Unit(benchmark::kMillisecond)                                                                      \
        ->UseRealTime();                                                                                     \
    BENCHMARK_CAPTURE(pngToDdsWithTool, name##_tool, picture, tool, arguments, #name "-tool.dds")            \
        ->Name(row "/reference")                                                                             \
        ->Unit(benchmark::kMillisecond)                                                                      \
        ->UseRealTime()                                                                                      \
        ->Iterations(1)

PNG_TO_DDS_ROW("PNG to DXT5 DDS 2048x2048 generated vs ImageMagick", generatedPicture, generatedMagick,
               CONVERT, IMAGEMAGICK);
PNG_TO_DDS_ROW("PNG to DXT5 DDS 2048x2048 generated vs nvcompress -bc3", generatedPicture, generatedNv,
               NVCOMPRESS, NVCOMPRESS_BC3);
PNG_TO_DDS_ROW("PNG to DXT5 DDS 2048x2048 generated vs nvcompress -fast", generatedPicture, generatedNvFast,
               NVCOMPRESS, NVCOMPRESS_FAST_BC3);
PNG_TO_DDS_ROW("PNG to DXT5 DDS 2048x2048 photo vs ImageMagick", photoPicture, photoMagick, CONVERT,
               IMAGEMAGICK);
PNG_TO_DDS_ROW("PNG to DXT5 DDS 2048x2048 photo vs nvcompress -bc3", photoPicture, photoNv, NVCOMPRESS,
               NVCOMPRESS_BC3);
PNG_TO_DDS_ROW("PNG to DXT5 DDS 2048x2048 photo vs nvcompress -fast", photoPicture, photoNvFast, NVCOMPRESS,
               NVCOMPRESS_FAST_BC3);
