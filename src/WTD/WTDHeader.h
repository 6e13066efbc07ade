#pragma once

#include <cstdint>

// The texture dictionary header at body offset 0. In memory it keeps only what the program uses; the
// second count and the fail-safe pair of the 32 bytes on disk are derived when reading and writing.
struct WTDHeader
{
    static constexpr uint32_t s_magic = 0x00695384;
    static constexpr uint32_t s_headerEndPointer = 0x50000020; // tagged pointer to the end of the header

    // Byte layout of the header in the body.
    static constexpr uint32_t s_magicOffset = 0;
    static constexpr uint32_t s_headerEndOffsetOffset = 4;
    static constexpr uint32_t s_reservedAOffset = 8;
    static constexpr uint32_t s_reservedBOffset = 12;
    static constexpr uint32_t s_hashTableOffsetOffset = 16;
    static constexpr uint32_t s_textureCountOffset = 20;
    static constexpr uint32_t s_textureCountCopyOffset = 22;
    static constexpr uint32_t s_texturePointerTableOffsetOffset = 24;
    static constexpr uint32_t s_failSafeCountOffset = 28;
    static constexpr uint32_t s_failSafeCheckOffset = 30;
    static constexpr uint32_t s_size = 32;
    static_assert(s_failSafeCheckOffset + sizeof(uint16_t) == s_size, "the dictionary header is 32 bytes");

    uint32_t magic;
    uint32_t headerEndOffset;
    uint32_t reservedA;
    uint32_t reservedB;
    uint32_t hashTableOffset;
    uint16_t textureCount; // signed 16-bit in use: 0x8000 and above mean no textures
    uint32_t texturePointerTableOffset;

    WTDHeader();
};
