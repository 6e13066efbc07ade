#pragma once

#include <cstdint>
#include <fstream>
#include <istream>
#include <memory>
#include <ostream>
#include <string>

// The resource container around an archive body: a 12-byte header (magic, resource type, flags word
// holding the size codes of the two memory segments) followed by one zlib stream running to the end of
// the container. Works from the stream's current position, where the caller placed the container.
class RSCFile
{
public:
    static constexpr uint32_t MAGIC = 0x05435352;                // "RSC" and the byte 5
    static constexpr const char* LOG_SOURCE = ".\\RSC\\RSCFile"; // the source path of every message
    static constexpr uint32_t RESOURCE_TYPE_WRITTEN = 8;
    static constexpr uint32_t FLAGS_WRITTEN_BITS = 0xC0000000;
    static constexpr uint32_t HEADER_SIZE = 12;
    static constexpr uint32_t MAGIC_OFFSET = 0;
    static constexpr uint32_t RESOURCE_TYPE_OFFSET = 4;
    static constexpr uint32_t FLAGS_OFFSET = 8;
    static_assert(FLAGS_OFFSET + sizeof(uint32_t) == HEADER_SIZE, "the container header is 12 bytes");

    RSCFile();
    virtual ~RSCFile();

    // Reads and checks the 12-byte header and decodes the segment sizes; leaves the stream after it.
    bool readRSCFileHeader(std::fstream& stream);
    void decodeSegmentSizes();
    // Length of the inflated body. 64-bit: two segments of up to 2047 << 23 bytes do not fit 32 bits.
    uint64_t getTotalSize() const;
    // Reads the compressed stream after the header and inflates it into a new buffer of getTotalSize()
    // bytes, handed over through body (empty on failure).
    bool readRSCFileData(std::istream& stream, std::unique_ptr<unsigned char[]>& body,
                         const uint32_t& containerSize);

    // A stream with no buffer has no file behind it: the header logs that it cannot be written.
    bool writeRSCFileHeader(std::ostream& stream);
    bool writeRSCFileData(std::ostream& stream, const char* data, const uint32_t& length);

    static std::string zlibErrorToString(int code);
    // Compresses a body at the container's level into a new buffer, handed over through compressed
    // (empty unless the result is Z_OK). The buffer has zlib's bound for the length: bytes that do not
    // compress come out longer than they went in. A result beyond the container's 32-bit lengths is
    // Z_BUF_ERROR.
    static int compressBody(const unsigned char* body, uint64_t length,
                            std::unique_ptr<unsigned char[]>& compressed, uint64_t& compressedLength);

    // Size in bytes of a 15-bit segment size code (count << (shift + 8)), computed in 64 bits.
    static uint64_t decodeSegmentSize(uint32_t code);

    uint32_t getMagic() const { return m_magic; }
    uint32_t getResourceType() const { return m_resourceType; }
    uint32_t getFlags() const { return m_flags; }
    uint32_t getFileSize() const { return m_fileSize; }
    uint32_t getVirtualSize() const { return m_virtualSize; }
    uint32_t getPhysicalSize() const { return m_physicalSize; }

protected:
    // Bodies run to hundreds of megabytes and are written once, front to back: backing a fresh buffer
    // with huge pages where the system offers them on request saves most of the cost of faulting it in.
    static void adviseHugePages(unsigned char* buffer, uint64_t length);

    uint32_t m_magic;
    uint32_t m_resourceType;
    uint32_t m_flags;
    uint32_t m_fileSize; // length of the whole container; set by the owner
    // Decoded segment sizes; a segment beyond 32 bits is held as 0xFFFFFFFF so that the total still
    // exceeds every limit instead of wrapping to a small, plausible size.
    uint32_t m_virtualSize;
    uint32_t m_physicalSize;
};
