#include "WTD/WTDFile.h"

#include "Common/MessageLog/MessageLog.h"
#include "Common/STDFunctions/LittleEndian.h"
#include "Common/STDFunctions/PathSpelling.h"
#include "Common/SafeFile/FileReplacement.h"
#include "Common/SafeFile/SafeFile.h"
#include "Platform/Direct3D.h"
#include "WTD/BlockOffsetIndex.h"
#include "WTD/BlockTableItem.h"
#include "WTD/SegmentPacker.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

namespace
{
// Segments of the body: the virtual one starts after the 32-byte header, the physical one at 0.
constexpr uint32_t VIRTUAL_START = WTDHeader::SIZE;
constexpr uint32_t PHYSICAL_START = 0;
constexpr uint8_t VIRTUAL_TAG = 5;
constexpr uint8_t PHYSICAL_TAG = 6;
constexpr uint32_t RESERVED_BLOCK_SIZE = 0x200;

constexpr unsigned char FILLER = 0xCD;

uint32_t saturateToU32(uint64_t value)
{
    return value > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<uint32_t>(value);
}

void storeName(unsigned char* destination, const std::string& name)
{
    std::memcpy(destination, WTDFile::NAME_PREFIX, WTDFile::NAME_PREFIX_LENGTH);
    std::memcpy(destination + WTDFile::NAME_PREFIX_LENGTH, name.data(), name.size());
    destination[WTDFile::NAME_PREFIX_LENGTH + name.size()] = 0;
}

// Copies up to size bytes of a level, never more than its lock gives; what is not copied keeps the
// filler. A missing texture, a missing level or a failed lock copies nothing.
void copyLevel(IDirect3DTexture9* texture, uint32_t level, unsigned char* destination, uint64_t size)
{
    if (!texture || size == 0 || level >= texture->GetLevelCount())
        return;
    D3DSURFACE_DESC description{};
    if (FAILED(texture->GetLevelDesc(level, &description)))
        return;
    D3DLOCKED_RECT locked{};
    if (FAILED(texture->LockRect(level, &locked, nullptr, 0)))
        return;
    if (locked.pBits && locked.Pitch > 0) {
        const uint64_t available = static_cast<uint64_t>(locked.Pitch) *
                                   TextureFormatTable::rowCount(description.Format, description.Height);
        std::memcpy(destination, locked.pBits, std::min(size, available));
    }
    texture->UnlockRect(level);
}
} // namespace

uint64_t WTDFile::getTextureDataSize(uint32_t index)
{
    if (!isValidIndex(m_textures, index)) {
        MessageLog::getInstance()->log(
            LOG_ERROR, "Supplied index %i  is outside the limits of the texture list: %i", LOG_SOURCE, 761,
            "WTDFile::getTextureDataSize", static_cast<int>(index), static_cast<int>(m_textures.size()));
        return 0;
    }
    return getPixelDataSize(m_textures[index].record);
}

void WTDFile::buildBlockTable(BlockTableItem* items, const uint32_t& physicalStart)
{
    const uint32_t count = static_cast<uint32_t>(m_textures.size());
    items[0] = BlockTableItem{0, RESERVED_BLOCK_SIZE, nullptr};
    items[1] = BlockTableItem{0, 4 * count, &m_header.hashTableOffset};
    items[2] = BlockTableItem{0, 4 * count, &m_header.texturePointerTableOffset};
    for (uint32_t i = 0; i < count; ++i) {
        const TextureEntry& entry = m_textures[i];
        items[3 + 2 * i] = BlockTableItem{0, TextureTOCItem::SIZE, &entry};
        items[4 + 2 * i] =
            BlockTableItem{0, saturateToU32(entry.name.size() + NAME_PREFIX_LENGTH + 1), &entry.name};
        // A size beyond 32 bits is kept at the largest value, which the packer then refuses.
        items[physicalStart + i] = BlockTableItem{0, saturateToU32(getTextureDataSize(i)), &entry};
    }
}

bool WTDFile::packSegment(BlockTableItem* items, int count, uint32_t start, uint8_t tag, uint32_t& code)
{
    return SegmentPacker::packSegment(items, count, start, tag, code);
}

int WTDFile::compareBlockSize(const void* a, const void* b)
{
    return SegmentPacker::compareBlockSize(a, b);
}

uint32_t WTDFile::nextPowerOfTwo(uint32_t v)
{
    return SegmentPacker::nextPowerOfTwo(v);
}

void WTDFile::writeWTDHeader(uint8_t* image)
{
    m_header.reservedA = 0;
    m_header.reservedB = 1;
    const uint16_t count = m_header.textureCount;
    LittleEndian::storeU32(image + WTDHeader::MAGIC_OFFSET, m_header.magic);
    LittleEndian::storeU32(image + WTDHeader::HEADER_END_OFFSET_OFFSET, WTDHeader::HEADER_END_POINTER);
    LittleEndian::storeU32(image + WTDHeader::RESERVED_A_OFFSET, m_header.reservedA);
    LittleEndian::storeU32(image + WTDHeader::RESERVED_B_OFFSET, m_header.reservedB);
    LittleEndian::storeU32(image + WTDHeader::HASH_TABLE_OFFSET_OFFSET, m_header.hashTableOffset);
    LittleEndian::storeU16(image + WTDHeader::TEXTURE_COUNT_OFFSET, count);
    LittleEndian::storeU16(image + WTDHeader::TEXTURE_COUNT_COPY_OFFSET, count);
    LittleEndian::storeU32(image + WTDHeader::TEXTURE_POINTER_TABLE_OFFSET_OFFSET,
                           m_header.texturePointerTableOffset);
    LittleEndian::storeU16(image + WTDHeader::FAIL_SAFE_COUNT_OFFSET, count);
    LittleEndian::storeU16(image + WTDHeader::FAIL_SAFE_CHECK_OFFSET, count);
    // The first block placed at 32 receives this zero word unless it is written afterwards.
    LittleEndian::storeU32(image + WTDHeader::SIZE, 0);
}

void WTDFile::writeHashTable(uint8_t* image)
{
    uint8_t* table = image + (m_header.hashTableOffset & OFFSET_MASK);
    for (size_t i = 0; i < m_textures.size(); ++i)
        LittleEndian::storeU32(table + 4 * i, m_textures[i].nameHash);
}

void WTDFile::writeTexturePointers(uint8_t* image)
{
    uint8_t* table = image + (m_header.texturePointerTableOffset & OFFSET_MASK);
    for (size_t i = 0; i < m_textures.size(); ++i)
        LittleEndian::storeU32(table + 4 * i, m_textures[i].recordOffset);
}

void WTDFile::writeTextureRecords(uint8_t* image)
{
    for (size_t i = 0; i < m_textures.size(); ++i) {
        TextureTOCItem record = m_textures[i].record;
        const bool last = i + 1 == m_textures.size();
        record.recordEndPointer = last ? 0 : m_textures[i].recordOffset + TextureTOCItem::SIZE;
        record.reserved44 = 0;
        record.writeTo(image + (m_textures[i].recordOffset & OFFSET_MASK));
    }
}

void WTDFile::writeTextureNames(uint8_t* image)
{
    for (const TextureEntry& entry : m_textures)
        storeName(image + (entry.record.namePointer & OFFSET_MASK), entry.name);
}

void WTDFile::writeTextureData(uint8_t* image, const uint32_t& declaredVirtualSize)
{
    for (const TextureEntry& entry : m_textures) {
        const TextureTOCItem& record = entry.record;
        uint8_t* destination = image + declaredVirtualSize + (record.pixelDataPointer & OFFSET_MASK);
        for (uint32_t level = 0; level < record.mipLevelCount; ++level) {
            const uint64_t size = getLevelSize(record.format, record.width, record.height, level);
            copyLevel(entry.texture.get(), level, destination, size);
            destination += size;
        }
    }
}

bool WTDFile::buildContainer(const std::string& target, std::unique_ptr<unsigned char[]>& compressed,
                             uint64_t& compressedLength)
{
    MessageLog* log = MessageLog::getInstance();
    if (m_textures.size() > MAX_TEXTURE_COUNT) {
        log->log(LOG_ERROR, "Save canceled, %i textures are more than an archive can hold (32767): %s",
                 LOG_SOURCE, 445, "WTDFile::writeFile",
                 static_cast<int>(std::min<size_t>(m_textures.size(), 0x7FFFFFFF)), target.c_str());
        return false;
    }
    m_header.textureCount = static_cast<uint16_t>(m_textures.size());
    sortByNameHash();

    const int count = static_cast<int16_t>(m_header.textureCount);
    const int virtualCount = 2 * count + 3;
    std::vector<BlockTableItem> items(static_cast<size_t>(3 * count + 3), BlockTableItem{0, 0, nullptr});
    const uint32_t physicalStart = static_cast<uint32_t>(virtualCount);
    buildBlockTable(items.data(), physicalStart);
    BlockTableItem* physical = items.data() + virtualCount;
    uint32_t virtualCode = 0;
    uint32_t physicalCode = 0;
    const bool packed = packSegment(items.data(), virtualCount, VIRTUAL_START, VIRTUAL_TAG, virtualCode) &&
                        packSegment(physical, count, PHYSICAL_START, PHYSICAL_TAG, physicalCode);
    const uint64_t virtualSize = RSCFile::decodeSegmentSize(virtualCode);
    const uint64_t total = virtualSize + RSCFile::decodeSegmentSize(physicalCode);
    // The body must also keep within the 32-bit lengths of the container.
    if (!packed || total > 0xFFFFFFFFull) {
        log->log(LOG_ERROR, "Save canceled, the archive is too large to describe: %s", LOG_SOURCE, 446,
                 "WTDFile::writeFile", target.c_str());
        return false;
    }

    std::unique_ptr<unsigned char[]> image(new (std::nothrow) unsigned char[total]);
    if (!image) {
        log->log(LOG_ERROR, "Compression of file data failed, zlib error: %s", LOG_SOURCE, 491,
                 "WTDFile::writeFile", zlibErrorToString(Z_MEM_ERROR).c_str());
        return false;
    }
    adviseHugePages(image.get(), total);
    std::memset(image.get(), FILLER, total);

    // A texture's record and pixel blocks share their owner, so each list has an index of its own.
    const BlockOffsetIndex virtualBlocks(items.data(), virtualCount);
    const BlockOffsetIndex physicalBlocks(physical, count);
    for (TextureEntry& entry : m_textures) {
        entry.record.namePointer = findBlockOffset(&entry.name, virtualBlocks);
        entry.record.pixelDataPointer = findBlockOffset(&entry, physicalBlocks);
        entry.recordOffset = findBlockOffset(&entry, virtualBlocks);
    }
    m_header.hashTableOffset = findBlockOffset(&m_header.hashTableOffset, virtualBlocks);
    m_header.texturePointerTableOffset = findBlockOffset(&m_header.texturePointerTableOffset, virtualBlocks);

    writeWTDHeader(image.get());
    writeHashTable(image.get());
    writeTexturePointers(image.get());
    writeTextureRecords(image.get());
    writeTextureNames(image.get());
    const uint32_t declaredVirtualSize = static_cast<uint32_t>(virtualSize);
    writeTextureData(image.get(), declaredVirtualSize);

    const int result = compressBody(image.get(), total, compressed, compressedLength);
    if (result != Z_OK) {
        log->log(LOG_ERROR, "Compression of file data failed, zlib error: %s", LOG_SOURCE, 491,
                 "WTDFile::writeFile", zlibErrorToString(result).c_str());
        return false;
    }
    m_magic = RSCFile::MAGIC;
    m_resourceType = RSCFile::RESOURCE_TYPE_WRITTEN;
    m_flags = virtualCode | (physicalCode << 15) | RSCFile::FLAGS_WRITTEN_BITS;
    return true;
}

bool WTDFile::writeContainer(std::ostream& stream, const unsigned char* compressed, uint64_t compressedLength)
{
    MessageLog* log = MessageLog::getInstance();
    if (!writeRSCFileHeader(stream)) {
        log->log(LOG_ERROR, "Failed to write the RSC file header for file: %s", LOG_SOURCE, 484,
                 "WTDFile::writeFile", m_filePath.c_str());
        return false;
    }
    const uint32_t length = static_cast<uint32_t>(compressedLength);
    if (!writeRSCFileData(stream, reinterpret_cast<const char*>(compressed), length)) {
        log->log(LOG_ERROR, "Failed to write the RSC file data for file: %s", LOG_SOURCE, 479,
                 "WTDFile::writeFile", m_filePath.c_str());
        return false;
    }
    return true;
}

bool WTDFile::writeFile(std::ostream& stream)
{
    std::unique_ptr<unsigned char[]> compressed;
    uint64_t compressedLength = 0;
    return buildContainer(m_filePath, compressed, compressedLength) &&
           writeContainer(stream, compressed.get(), compressedLength);
}

bool WTDFile::replaceFile(const std::string& target, uint32_t offset, const unsigned char* compressed,
                          uint64_t compressedLength)
{
    MessageLog* log = MessageLog::getInstance();
    FileReplacement file(PathSpelling::toFileSystem(target));
    if (!file.isOpen()) {
        log->log(LOG_ERROR, "Save canceled, stream not open: %s", LOG_SOURCE, 383, "WTDFile::saveFile",
                 target.c_str());
        return false;
    }
    // writeContainer names its own failures; leading bytes, flush, sync or rename that fail are the body
    // not reaching the file all the same.
    const bool leadingWritten = file.copyLeadingBytes(offset);
    const bool containerFailed =
        leadingWritten && !writeContainer(file.stream(), compressed, compressedLength);
    if (leadingWritten && !containerFailed && file.commit())
        return true;
    if (!containerFailed)
        log->log(LOG_ERROR, "Failed to write the RSC file data for file: %s", LOG_SOURCE, 479,
                 "WTDFile::writeFile", m_filePath.c_str());
    return false;
}

bool WTDFile::saveFile(std::string path, uint32_t offset)
{
    MessageLog* log = MessageLog::getInstance();
    if (m_readOnly) {
        log->log(LOG_ERROR,
                 "Save canceled, file is read only, use \"turnOffReadOnly()\" to set file attributes",
                 LOG_SOURCE, 376, "WTDFile::saveFile");
        return false;
    }
    const std::string target = path.empty() ? m_filePath : path;
    const uint32_t targetOffset = offset == 0 ? m_fileOffset : offset;
    if (m_loadFailed) {
        // Its entries are gone: saving would put an empty dictionary over the real file.
        log->log(LOG_ERROR, "Save canceled, file failed to load: %s", LOG_SOURCE, 379, "WTDFile::saveFile",
                 m_filePath.c_str());
        return false;
    }
    // A file that could not be opened for writing: no name, a folder, no write permission.
    if (!SafeFile::canReplace(SafeFile::resolveTarget(PathSpelling::toFileSystem(target)))) {
        log->log(LOG_ERROR, "Save canceled, stream not open: %s", LOG_SOURCE, 383, "WTDFile::saveFile",
                 target.c_str());
        return false;
    }

    std::unique_ptr<unsigned char[]> compressed;
    uint64_t compressedLength = 0;
    if (!buildContainer(target, compressed, compressedLength) ||
        !replaceFile(target, targetOffset, compressed.get(), compressedLength))
        return false;

    m_modified = false;
    m_filePath = target;
    m_fileOffset = targetOffset;
    log->log(LOG_INFORMATION, "Saved WTD File with %i textures: %s", LOG_SOURCE, 396, "WTDFile::saveFile",
             static_cast<int>(static_cast<int16_t>(m_header.textureCount)), m_filePath.c_str());
    return true;
}
