#include "Support/DdsBuilder.h"

#include <algorithm>
#include <fstream>

#include <gtest/gtest.h>

namespace
{

// The DDS form of the formats the builder knows, written out independently of the code under test.
struct KnownFormat
{
    D3DFORMAT format;
    uint32_t blockBytes;
    uint32_t bits;
    uint32_t flags;
    uint32_t masks[4]; // red, green, blue, alpha
};

const KnownFormat KNOWN[] = {
    {D3DFMT_DXT1, 8, 0, 0x4, {0, 0, 0, 0}},
    {D3DFMT_DXT2, 16, 0, 0x4, {0, 0, 0, 0}},
    {D3DFMT_DXT3, 16, 0, 0x4, {0, 0, 0, 0}},
    {D3DFMT_DXT4, 16, 0, 0x4, {0, 0, 0, 0}},
    {D3DFMT_DXT5, 16, 0, 0x4, {0, 0, 0, 0}},
    {D3DFMT_A8R8G8B8, 0, 32, 0x41, {0xFF0000, 0xFF00, 0xFF, 0xFF000000u}},
    {D3DFMT_X8R8G8B8, 0, 32, 0x40, {0xFF0000, 0xFF00, 0xFF, 0}},
    {D3DFMT_A8B8G8R8, 0, 32, 0x41, {0xFF, 0xFF00, 0xFF0000, 0xFF000000u}},
    {D3DFMT_X8B8G8R8, 0, 32, 0x40, {0xFF, 0xFF00, 0xFF0000, 0}},
    {D3DFMT_R8G8B8, 0, 24, 0x40, {0xFF0000, 0xFF00, 0xFF, 0}},
    {D3DFMT_R5G6B5, 0, 16, 0x40, {0xF800, 0x7E0, 0x1F, 0}},
    {D3DFMT_X1R5G5B5, 0, 16, 0x40, {0x7C00, 0x3E0, 0x1F, 0}},
    {D3DFMT_A1R5G5B5, 0, 16, 0x41, {0x7C00, 0x3E0, 0x1F, 0x8000}},
    {D3DFMT_A4R4G4B4, 0, 16, 0x41, {0xF00, 0xF0, 0xF, 0xF000}},
    {D3DFMT_L8, 0, 8, 0x20000, {0xFF, 0, 0, 0}},
    {D3DFMT_A8L8, 0, 16, 0x20001, {0xFF, 0, 0, 0xFF00}},
    {D3DFMT_A8, 0, 8, 0x2, {0, 0, 0, 0xFF}},
};

const KnownFormat& knownFormat(D3DFORMAT format)
{
    for (const KnownFormat& known : KNOWN) {
        if (known.format == format) {
            return known;
        }
    }
    // A test asking for a format the builder cannot write must not quietly get another one.
    ADD_FAILURE() << "DdsBuilder cannot write format " << format;
    return KNOWN[0];
}

} // namespace

DdsBuilder::DdsBuilder(D3DFORMAT format, uint32_t width, uint32_t height, uint32_t levels, uint8_t seed)
    : m_width(width), m_height(height)
{
    const KnownFormat& known = knownFormat(format);
    m_bitsPerPixel = known.bits;
    m_blockBytes = known.blockBytes;
    m_bytes.assign(128, 0);
    const bool block = known.blockBytes != 0;
    set(Magic, 0x20534444u);
    set(HeaderSize, 124);
    set(Flags, 0x1 | 0x2 | 0x4 | 0x1000 | (block ? 0x80000 : 0x8) | (levels > 1 ? 0x20000 : 0));
    set(Height, height);
    set(Width, width);
    set(PitchOrLinearSize, block ? uint32_t(levelSize(0)) : (width * known.bits + 7) / 8);
    set(MipMapCount, levels);
    set(PixelFormatSize, 32);
    set(PixelFormatFlags, known.flags);
    set(FourCC, block ? uint32_t(format) : 0);
    set(RgbBitCount, known.bits);
    set(RedMask, known.masks[0]);
    set(GreenMask, known.masks[1]);
    set(BlueMask, known.masks[2]);
    set(AlphaMask, known.masks[3]);
    set(Caps, 0x1000 | (levels > 1 ? 0x400008 : 0));
    for (uint32_t index = 0; index < levels; ++index) {
        const size_t size = levelSize(index);
        for (size_t i = 0; i < size; ++i) {
            m_bytes.push_back(pattern(seed + index, i));
        }
    }
}

DdsBuilder& DdsBuilder::set(Field field, uint32_t value)
{
    for (size_t i = 0; i < 4; ++i) {
        m_bytes[field + i] = uint8_t(value >> (8 * i));
    }
    return *this;
}

uint32_t DdsBuilder::get(Field field) const
{
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) {
        value |= uint32_t(m_bytes[field + i]) << (8 * i);
    }
    return value;
}

DdsBuilder& DdsBuilder::setData(const std::vector<uint8_t>& data)
{
    m_bytes.resize(128);
    m_bytes.insert(m_bytes.end(), data.begin(), data.end());
    return *this;
}

DdsBuilder& DdsBuilder::resize(size_t size)
{
    m_bytes.resize(size, 0);
    return *this;
}

bool DdsBuilder::write(const std::string& path) const
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(m_bytes.data()), std::streamsize(m_bytes.size()));
    return bool(out);
}

size_t DdsBuilder::levelSize(uint32_t index) const
{
    const uint32_t width = std::max<uint32_t>(1, m_width >> index);
    const uint32_t height = std::max<uint32_t>(1, m_height >> index);
    if (m_blockBytes != 0) {
        return size_t(std::max<uint32_t>(1, (width + 3) / 4)) * std::max<uint32_t>(1, (height + 3) / 4) *
               m_blockBytes;
    }
    return size_t(width) * height * (m_bitsPerPixel / 8);
}

std::vector<uint8_t> DdsBuilder::level(uint32_t index) const
{
    size_t offset = 128;
    for (uint32_t i = 0; i < index; ++i) {
        offset += levelSize(i);
    }
    const size_t end = std::min(m_bytes.size(), offset + levelSize(index));
    if (offset >= end) {
        return {};
    }
    return std::vector<uint8_t>(m_bytes.begin() + std::ptrdiff_t(offset),
                                m_bytes.begin() + std::ptrdiff_t(end));
}
