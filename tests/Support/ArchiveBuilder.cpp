#include "Support/ArchiveBuilder.h"

#include <algorithm>
#include <cstring>
#include <fstream>

#include <zlib.h>

#include "Common/STDFunctions/LittleEndian.h"
#include "Common/STDFunctions/STDFunctions.h"
#include "WTD/NameHash.h"
#include "WTD/WTDFile.h"

namespace
{
void putU32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value)
{
    LittleEndian::storeU32(bytes.data() + offset, value);
}

void putU16(std::vector<uint8_t>& bytes, size_t offset, uint16_t value)
{
    LittleEndian::storeU16(bytes.data() + offset, value);
}

uint32_t tagged(uint32_t tag, uint64_t offset)
{
    return (tag << 28) | static_cast<uint32_t>(offset);
}

uint32_t hashOf(const std::string& name)
{
    NameHash* hash = NameHash::getInstance();
    const uint32_t value = hash->hashName(STDFunctions::getFileName(name, true).c_str());
    NameHash::release();
    return value;
}
} // namespace

ArchiveBuilder::Texture& ArchiveBuilder::addTexture(const std::string& name, int16_t width, int16_t height,
                                                    uint32_t format, uint8_t levels)
{
    Texture texture;
    texture.name = name;
    texture.record.width = width;
    texture.record.height = height;
    texture.record.format = format;
    texture.record.mipLevelCount = levels;
    texture.pixels = pattern(static_cast<size_t>(WTDFile::getPixelDataSize(texture.record)),
                             static_cast<uint32_t>(textures.size() + 1));
    textures.push_back(texture);
    return textures.back();
}

std::vector<uint8_t> ArchiveBuilder::buildBody(uint32_t& virtualSize, uint32_t& physicalSize) const
{
    const size_t n = textures.size();
    const size_t hashTable = 32;
    const size_t pointerTable = hashTable + 4 * n;
    const size_t records = pointerTable + 4 * n;
    size_t nameOffset = records + 80 * n;
    std::vector<size_t> names(n);
    for (size_t i = 0; i < n; ++i) {
        names[i] = nameOffset;
        nameOffset +=
            textures[i].prefix.size() + textures[i].name.size() + (textures[i].terminateName ? 1 : 0);
    }
    std::vector<size_t> pixels(n);
    size_t pixelEnd = 0;
    for (size_t i = 0; i < n; ++i) {
        pixels[i] = pixelEnd;
        pixelEnd += textures[i].pixels.size();
    }
    // A body that ends with an unterminated name declares exactly its laid-out size.
    virtualSize = static_cast<uint32_t>(nameOffset);
    physicalSize = static_cast<uint32_t>(pixelEnd);

    std::vector<uint8_t> body(virtualSize + physicalSize, 0);
    putU32(body, 0, header.magic);
    putU32(body, 4, tagged(virtualTag, 32));
    putU32(body, 8, 0);
    putU32(body, 12, 1);
    putU32(body, 16, header.hashTableOffset.value_or(tagged(virtualTag, hashTable)));
    const uint16_t count = header.textureCount.value_or(static_cast<uint16_t>(n));
    putU16(body, 20, count);
    putU16(body, 22, header.countCopy.value_or(count));
    putU32(body, 24, header.texturePointerTableOffset.value_or(tagged(virtualTag, pointerTable)));
    putU16(body, 28, header.failSafeCount.value_or(count));
    putU16(body, 30, header.failSafeCheck.value_or(count));

    for (size_t i = 0; i < n; ++i) {
        const Texture& texture = textures[i];
        const size_t record = records + 80 * i;
        putU32(body, hashTable + 4 * i, texture.nameHash.value_or(hashOf(texture.name)));
        putU32(body, pointerTable + 4 * i, texture.recordPointer.value_or(tagged(virtualTag, record)));
        TextureTOCItem item = texture.record;
        item.namePointer = texture.namePointer.value_or(tagged(virtualTag, names[i]));
        item.pixelDataPointer = texture.pixelPointer.value_or(tagged(physicalTag, pixels[i]));
        item.recordEndPointer = i + 1 < n ? tagged(virtualTag, record + 80) : 0;
        item.writeTo(body.data() + record);
        const std::string stored = texture.prefix + texture.name;
        std::memcpy(body.data() + names[i], stored.data(), stored.size());
        if (!texture.pixels.empty())
            std::memcpy(body.data() + virtualSize + pixels[i], texture.pixels.data(), texture.pixels.size());
    }
    return body;
}

uint32_t ArchiveBuilder::sizeCode(uint64_t bytes)
{
    for (uint32_t shift = 0; shift < 16; ++shift) {
        const uint64_t unit = 256ull << shift;
        const uint64_t count = (bytes + unit - 1) / unit;
        if (count <= 0x7FF)
            return static_cast<uint32_t>(count) | (shift << 11);
    }
    return 0x7FFF;
}

uint64_t ArchiveBuilder::codeSize(uint32_t code)
{
    return static_cast<uint64_t>(code & 0x7FF) << (((code >> 11) & 0xF) + 8);
}

std::vector<uint8_t> ArchiveBuilder::build() const
{
    uint32_t virtualSize = 0;
    uint32_t physicalSize = 0;
    std::vector<uint8_t> laidOut = buildBody(virtualSize, physicalSize);
    // The declared segments are whole units of 256 bytes or more; the body grows to fill them, the
    // physical segment moved to where the declared virtual size ends.
    const uint32_t virtualCode = sizeCode(virtualSize);
    const uint32_t physicalCode = sizeCode(physicalSize);
    const uint64_t declaredVirtual = codeSize(virtualCode);
    std::vector<uint8_t> body(declaredVirtual + codeSize(physicalCode), 0);
    std::memcpy(body.data(), laidOut.data(), virtualSize);
    if (physicalSize > 0)
        std::memcpy(body.data() + declaredVirtual, laidOut.data() + virtualSize, physicalSize);
    const uint32_t flags = container.flags.value_or(virtualCode | (physicalCode << 15) | 0xC0000000u);
    return makeContainer(body, flags, container);
}

std::vector<uint8_t> ArchiveBuilder::makeContainer(const std::vector<uint8_t>& body, uint32_t flags,
                                                   const Container& container)
{
    std::vector<uint8_t> stream;
    if (container.stream) {
        stream = *container.stream;
    } else {
        uLongf length = compressBound(static_cast<uLong>(body.size()));
        stream.resize(length);
        compress2(stream.data(), &length, body.data(), static_cast<uLong>(body.size()), 9);
        stream.resize(length);
    }
    stream.resize(stream.size() - std::min(stream.size(), container.truncateStreamBy));
    std::vector<uint8_t> bytes(12 + stream.size() + container.trailingBytes.size(), 0);
    putU32(bytes, 0, container.magic);
    putU32(bytes, 4, container.resourceType);
    putU32(bytes, 8, flags);
    std::copy(stream.begin(), stream.end(), bytes.begin() + 12);
    std::copy(container.trailingBytes.begin(), container.trailingBytes.end(),
              bytes.begin() + 12 + static_cast<std::ptrdiff_t>(stream.size()));
    return bytes;
}

bool ArchiveBuilder::writeTo(const std::string& path) const
{
    const std::vector<uint8_t> bytes = build();
    std::ofstream file(path, std::ios::out | std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    file.close();
    return !file.fail();
}

std::vector<uint8_t> ArchiveBuilder::pattern(size_t length, uint32_t seed)
{
    std::vector<uint8_t> bytes(length);
    uint32_t state = seed * 2654435761u + 12345u;
    for (size_t i = 0; i < length; ++i) {
        state = state * 1103515245u + 12345u;
        bytes[i] = static_cast<uint8_t>(state >> 16);
    }
    return bytes;
}
