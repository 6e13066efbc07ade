#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "WTD/TextureTOCItem.h"

// Writes tiny texture archives byte by byte for tests, independently of the archive writer: a dictionary
// body laid out in order (header, hash table, pointer table, records, names, then the pixel data in the
// physical segment) inside a container (12-byte header and a zlib stream). Every field can be made to
// lie through the optional overrides.
//
//   ArchiveBuilder builder;
//   builder.addTexture("grass", 4, 4, D3DFMT_DXT1, 3);        // pixels: a pattern of the right size
//   builder.textures[0].record.textureKind = 1;               // any record field can lie
//   builder.header.failSafeCount = 7;                         // as can the header ...
//   builder.container.truncateStreamBy = 5;                   // ... and the container
//   std::vector<uint8_t> bytes = builder.build();
class ArchiveBuilder
{
public:
    struct Texture
    {
        std::string name; // stored after the prefix
        std::string prefix = "pack:/";
        bool terminateName = true;        // false: no NUL after the name (when it ends the body, none at all)
        TextureTOCItem record;            // written as is, except the pointers the builder lays out
        std::optional<uint32_t> nameHash; // default: the name hash of the name without extension
        std::vector<uint8_t> pixels;      // all levels back to back
        // Raw values written instead of the laid-out (tagged) pointers.
        std::optional<uint32_t> recordPointer;
        std::optional<uint32_t> namePointer;
        std::optional<uint32_t> pixelPointer;
    };

    struct Header
    {
        uint32_t magic = 0x00695384;
        std::optional<uint16_t> textureCount; // default: the number of textures
        std::optional<uint16_t> countCopy;
        std::optional<uint16_t> failSafeCount;
        std::optional<uint16_t> failSafeCheck;
        std::optional<uint32_t> hashTableOffset; // raw, default the tagged laid-out offset
        std::optional<uint32_t> texturePointerTableOffset;
    };

    struct Container
    {
        uint32_t magic = 0x05435352;
        uint32_t resourceType = 8;
        std::optional<uint32_t> flags;              // default: the codes of the two segments | 0xC0000000
        size_t truncateStreamBy = 0;                // bytes cut from the end of the zlib stream
        std::vector<uint8_t> trailingBytes;         // bytes after the zlib stream
        std::optional<std::vector<uint8_t>> stream; // a raw stream instead of the compressed body
    };

    // Segment tags of the pointers the builder writes: 5/6 as the writer stores them, or 0 for none.
    uint32_t virtualTag = 5;
    uint32_t physicalTag = 6;

    std::vector<Texture> textures;
    Header header;
    Container container;

    // Appends a texture with a valid record of the given shape and a byte pattern of exactly the size
    // the reader expects for it. Returns the new texture for further lies.
    Texture& addTexture(const std::string& name, int16_t width, int16_t height, uint32_t format,
                        uint8_t levels);

    // The inflated body as laid out, unrounded: the virtual segment of virtualSize bytes, then the
    // physical one. build() rounds each segment up to its size code.
    std::vector<uint8_t> buildBody(uint32_t& virtualSize, uint32_t& physicalSize) const;
    // The whole container.
    std::vector<uint8_t> build() const;
    // Writes build() to the file; false when it cannot.
    bool writeTo(const std::string& path) const;

    // A container around any body, with the size code of each segment given.
    static std::vector<uint8_t> makeContainer(const std::vector<uint8_t>& body, uint32_t flags,
                                              const Container& container);
    // The smallest size code (count | shift << 11) whose size holds the given bytes.
    static uint32_t sizeCode(uint64_t bytes);
    // The bytes the code declares (count << (shift + 8)).
    static uint64_t codeSize(uint32_t code);
    // A recognisable byte pattern.
    static std::vector<uint8_t> pattern(size_t length, uint32_t seed);
};
