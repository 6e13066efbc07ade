#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "Platform/Direct3D/D3D9Types.h"
#include "Platform/Image/TextureFormatTable.h"

// DDS header constants (the legacy 124-byte header after the "DDS " magic).
constexpr DWORD DDS_MAGIC = 0x20534444u; // "DDS "
constexpr DWORD DDS_HEADER_SIZE = 124;
constexpr DWORD DDS_PIXELFORMAT_SIZE = 32;
constexpr size_t DDS_DATA_OFFSET = 128;
constexpr DWORD DDSD_CAPS = 0x1;
constexpr DWORD DDSD_HEIGHT = 0x2;
constexpr DWORD DDSD_WIDTH = 0x4;
constexpr DWORD DDSD_PITCH = 0x8;
constexpr DWORD DDSD_PIXELFORMAT = 0x1000;
constexpr DWORD DDSD_MIPMAPCOUNT = 0x20000;
constexpr DWORD DDSD_LINEARSIZE = 0x80000;
constexpr DWORD DDSD_DEPTH = 0x800000;
constexpr DWORD DDSCAPS_COMPLEX = 0x8;
constexpr DWORD DDSCAPS_TEXTURE = 0x1000;
constexpr DWORD DDSCAPS_MIPMAP = 0x400000;
constexpr DWORD DDSCAPS2_CUBEMAP = 0x200;
constexpr DWORD DDSCAPS2_VOLUME = 0x200000;
constexpr DWORD DDS_FOURCC_DX10 = MAKEFOURCC('D', 'X', '1', '0');
// The largest side a file may describe. Larger than any texture can be made (texture creation refuses
// those), so callers learn a picture's real size before they find it too big; small enough that every
// size computed from it fits easily in 64 bits.
constexpr DWORD DDS_MAX_DIMENSION = 1u << 24;

// What a valid DDS file holds: a 2D texture whose levels lie back to back from DDS_DATA_OFFSET.
struct DdsLayout
{
    D3DFORMAT format = D3DFMT_UNKNOWN;
    UINT width = 0;
    UINT height = 0;
    UINT levels = 0;
};

// Reading and writing of DDS files with the legacy header.
class DdsFile
{
public:
    // True when the bytes start with the DDS magic.
    static bool hasMagic(const uint8_t* bytes, size_t size);

    // Checks a whole file's bytes and describes its texture. Refuses (false): a short or wrong
    // header, a side of 0 or above DDS_MAX_DIMENSION, cube maps, volumes, DX10 headers, pixel formats
    // outside the format table, and files too short for all their levels. The size is reported as
    // the file gives it, even above D3D_MAX_TEXTURE_DIMENSION: texture creation refuses those. A mip
    // count of 0 or 1, or none flagged, means one level; a chain may stop early; a count beyond the
    // full chain is reduced to it (and only the full chain's data must be present). The pitch and
    // linear-size fields are not trusted: writers disagree on them.
    static bool parse(const uint8_t* bytes, size_t size, DdsLayout& layout);

    // Builds the file of a texture with all its levels. False for a format without a DDS form.
    static bool build(const IDirect3DTexture9& texture, std::vector<uint8_t>& file);
};
