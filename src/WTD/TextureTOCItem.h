#pragma once

#include <cstdint>
#include <type_traits>

class ByteReader;

// One 80-byte texture record of a dictionary body, field for field in the order and widths of the file.
// Always read and written through the little-endian helpers, never by casting file bytes.
struct TextureTOCItem
{
    static constexpr uint32_t SIZE = 80;
    static constexpr uint32_t VALID_ITEM_TYPE = 0x006B1D94;
    static constexpr uint32_t FORMAT_A8B8G8R8 = 32; // the format of a new record

    uint32_t itemType;
    uint32_t reserved04;
    uint8_t reserved08;
    uint8_t reserved09;
    uint16_t reserved0A;
    uint32_t reserved0C;
    uint32_t reserved10;
    uint32_t namePointer;
    uint32_t reserved18;
    int16_t width;
    int16_t height;
    uint32_t format; // Direct3D 9 surface format code
    uint16_t stride;
    uint8_t textureKind;
    uint8_t mipLevelCount;
    float floatParameters[6];
    uint32_t recordEndPointer;
    uint32_t reserved44;
    uint32_t pixelDataPointer;
    uint8_t reserved4C[4];

    // The values of a new entry.
    TextureTOCItem();

    // Reads every field after the type word from the record at offset; false (nothing changed) when
    // the 80 bytes do not lie inside the reader's buffer.
    bool readFields(const ByteReader& reader, uint64_t offset);
    // Writes all 80 bytes, field by field, to destination.
    void writeTo(unsigned char* destination) const;
};

static_assert(sizeof(TextureTOCItem) == TextureTOCItem::SIZE, "a texture record is 80 bytes");
static_assert(std::is_standard_layout<TextureTOCItem>::value, "a texture record is a plain layout");
