#include "Common/STDFunctions/ByteReader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace
{
TEST(ByteReaderTest, ReadsLittleEndianInsideTheBuffer)
{
    const std::vector<unsigned char> bytes = {0x84, 0x53, 0x69, 0x00, 0xFE, 0xFF, 0x00, 0x00, 0x80, 0x3F};
    const ByteReader reader(bytes.data(), bytes.size());
    uint32_t word = 0;
    ASSERT_TRUE(reader.readU32(0, word));
    EXPECT_EQ(0x00695384u, word);
    int16_t half = 0;
    ASSERT_TRUE(reader.readI16(4, half));
    EXPECT_EQ(-2, half);
    float value = 0;
    ASSERT_TRUE(reader.readF32(6, value));
    EXPECT_EQ(1.0f, value);
    uint8_t last = 0;
    ASSERT_TRUE(reader.readU8(9, last));
    EXPECT_EQ(0x3F, last);
}

TEST(ByteReaderTest, RefusesEveryByteOutside)
{
    const std::vector<unsigned char> bytes(8, 0xAA);
    const ByteReader reader(bytes.data(), bytes.size());
    uint32_t word = 7;
    EXPECT_FALSE(reader.readU32(5, word));
    EXPECT_EQ(7u, word);
    uint16_t half = 0;
    EXPECT_TRUE(reader.readU16(6, half));
    EXPECT_FALSE(reader.readU16(7, half));
    uint8_t byte = 0;
    EXPECT_FALSE(reader.readU8(8, byte));
    // Offsets near the top of the range do not wrap around into the buffer.
    EXPECT_FALSE(reader.contains(UINT64_MAX, 2));
    EXPECT_FALSE(reader.contains(2, UINT64_MAX));
    EXPECT_TRUE(reader.contains(8, 0));
    EXPECT_FALSE(reader.contains(9, 0));
}

TEST(ByteReaderTest, AvailableCountsWhatLiesInside)
{
    const std::vector<unsigned char> bytes(10);
    const ByteReader reader(bytes.data(), bytes.size());
    EXPECT_EQ(4u, reader.available(2, 4));
    EXPECT_EQ(3u, reader.available(7, 64));
    EXPECT_EQ(0u, reader.available(10, 1));
    EXPECT_EQ(0u, reader.available(UINT64_MAX, UINT64_MAX));
    const ByteReader none(nullptr, 100);
    EXPECT_EQ(0u, none.getSize());
    EXPECT_FALSE(none.contains(0, 1));
}
} // namespace
