#include "Platform/Image/DdsFile.h"

#include "Common/STDFunctions/LittleEndian.h"

#include <algorithm>

#include "Platform/Direct3D/IDirect3DTexture9.h"

namespace
{

// Field offsets from the start of the file (the magic included).
constexpr size_t SIZE_FIELD = 4;
constexpr size_t FLAGS_FIELD = 8;
constexpr size_t HEIGHT_FIELD = 12;
constexpr size_t WIDTH_FIELD = 16;
constexpr size_t PITCH_FIELD = 20;
constexpr size_t DEPTH_FIELD = 24;
constexpr size_t MIPCOUNT_FIELD = 28;
constexpr size_t PIXELFORMAT_FIELD = 76;
constexpr size_t CAPS_FIELD = 108;
constexpr size_t CAPS2_FIELD = 112;

// Little-endian reads of a header that has already been checked to be DDS_DATA_OFFSET bytes long.
DWORD fieldAt(const uint8_t* bytes, size_t offset)
{
    return LittleEndian::loadU32(bytes + offset);
}

void putField(std::vector<uint8_t>& bytes, size_t offset, DWORD value)
{
    LittleEndian::storeU32(bytes.data() + offset, value);
}

DdsPixelFormat pixelFormatAt(const uint8_t* bytes)
{
    const size_t base = PIXELFORMAT_FIELD;
    return {fieldAt(bytes, base + 4),  fieldAt(bytes, base + 8),  fieldAt(bytes, base + 12),
            fieldAt(bytes, base + 16), fieldAt(bytes, base + 20), fieldAt(bytes, base + 24),
            fieldAt(bytes, base + 28)};
}

bool isVolumeOrCube(const uint8_t* bytes)
{
    const DWORD caps2 = fieldAt(bytes, CAPS2_FIELD);
    const bool volume = (caps2 & DDSCAPS2_VOLUME) != 0 ||
                        ((fieldAt(bytes, FLAGS_FIELD) & DDSD_DEPTH) != 0 && fieldAt(bytes, DEPTH_FIELD) > 1);
    return volume || (caps2 & DDSCAPS2_CUBEMAP) != 0;
}

UINT levelCountOf(const uint8_t* bytes)
{
    if ((fieldAt(bytes, FLAGS_FIELD) & DDSD_MIPMAPCOUNT) == 0) {
        return 1;
    }
    const DWORD count = fieldAt(bytes, MIPCOUNT_FIELD);
    return count == 0 ? 1 : count;
}

} // namespace

bool DdsFile::hasMagic(const uint8_t* bytes, size_t size)
{
    return size >= 4 && fieldAt(bytes, 0) == DDS_MAGIC;
}

bool DdsFile::parse(const uint8_t* bytes, size_t size, DdsLayout& layout)
{
    if (size < DDS_DATA_OFFSET || !hasMagic(bytes, size) || fieldAt(bytes, SIZE_FIELD) != DDS_HEADER_SIZE ||
        fieldAt(bytes, PIXELFORMAT_FIELD) != DDS_PIXELFORMAT_SIZE || isVolumeOrCube(bytes)) {
        return false;
    }
    const DdsPixelFormat pixelFormat = pixelFormatAt(bytes);
    if ((pixelFormat.flags & DDPF_FOURCC) != 0 && pixelFormat.fourCC == DDS_FOURCC_DX10) {
        return false;
    }
    const TextureFormatInfo* format = TextureFormatTable::findByDds(pixelFormat);
    const DWORD width = fieldAt(bytes, WIDTH_FIELD);
    const DWORD height = fieldAt(bytes, HEIGHT_FIELD);
    if (format == nullptr || width == 0 || height == 0 || width > DDS_MAX_DIMENSION ||
        height > DDS_MAX_DIMENSION) {
        return false;
    }
    const UINT levels = std::min(levelCountOf(bytes), TextureFormatTable::fullChainLength(width, height));
    uint64_t needed = DDS_DATA_OFFSET;
    for (UINT level = 0; level < levels; ++level) {
        needed +=
            TextureFormatTable::levelSize(format->code, TextureFormatTable::levelDimension(width, level),
                                          TextureFormatTable::levelDimension(height, level));
    }
    if (needed > size) {
        return false;
    }
    layout.format = format->code;
    layout.width = width;
    layout.height = height;
    layout.levels = levels;
    return true;
}

bool DdsFile::build(const IDirect3DTexture9& texture, std::vector<uint8_t>& file)
{
    const TextureFormatInfo& info = texture.formatInfo();
    if (info.dds.flags == 0) {
        return false;
    }
    const UINT levels = texture.GetLevelCount();
    const bool block = info.kind == FormatKind::Block;
    size_t total = DDS_DATA_OFFSET;
    for (UINT level = 0; level < levels; ++level) {
        total += texture.levelSize(level);
    }
    file.assign(DDS_DATA_OFFSET, 0);
    file.reserve(total);
    DWORD flags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT;
    flags |= block ? DDSD_LINEARSIZE : DDSD_PITCH;
    DWORD caps = DDSCAPS_TEXTURE;
    if (levels > 1) {
        flags |= DDSD_MIPMAPCOUNT;
        caps |= DDSCAPS_COMPLEX | DDSCAPS_MIPMAP;
    }
    putField(file, 0, DDS_MAGIC);
    putField(file, SIZE_FIELD, DDS_HEADER_SIZE);
    putField(file, FLAGS_FIELD, flags);
    putField(file, HEIGHT_FIELD, texture.height(0));
    putField(file, WIDTH_FIELD, texture.width(0));
    putField(file, PITCH_FIELD, block ? DWORD(texture.levelSize(0)) : texture.pitch(0));
    putField(file, MIPCOUNT_FIELD, levels);
    const DdsPixelFormat& pixelFormat = info.dds;
    const DWORD pixelFields[8] = {DDS_PIXELFORMAT_SIZE,    pixelFormat.flags,    pixelFormat.fourCC,
                                  pixelFormat.rgbBitCount, pixelFormat.redMask,  pixelFormat.greenMask,
                                  pixelFormat.blueMask,    pixelFormat.alphaMask};
    for (size_t i = 0; i < 8; ++i) {
        putField(file, PIXELFORMAT_FIELD + 4 * i, pixelFields[i]);
    }
    putField(file, CAPS_FIELD, caps);
    for (UINT level = 0; level < levels; ++level) {
        file.insert(file.end(), texture.levelData(level),
                    texture.levelData(level) + texture.levelSize(level));
    }
    return true;
}
