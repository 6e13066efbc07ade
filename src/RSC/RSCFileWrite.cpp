#include "RSC/RSCFile.h"

#include "Common/MessageLog/MessageLog.h"
#include "Common/STDFunctions/LittleEndian.h"

#include <zlib.h>

namespace
{
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

std::string RSCFile::zlibErrorToString(int code)
{
    for (const ZlibText& row : ZLIB_TEXTS)
        if (row.code == code)
            return row.text;
    return "Z OK";
}
