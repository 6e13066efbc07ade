#pragma once

#include <cstdint>

// Bounds-checked little-endian reads from an untrusted buffer (an inflated archive body). Offsets and
// lengths are 64-bit so that offset + length cannot wrap; every read answers false instead of touching
// a byte outside the buffer.
class ByteReader
{
public:
    ByteReader(const unsigned char* data, uint64_t size);

    uint64_t getSize() const { return m_size; }
    const unsigned char* getData() const { return m_data; }

    // True when the length bytes starting at offset lie inside the buffer.
    bool contains(uint64_t offset, uint64_t length) const;
    // How many of the length bytes starting at offset lie inside the buffer (0 when offset is outside).
    uint64_t available(uint64_t offset, uint64_t length) const;

    bool readU8(uint64_t offset, uint8_t& value) const;
    bool readU16(uint64_t offset, uint16_t& value) const;
    bool readI16(uint64_t offset, int16_t& value) const;
    bool readU32(uint64_t offset, uint32_t& value) const;
    bool readF32(uint64_t offset, float& value) const;

private:
    const unsigned char* m_data;
    uint64_t m_size;
};
