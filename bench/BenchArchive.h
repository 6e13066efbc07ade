#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <benchmark/benchmark.h>

#include "Platform/Direct3D.h"
#include "WTD/WTDFile.h"

// The archives the reading and saving benchmarks share, each with its textures' full chains of
// texture-like bytes, saved by the archive writer into a temporary folder so that the file is what
// users have on disk. Each is made once, on first use, and removed when the program ends.
class BenchArchive
{
public:
    enum class Content
    {
        Varied,    // DXT1 and DXT5 from 256 x 256 to 1024 x 1024
        SmallDxt1, // 64 x 64 DXT1 only: many textures in a small body
    };

    // The archive of that content and texture count, or null when it could not be made: the
    // benchmark is then stopped with an error that says so.
    static BenchArchive* sharedFor(benchmark::State& state, Content content, size_t textureCount);

    BenchArchive(const BenchArchive&) = delete;
    BenchArchive& operator=(const BenchArchive&) = delete;

    const std::string& path() const { return m_path; }
    IDirect3DDevice9* device() const { return m_device; }
    size_t textureCount() const { return m_textureCount; }
    // The archive in memory, as it was saved to path().
    WTDFile& file() { return *m_file; }
    // The saved file's zlib stream, and the body image it inflates to.
    const std::vector<uint8_t>& stream() const { return m_stream; }
    const std::vector<uint8_t>& body() const { return m_body; }

private:
    BenchArchive(Content content, size_t textureCount);
    friend struct std::default_delete<BenchArchive>;
    ~BenchArchive();

    bool createDevice();
    bool addTextures(Content content);
    bool readBack();

    size_t m_textureCount;
    std::string m_folder;
    std::string m_path;
    IDirect3D9* m_direct3D = nullptr;
    IDirect3DDevice9* m_device = nullptr;
    std::unique_ptr<WTDFile> m_file;
    std::vector<uint8_t> m_stream;
    std::vector<uint8_t> m_body;
    bool m_ready = false;
};
