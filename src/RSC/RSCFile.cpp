#include "RSC/RSCFile.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

#include <sys/mman.h>
#include <zlib.h>

#include "Common/MessageLog/MessageLog.h"
#include "Common/STDFunctions/LittleEndian.h"

namespace
{
// Deflate cannot expand its input by more than about 1032:1. A declared body beyond that (with a wide
// margin for the zlib wrapping and rounding) cannot come from the stream that follows, so the
// allocation is refused instead of trusting a header that lies.
const uint64_t MAX_INFLATE_RATIO = 1032 * 2;
const uint64_t INFLATE_ALLOWANCE = 1024 * 1024;
const uint64_t MAX_BODY_SIZE = 0xFFFFFFFEull;

// Reads up to length bytes; whatever the stream does not deliver stays zero.
void readZeroFilled(std::istream& stream, unsigned char* buffer, uint64_t length)
{
    stream.read(reinterpret_cast<char*>(buffer), static_cast<std::streamsize>(length));
    const uint64_t got = static_cast<uint64_t>(stream.gcount());
    if (got < length)
        std::memset(buffer + got, 0, length - got);
}

// The compressed stream is read in pieces of this size: the container is never held whole in memory.
const size_t READ_CHUNK = 256 * 1024;

// Inflates compressedLength bytes of the stream into destination, with the results zlib's uncompress
// gives for the same input (Z_OK once the zlib stream ends, Z_DATA_ERROR for a stream that ends early
// or is corrupt, Z_BUF_ERROR for one that inflates to more than capacity). Input the file does not
// deliver is read as zero bytes. produced is the number of bytes written.
int inflateStream(std::istream& stream, uint64_t compressedLength, unsigned char* destination,
                  uint64_t capacity, uint64_t& produced)
{
    produced = 0;
    z_stream inflater{};
    if (inflateInit(&inflater) != Z_OK)
        return Z_MEM_ERROR;
    std::unique_ptr<unsigned char[]> chunk(new (std::nothrow) unsigned char[READ_CHUNK]);
    if (!chunk) {
        inflateEnd(&inflater);
        return Z_MEM_ERROR;
    }
    // Like uncompress, an empty destination gets a one-byte scratch buffer, so that a stream holding
    // any data is told apart from an empty one.
    unsigned char scratch = 0;
    const bool empty = capacity == 0;
    uint64_t outputLeft = empty ? 1 : capacity;
    uint64_t inputLeft = compressedLength;
    const uint64_t largestPiece = 0xFFFFFFFFu;
    inflater.next_out = empty ? &scratch : destination;
    int result = Z_OK;
    do {
        if (inflater.avail_out == 0) {
            inflater.avail_out = static_cast<uInt>(std::min(outputLeft, largestPiece));
            outputLeft -= inflater.avail_out;
        }
        if (inflater.avail_in == 0 && inputLeft > 0) {
            const uint64_t piece = std::min<uint64_t>(inputLeft, READ_CHUNK);
            readZeroFilled(stream, chunk.get(), piece);
            inflater.next_in = chunk.get();
            inflater.avail_in = static_cast<uInt>(piece);
            inputLeft -= piece;
        }
        result = inflate(&inflater, Z_NO_FLUSH);
    } while (result == Z_OK);
    if (!empty)
        produced = inflater.total_out;
    else if (inflater.total_out > 0 && result == Z_BUF_ERROR)
        outputLeft = 1;
    const uint64_t roomLeft = outputLeft + inflater.avail_out;
    inflateEnd(&inflater);
    if (result == Z_STREAM_END)
        return Z_OK;
    if (result == Z_NEED_DICT || (result == Z_BUF_ERROR && roomLeft > 0))
        return Z_DATA_ERROR;
    return result;
}

void logDataFailure(int zlibResult)
{
    MessageLog::getInstance()->log(LOG_ERROR, "Decompression of file data failed, zlib error: %s",
                                   RSCFile::LOG_SOURCE, 125, "RSCFile::readRSCFileData",
                                   RSCFile::zlibErrorToString(zlibResult).c_str());
}
} // namespace

RSCFile::RSCFile()
    : m_magic(0), m_resourceType(0), m_flags(0), m_fileSize(0), m_virtualSize(0), m_physicalSize(0)
{
}

RSCFile::~RSCFile() = default;

bool RSCFile::readRSCFileHeader(std::fstream& stream)
{
    if (!stream.is_open()) {
        MessageLog::getInstance()->log(LOG_ERROR, "File stream is not open, unable to read RSC file header",
                                       LOG_SOURCE, 52, "RSCFile::readRSCFileHeader");
        return false;
    }

    // A stream that ends inside the header reads as zero bytes, so the magic alone decides and no
    // field keeps a value from an earlier read.
    unsigned char header[HEADER_SIZE];
    readZeroFilled(stream, header, sizeof(uint32_t));
    const uint32_t magic = LittleEndian::loadU32(header + MAGIC_OFFSET);
    if (magic != MAGIC) {
        MessageLog::getInstance()->log(LOG_ERROR, "Not a valid RSC file, magic number was: %i", LOG_SOURCE,
                                       45, "RSCFile::readRSCFileHeader", static_cast<int32_t>(magic));
        m_magic = 0;
        return false;
    }
    readZeroFilled(stream, header + RESOURCE_TYPE_OFFSET, HEADER_SIZE - RESOURCE_TYPE_OFFSET);
    m_magic = magic;
    m_resourceType = LittleEndian::loadU32(header + RESOURCE_TYPE_OFFSET);
    m_flags = LittleEndian::loadU32(header + FLAGS_OFFSET);
    decodeSegmentSizes();
    return true;
}

void RSCFile::adviseHugePages(unsigned char* buffer, uint64_t length)
{
#ifdef MADV_HUGEPAGE
    const uintptr_t page = 4096;
    const uintptr_t start = (reinterpret_cast<uintptr_t>(buffer) + page - 1) & ~(page - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(buffer) + length) & ~(page - 1);
    if (end > start + (2u << 20))
        madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
#else
    (void)buffer;
    (void)length;
#endif
}

uint64_t RSCFile::decodeSegmentSize(uint32_t code)
{
    const uint64_t count = code & 0x7FF;
    const uint32_t shift = (code >> 11) & 0xF;
    return count << (shift + 8);
}

void RSCFile::decodeSegmentSizes()
{
    const auto saturate = [](uint64_t size) {
        return size > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<uint32_t>(size);
    };
    m_virtualSize = saturate(decodeSegmentSize(m_flags & 0x7FFF));
    m_physicalSize = saturate(decodeSegmentSize((m_flags >> 15) & 0x7FFF));
}

uint64_t RSCFile::getTotalSize() const
{
    return static_cast<uint64_t>(m_virtualSize) + m_physicalSize;
}

bool RSCFile::readRSCFileData(std::istream& stream, std::unique_ptr<unsigned char[]>& body,
                              const uint32_t& containerSize)
{
    body.reset();
    if (containerSize < HEADER_SIZE) {
        logDataFailure(Z_DATA_ERROR);
        return false;
    }
    const uint64_t compressedLength = containerSize - HEADER_SIZE;
    const uint64_t bodyLength = getTotalSize();
    // A saturated segment makes the total at least 0xFFFFFFFF, which no real body reaches (sizes are
    // multiples of 256).
    if (bodyLength > MAX_BODY_SIZE || bodyLength > compressedLength * MAX_INFLATE_RATIO + INFLATE_ALLOWANCE) {
        logDataFailure(Z_MEM_ERROR);
        return false;
    }

    std::unique_ptr<unsigned char[]> inflated(new (std::nothrow) unsigned char[bodyLength]);
    if (!inflated) {
        logDataFailure(Z_MEM_ERROR);
        return false;
    }
    adviseHugePages(inflated.get(), bodyLength);
    uint64_t inflatedLength = 0;
    const int result = inflateStream(stream, compressedLength, inflated.get(), bodyLength, inflatedLength);
    if (result != Z_OK) {
        logDataFailure(result);
        return false;
    }
    // A stream that ends early leaves the rest of the body zero.
    if (inflatedLength < bodyLength)
        std::memset(inflated.get() + inflatedLength, 0, bodyLength - inflatedLength);
    body = std::move(inflated);
    return true;
}
