#include "WTD/WTDFile.h"

#include "Common/MessageLog/MessageLog.h"
#include "Common/STDFunctions/STDFunctions.h"
#include "Platform/Direct3D.h"
#include "Common/STDFunctions/LittleEndian.h"
#include "WTD/BlockOffsetIndex.h"
#include "WTD/BlockTableItem.h"

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
// Segments of the body: the virtual one starts after the 32-byte header, the physical one at 0.
constexpr uint32_t s_virtualStart = WTDHeader::s_size;
constexpr uint32_t s_physicalStart = 0;
constexpr uint8_t s_virtualTag = 5;
constexpr uint8_t s_physicalTag = 6;
constexpr uint32_t s_reservedBlockSize = 0x200;

// Packing. Every size is counted in 16-byte steps; a page is 16 units of page / 16.
constexpr uint64_t s_alignment = 16;
constexpr uint64_t s_unitsPerPage = 16;
constexpr uint64_t s_smallestPage = 0x1000;
constexpr uint64_t s_doubledBelow = 0x20000;
// A size code holds an 11-bit count and a 4-bit shift, so the page may not exceed 4096 << 14.
constexpr uint64_t s_largestPage = 1ull << 26;
constexpr uint64_t s_largestCount = 0x7FF;
// A tagged offset keeps 28 bits of position.
constexpr uint64_t s_positionLimit = 1ull << 28;

constexpr int s_compressionLevel = 9;
constexpr unsigned char s_filler = 0xCD;

uint64_t alignUp(uint64_t value, uint64_t alignment)
{
    return (value + alignment - 1) / alignment * alignment;
}

uint32_t saturateToU32(uint64_t value)
{
    return value > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<uint32_t>(value);
}

// The blocks of one segment while they are placed. Positions are 64-bit so that nothing can wrap; the
// list is sorted largest first, so the aligned sizes never grow along it.
class SegmentLayout
{
public:
    SegmentLayout(const BlockTableItem* items, int count, uint32_t start, uint64_t page)
        : m_items(items), m_count(count), m_page(page), m_positions(count, 0), m_nextUnplaced(count + 1),
          m_position(start), m_room(page - start), m_pages(0)
    {
        for (int i = 0; i <= count; ++i)
            m_nextUnplaced[i] = i;
    }

    // First fit, largest first: each block goes into the current page at the first unplaced index
    // that fits the room left; a page that cannot take the smallest block left is closed for good.
    void placeBlocks()
    {
        int last = m_count - 1;
        uint64_t smallest = alignedSize(last);
        for (int remaining = m_count; remaining > 0; --remaining)
        {
            const int taken = findUnplaced(firstFitting());
            m_positions[taken] = m_position;
            m_nextUnplaced[taken] = taken + 1;
            m_position += alignedSize(taken);
            m_room -= alignedSize(taken);
            if (remaining > 1 && taken == last)
            {
                while (isPlaced(last))
                    --last;
                smallest = alignedSize(last);
            }
            if (m_room < smallest)
            {
                ++m_pages;
                m_position = m_pages * m_page;
                m_room = m_page;
            }
        }
    }

    // The segment's size in sixteenths of a page: whole pages, and the last page by halves, quarters
    // and eighths when it is mostly empty, moving a block that crosses a chunk limit up to the limit.
    uint64_t countUnits()
    {
        if (m_room == m_page)
        {
            m_room = 0;  // the last page opened holds nothing
            --m_pages;
        }
        if (m_room <= m_page / s_unitsPerPage || m_pages < 1)
            return static_cast<uint64_t>(m_pages + 1) * s_unitsPerPage;
        return static_cast<uint64_t>(m_pages) * s_unitsPerPage + countFractions(m_page - m_room);
    }

    // Tagged offsets into the items; false when a block starts beyond what 28 bits of position hold.
    bool storeOffsets(BlockTableItem* items, uint8_t tag) const
    {
        for (int i = 0; i < m_count; ++i)
            if (m_positions[i] >= s_positionLimit)
                return false;
        for (int i = 0; i < m_count; ++i)
            items[i].offset = (static_cast<uint32_t>(tag) << 28) | static_cast<uint32_t>(m_positions[i]);
        return true;
    }

private:
    uint64_t alignedSize(int index) const { return alignUp(m_items[index].size, s_alignment); }
    bool isPlaced(int index) const { return m_nextUnplaced[index] != index; }

    // The first index whose aligned size fits the room (sizes never grow along the list).
    int firstFitting() const
    {
        int low = 0;
        int high = m_count;
        while (low < high)
        {
            const int middle = low + (high - low) / 2;
            if (alignedSize(middle) <= m_room)
                high = middle;
            else
                low = middle + 1;
        }
        return low;
    }

    // The first unplaced index at or after index; placed indices link onwards (with path halving), so
    // a scan past long runs of placed blocks costs almost nothing.
    int findUnplaced(int index)
    {
        while (m_nextUnplaced[index] != index)
        {
            m_nextUnplaced[index] = m_nextUnplaced[m_nextUnplaced[index]];
            index = m_nextUnplaced[index];
        }
        return index;
    }

    uint64_t countFractions(uint64_t used)
    {
        uint64_t limit = static_cast<uint64_t>(m_pages) * m_page;
        int scan = 0;
        uint64_t bits = 0;
        for (int bit = 3; bit >= 1; --bit)
        {
            const uint64_t chunk = m_page >> (4 - bit);
            if (used < chunk / 2)
                continue;
            limit += chunk;
            bits |= 1ull << bit;
            if (!fitBelowLimit(limit, chunk, scan))
            {
                // The next larger fraction is taken instead; it may carry into the whole pages.
                bits = bits - (1ull << bit) + (1ull << (bit + 1));
                used = 0;
                break;
            }
            used = used < chunk ? 0 : used - chunk;
        }
        if (used > 0)
            bits |= 1;
        return bits;
    }

    // Moves the block that crosses limit up to the next chunk boundary; false when it does not fit.
    bool fitBelowLimit(uint64_t limit, uint64_t chunk, int& scan)
    {
        for (int i = scan; i < m_count; ++i)
        {
            const uint64_t position = m_positions[i];
            const uint64_t size = alignedSize(i);
            if (position > limit || position + size <= limit)
                continue;
            scan = i;
            const uint64_t target = alignUp(position, chunk);
            if (target - position > m_room || size > chunk)
                return false;
            moveBlock(i, target);
        }
        return true;
    }

    // The blocks of the last page that follow the moved one move with it, so no two blocks overlap;
    // the distance comes out of the room at the page's end.
    void moveBlock(int index, uint64_t target)
    {
        const uint64_t from = m_positions[index];
        const uint64_t distance = target - from;
        const uint64_t lastPageStart = static_cast<uint64_t>(m_pages) * m_page;
        for (int i = 0; i < m_count; ++i)
            if (i != index && m_items[i].size != 0 && m_positions[i] >= lastPageStart && m_positions[i] > from)
                m_positions[i] += distance;
        m_positions[index] = target;
        m_room -= distance;
    }

    const BlockTableItem* m_items;
    const int m_count;
    const uint64_t m_page;
    std::vector<uint64_t> m_positions;
    std::vector<int> m_nextUnplaced;  // itself while unplaced, else a later index to look at
    uint64_t m_position;
    uint64_t m_room;
    int64_t m_pages;                  // whole pages before the current one
};

// Number of significant bits of value.
uint32_t bitWidth(uint64_t value)
{
    uint32_t bits = 0;
    for (; value != 0; value >>= 1)
        ++bits;
    return bits;
}

void storeName(unsigned char* destination, const std::string& name)
{
    std::memcpy(destination, WTDFile::s_namePrefix, WTDFile::s_namePrefixLength);
    std::memcpy(destination + WTDFile::s_namePrefixLength, name.data(), name.size());
    destination[WTDFile::s_namePrefixLength + name.size()] = 0;
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
    if (locked.pBits && locked.Pitch > 0)
    {
        const uint64_t available = static_cast<uint64_t>(locked.Pitch) *
                                   TextureFormatTable::rowCount(description.Format, description.Height);
        std::memcpy(destination, locked.pBits, std::min(size, available));
    }
    texture->UnlockRect(level);
}

// The folder of a file-system path, "." when it names none.
std::string folderOf(const std::string& path)
{
    std::string folder;
    std::string name;
    STDFunctions::splitPath(path, folder, name);
    return folder.empty() ? "." : folder;
}

// Writable for this process, and by its mode bits: tests and users running as root would otherwise
// overwrite a file that is marked read-only.
bool isWritable(const std::string& path)
{
    struct stat status;
    return access(path.c_str(), W_OK) == 0 && stat(path.c_str(), &status) == 0 &&
           (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
}

// The file a save replaces: the target itself, or the file a symbolic link names, so the link stays.
std::string resolveTarget(const std::string& path)
{
    struct stat status;
    if (lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode))
        return path;
    char* resolved = realpath(path.c_str(), nullptr);
    if (!resolved)
        return path;
    const std::string result(resolved);
    std::free(resolved);
    return result;
}

// Where a save of target lands on disk.
std::string diskPath(const std::string& target)
{
    return resolveTarget(STDFunctions::nativePath(target));
}

// Gives a file the target's owner and group. Only a privileged process may give a file away; for any
// other the copy stays its own user's, as any file it writes would.
bool giveOwner(int descriptor, const struct stat& target)
{
    return fchown(descriptor, target.st_uid, target.st_gid) == 0;
}

// A new, empty file next to path, with the target's permission bits (and owner, where it may) when the
// target exists.
bool createTemporary(const std::string& path, std::string& temporary)
{
    struct stat target;
    const bool targetExists = stat(path.c_str(), &target) == 0;
    for (int attempt = 0; attempt < 100; ++attempt)
    {
        temporary = path + ".saving-" + std::to_string(getpid()) + "-" + std::to_string(attempt);
        const int descriptor = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor < 0)
        {
            if (errno == EEXIST)
                continue;
            return false;
        }
        if (targetExists)
            giveOwner(descriptor, target);
        const bool moded = !targetExists || fchmod(descriptor, target.st_mode & 07777) == 0;
        close(descriptor);
        if (moded)
            return true;
        unlink(temporary.c_str());
        return false;
    }
    return false;
}

// The bytes that lie before the container in the target (zeros where the target is shorter).
bool copyLeadingBytes(const std::string& path, uint32_t length, std::fstream& output)
{
    std::ifstream input(path, std::ios::binary);
    std::vector<char> buffer(64 * 1024);
    uint64_t left = length;
    while (left > 0)
    {
        const std::streamsize step = static_cast<std::streamsize>(std::min<uint64_t>(left, buffer.size()));
        std::streamsize got = 0;
        if (input.is_open() && input.good())
        {
            input.read(buffer.data(), step);
            got = input.gcount();
        }
        std::fill(buffer.begin() + got, buffer.begin() + step, 0);
        output.write(buffer.data(), step);
        if (output.fail())
            return false;
        left -= static_cast<uint64_t>(step);
    }
    return true;
}

// Data and folder entry reach the disk before the save reports success.
bool syncToDisk(const std::string& path)
{
    const int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return false;
    const bool synced = fsync(descriptor) == 0;
    close(descriptor);
    return synced;
}
} // namespace

uint64_t WTDFile::getTextureDataSize(uint32_t index)
{
    if (!isValidIndex(m_textures, index))
    {
        MessageLog::getInstance()->log(
            LOG_ERROR, "Supplied index %i  is outside the limits of the texture list: %i", s_logSource, 761,
            "WTDFile::getTextureDataSize", static_cast<int>(index), static_cast<int>(m_textures.size()));
        return 0;
    }
    return getPixelDataSize(m_textures[index].record);
}

void WTDFile::buildBlockTable(BlockTableItem* items, const uint32_t& physicalStart)
{
    const uint32_t count = static_cast<uint32_t>(m_textures.size());
    items[0] = BlockTableItem{0, s_reservedBlockSize, nullptr};
    items[1] = BlockTableItem{0, 4 * count, &m_header.hashTableOffset};
    items[2] = BlockTableItem{0, 4 * count, &m_header.texturePointerTableOffset};
    for (uint32_t i = 0; i < count; ++i)
    {
        const TextureEntry& entry = m_textures[i];
        items[3 + 2 * i] = BlockTableItem{0, TextureTOCItem::s_size, &entry};
        items[4 + 2 * i] = BlockTableItem{0, saturateToU32(entry.name.size() + s_namePrefixLength + 1), &entry.name};
        // A size beyond 32 bits is kept at the largest value, which the packer then refuses.
        items[physicalStart + i] = BlockTableItem{0, saturateToU32(getTextureDataSize(i)), &entry};
    }
}

bool WTDFile::packSegment(BlockTableItem* items, int count, uint32_t start, uint8_t tag, uint32_t& code)
{
    code = 0;
    if (count < 1)
        return true;  // nothing to place: an empty segment
    std::qsort(items, static_cast<size_t>(count), sizeof(BlockTableItem), &WTDFile::compareBlockSize);

    const uint64_t largest = static_cast<uint64_t>(items[0].size) + start;
    if (largest > s_largestPage)
        return false;
    uint64_t page = std::max<uint64_t>(nextPowerOfTwo(static_cast<uint32_t>(largest)), s_smallestPage);
    if (start == 0 && page < s_doubledBelow)
        page *= 2;

    SegmentLayout layout(items, count, start, page);
    layout.placeBlocks();
    uint64_t units = layout.countUnits();
    while (page < s_doubledBelow && units >= 32 && units % 2 == 0)
    {
        units /= 2;
        page *= 2;
    }
    // A count beyond 11 bits is described with larger pages (rounding up keeps every block inside).
    while (units > s_largestCount && page < s_largestPage)
    {
        units = (units + 1) / 2;
        page *= 2;
    }
    if (units > s_largestCount || !layout.storeOffsets(items, tag))
        return false;
    code = (bitWidth(page / s_smallestPage) << 11) | static_cast<uint32_t>(units);
    return true;
}

int WTDFile::compareBlockSize(const void* a, const void* b)
{
    const uint32_t first = static_cast<const BlockTableItem*>(a)->size;
    const uint32_t second = static_cast<const BlockTableItem*>(b)->size;
    return first > second ? -1 : (first < second ? 1 : 0);
}

uint32_t WTDFile::nextPowerOfTwo(uint32_t v)
{
    if (v == 0 || v > 0x80000000u)
        return 0;  // 0 has none; above 2^31 none fits 32 bits
    uint32_t power = 1;
    while (power < v)
        power <<= 1;
    return power;
}

void WTDFile::writeWTDHeader(uint8_t* image)
{
    m_header.reservedA = 0;
    m_header.reservedB = 1;
    const uint16_t count = m_header.textureCount;
    LittleEndian::storeU32(image + WTDHeader::s_magicOffset, m_header.magic);
    LittleEndian::storeU32(image + WTDHeader::s_headerEndOffsetOffset, WTDHeader::s_headerEndPointer);
    LittleEndian::storeU32(image + WTDHeader::s_reservedAOffset, m_header.reservedA);
    LittleEndian::storeU32(image + WTDHeader::s_reservedBOffset, m_header.reservedB);
    LittleEndian::storeU32(image + WTDHeader::s_hashTableOffsetOffset, m_header.hashTableOffset);
    LittleEndian::storeU16(image + WTDHeader::s_textureCountOffset, count);
    LittleEndian::storeU16(image + WTDHeader::s_textureCountCopyOffset, count);
    LittleEndian::storeU32(image + WTDHeader::s_texturePointerTableOffsetOffset, m_header.texturePointerTableOffset);
    LittleEndian::storeU16(image + WTDHeader::s_failSafeCountOffset, count);
    LittleEndian::storeU16(image + WTDHeader::s_failSafeCheckOffset, count);
    // The first block placed at 32 receives this zero word unless it is written afterwards.
    LittleEndian::storeU32(image + WTDHeader::s_size, 0);
}

void WTDFile::writeHashTable(uint8_t* image)
{
    uint8_t* table = image + (m_header.hashTableOffset & s_offsetMask);
    for (size_t i = 0; i < m_textures.size(); ++i)
        LittleEndian::storeU32(table + 4 * i, m_textures[i].nameHash);
}

void WTDFile::writeTexturePointers(uint8_t* image)
{
    uint8_t* table = image + (m_header.texturePointerTableOffset & s_offsetMask);
    for (size_t i = 0; i < m_textures.size(); ++i)
        LittleEndian::storeU32(table + 4 * i, m_textures[i].recordOffset);
}

void WTDFile::writeTextureRecords(uint8_t* image)
{
    for (size_t i = 0; i < m_textures.size(); ++i)
    {
        TextureTOCItem record = m_textures[i].record;
        const bool last = i + 1 == m_textures.size();
        record.recordEndPointer = last ? 0 : m_textures[i].recordOffset + TextureTOCItem::s_size;
        record.reserved44 = 0;
        record.writeTo(image + (m_textures[i].recordOffset & s_offsetMask));
    }
}

void WTDFile::writeTextureNames(uint8_t* image)
{
    for (const TextureEntry& entry : m_textures)
        storeName(image + (entry.record.namePointer & s_offsetMask), entry.name);
}

void WTDFile::writeTextureData(uint8_t* image, const uint32_t& declaredVirtualSize)
{
    for (const TextureEntry& entry : m_textures)
    {
        const TextureTOCItem& record = entry.record;
        uint8_t* destination = image + declaredVirtualSize + (record.pixelDataPointer & s_offsetMask);
        for (uint32_t level = 0; level < record.mipLevelCount; ++level)
        {
            const uint64_t size = getLevelSize(record.format, record.width, record.height, level);
            copyLevel(entry.texture, level, destination, size);
            destination += size;
        }
    }
}

bool WTDFile::buildContainer(const std::string& target, std::unique_ptr<unsigned char[]>& compressed,
                             uint64_t& compressedLength)
{
    MessageLog* log = MessageLog::getInstance();
    if (m_textures.size() > s_maxTextureCount)
    {
        log->log(LOG_ERROR, "Save canceled, %i textures are more than an archive can hold (32767): %s",
                 s_logSource, 445, "WTDFile::writeFile",
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
    const bool packed = packSegment(items.data(), virtualCount, s_virtualStart, s_virtualTag, virtualCode) &&
                        packSegment(physical, count, s_physicalStart, s_physicalTag, physicalCode);
    const uint64_t virtualSize = RSCFile::decodeSegmentSize(virtualCode);
    const uint64_t total = virtualSize + RSCFile::decodeSegmentSize(physicalCode);
    // The body must also keep within the 32-bit lengths of the container.
    if (!packed || total > 0xFFFFFFFFull)
    {
        log->log(LOG_ERROR, "Save canceled, the archive is too large to describe: %s", s_logSource, 446,
                 "WTDFile::writeFile", target.c_str());
        return false;
    }

    std::unique_ptr<unsigned char[]> image(new (std::nothrow) unsigned char[total]);
    // Only the bytes the compressor writes are touched, so an unused tail costs no memory.
    compressed.reset(new (std::nothrow) unsigned char[total]);
    if (!image || !compressed)
    {
        compressed.reset();
        log->log(LOG_ERROR, "Compression of file data failed, zlib error: %s", s_logSource, 491,
                 "WTDFile::writeFile", zlibErrorToString(Z_MEM_ERROR).c_str());
        return false;
    }
    adviseHugePages(image.get(), total);
    adviseHugePages(compressed.get(), total);
    std::memset(image.get(), s_filler, total);

    // A texture's record and pixel blocks share their owner, so each list has an index of its own.
    const BlockOffsetIndex virtualBlocks(items.data(), virtualCount);
    const BlockOffsetIndex physicalBlocks(physical, count);
    for (TextureEntry& entry : m_textures)
    {
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

    uLongf length = static_cast<uLongf>(total);
    const int result = compress2(compressed.get(), &length, image.get(), static_cast<uLong>(total), s_compressionLevel);
    if (result != Z_OK)
    {
        compressed.reset();
        log->log(LOG_ERROR, "Compression of file data failed, zlib error: %s", s_logSource, 491,
                 "WTDFile::writeFile", zlibErrorToString(result).c_str());
        return false;
    }
    compressedLength = length;
    m_magic = RSCFile::s_magic;
    m_resourceType = RSCFile::s_resourceTypeWritten;
    m_flags = virtualCode | (physicalCode << 15) | RSCFile::s_flagsWrittenBits;
    return true;
}

bool WTDFile::writeContainer(std::fstream& stream, const unsigned char* compressed, uint64_t compressedLength)
{
    MessageLog* log = MessageLog::getInstance();
    if (!writeRSCFileHeader(stream))
    {
        log->log(LOG_ERROR, "Failed to write the RSC file header for file: %s", s_logSource, 484,
                 "WTDFile::writeFile", m_filePath.c_str());
        return false;
    }
    const uint32_t length = static_cast<uint32_t>(compressedLength);
    if (!writeRSCFileData(stream, reinterpret_cast<const char*>(compressed), length))
    {
        log->log(LOG_ERROR, "Failed to write the RSC file data for file: %s", s_logSource, 479,
                 "WTDFile::writeFile", m_filePath.c_str());
        return false;
    }
    return true;
}

bool WTDFile::writeFile(std::fstream& stream)
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
    const std::string path = diskPath(target);
    std::string temporary;
    std::fstream stream;
    if (createTemporary(path, temporary))
        stream.open(temporary, std::ios::out | std::ios::binary);
    if (!stream.is_open())
    {
        if (!temporary.empty())
            unlink(temporary.c_str());
        log->log(LOG_ERROR, "Save canceled, stream not open: %s", s_logSource, 383, "WTDFile::saveFile",
                 target.c_str());
        return false;
    }
    // writeContainer names its own failures; leading bytes, flush, sync or rename that fail are the body
    // not reaching the file all the same.
    const bool leadingWritten = copyLeadingBytes(path, offset, stream);
    const bool containerFailed = leadingWritten && !writeContainer(stream, compressed, compressedLength);
    stream.flush();
    bool written = leadingWritten && !containerFailed && !stream.fail();
    stream.close();
    written = written && !stream.fail() && syncToDisk(temporary) && std::rename(temporary.c_str(), path.c_str()) == 0;
    if (!written)
    {
        unlink(temporary.c_str());
        if (!containerFailed)
            log->log(LOG_ERROR, "Failed to write the RSC file data for file: %s", s_logSource, 479,
                     "WTDFile::writeFile", m_filePath.c_str());
        return false;
    }
    syncToDisk(folderOf(path));
    return true;
}

bool WTDFile::saveFile(std::string path, uint32_t offset)
{
    MessageLog* log = MessageLog::getInstance();
    if (m_readOnly)
    {
        log->log(LOG_ERROR,
                 "Save canceled, file is read only, use \"turnOffReadOnly()\" to set file attributes",
                 s_logSource, 376, "WTDFile::saveFile");
        return false;
    }
    const std::string target = path.empty() ? m_filePath : path;
    const uint32_t targetOffset = offset == 0 ? m_fileOffset : offset;
    if (m_loadFailed)
    {
        // Its entries are gone: saving would put an empty dictionary over the real file.
        log->log(LOG_ERROR, "Save canceled, file failed to load: %s", s_logSource, 379, "WTDFile::saveFile",
                 m_filePath.c_str());
        return false;
    }
    const std::string disk = diskPath(target);
    struct stat status;
    const bool exists = stat(disk.c_str(), &status) == 0;
    // A file that could not be opened for writing: no name, a folder, no write permission.
    if (disk.empty() || (exists && (!S_ISREG(status.st_mode) || !isWritable(disk))) || !isWritable(folderOf(disk)))
    {
        log->log(LOG_ERROR, "Save canceled, stream not open: %s", s_logSource, 383, "WTDFile::saveFile",
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
    log->log(LOG_INFORMATION, "Saved WTD File with %i textures: %s", s_logSource, 396, "WTDFile::saveFile",
             static_cast<int>(static_cast<int16_t>(m_header.textureCount)), m_filePath.c_str());
    return true;
}
