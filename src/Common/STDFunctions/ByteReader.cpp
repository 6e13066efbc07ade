#include "Common/STDFunctions/ByteReader.h"

#include "Common/STDFunctions/LittleEndian.h"

ByteReader::ByteReader(const unsigned char* data, uint64_t size) : m_data(data), m_size(data ? size : 0) {}

bool ByteReader::contains(uint64_t offset, uint64_t length) const
{
    return offset <= m_size && length <= m_size - offset;
}

uint64_t ByteReader::available(uint64_t offset, uint64_t length) const
{
    if (offset >= m_size)
        return 0;
    const uint64_t rest = m_size - offset;
    return length < rest ? length : rest;
}

bool ByteReader::readU8(uint64_t offset, uint8_t& value) const
{
    if (!contains(offset, 1))
        return false;
    value = m_data[offset];
    return true;
}

bool ByteReader::readU16(uint64_t offset, uint16_t& value) const
{
    if (!contains(offset, 2))
        return false;
    value = LittleEndian::loadU16(m_data + offset);
    return true;
}

bool ByteReader::readI16(uint64_t offset, int16_t& value) const
{
    uint16_t bits = 0;
    if (!readU16(offset, bits))
        return false;
    value = static_cast<int16_t>(bits);
    return true;
}

bool ByteReader::readU32(uint64_t offset, uint32_t& value) const
{
    if (!contains(offset, 4))
        return false;
    value = LittleEndian::loadU32(m_data + offset);
    return true;
}

bool ByteReader::readF32(uint64_t offset, float& value) const
{
    if (!contains(offset, 4))
        return false;
    value = LittleEndian::loadF32(m_data + offset);
    return true;
}
