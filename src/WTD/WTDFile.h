#pragma once

#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "Common/STDFunctions/DraveFile.h"
#include "RSC/RSCFile.h"
#include "WTD/TextureEntry.h"
#include "WTD/WTDHeader.h"

class ByteReader;
class IDirect3DDevice9;
struct BlockTableItem;
class BlockOffsetIndex;

// One open texture dictionary archive: the container (RSCFile) holding a dictionary body whose
// textures live as Direct3D textures on the render system's device. Loading, reloading, ordering,
// the texture operations and writing are spread over WTDFile*.cpp.
class WTDFile : public RSCFile, public DraveFile
{
public:
    static constexpr uint32_t WHOLE_FILE = 0xFFFFFFFF;           // fileSize: take the length of the file
    static constexpr uint32_t OFFSET_MASK = 0x0FFFFFFF;          // removes the segment tag of a pointer
    static constexpr uint32_t FORMAT_DXT1 = 0x31545844;          // 'DXT1'
    static constexpr const char* LOG_SOURCE = ".\\WTD\\WTDFile"; // the source path of every message
    // The dictionary's count is a signed 16-bit number.
    static constexpr size_t MAX_TEXTURE_COUNT = 0x7FFF;
    // Every stored name starts with it; the names in memory never do.
    static constexpr const char* NAME_PREFIX = "pack:/";
    static constexpr size_t NAME_PREFIX_LENGTH = 6;

    // Opens and loads the archive at path; fileSize is the container length or WHOLE_FILE, offset
    // where the container starts in the file. A failure leaves hasLoadFailed() set and no entries.
    WTDFile(std::string path, IDirect3DDevice9* device, uint32_t fileSize, uint32_t offset);
    // An empty dictionary without path or device.
    WTDFile();
    ~WTDFile() override;

    WTDFile(const WTDFile&) = delete;
    WTDFile& operator=(const WTDFile&) = delete;

    // Reading.
    bool loadFile(std::fstream& stream);
    bool loadWTDHeader(const unsigned char* body);
    void readNameHashes(const unsigned char* body);
    void readTexturePointers(const unsigned char* body);
    void loadTOC(const unsigned char* body);
    void readTextureNames(const unsigned char* body);
    void loadTextures(const unsigned char* body);
    // Empties the archive and loads it again as it now stands on disk; false when the file could not
    // be opened or the load failed (hasLoadFailed() then tells the two apart).
    bool reloadFile();

    // Ordering.
    void sortByNameHash();
    void sortTextures(uint32_t column, bool keepOrder);
    static bool lessByNameHash(const TextureEntry& a, const TextureEntry& b);
    static bool lessByName(const TextureEntry& a, const TextureEntry& b);
    static bool greaterByFormat(const TextureEntry& a, const TextureEntry& b);
    static bool greaterByWidth(const TextureEntry& a, const TextureEntry& b);
    static bool greaterByHeight(const TextureEntry& a, const TextureEntry& b);

    // Texture operations (index = position in the current list).
    bool addTexture(std::string path, std::string name);
    bool replaceTexture(std::string path, uint32_t index);
    bool deleteTexture(uint32_t index);
    bool extractTexture(uint32_t index, std::string folder, std::string name);
    bool generateMipMaps(uint32_t index);
    // Whether a texture name can be used as a file name inside a folder without leading out of it.
    static bool isSafeFileName(const std::string& name);
    // The path extractTexture writes for a file name inside a folder.
    static std::string extractionPath(const std::string& folder, const std::string& fileName);

    // Writing.
    bool saveFile(std::string path, uint32_t offset);
    bool writeFile(std::ostream& stream);
    void writeWTDHeader(uint8_t* image);
    void writeHashTable(uint8_t* image);
    void writeTexturePointers(uint8_t* image);
    void writeTextureRecords(uint8_t* image);
    void writeTextureNames(uint8_t* image);
    void writeTextureData(uint8_t* image, const uint32_t& declaredVirtualSize);
    void buildBlockTable(BlockTableItem* items, const uint32_t& physicalStart);
    // Pixel data size of texture index over all its levels (64-bit: see getLevelSize).
    uint64_t getTextureDataSize(uint32_t index);
    // The segment packer under the archive's names (see SegmentPacker): places the blocks of one
    // segment and gives its size code; false (code 0) when the segment cannot be described.
    static bool packSegment(BlockTableItem* items, int count, uint32_t start, uint8_t tag, uint32_t& code);
    static int compareBlockSize(const void* a, const void* b);
    static uint32_t nextPowerOfTwo(uint32_t v);

    // Shared helpers of reading and writing.
    static int countMipLevels(int16_t width, int16_t height);
    // The offset given to the first block of key in the list the index was built on; 0 when key is
    // null or owns no block there.
    static uint32_t findBlockOffset(const void* key, const BlockOffsetIndex& blocks);
    static bool isValidIndex(const std::vector<TextureEntry>& textures, uint32_t index);
    // Bytes that mip level `level` of a width x height texture of the format occupies in the body:
    // DXT1 and formats of at most one byte per pixel by the shift rule (no minimum block), wider
    // formats at their full size. 0 for empty or negative dimensions and shifts of 63 or more.
    static uint64_t getLevelSize(uint32_t format, int16_t width, int16_t height, uint32_t level);
    // Sum of getLevelSize over the record's levels.
    static uint64_t getPixelDataSize(const TextureTOCItem& record);

    const WTDHeader& getHeader() const { return m_header; }
    IDirect3DDevice9* getDevice() const { return m_device; }

    // The textures in dictionary order; the lists of the user interface show them row for row.
    std::vector<TextureEntry> m_textures;

protected:
    WTDHeader m_header;
    IDirect3DDevice9* m_device; // lent by the render system, never released here

private:
    bool openStream(std::fstream& stream) const;
    void readRecord(const ByteReader& body, TextureEntry& entry);
    void copyLevels(const ByteReader& body, uint32_t index);
    // Saving: the whole container is laid out and compressed in memory before any file is opened.
    bool buildContainer(const std::string& target, std::unique_ptr<unsigned char[]>& compressed,
                        uint64_t& compressedLength);
    bool writeContainer(std::ostream& stream, const unsigned char* compressed, uint64_t compressedLength);
    bool replaceFile(const std::string& target, uint32_t offset, const unsigned char* compressed,
                     uint64_t compressedLength);
};
