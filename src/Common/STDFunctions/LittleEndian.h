#pragma once

#include <cstdint>
#include <cstring>

// Little-endian loads and stores on raw byte buffers. The archives, DDS files and the settings file are
// little-endian whatever the host is, so records are never cast from or to file bytes: every field goes
// through these helpers.
// Callers guarantee the room (ByteReader checks it for untrusted input).
class LittleEndian
{
public:
    static uint16_t loadU16(const unsigned char* bytes)
    {
        return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
    }

    static uint32_t loadU32(const unsigned char* bytes)
    {
        return static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
               (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
    }

    static float loadF32(const unsigned char* bytes)
    {
        const uint32_t bits = loadU32(bytes);
        float value;
        std::memcpy(&value, &bits, sizeof(value));
        return value;
    }

    static void storeU16(unsigned char* bytes, uint16_t value)
    {
        bytes[0] = static_cast<unsigned char>(value);
        bytes[1] = static_cast<unsigned char>(value >> 8);
    }

    static void storeU32(unsigned char* bytes, uint32_t value)
    {
        bytes[0] = static_cast<unsigned char>(value);
        bytes[1] = static_cast<unsigned char>(value >> 8);
        bytes[2] = static_cast<unsigned char>(value >> 16);
        bytes[3] = static_cast<unsigned char>(value >> 24);
    }

    static void storeF32(unsigned char* bytes, float value)
    {
        uint32_t bits;
        std::memcpy(&bits, &value, sizeof(bits));
        storeU32(bytes, bits);
    }
};
