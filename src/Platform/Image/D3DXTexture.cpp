#include "Platform/Image/D3DXTexture.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "Common/SafeFile/FileReplacement.h"
#include "Platform/Direct3D/FaultPlan.h"
#include "Platform/Direct3D/IDirect3DSurface9.h"
#include "Platform/Direct3D/IDirect3DTexture9.h"
#include "Platform/Image/DdsFile.h"
#include "Platform/Image/ImageFile.h"
#include "Platform/Image/ImageFilter.h"
#include "Platform/Image/PixelConverter.h"
#include "Platform/Image/TextureFormatTable.h"
#include "Platform/System/WindowsApi.h"

namespace
{

// The target is either the complete new file or untouched; a file nobody may write is read-only, as
// on Windows, and is not replaced.
bool replaceFile(const std::string& target, const std::vector<uint8_t>& bytes)
{
    FileReplacement file(target);
    if (!file.isOpen()) {
        return false;
    }
    file.stream().write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return file.commit();
}

// The part of a level a rectangle selects; null means the whole level. False when it does not lie
// inside the level.
bool regionOf(const RECT* rect, UINT width, UINT height, RECT& region)
{
    if (rect == nullptr) {
        region = {0, 0, LONG(width), LONG(height)};
        return true;
    }
    region = *rect;
    return region.left >= 0 && region.top >= 0 && region.left < region.right && region.top < region.bottom &&
           region.right <= LONG(width) && region.bottom <= LONG(height);
}

bool isWhole(const RECT& region, UINT width, UINT height)
{
    return region.left == 0 && region.top == 0 && region.right == LONG(width) &&
           region.bottom == LONG(height);
}

void crop(const std::vector<uint8_t>& rgba, UINT width, const RECT& region, std::vector<uint8_t>& part)
{
    const size_t partWidth = size_t(region.right - region.left);
    part.resize(partWidth * size_t(region.bottom - region.top) * 4);
    for (LONG y = region.top; y < region.bottom; ++y) {
        const uint8_t* from = rgba.data() + (size_t(y) * width + size_t(region.left)) * 4;
        std::copy(from, from + partWidth * 4, part.data() + size_t(y - region.top) * partWidth * 4);
    }
}

void paste(const std::vector<uint8_t>& part, const RECT& region, UINT width, std::vector<uint8_t>& rgba)
{
    const size_t partWidth = size_t(region.right - region.left);
    for (LONG y = region.top; y < region.bottom; ++y) {
        const uint8_t* from = part.data() + size_t(y - region.top) * partWidth * 4;
        std::copy(from, from + partWidth * 4, rgba.data() + (size_t(y) * width + size_t(region.left)) * 4);
    }
}

// The pixels of a region of a surface, scaled to width × height.
std::vector<uint8_t> scaledRegion(IDirect3DSurface9& source, const RECT& region, UINT width, UINT height,
                                  DWORD filter)
{
    const IDirect3DTexture9& texture = *source.texture();
    std::vector<uint8_t> decoded;
    std::vector<uint8_t> part;
    PixelConverter::decodeLevel(texture, source.level(), decoded);
    crop(decoded, texture.width(source.level()), region, part);
    std::vector<uint8_t> scaled(size_t(width) * height * 4);
    const DWORD kind = filter & 0xFF;
    ImageFilter::resize(part.data(), UINT(region.right - region.left), UINT(region.bottom - region.top),
                        scaled.data(), width, height, kind == D3DX_FILTER_POINT || kind == D3DX_FILTER_NONE);
    return scaled;
}

HRESULT loadSurface(IDirect3DSurface9& destination, const RECT* destRect, IDirect3DSurface9& source,
                    const RECT* srcRect, DWORD filter)
{
    IDirect3DTexture9& to = *destination.texture();
    const IDirect3DTexture9& from = *source.texture();
    const UINT toLevel = destination.level();
    const UINT toWidth = to.width(toLevel);
    const UINT toHeight = to.height(toLevel);
    const UINT fromWidth = from.width(source.level());
    const UINT fromHeight = from.height(source.level());
    RECT fromRegion;
    RECT toRegion;
    if (!from.formatInfo().decodable || !to.formatInfo().encodable ||
        !regionOf(srcRect, fromWidth, fromHeight, fromRegion) ||
        !regionOf(destRect, toWidth, toHeight, toRegion)) {
        return D3DERR_INVALIDCALL;
    }
    const bool wholeTarget = isWhole(toRegion, toWidth, toHeight);
    // A whole level copied into the same format and size keeps its bytes: no re-encoding loss.
    if (wholeTarget && from.format() == to.format() && fromWidth == toWidth && fromHeight == toHeight &&
        isWhole(fromRegion, fromWidth, fromHeight)) {
        // memmove: a surface may be copied onto itself.
        std::memmove(to.levelData(toLevel), from.levelData(source.level()), from.levelSize(source.level()));
        to.markChanged();
        return D3D_OK;
    }
    // Re-encoding a block format around a partial rectangle would degrade the blocks beside it.
    if (!wholeTarget && to.formatInfo().kind == FormatKind::Block) {
        return D3DERR_INVALIDCALL;
    }
    const std::vector<uint8_t> scaled = scaledRegion(source, fromRegion, UINT(toRegion.right - toRegion.left),
                                                     UINT(toRegion.bottom - toRegion.top), filter);
    if (wholeTarget) {
        PixelConverter::encodeLevel(to, toLevel, scaled.data());
        return D3D_OK;
    }
    std::vector<uint8_t> targetPixels;
    PixelConverter::decodeLevel(to, toLevel, targetPixels);
    paste(scaled, toRegion, toWidth, targetPixels);
    PixelConverter::encodeLevel(to, toLevel, targetPixels.data());
    return D3D_OK;
}

// Source rows are decoded this many at a time: a multiple of the 4 rows of a block, and few enough
// for the strip to stay in the cache.
constexpr UINT STRIP_ROWS = 32;

// The level below `level`, halved from the level's stored bytes a strip of rows at a time, so that the
// decoded level never exists whole: for a 2048 x 2048 level that would be 16 MB written and read back
// to make 4 MB. The result equals decoding the whole level and halving it.
void halveLevel(const IDirect3DTexture9& texture, UINT level, std::vector<uint8_t>& below)
{
    const D3DFORMAT format = texture.format();
    const UINT width = texture.width(level);
    const UINT height = texture.height(level);
    const UINT belowWidth = std::max<UINT>(1, width / 2);
    const UINT belowHeight = std::max<UINT>(1, height / 2);
    const UINT rowsPerStoredRow = TextureFormatTable::isBlockFormat(format) ? 4 : 1;
    const size_t storedPitch = TextureFormatTable::pitch(format, width);
    below.resize(size_t(belowWidth) * belowHeight * 4);
    std::vector<uint8_t> strip;
    std::vector<uint8_t> halved;
    for (UINT top = 0; top < height; top += STRIP_ROWS) {
        // A last row without a partner below it is left out, as halving the whole level leaves it out;
        // a level of one row pairs it with itself.
        const UINT rows = std::min(STRIP_ROWS, height - top);
        const UINT pairedRows = height == 1 ? 1 : rows - rows % 2;
        if (pairedRows == 0) {
            break;
        }
        strip.resize(size_t(width) * pairedRows * 4);
        PixelConverter::decode(format, texture.levelData(level) + top / rowsPerStoredRow * storedPitch, width,
                               pairedRows, strip.data());
        ImageFilter::halve(strip.data(), width, pairedRows, halved);
        std::copy(halved.begin(), halved.end(), below.begin() + std::ptrdiff_t(top / 2) * belowWidth * 4);
    }
}

} // namespace

HRESULT D3DXCreateTexture(LPDIRECT3DDEVICE9 device, UINT width, UINT height, UINT mipLevels, DWORD usage,
                          D3DFORMAT format, D3DPOOL pool, LPDIRECT3DTEXTURE9* texture)
{
    return IDirect3DTexture9::create(device, width, height, mipLevels, usage, format, pool, true, texture);
}

HRESULT D3DXGetImageInfoFromFileW(LPCWSTR fileName, D3DXIMAGE_INFO* info)
{
    if (fileName == nullptr || info == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    try {
        ImageFile file;
        HRESULT result = file.open(fileSystemPath(fileName));
        if (SUCCEEDED(result)) {
            *info = file.info();
        }
        return result;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT D3DXCreateTextureFromFileW(LPDIRECT3DDEVICE9 device, LPCWSTR fileName, LPDIRECT3DTEXTURE9* texture)
{
    if (texture == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *texture = nullptr;
    if (fileName == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    try {
        ImageFile file;
        HRESULT result = file.open(fileSystemPath(fileName));
        return FAILED(result) ? result : file.createTexture(device, texture);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT D3DXSaveTextureToFileW(LPCWSTR fileName, D3DXIMAGE_FILEFORMAT fileFormat, LPDIRECT3DTEXTURE9 texture,
                               const PALETTEENTRY* palette)
{
    if (fileName == nullptr || texture == nullptr || palette != nullptr || fileFormat != D3DXIFF_DDS) {
        return D3DERR_INVALIDCALL;
    }
    if (FaultPlan* plan = FaultPlan::installed(); plan != nullptr && plan->failsSaveTexture()) {
        return E_FAIL;
    }
    const std::string path = fileSystemPath(fileName);
    try {
        std::vector<uint8_t> bytes;
        if (path.empty() || !DdsFile::build(*texture, bytes)) {
            return D3DERR_INVALIDCALL;
        }
        return replaceFile(path, bytes) ? D3D_OK : E_FAIL;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT D3DXLoadSurfaceFromSurface(LPDIRECT3DSURFACE9 destSurface, const PALETTEENTRY* destPalette,
                                   const RECT* destRect, LPDIRECT3DSURFACE9 srcSurface,
                                   const PALETTEENTRY* srcPalette, const RECT* srcRect, DWORD filter,
                                   D3DCOLOR colorKey)
{
    if (destSurface == nullptr || srcSurface == nullptr || destPalette != nullptr || srcPalette != nullptr ||
        colorKey != 0) {
        return D3DERR_INVALIDCALL;
    }
    try {
        return loadSurface(*destSurface, destRect, *srcSurface, srcRect, filter);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT D3DXFilterTexture(LPDIRECT3DTEXTURE9 texture, const PALETTEENTRY* palette, UINT srcLevel,
                          DWORD filter)
{
    (void)filter; // every filter is the 2×2 box: the levels of a chain halve exactly
    if (srcLevel == D3DX_DEFAULT) {
        srcLevel = 0;
    }
    if (texture == nullptr || palette != nullptr || srcLevel >= texture->GetLevelCount() ||
        !texture->formatInfo().decodable || !texture->formatInfo().encodable) {
        return D3DERR_INVALIDCALL;
    }
    try {
        // Each level is encoded once from the pixels it was halved to, so no loss accumulates down the
        // chain.
        std::vector<uint8_t> above;
        std::vector<uint8_t> below;
        for (UINT level = srcLevel + 1; level < texture->GetLevelCount(); ++level) {
            if (level == srcLevel + 1) {
                halveLevel(*texture, srcLevel, below);
            } else {
                ImageFilter::halve(above.data(), texture->width(level - 1), texture->height(level - 1),
                                   below);
            }
            PixelConverter::encodeLevel(*texture, level, below.data());
            above.swap(below);
        }
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return D3D_OK;
}
