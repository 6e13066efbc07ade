#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "Platform/Direct3D/D3D9Types.h"

// Builds small DDS files (legacy 124-byte header) for tests. The constructor makes a consistent file
// with a known byte pattern in every level; every header field can then be set to any value, and the
// file cut short or extended, to make files that lie about themselves.
class DdsBuilder
{
public:
    // Offsets of the header fields from the start of the file (the "DDS " magic included).
    enum Field : size_t
    {
        Magic = 0,
        HeaderSize = 4,
        Flags = 8,
        Height = 12,
        Width = 16,
        PitchOrLinearSize = 20,
        Depth = 24,
        MipMapCount = 28,
        PixelFormatSize = 76,
        PixelFormatFlags = 80,
        FourCC = 84,
        RgbBitCount = 88,
        RedMask = 92,
        GreenMask = 96,
        BlueMask = 100,
        AlphaMask = 104,
        Caps = 108,
        Caps2 = 112,
    };

    // A DDS file of a format of DXT1, DXT2 to DXT5, A8R8G8B8, X8R8G8B8, A8B8G8R8, X8B8G8R8, R8G8B8,
    // R5G6B5, X1R5G5B5, A1R5G5B5, A4R4G4B4, L8, A8L8 or A8 (any other fails the test), with `levels` levels
    // (levels > 1 sets the mip-map flags). Level bytes are filled with pattern(seed + level, i).
    DdsBuilder(D3DFORMAT format, uint32_t width, uint32_t height, uint32_t levels = 1, uint8_t seed = 1);

    DdsBuilder& set(Field field, uint32_t value);
    uint32_t get(Field field) const;
    // Replaces the bytes after the header.
    DdsBuilder& setData(const std::vector<uint8_t>& data);
    // Cuts the file to `size` bytes (or pads it with zeros).
    DdsBuilder& resize(size_t size);

    const std::vector<uint8_t>& bytes() const { return m_bytes; }
    std::string str() const { return std::string(m_bytes.begin(), m_bytes.end()); }
    // Writes the file; false when it cannot be written.
    bool write(const std::string& path) const;

    // The bytes after the header of one level (as the constructor laid it out).
    std::vector<uint8_t> level(uint32_t index) const;
    // Size in bytes of level `index` of this file's format and level-0 size.
    size_t levelSize(uint32_t index) const;

    static uint8_t pattern(uint32_t seed, size_t index)
    {
        return uint8_t(index * 31u + seed * 7u + (index >> 8));
    }

private:
    uint32_t m_width;
    uint32_t m_height;
    uint32_t m_bitsPerPixel; // 0 for block formats
    uint32_t m_blockBytes;
    std::vector<uint8_t> m_bytes;
};
