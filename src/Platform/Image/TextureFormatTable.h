#pragma once

#include <cstdint>

#include "Platform/Direct3D/D3D9Types.h"

// How the bytes of a format are laid out.
enum class FormatKind : uint8_t
{
    Pixel,  // one value of bitsPerPixel bits per pixel, channels given by the masks
    Block,  // 4x4 pixel blocks of blockBytes bytes each (DXT1 to DXT5)
    Opaque, // bytes are kept as they are; never drawn, converted, filtered or written as DDS
};

// Which block codec a block format uses. DXT2 and DXT4 carry premultiplied colour but are decoded
// like DXT3 and DXT5: the stored colours are shown as they are.
enum class BlockCodec : uint8_t
{
    None,
    Dxt1,
    Dxt3,
    Dxt5
};

// DDS pixel format flags.
constexpr DWORD DDPF_ALPHAPIXELS = 0x1;
constexpr DWORD DDPF_ALPHA = 0x2;
constexpr DWORD DDPF_FOURCC = 0x4;
constexpr DWORD DDPF_RGB = 0x40;
constexpr DWORD DDPF_LUMINANCE = 0x20000;

// The DDS description of a format. flags == 0 means the format is not written as DDS.
struct DdsPixelFormat
{
    DWORD flags;
    DWORD fourCC;
    DWORD rgbBitCount;
    DWORD redMask;
    DWORD greenMask;
    DWORD blueMask;
    DWORD alphaMask;
};

// One row of the format table. For Pixel formats the DDS masks also describe the channels in memory:
// a pixel is a little-endian value of bitsPerPixel bits, and luminance formats keep luminance in the
// red mask.
struct TextureFormatInfo
{
    D3DFORMAT code;
    const char* name;
    FormatKind kind;
    UINT bitsPerPixel; // Pixel and Opaque formats
    UINT blockBytes;   // Block formats: bytes per 4x4 block
    BlockCodec codec;
    DdsPixelFormat dds;
    bool decodable; // can be turned into 8-bit RGBA
    bool encodable; // can be made from 8-bit RGBA
};

// The one table of texture formats; every size, pitch and conversion rule is derived from it.
class TextureFormatTable
{
public:
    // The row of a code, or null for a code the table does not know.
    static const TextureFormatInfo* find(D3DFORMAT format);

    // The row of a code; a code the table does not know gets a shared opaque row of 8 bits per pixel
    // (whose code is D3DFMT_UNKNOWN).
    static const TextureFormatInfo& describe(D3DFORMAT format);

    // The format whose DDS description matches the file's pixel format, or null.
    static const TextureFormatInfo* findByDds(const DdsPixelFormat& pixelFormat);

    static bool isDecodable(D3DFORMAT format);
    static bool isEncodable(D3DFORMAT format);
    static bool isBlockFormat(D3DFORMAT format);

    // Bytes of one row of pixels, or of one row of 4x4 blocks (at least one block wide).
    static UINT pitch(D3DFORMAT format, UINT width);
    // Rows of the level in memory: the height, or the number of block rows (at least one).
    static UINT rowCount(D3DFORMAT format, UINT height);
    // Bytes of one level of the given size: pitch × rowCount, computed in 64 bits.
    static uint64_t levelSize(D3DFORMAT format, UINT width, UINT height);

    // Number of levels of a full mip chain of a width × height level 0 (1 for 1 × 1).
    static UINT fullChainLength(UINT width, UINT height);
    // Size of a level: the level-0 size halved `level` times, at least 1.
    static UINT levelDimension(UINT size, UINT level);

    // All rows of the table, for tests that walk every format.
    static const TextureFormatInfo* rows(UINT* count);
};
