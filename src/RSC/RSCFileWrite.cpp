#include "RSC/RSCFile.h"

#include "Common/MessageLog/MessageLog.h"
#include "Common/STDFunctions/LittleEndian.h"

#include <zlib.h>

#include <new>

namespace
{
constexpr int COMPRESSION_LEVEL = 9;

struct ZlibText
{
    int code;
    const char* text;
};

const ZlibText ZLIB_TEXTS[] = {
    {Z_OK, "Z OK"},
    {Z_STREAM_END, "Z Stream end"},
    {Z_NEED_DICT, "Z Need dictionary"},
    {Z_ERRNO, "Z Error no"},
    {Z_STREAM_ERROR, "Z Stream error"},
    {Z_DATA_ERROR, "Z Data Error"},
    {Z_MEM_ERROR, "Z Memory Error"},
    {Z_BUF_ERROR, "Z Buffer error"},
    {Z_VERSION_ERROR, "Z Version Error"},
};
} // namespace

bool RSCFile::writeRSCFileHeader(std::ostream& stream)
{
    if (stream.rdbuf() == nullptr) {
        MessageLog::getInstance()->log(LOG_ERROR, "File stream is not open, unable to write RSC file header",
                                       LOG_SOURCE, 74, "RSCFile::writeRSCFileHeader");
        return false;
    }
    unsigned char header[HEADER_SIZE];
    LittleEndian::storeU32(header + MAGIC_OFFSET, m_magic);
    LittleEndian::storeU32(header + RESOURCE_TYPE_OFFSET, m_resourceType);
    LittleEndian::storeU32(header + FLAGS_OFFSET, m_flags);
    stream.write(reinterpret_cast<const char*>(header), HEADER_SIZE);
    // A full disk or a file-size limit shows only in the stream's state.
    return !stream.fail();
}

bool RSCFile::writeRSCFileData(std::ostream& stream, const char* data, const uint32_t& length)
{
    stream.write(data, length);
    return !stream.fail();
}

int RSCFile::compressBody(const unsigned char* body, uint64_t length,
                          std::unique_ptr<unsigned char[]>& compressed, uint64_t& compressedLength)
{
    const uint64_t bound = compressBound(static_cast<uLong>(length));
    // Only the bytes the compressor writes are touched, so an unused tail costs no memory.
    compressed.reset(new (std::nothrow) unsigned char[bound]);
    if (!compressed)
        return Z_MEM_ERROR;
    adviseHugePages(compressed.get(), bound);
    uLongf written = static_cast<uLongf>(bound);
    int result = compress2(compressed.get(), &written, body, static_cast<uLong>(length), COMPRESSION_LEVEL);
    if (result == Z_OK && written > 0xFFFFFFFFull)
        result = Z_BUF_ERROR;
    if (result != Z_OK) {
        compressed.reset();
        return result;
    }
    compressedLength = written;
    return Z_OK;
}

std::string RSCFile::zlibErrorToString(int code)
{
    for (const ZlibText& row : ZLIB_TEXTS)
        if (row.code == code)
            return row.text;
    return "Z OK";
}
