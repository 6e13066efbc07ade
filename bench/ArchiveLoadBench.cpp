// Opening a 200-texture archive against zlib's uncompress alone on the same stream: inflating is the
// floor, everything else (reading the file, the dictionary, creating textures and copying their levels)
// should add little to it.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "PeakMemory.h"
#include "Platform/Direct3D.h"
#include "RSC/LittleEndian.h"
#include "RSC/RSCFile.h"
#include "WTD/WTDFile.h"

namespace
{
constexpr int kTextureCount = 200;

// Texture-like bytes: runs of similar values with noise, so they compress about as real pixels do.
void fillLevel(uint8_t* bytes, size_t size, uint32_t seed)
{
    uint32_t state = seed * 2654435761u + 7u;
    for (size_t i = 0; i < size; ++i) {
        state = state * 1103515245u + 12345u;
        bytes[i] = static_cast<uint8_t>((i / 64) * 5 + seed + ((state >> 16) & 0x0F));
    }
}

// 200 textures, DXT1 and DXT5 from 256 x 256 to 1024 x 1024, each with its full chain, saved by the
// archive writer so that the file is what users have on disk.
bool writeArchive(const std::string& path, IDirect3DDevice9* device)
{
    const struct
    {
        int16_t width;
        int16_t height;
        D3DFORMAT format;
    } shapes[] = {{256, 256, D3DFMT_DXT1},   {256, 256, D3DFMT_DXT5},  {512, 512, D3DFMT_DXT1},
                  {512, 256, D3DFMT_DXT5},   {1024, 512, D3DFMT_DXT1}, {512, 512, D3DFMT_DXT5},
                  {1024, 1024, D3DFMT_DXT1}, {256, 512, D3DFMT_DXT1},  {1024, 1024, D3DFMT_DXT5}};
    WTDFile file;
    for (int i = 0; i < kTextureCount; ++i) {
        const auto& shape = shapes[i % (sizeof(shapes) / sizeof(shapes[0]))];
        TextureEntry entry;
        entry.name = "texture_" + std::to_string(i);
        entry.record.width = shape.width;
        entry.record.height = shape.height;
        entry.record.format = shape.format;
        entry.record.mipLevelCount = static_cast<uint8_t>(WTDFile::countMipLevels(shape.width, shape.height));
        if (FAILED(D3DXCreateTexture(device, shape.width, shape.height, entry.record.mipLevelCount, 0,
                                     shape.format, D3DPOOL_MANAGED, &entry.texture)))
            return false;
        file.m_textures.push_back(entry);
        for (uint32_t level = 0; level < entry.record.mipLevelCount; ++level) {
            D3DLOCKED_RECT locked{};
            D3DSURFACE_DESC description{};
            entry.texture->GetLevelDesc(level, &description);
            entry.texture->LockRect(level, &locked, nullptr, 0);
            fillLevel(static_cast<uint8_t*>(locked.pBits),
                      static_cast<size_t>(
                          TextureFormatTable::levelSize(shape.format, description.Width, description.Height)),
                      static_cast<uint32_t>(i));
            entry.texture->UnlockRect(level);
        }
    }
    return file.saveFile(path, 0);
}

struct Fixture
{
    std::string folder;
    std::string path;
    IDirect3D9* direct3D = nullptr;
    IDirect3DDevice9* device = nullptr;
    std::vector<uint8_t> stream; // the container's zlib stream
    uint64_t bodySize = 0;
    bool ready = false;

    Fixture()
    {
        char pattern[] = "/tmp/varnel-load-bench-XXXXXX";
        folder = mkdtemp(pattern) ? pattern : "/tmp";
        path = folder + "/archive.wtd";
        direct3D = Direct3DCreate9(D3D_SDK_VERSION);
        D3DPRESENT_PARAMETERS parameters{};
        parameters.Windowed = TRUE;
        parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
        if (!direct3D ||
            FAILED(direct3D->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                          &parameters, &device)))
            return;
        if (!writeArchive(path, device))
            return;
        std::ifstream file(path, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        if (bytes.size() <= RSCFile::s_headerSize)
            return;
        const uint32_t flags =
            LittleEndian::loadU32(reinterpret_cast<const unsigned char*>(bytes.data()) + 8);
        bodySize =
            RSCFile::decodeSegmentSize(flags & 0x7FFF) + RSCFile::decodeSegmentSize((flags >> 15) & 0x7FFF);
        stream.assign(bytes.begin() + RSCFile::s_headerSize, bytes.end());
        ready = true;
    }

    ~Fixture()
    {
        std::remove(path.c_str());
        rmdir(folder.c_str());
        if (device)
            device->Release();
        if (direct3D)
            direct3D->Release();
    }
};

Fixture& fixture()
{
    static Fixture instance;
    return instance;
}

void openArchive(benchmark::State& state)
{
    Fixture& shared = fixture();
    if (!shared.ready) {
        state.SkipWithError("the archive could not be written");
        return;
    }
    size_t textures = 0;
    const double peak = PeakMemory::measure([&] {
        WTDFile file(shared.path, shared.device, WTDFile::s_wholeFile, 0);
        textures = file.m_textures.size();
    });
    for (auto _ : state) {
        WTDFile file(shared.path, shared.device, WTDFile::s_wholeFile, 0);
        if (file.hasLoadFailed() || file.m_textures.size() != kTextureCount)
            state.SkipWithError("the archive did not load");
    }
    const double megabyte = 1024.0 * 1024.0;
    state.counters["body MB"] = static_cast<double>(shared.bodySize) / megabyte;
    state.counters["textures"] = static_cast<double>(textures);
    if (peak >= 0) {
        state.counters["peak MB"] = peak / megabyte;
        state.counters["peak/body"] = peak / static_cast<double>(shared.bodySize);
    }
}

void uncompressStream(benchmark::State& state)
{
    Fixture& shared = fixture();
    if (!shared.ready) {
        state.SkipWithError("the archive could not be written");
        return;
    }
    std::vector<uint8_t> body(shared.bodySize);
    for (auto _ : state) {
        uLongf length = static_cast<uLongf>(body.size());
        if (uncompress(body.data(), &length, shared.stream.data(),
                       static_cast<uLong>(shared.stream.size())) != Z_OK)
            state.SkipWithError("uncompress failed");
        benchmark::DoNotOptimize(body.data());
    }
    state.counters["body MB"] = static_cast<double>(shared.bodySize) / (1024.0 * 1024.0);
}
} // namespace

BENCHMARK(openArchive)->Name("open 200-texture archive/measured")->Unit(benchmark::kMillisecond);
BENCHMARK(uncompressStream)->Name("open 200-texture archive/reference")->Unit(benchmark::kMillisecond);
