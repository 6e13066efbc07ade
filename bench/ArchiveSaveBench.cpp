// Saving a 200-texture archive against zlib alone compressing the same body image at level 9: the
// layout, the image, the temporary file and its replacement should cost little beside the compression.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include "Platform/Direct3D.h"
#include "RSC/LittleEndian.h"
#include "WTD/WTDFile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <malloc.h>
#include <unistd.h>

namespace
{
constexpr int kTextureCount = 200;

// Texture-like bytes: runs of similar values with noise, so they compress about as real pixels do.
void fillLevel(uint8_t* bytes, size_t size, uint32_t seed)
{
    uint32_t state = seed * 2654435761u + 1u;
    for (size_t i = 0; i < size; ++i)
    {
        state = state * 1103515245u + 12345u;
        bytes[i] = static_cast<uint8_t>((i / 64) * 7 + seed + ((state >> 16) & 0x0F));
    }
}

// 200 textures as an artist's archive holds them: DXT1 and DXT5 from 64 x 64 to 512 x 256, full chains.
void addTextures(WTDFile& file)
{
    const struct
    {
        int16_t width;
        int16_t height;
        D3DFORMAT format;
    } shapes[] = {{256, 256, D3DFMT_DXT1}, {256, 256, D3DFMT_DXT5}, {128, 128, D3DFMT_DXT5},
                  {512, 256, D3DFMT_DXT1}, {64, 64, D3DFMT_DXT5},   {128, 256, D3DFMT_DXT1}};
    for (int i = 0; i < kTextureCount; ++i)
    {
        const auto& shape = shapes[i % (sizeof(shapes) / sizeof(shapes[0]))];
        TextureEntry entry;
        entry.name = "texture_" + std::to_string(i);
        entry.record.width = shape.width;
        entry.record.height = shape.height;
        entry.record.format = shape.format;
        entry.record.mipLevelCount = static_cast<uint8_t>(WTDFile::countMipLevels(shape.width, shape.height));
        D3DXCreateTexture(nullptr, shape.width, shape.height, entry.record.mipLevelCount, 0, shape.format,
                          D3DPOOL_MANAGED, &entry.texture);
        for (uint32_t level = 0; level < entry.record.mipLevelCount; ++level)
        {
            D3DLOCKED_RECT locked{};
            D3DSURFACE_DESC description{};
            entry.texture->GetLevelDesc(level, &description);
            entry.texture->LockRect(level, &locked, nullptr, 0);
            fillLevel(static_cast<uint8_t*>(locked.pBits),
                      static_cast<size_t>(TextureFormatTable::levelSize(shape.format, description.Width,
                                                                        description.Height)),
                      static_cast<uint32_t>(i));
            entry.texture->UnlockRect(level);
        }
        file.m_textures.push_back(entry);
    }
}

std::string readAll(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The body image a save compresses: the saved file's stream inflated to its declared sizes.
std::vector<uint8_t> bodyImage(const std::string& path)
{
    const std::string bytes = readAll(path);
    const uint32_t flags = LittleEndian::loadU32(reinterpret_cast<const unsigned char*>(bytes.data()) + 8);
    std::vector<uint8_t> body(RSCFile::decodeSegmentSize(flags & 0x7FFF) +
                              RSCFile::decodeSegmentSize((flags >> 15) & 0x7FFF));
    uLongf length = body.size();
    uncompress(body.data(), &length, reinterpret_cast<const Bytef*>(bytes.data()) + 12, bytes.size() - 12);
    return body;
}

// Resident memory now, and the peak since the last reset, in bytes (Linux /proc).
uint64_t statusKilobytes(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(field) + ":";
    while (std::getline(status, line))
        if (line.compare(0, prefix.size(), prefix) == 0)
            return std::strtoull(line.c_str() + prefix.size(), nullptr, 10) * 1024;
    return 0;
}

bool resetPeakMemory()
{
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.close();
    return clear.good();
}

struct Fixture
{
    std::string folder;
    std::string path;
    std::unique_ptr<WTDFile> file;
    std::vector<uint8_t> body;

    Fixture()
    {
        char pattern[] = "/tmp/varnel-save-bench-XXXXXX";
        folder = mkdtemp(pattern) ? pattern : "/tmp";
        path = folder + "/archive.wtd";
        file = std::make_unique<WTDFile>();
        addTextures(*file);
        file->saveFile(path, 0);
        body = bodyImage(path);
    }

    ~Fixture()
    {
        std::remove(path.c_str());
        rmdir(folder.c_str());
    }
};

Fixture& fixture()
{
    static Fixture instance;
    return instance;
}

// Resident memory one save adds at its peak: freed heap pages are handed back first, so that pages an
// earlier save left resident do not hide the save's own allocations.
double savePeakBytes(WTDFile& file)
{
    malloc_trim(0);
    const uint64_t before = statusKilobytes("VmRSS");
    if (!resetPeakMemory() || !file.saveFile("", 0))
        return -1.0;
    return static_cast<double>(statusKilobytes("VmHWM")) - static_cast<double>(before);
}

void saveArchive(benchmark::State& state)
{
    Fixture& shared = fixture();
    const double peak = savePeakBytes(*shared.file);
    for (auto _ : state)
    {
        if (!shared.file->saveFile("", 0))
            state.SkipWithError("saveFile failed");
    }
    const double megabyte = 1024.0 * 1024.0;
    state.counters["body MB"] = static_cast<double>(shared.body.size()) / megabyte;
    if (peak >= 0)
    {
        state.counters["peak MB"] = peak / megabyte;
        state.counters["peak/body"] = peak / static_cast<double>(shared.body.size());
    }
    state.counters["MB/s"] = benchmark::Counter(static_cast<double>(shared.body.size()) * state.iterations() / 1e6,
                                                benchmark::Counter::kIsRate);
}

void compressBodyImage(benchmark::State& state)
{
    const std::vector<uint8_t>& body = fixture().body;
    std::unique_ptr<Bytef[]> output(new Bytef[body.size()]);
    for (auto _ : state)
    {
        uLongf length = body.size();
        if (compress2(output.get(), &length, body.data(), body.size(), 9) != Z_OK)
            state.SkipWithError("compress2 failed");
        benchmark::DoNotOptimize(output.get());
    }
    state.counters["body MB"] = static_cast<double>(body.size()) / (1024.0 * 1024.0);
    state.counters["MB/s"] = benchmark::Counter(static_cast<double>(body.size()) * state.iterations() / 1e6,
                                                benchmark::Counter::kIsRate);
}
} // namespace

BENCHMARK(saveArchive)->Name("save 200-texture archive/measured")->Unit(benchmark::kMillisecond);
BENCHMARK(compressBodyImage)->Name("save 200-texture archive/reference")->Unit(benchmark::kMillisecond);
