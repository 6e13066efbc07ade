// Feeds arbitrary bytes to the image-file reader as a file on disk (DDS through our own reader, the
// pictures through stb_image), then decodes, filters and saves what became a texture and reads the
// saved file back. Any crash, leak, sanitizer report or disagreement between the image information
// and the texture is a fault of the reader.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

#include "FuzzFiles.h"
#include "Platform/Direct3D.h"
#include "Platform/Image/PixelConverter.h"

namespace
{
std::string workFolder()
{
    return makeScratchFolder("varnel-image-fuzz");
}

std::wstring widen(const std::string& path)
{
    return std::wstring(path.begin(), path.end());
}

void check(bool condition)
{
    if (!condition)
        std::abort();
}

// A texture made from a file must be what the file's information says it is.
void checkMatches(IDirect3DTexture9* texture, const D3DXIMAGE_INFO& info)
{
    D3DSURFACE_DESC desc{};
    check(SUCCEEDED(texture->GetLevelDesc(0, &desc)));
    check(desc.Width == info.Width && desc.Height == info.Height && desc.Format == info.Format);
    check(texture->GetLevelCount() == info.MipLevels);
}

// Saves the texture as DDS and reads it back: the same format, size, level count and bytes.
void checkSaveRoundTrip(IDirect3DTexture9* texture, const std::wstring& savedPath)
{
    if (FAILED(D3DXSaveTextureToFileW(savedPath.c_str(), D3DXIFF_DDS, texture, nullptr)))
        return; // formats without a DDS form
    IDirect3DTexture9* back = nullptr;
    check(SUCCEEDED(D3DXCreateTextureFromFileW(nullptr, savedPath.c_str(), &back)));
    check(back->format() == texture->format() && back->GetLevelCount() == texture->GetLevelCount());
    for (UINT level = 0; level < back->GetLevelCount(); ++level) {
        check(back->levelSize(level) == texture->levelSize(level));
        check(std::equal(back->levelData(level), back->levelData(level) + back->levelSize(level),
                         texture->levelData(level)));
    }
    back->Release();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string folder = workFolder();
    static const std::string inputPath = folder + "/input";
    static const std::wstring wideInput = widen(inputPath);
    static const std::wstring wideSaved = widen(folder + "/saved.dds");
    writeInput(inputPath, data, size);
    D3DXIMAGE_INFO info{};
    const bool described = SUCCEEDED(D3DXGetImageInfoFromFileW(wideInput.c_str(), &info));
    IDirect3DTexture9* texture = nullptr;
    if (FAILED(D3DXCreateTextureFromFileW(nullptr, wideInput.c_str(), &texture)))
        return 0;
    check(described && texture != nullptr);
    checkMatches(texture, info);
    std::vector<uint8_t> rgba;
    PixelConverter::decodeLevel(*texture, texture->GetLevelCount() - 1, rgba);
    D3DXFilterTexture(texture, nullptr, 0, D3DX_DEFAULT);
    checkSaveRoundTrip(texture, wideSaved);
    texture->Release();
    return 0;
}
