#pragma once

#include <cstdint>

// The texture dictionary header at body offset 0. In memory it keeps only what the program uses; the
// second count and the fail-safe pair of the 32 bytes on disk are derived when reading and writing.
struct WTDHeader
{
    static constexpr uint32_t MAGIC = 0x00695384;
    static constexpr uint32_t HEADER_END_POINTER = 0x50000020; // tagged pointer to the end of the header

    // Byte layout of the header in the body.
    static constexpr uint32_t MAGIC_OFFSET = 0;
    static constexpr uint32_t HEADER_END_OFFSET_OFFSET = 4;
    static constexpr uint32_t RESERVED_A_OFFSET = 8;
    static constexpr uint32_t RESERVED_B_OFFSET = 12;
    static constexpr uint32_t HASH_TABLE_OFFSET_OFFSET = 16;
    static constexpr uint32_t TEXTURE_COUNT_OFFSET = 20;
    static constexpr uint32_t TEXTURE_COUNT_COPY_OFFSET = 22;
    static constexpr uint32_t TEXTURE_POINTER_TABLE_OFFSET_OFFSET = 24;
    static constexpr uint32_t FAIL_SAFE_COUNT_OFFSET = 28;
    static constexpr uint32_t FAIL_SAFE_CHECK_OFFSET = 30;
    static constexpr uint32_t SIZE = 32;
    static_assert(FAIL_SAFE_CHECK_OFFSET + sizeof(uint16_t) == SIZE, "the dictionary header is 32 bytes");

    uint32_t magic;
    uint32_t headerEndOffset;
    uint32_t reservedA;
    uint32_t reservedB;
    uint32_t hashTableOffset;
    uint16_t textureCount; // signed 16-bit in use: 0x8000 and above mean no textures
    uint32_t texturePointerTableOffset;

    WTDHeader();
};
