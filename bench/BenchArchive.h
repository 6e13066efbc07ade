#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "Platform/Direct3D.h"
#include "WTD/WTDFile.h"

// The archive the reading and saving benchmarks share: 200 textures, DXT1 and DXT5 from 256 x 256 to
// 1024 x 1024, each with its full chain and texture-like bytes, saved by the archive writer into a
// temporary folder so that the file is what users have on disk. Made once, on first use, and removed
// when the program ends.
class BenchArchive
{
public:
    static constexpr size_t TEXTURE_COUNT = 200;

    // The one archive of the program, or null when it could not be made: the benchmark is then
    // stopped with an error that says so.
    static BenchArchive* sharedFor(benchmark::State& state);

    BenchArchive(const BenchArchive&) = delete;
    BenchArchive& operator=(const BenchArchive&) = delete;

    const std::string& path() const { return m_path; }
    IDirect3DDevice9* device() const { return m_device; }
    // The archive in memory, as it was saved to path().
    WTDFile& file() { return *m_file; }
    // The saved file's zlib stream, and the body image it inflates to.
    const std::vector<uint8_t>& stream() const { return m_stream; }
    const std::vector<uint8_t>& body() const { return m_body; }

private:
    BenchArchive();
    ~BenchArchive();

    bool createDevice();
    bool addTextures();
    bool readBack();

    std::string m_folder;
    std::string m_path;
    IDirect3D9* m_direct3D = nullptr;
    IDirect3DDevice9* m_device = nullptr;
    std::unique_ptr<WTDFile> m_file;
    std::vector<uint8_t> m_stream;
    std::vector<uint8_t> m_body;
    bool m_ready = false;
};
