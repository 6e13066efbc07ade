#include "Platform/Image/TextureFormatTable.h"

#include <algorithm>

namespace
{

constexpr DWORD RGBA_FLAGS = DDPF_RGB | DDPF_ALPHAPIXELS;
constexpr DdsPixelFormat NO_DDS = {0, 0, 0, 0, 0, 0, 0};

constexpr DdsPixelFormat masks(DWORD flags, DWORD bits, DWORD r, DWORD g, DWORD b, DWORD a)
{
    return {flags, 0, bits, r, g, b, a};
}

constexpr DdsPixelFormat fourCC(D3DFORMAT code)
{
    return {DDPF_FOURCC, static_cast<DWORD>(code), 0, 0, 0, 0, 0};
}

constexpr TextureFormatInfo pixel(D3DFORMAT code, const char* name, UINT bits, DdsPixelFormat dds)
{
    return {code, name, FormatKind::Pixel, bits, 0, BlockCodec::None, dds, true, true};
}

constexpr TextureFormatInfo block(D3DFORMAT code, const char* name, UINT bytes, BlockCodec codec)
{
    return {code, name, FormatKind::Block, 0, bytes, codec, fourCC(code), true, true};
}

constexpr TextureFormatInfo opaque(D3DFORMAT code, const char* name, UINT bits)
{
    return {code, name, FormatKind::Opaque, bits, 0, BlockCodec::None, NO_DDS, false, false};
}

const TextureFormatInfo TABLE[] = {
    block(D3DFMT_DXT1, "DXT1", 8, BlockCodec::Dxt1),
    block(D3DFMT_DXT2, "DXT2", 16, BlockCodec::Dxt3),
    block(D3DFMT_DXT3, "DXT3", 16, BlockCodec::Dxt3),
    block(D3DFMT_DXT4, "DXT4", 16, BlockCodec::Dxt5),
    block(D3DFMT_DXT5, "DXT5", 16, BlockCodec::Dxt5),
    pixel(D3DFMT_A8R8G8B8, "A8R8G8B8", 32, masks(RGBA_FLAGS, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000u)),
    pixel(D3DFMT_X8R8G8B8, "X8R8G8B8", 32, masks(DDPF_RGB, 32, 0xFF0000, 0xFF00, 0xFF, 0)),
    pixel(D3DFMT_A8B8G8R8, "A8B8G8R8", 32, masks(RGBA_FLAGS, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000u)),
    pixel(D3DFMT_X8B8G8R8, "X8B8G8R8", 32, masks(DDPF_RGB, 32, 0xFF, 0xFF00, 0xFF0000, 0)),
    pixel(D3DFMT_R8G8B8, "R8G8B8", 24, masks(DDPF_RGB, 24, 0xFF0000, 0xFF00, 0xFF, 0)),
    pixel(D3DFMT_R5G6B5, "R5G6B5", 16, masks(DDPF_RGB, 16, 0xF800, 0x07E0, 0x001F, 0)),
    pixel(D3DFMT_X1R5G5B5, "X1R5G5B5", 16, masks(DDPF_RGB, 16, 0x7C00, 0x03E0, 0x001F, 0)),
    pixel(D3DFMT_A1R5G5B5, "A1R5G5B5", 16, masks(RGBA_FLAGS, 16, 0x7C00, 0x03E0, 0x001F, 0x8000)),
    pixel(D3DFMT_A4R4G4B4, "A4R4G4B4", 16, masks(RGBA_FLAGS, 16, 0x0F00, 0x00F0, 0x000F, 0xF000)),
    pixel(D3DFMT_A8, "A8", 8, masks(DDPF_ALPHA, 8, 0, 0, 0, 0xFF)),
    pixel(D3DFMT_L8, "L8", 8, masks(DDPF_LUMINANCE, 8, 0xFF, 0, 0, 0)),
    pixel(D3DFMT_A8L8, "A8L8", 16, masks(DDPF_LUMINANCE | DDPF_ALPHAPIXELS, 16, 0xFF, 0, 0, 0xFF00)),
    // Formats whose size is known but whose pixels the stand-in does not interpret. Every code of the
    // platform's format list has its row, so that an archive sizes the levels of each by its real width.
    opaque(D3DFMT_R3G3B2, "R3G3B2", 8),
    opaque(D3DFMT_A8R3G3B2, "A8R3G3B2", 16),
    opaque(D3DFMT_X4R4G4B4, "X4R4G4B4", 16),
    opaque(D3DFMT_A2B10G10R10, "A2B10G10R10", 32),
    opaque(D3DFMT_G16R16, "G16R16", 32),
    opaque(D3DFMT_A2R10G10B10, "A2R10G10B10", 32),
    opaque(D3DFMT_A16B16G16R16, "A16B16G16R16", 64),
    opaque(D3DFMT_A8P8, "A8P8", 16),
    opaque(D3DFMT_P8, "P8", 8),
    opaque(D3DFMT_A4L4, "A4L4", 8),
    opaque(D3DFMT_V8U8, "V8U8", 16),
    opaque(D3DFMT_L6V5U5, "L6V5U5", 16),
    opaque(D3DFMT_X8L8V8U8, "X8L8V8U8", 32),
    opaque(D3DFMT_Q8W8V8U8, "Q8W8V8U8", 32),
    opaque(D3DFMT_V16U16, "V16U16", 32),
    opaque(D3DFMT_A2W10V10U10, "A2W10V10U10", 32),
    opaque(D3DFMT_L16, "L16", 16),
    opaque(D3DFMT_Q16W16V16U16, "Q16W16V16U16", 64),
    opaque(D3DFMT_R16F, "R16F", 16),
    opaque(D3DFMT_G16R16F, "G16R16F", 32),
    opaque(D3DFMT_A16B16G16R16F, "A16B16G16R16F", 64),
    opaque(D3DFMT_R32F, "R32F", 32),
    opaque(D3DFMT_G32R32F, "G32R32F", 64),
    opaque(D3DFMT_A32B32G32R32F, "A32B32G32R32F", 128),
    opaque(D3DFMT_CxV8U8, "CxV8U8", 16),
    opaque(D3DFMT_A1, "A1", 1),
    opaque(D3DFMT_A2B10G10R10_XR_BIAS, "A2B10G10R10_XR_BIAS", 32),
    // Depth and stencil.
    opaque(D3DFMT_D16_LOCKABLE, "D16_LOCKABLE", 16),
    opaque(D3DFMT_D32, "D32", 32),
    opaque(D3DFMT_D15S1, "D15S1", 16),
    opaque(D3DFMT_D24S8, "D24S8", 32),
    opaque(D3DFMT_D24X8, "D24X8", 32),
    opaque(D3DFMT_D24X4S4, "D24X4S4", 32),
    opaque(D3DFMT_D16, "D16", 16),
    opaque(D3DFMT_D32F_LOCKABLE, "D32F_LOCKABLE", 32),
    opaque(D3DFMT_D24FS8, "D24FS8", 32),
    opaque(D3DFMT_D32_LOCKABLE, "D32_LOCKABLE", 32),
    opaque(D3DFMT_S8_LOCKABLE, "S8_LOCKABLE", 8),
    // Video formats: two pixels share four bytes, sized here as 16 bits a pixel.
    opaque(D3DFMT_UYVY, "UYVY", 16),
    opaque(D3DFMT_R8G8_B8G8, "R8G8_B8G8", 16),
    opaque(D3DFMT_YUY2, "YUY2", 16),
    opaque(D3DFMT_G8R8_G8B8, "G8R8_G8B8", 16),
    // Two 32-bit elements a pixel.
    opaque(D3DFMT_MULTI2_ARGB8, "MULTI2_ARGB8", 64),
    // Buffer formats: bytes, 16-bit and 32-bit indices.
    opaque(D3DFMT_VERTEXDATA, "VERTEXDATA", 8),
    opaque(D3DFMT_INDEX16, "INDEX16", 16),
    opaque(D3DFMT_INDEX32, "INDEX32", 32),
    opaque(D3DFMT_BINARYBUFFER, "BINARYBUFFER", 8),
};

const TextureFormatInfo UNKNOWN = opaque(D3DFMT_UNKNOWN, "UNKNOWN", 8);

bool sameDds(const DdsPixelFormat& a, const DdsPixelFormat& b)
{
    if ((a.flags & DDPF_FOURCC) != 0) {
        return (b.flags & DDPF_FOURCC) != 0 && a.fourCC == b.fourCC;
    }
    return a.flags == b.flags && a.rgbBitCount == b.rgbBitCount && a.redMask == b.redMask &&
           a.greenMask == b.greenMask && a.blueMask == b.blueMask && a.alphaMask == b.alphaMask;
}

} // namespace

const TextureFormatInfo* TextureFormatTable::find(D3DFORMAT format)
{
    for (const TextureFormatInfo& row : TABLE) {
        if (row.code == format) {
            return &row;
        }
    }
    return nullptr;
}

const TextureFormatInfo& TextureFormatTable::describe(D3DFORMAT format)
{
    const TextureFormatInfo* row = find(format);
    return row != nullptr ? *row : UNKNOWN;
}

const TextureFormatInfo* TextureFormatTable::findByDds(const DdsPixelFormat& pixelFormat)
{
    // Writers disagree on whether the alpha-pixels flag accompanies a four-character code, and
    // some set flags beyond the ones that matter; compare only the meaningful ones.
    DdsPixelFormat wanted = pixelFormat;
    if ((wanted.flags & DDPF_FOURCC) == 0) {
        wanted.flags &= DDPF_RGB | DDPF_ALPHAPIXELS | DDPF_ALPHA | DDPF_LUMINANCE;
        if ((wanted.flags & (DDPF_ALPHAPIXELS | DDPF_ALPHA)) == 0) {
            wanted.alphaMask = 0;
        }
    }
    for (const TextureFormatInfo& row : TABLE) {
        if (row.dds.flags != 0 && sameDds(wanted, row.dds)) {
            return &row;
        }
    }
    return nullptr;
}

bool TextureFormatTable::isDecodable(D3DFORMAT format)
{
    return describe(format).decodable;
}

bool TextureFormatTable::isEncodable(D3DFORMAT format)
{
    return describe(format).encodable;
}

bool TextureFormatTable::isBlockFormat(D3DFORMAT format)
{
    return describe(format).kind == FormatKind::Block;
}

UINT TextureFormatTable::pitch(D3DFORMAT format, UINT width)
{
    const TextureFormatInfo& info = describe(format);
    if (info.kind == FormatKind::Block) {
        return std::max<UINT>(1, (width + 3) / 4) * info.blockBytes;
    }
    return (width * info.bitsPerPixel + 7) / 8;
}

UINT TextureFormatTable::rowCount(D3DFORMAT format, UINT height)
{
    if (isBlockFormat(format)) {
        return std::max<UINT>(1, (height + 3) / 4);
    }
    return height;
}

uint64_t TextureFormatTable::levelSize(D3DFORMAT format, UINT width, UINT height)
{
    const TextureFormatInfo& info = describe(format);
    if (info.kind == FormatKind::Block) {
        return uint64_t(std::max<UINT>(1, (width + 3) / 4)) * std::max<UINT>(1, (height + 3) / 4) *
               info.blockBytes;
    }
    return (uint64_t(width) * info.bitsPerPixel + 7) / 8 * height;
}

UINT TextureFormatTable::fullChainLength(UINT width, UINT height)
{
    UINT largest = std::max(std::max<UINT>(width, height), 1u);
    UINT levels = 1;
    while (largest > 1) {
        largest /= 2;
        ++levels;
    }
    return levels;
}

UINT TextureFormatTable::levelDimension(UINT size, UINT level)
{
    if (level >= 32) {
        return 1;
    }
    return std::max<UINT>(1, size >> level);
}

const TextureFormatInfo* TextureFormatTable::rows(UINT* count)
{
    *count = static_cast<UINT>(sizeof(TABLE) / sizeof(TABLE[0]));
    return TABLE;
}
