// Feeds arbitrary bytes to the archive loader as a file on disk, then sorts, re-hashes and reloads
// what loaded. Any crash, leak or sanitizer report is a fault of the loader.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

#include <zlib.h>

#include "Common/MessageLog/MessageLog.h"
#include "FuzzFiles.h"
#include "Platform/Direct3D.h"
#include "WTD/WTDFile.h"

namespace
{
std::string archivePath()
{
    return makeScratchFolder("varnel-fuzz") + "/input.wtd";
}

IDirect3DDevice9* device()
{
    static IDirect3DDevice9* device = [] {
        IDirect3D9* direct3D = Direct3DCreate9(D3D_SDK_VERSION);
        D3DPRESENT_PARAMETERS parameters{};
        parameters.Windowed = TRUE;
        parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
        IDirect3DDevice9* created = nullptr;
        if (!direct3D ||
            FAILED(direct3D->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                          &parameters, &created)))
            std::abort();
        direct3D->Release();
        return created;
    }();
    return device;
}

} // namespace

extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t maxSize);

namespace
{
const size_t HEADER_SIZE = 12;
const size_t MAX_MUTATED_BODY = 1 << 20;

// Mutates the inflated body of a container and compresses it again, so that the dictionary itself is
// explored rather than mostly broken zlib streams. False when the input holds no inflatable body.
bool mutateBody(uint8_t* data, size_t& size, size_t maxSize)
{
    if (size <= HEADER_SIZE)
        return false;
    std::vector<uint8_t> body(MAX_MUTATED_BODY);
    uLongf bodySize = body.size();
    if (uncompress(body.data(), &bodySize, data + HEADER_SIZE, static_cast<uLong>(size - HEADER_SIZE)) !=
        Z_OK)
        return false;
    body.resize(bodySize);
    const size_t mutatedSize = LLVMFuzzerMutate(body.data(), bodySize, bodySize);
    body.resize(mutatedSize);
    uLongf streamSize = compressBound(static_cast<uLong>(body.size()));
    std::vector<uint8_t> stream(streamSize);
    if (compress2(stream.data(), &streamSize, body.data(), static_cast<uLong>(body.size()), 9) != Z_OK ||
        HEADER_SIZE + streamSize > maxSize)
        return false;
    std::copy(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(streamSize), data + HEADER_SIZE);
    size = HEADER_SIZE + streamSize;
    return true;
}
} // namespace

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxSize, unsigned int seed)
{
    // Three times in four the body, else the raw bytes (container header, flags, the stream itself).
    if (seed % 4 != 0 && mutateBody(data, size, maxSize))
        return size;
    return LLVMFuzzerMutate(data, size, maxSize);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = archivePath();
    writeInput(path, data, size);
    {
        WTDFile file(path, device(), WTDFile::WHOLE_FILE, 0);
        if (!file.hasLoadFailed()) {
            file.sortTextures(static_cast<uint32_t>(size % 5), (size & 1) != 0);
            file.sortByNameHash();
            file.reloadFile();
        }
    }
    // The log keeps every line for the program's lifetime; a fuzzing run would only grow it.
    MessageLog::cleanUpAtExit();
    return 0;
}
