#include "WTD/WTDFile.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

#include "Common/MessageLog/MessageLog.h"
#include "Common/STDFunctions/ByteReader.h"
#include "Common/STDFunctions/PathSpelling.h"
#include "Platform/Direct3D.h"
#include "WTD/BlockOffsetIndex.h"
#include "WTD/BlockTableItem.h"
#include "WTD/NameHash.h"

namespace
{
const uint64_t MAX_NAME_BYTES = 64;
// Texture memory a load may create beyond the size of the body (see loadTextures).
const uint64_t TEXTURE_MEMORY_SLACK = 64ull * 1024 * 1024;

MessageLog* messageLog()
{
    return MessageLog::getInstance();
}

uint32_t removeTag(uint32_t pointer)
{
    return pointer & WTDFile::OFFSET_MASK;
}

// The bytes D3DXCreateTexture will take for the record: a level count of 0, or more levels than the
// size allows, makes a full chain; a width or height of 0 counts as 1. Sizes the device refuses take
// nothing.
uint64_t textureMemorySize(const TextureTOCItem& record)
{
    if (record.width < 0 || record.height < 0)
        return 0;
    const UINT width = std::max<UINT>(1, static_cast<UINT>(record.width));
    const UINT height = std::max<UINT>(1, static_cast<UINT>(record.height));
    if (width > D3D_MAX_TEXTURE_DIMENSION || height > D3D_MAX_TEXTURE_DIMENSION)
        return 0;
    const UINT fullChain = TextureFormatTable::fullChainLength(width, height);
    const UINT levels =
        record.mipLevelCount == 0 || record.mipLevelCount > fullChain ? fullChain : record.mipLevelCount;
    const D3DFORMAT format = static_cast<D3DFORMAT>(record.format);
    uint64_t total = 0;
    for (UINT level = 0; level < levels; ++level)
        total += TextureFormatTable::levelSize(format, TextureFormatTable::levelDimension(width, level),
                                               TextureFormatTable::levelDimension(height, level));
    return total;
}
} // namespace

WTDFile::WTDFile(std::string path, IDirect3DDevice9* device, uint32_t fileSize, uint32_t offset)
    : RSCFile(), DraveFile(), m_textures(), m_header(), m_device(device)
{
    m_filePath = path;
    m_fileSize = fileSize;
    m_fileOffset = offset;
    if (!STDFunctions::pathExists(m_filePath)) {
        messageLog()->log(LOG_ERROR, "Load file canceled, supplied path is invalid: %s", LOG_SOURCE, 43,
                          "WTDFile::WTDFile", m_filePath.c_str());
        m_loadFailed = true;
        return;
    }
    std::fstream stream;
    if (!openStream(stream)) {
        messageLog()->log(LOG_ERROR, "Load file canceled, stream to file failed to open: %s", LOG_SOURCE, 38,
                          "WTDFile::WTDFile", m_filePath.c_str());
        m_loadFailed = true;
        return;
    }
    if (m_fileSize == WHOLE_FILE)
        m_fileSize = STDFunctions::getFileSize(stream);
    stream.seekg(m_fileOffset);
    loadFile(stream);
    stream.close();
    messageLog()->log(LOG_INFORMATION, "Loaded WTD File with %i textures: %s", LOG_SOURCE, 34,
                      "WTDFile::WTDFile", static_cast<int>(static_cast<int16_t>(m_header.textureCount)),
                      m_filePath.c_str());
}

WTDFile::WTDFile() : RSCFile(), DraveFile(), m_textures(), m_header(), m_device(nullptr) {}

// The entries release their textures; the device they were made on is not ours.
WTDFile::~WTDFile() = default;

bool WTDFile::openStream(std::fstream& stream) const
{
    // A folder or a device opens as a stream here but holds no archive: only regular files are read.
    const std::string nativePath = PathSpelling::toFileSystem(m_filePath);
    std::error_code error;
    if (!std::filesystem::is_regular_file(nativePath, error))
        return false;
    stream.open(nativePath, std::ios::in | std::ios::binary);
    return stream.is_open();
}

bool WTDFile::loadFile(std::fstream& stream)
{
    if (!readRSCFileHeader(stream)) {
        messageLog()->log(LOG_ERROR, "Unable to load WTD File, invalid RSC file header", LOG_SOURCE, 118,
                          "WTDFile::loadFile");
        m_loadFailed = true;
        return false;
    }
    std::unique_ptr<unsigned char[]> body;
    if (!readRSCFileData(stream, body, m_fileSize)) {
        messageLog()->log(LOG_ERROR, "Unable to load WTD File, unable to load file data", LOG_SOURCE, 112,
                          "WTDFile::loadFile");
        m_loadFailed = true;
        return false;
    }
    if (!loadWTDHeader(body.get())) {
        messageLog()->log(LOG_ERROR, "Unable to load WTD File, invalid header", LOG_SOURCE, 104,
                          "WTDFile::loadFile");
        m_loadFailed = true;
        return false;
    }
    if (static_cast<int16_t>(m_header.textureCount) > 0) {
        readNameHashes(body.get());
        readTexturePointers(body.get());
        loadTOC(body.get());
        readTextureNames(body.get());
        loadTextures(body.get());
    }
    return true;
}

bool WTDFile::loadWTDHeader(const unsigned char* body)
{
    const ByteReader reader(body, getTotalSize());
    if (!reader.contains(0, WTDHeader::SIZE)) {
        // Also covers a body too short for the magic itself.
        messageLog()->log(LOG_ERROR,
                          "Not a valid WTD file, its body of %llu bytes is shorter than the %u-byte header",
                          LOG_SOURCE, 176, "WTDFile::loadWTDHeader",
                          static_cast<unsigned long long>(reader.getSize()), WTDHeader::SIZE);
        return false;
    }
    WTDHeader header;
    reader.readU32(WTDHeader::MAGIC_OFFSET, header.magic);
    if (header.magic != WTDHeader::MAGIC) {
        messageLog()->log(LOG_ERROR, "Not a valid WTD file, magic number was: %i", LOG_SOURCE, 176,
                          "WTDFile::loadWTDHeader", static_cast<int32_t>(header.magic));
        return false;
    }
    uint16_t failSafeCount = 0;
    uint16_t failSafeCheck = 0;
    reader.readU32(WTDHeader::HEADER_END_OFFSET_OFFSET, header.headerEndOffset);
    reader.readU32(WTDHeader::RESERVED_A_OFFSET, header.reservedA);
    reader.readU32(WTDHeader::RESERVED_B_OFFSET, header.reservedB);
    reader.readU32(WTDHeader::HASH_TABLE_OFFSET_OFFSET, header.hashTableOffset);
    reader.readU16(WTDHeader::TEXTURE_COUNT_OFFSET, header.textureCount);
    reader.readU32(WTDHeader::TEXTURE_POINTER_TABLE_OFFSET_OFFSET, header.texturePointerTableOffset);
    reader.readU16(WTDHeader::FAIL_SAFE_COUNT_OFFSET, failSafeCount);
    reader.readU16(WTDHeader::FAIL_SAFE_CHECK_OFFSET, failSafeCheck);
    header.headerEndOffset = removeTag(header.headerEndOffset);
    header.hashTableOffset = removeTag(header.hashTableOffset);
    header.texturePointerTableOffset = removeTag(header.texturePointerTableOffset);

    if (failSafeCount == failSafeCheck && failSafeCount != header.textureCount) {
        messageLog()->log(LOG_WARNING,
                          "Texture count %i does not match the fail safe values %i, fail safe will be used",
                          LOG_SOURCE, 159, "WTDFile::loadWTDHeader",
                          static_cast<int>(static_cast<int16_t>(header.textureCount)),
                          static_cast<int>(static_cast<int16_t>(failSafeCount)));
        header.textureCount = failSafeCount;
    }

    const int16_t count = static_cast<int16_t>(header.textureCount);
    if (count > 0) {
        const uint64_t tableLength = 4ull * static_cast<uint64_t>(count);
        if (!reader.contains(header.hashTableOffset, tableLength) ||
            !reader.contains(header.texturePointerTableOffset, tableLength)) {
            messageLog()->log(LOG_ERROR,
                              "Not a valid WTD file, the tables of %i textures at %u and %u lie outside the "
                              "body of %llu bytes",
                              LOG_SOURCE, 176, "WTDFile::loadWTDHeader", static_cast<int>(count),
                              header.hashTableOffset, header.texturePointerTableOffset,
                              static_cast<unsigned long long>(reader.getSize()));
            return false;
        }
    }

    m_header = header;
    if (count > 0)
        m_textures.resize(m_textures.size() + static_cast<size_t>(count));
    return true;
}

void WTDFile::readNameHashes(const unsigned char* body)
{
    const ByteReader reader(body, getTotalSize());
    for (size_t i = 0; i < m_textures.size(); ++i)
        reader.readU32(m_header.hashTableOffset + 4ull * i, m_textures[i].nameHash);
}

void WTDFile::readTexturePointers(const unsigned char* body)
{
    const ByteReader reader(body, getTotalSize());
    for (size_t i = 0; i < m_textures.size(); ++i) {
        uint32_t pointer = 0;
        reader.readU32(m_header.texturePointerTableOffset + 4ull * i, pointer);
        m_textures[i].recordOffset = removeTag(pointer);
    }
}

void WTDFile::loadTOC(const unsigned char* body)
{
    const ByteReader reader(body, getTotalSize());
    for (TextureEntry& entry : m_textures)
        readRecord(reader, entry);
}

void WTDFile::readRecord(const ByteReader& body, TextureEntry& entry)
{
    TextureTOCItem& record = entry.record;
    if (!body.contains(entry.recordOffset, TextureTOCItem::SIZE)) {
        messageLog()->log(
            LOG_ERROR, "Not a valid texture TOC item, the record at %u lies outside the body of %llu bytes",
            LOG_SOURCE, 271, "WTDFile::loadTOC", entry.recordOffset,
            static_cast<unsigned long long>(body.getSize()));
        return;
    }
    body.readU32(entry.recordOffset, record.itemType);
    if (record.itemType != TextureTOCItem::VALID_ITEM_TYPE) {
        messageLog()->log(LOG_ERROR, "Not a valid texture TOC item: %i", LOG_SOURCE, 271, "WTDFile::loadTOC",
                          static_cast<int32_t>(record.itemType));
        return;
    }
    record.readFields(body, entry.recordOffset);
    if (record.textureKind != 0)
        messageLog()->log(LOG_ERROR, "OMG Ponies we found a non normal texture: %s", LOG_SOURCE, 242,
                          "WTDFile::loadTOC", m_filePath.c_str());
    record.namePointer = removeTag(record.namePointer);
    record.recordEndPointer = removeTag(record.recordEndPointer);
    record.reserved44 = removeTag(record.reserved44);
    // The one physical pointer, made a body offset. A sum beyond 32 bits lies beyond every body.
    const uint64_t pixelData = static_cast<uint64_t>(removeTag(record.pixelDataPointer)) + m_virtualSize;
    record.pixelDataPointer = pixelData > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<uint32_t>(pixelData);
}

void WTDFile::readTextureNames(const unsigned char* body)
{
    const ByteReader reader(body, getTotalSize());
    for (size_t i = 0; i < m_textures.size(); ++i) {
        TextureEntry& entry = m_textures[i];
        const uint64_t start = entry.record.namePointer;
        // The first byte is taken whatever it is, then bytes up to a NUL, 64 bytes or the end of the body.
        uint64_t length = reader.available(start, 1);
        const uint64_t limit = reader.available(start, MAX_NAME_BYTES);
        while (length < limit && reader.getData()[start + length] != '\0')
            ++length;
        // The stored name carries the "pack:/" prefix; whatever its first six characters are, they go.
        if (length > NAME_PREFIX_LENGTH)
            entry.name.assign(reinterpret_cast<const char*>(reader.getData() + start + NAME_PREFIX_LENGTH),
                              static_cast<size_t>(length - NAME_PREFIX_LENGTH));
        else
            entry.name.clear();
        // Cut by the end of the body rather than by its NUL or the length limit: the file is damaged.
        if (length == limit && limit < MAX_NAME_BYTES)
            messageLog()->log(
                LOG_WARNING, "The name of texture %i runs past the end of the file data and is cut short: %s",
                LOG_SOURCE, 296, "WTDFile::readTextureNames", static_cast<int>(i), entry.name.c_str());
    }
}

void WTDFile::loadTextures(const unsigned char* body)
{
    const ByteReader reader(body, getTotalSize());
    // The textures of an archive hold at most what its body holds (and some room for records that
    // create levels without data): records that lie about their sizes, or many entries pointing at one
    // record, must not make a small file take gigabytes of texture memory.
    uint64_t memoryLeft = reader.getSize() + TEXTURE_MEMORY_SLACK;
    for (uint32_t i = 0; i < m_textures.size(); ++i) {
        TextureEntry& entry = m_textures[i];
        const TextureTOCItem& record = entry.record;
        entry.texture.reset();
        const uint64_t memory = textureMemorySize(record);
        if (memory > memoryLeft) {
            messageLog()->log(
                LOG_ERROR, "Failed to create texture %i, it needs more memory than the archive can fill: %s",
                LOG_SOURCE, 331, "WTDFile::loadTextures", static_cast<int>(i), entry.name.c_str());
            continue;
        }
        const HRESULT result = D3DXCreateTexture(
            m_device, static_cast<UINT>(record.width), static_cast<UINT>(record.height), record.mipLevelCount,
            0, static_cast<D3DFORMAT>(record.format), D3DPOOL_MANAGED, entry.texture.put());
        if (FAILED(result) || !entry.texture) {
            entry.texture.reset();
            messageLog()->log(LOG_ERROR, "Failed to create texture %i: %s", LOG_SOURCE, 331,
                              "WTDFile::loadTextures", static_cast<int>(i), entry.name.c_str());
            continue;
        }
        memoryLeft -= memory;
        copyLevels(reader, i);
    }
}

void WTDFile::copyLevels(const ByteReader& body, uint32_t index)
{
    TextureEntry& entry = m_textures[index];
    const TextureTOCItem& record = entry.record;
    uint64_t source = record.pixelDataPointer;
    uint32_t unlockedLevels = 0;
    uint32_t shortLevels = 0;
    for (uint32_t level = 0; level < record.mipLevelCount; ++level) {
        const uint64_t size = getLevelSize(record.format, record.width, record.height, level);
        D3DSURFACE_DESC description;
        D3DLOCKED_RECT locked;
        if (FAILED(entry.texture->GetLevelDesc(level, &description)) ||
            FAILED(entry.texture->LockRect(level, &locked, nullptr, 0))) {
            // Nothing is copied through a failed lock; the next level's data still starts after this one.
            ++unlockedLevels;
            source += size;
            continue;
        }
        // Never more than the level holds, whatever the record claims.
        const uint64_t capacity =
            TextureFormatTable::levelSize(description.Format, description.Width, description.Height);
        const uint64_t wanted = std::min(size, capacity);
        const uint64_t inside = body.available(source, wanted);
        unsigned char* destination = static_cast<unsigned char*>(locked.pBits);
        if (inside > 0)
            std::memcpy(destination, body.getData() + source, static_cast<size_t>(inside));
        if (inside < wanted) {
            std::memset(destination + inside, 0, static_cast<size_t>(wanted - inside));
            ++shortLevels;
        }
        entry.texture->UnlockRect(level);
        source += size;
    }
    // One message per texture, not per level: a record may claim up to 255 levels.
    if (unlockedLevels > 0)
        messageLog()->log(
            LOG_ERROR, "Unable to lock %u of %u mip levels of texture %i, their pixels are not loaded: %s",
            LOG_SOURCE, 331, "WTDFile::loadTextures", unlockedLevels,
            static_cast<unsigned>(record.mipLevelCount), static_cast<int>(index), entry.name.c_str());
    if (shortLevels > 0)
        messageLog()->log(LOG_WARNING,
                          "Pixel data of %u mip levels of texture %i runs past the end of the file data, the "
                          "missing part is left black: %s",
                          LOG_SOURCE, 331, "WTDFile::loadTextures", shortLevels, static_cast<int>(index),
                          entry.name.c_str());
}

bool WTDFile::reloadFile()
{
    if (!STDFunctions::pathExists(m_filePath)) {
        messageLog()->log(LOG_ERROR, "RELoad of file canceled, supplied path is invalid: %s", LOG_SOURCE,
                          1038, "WTDFile::reloadFile", m_filePath.c_str());
        return false;
    }
    std::fstream stream;
    if (!openStream(stream)) {
        messageLog()->log(LOG_ERROR, "RELoad of file canceled, stream to file failed to open: %s", LOG_SOURCE,
                          1032, "WTDFile::reloadFile", m_filePath.c_str());
        return false;
    }
    // Measured again: a save since the last load may have changed the container's length.
    const uint32_t fileLength = STDFunctions::getFileSize(stream);
    m_fileSize = fileLength > m_fileOffset ? fileLength - m_fileOffset : 0;

    m_textures.clear();
    // The header is not reset: a load that fails before the dictionary header is read leaves the
    // previous one, and the message below then names the previous count.
    m_loadFailed = false;
    stream.seekg(m_fileOffset);
    const bool loaded = loadFile(stream);
    stream.close();
    messageLog()->log(LOG_INFORMATION, "RELoaded WTD File with %i textures: %s", LOG_SOURCE, 1028,
                      "WTDFile::reloadFile", static_cast<int>(static_cast<int16_t>(m_header.textureCount)),
                      m_filePath.c_str());
    return loaded;
}

int WTDFile::countMipLevels(int16_t width, int16_t height)
{
    const auto halvings = [](int value) {
        int count = 0;
        for (; value > 0; value /= 2)
            ++count;
        return count;
    };
    return std::max(halvings(width), halvings(height));
}

uint32_t WTDFile::findBlockOffset(const void* key, const BlockOffsetIndex& blocks)
{
    return blocks.find(key);
}

bool WTDFile::isValidIndex(const std::vector<TextureEntry>& textures, uint32_t index)
{
    return index < textures.size();
}

uint64_t WTDFile::getLevelSize(uint32_t format, int16_t width, int16_t height, uint32_t level)
{
    if (width <= 0 || height <= 0)
        return 0;
    const uint64_t pixels = static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
    const UINT bitsPerPixel = TextureFormatTable::describe(static_cast<D3DFORMAT>(format)).bitsPerPixel;
    if (format != D3DFMT_DXT1 && bitsPerPixel > 8) {
        // Stored whole: the shift rule would keep only a fraction of a texture wider than a byte a pixel.
        if (level >= 63)
            return 0;
        const uint64_t levelWidth = std::max<uint64_t>(1, static_cast<uint64_t>(width) >> level);
        const uint64_t levelHeight = std::max<uint64_t>(1, static_cast<uint64_t>(height) >> level);
        return levelWidth * levelHeight * (bitsPerPixel / 8);
    }
    const uint64_t shift = 2ull * level + (format == D3DFMT_DXT1 ? 1 : 0);
    return shift >= 63 ? 0 : pixels >> shift;
}

uint64_t WTDFile::getPixelDataSize(const TextureTOCItem& record)
{
    uint64_t total = 0;
    for (uint32_t level = 0; level < record.mipLevelCount; ++level)
        total += getLevelSize(record.format, record.width, record.height, level);
    return total;
}

void WTDFile::sortByNameHash()
{
    NameHash* hash = NameHash::getInstance();
    for (TextureEntry& entry : m_textures)
        entry.nameHash = hash->hashName(STDFunctions::getFileName(entry.name, true).c_str());
    // Stable, so textures of equal hashes keep their order and a save is reproducible.
    std::stable_sort(m_textures.begin(), m_textures.end(), &WTDFile::lessByNameHash);
    NameHash::release();
}

void WTDFile::sortTextures(uint32_t column, bool keepOrder)
{
    static bool (*const comparisons[])(const TextureEntry&, const TextureEntry&) = {
        &WTDFile::lessByName, &WTDFile::greaterByFormat, &WTDFile::greaterByWidth, &WTDFile::greaterByHeight};
    if (column < sizeof(comparisons) / sizeof(comparisons[0]))
        std::stable_sort(m_textures.begin(), m_textures.end(), comparisons[column]);
    if (!keepOrder)
        std::reverse(m_textures.begin(), m_textures.end());
    m_modified = true;
}

bool WTDFile::lessByNameHash(const TextureEntry& a, const TextureEntry& b)
{
    return a.nameHash < b.nameHash;
}

bool WTDFile::lessByName(const TextureEntry& a, const TextureEntry& b)
{
    // std::string compares its bytes as unsigned values.
    return a.name < b.name;
}

bool WTDFile::greaterByFormat(const TextureEntry& a, const TextureEntry& b)
{
    return static_cast<int32_t>(a.record.format) > static_cast<int32_t>(b.record.format);
}

bool WTDFile::greaterByWidth(const TextureEntry& a, const TextureEntry& b)
{
    return a.record.width > b.record.width;
}

bool WTDFile::greaterByHeight(const TextureEntry& a, const TextureEntry& b)
{
    return a.record.height > b.record.height;
}
