#include "WTD/TextureTOCItem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "Common/STDFunctions/ByteReader.h"
#include "WTD/TextureEntry.h"

namespace
{
TEST(TextureTOCItemTest, NewRecordValues)
{
    const TextureTOCItem item;
    EXPECT_EQ(0x006B1D94u, item.itemType);
    EXPECT_EQ(1u, item.reserved0A);
    EXPECT_EQ(0, item.width);
    EXPECT_EQ(0, item.height);
    EXPECT_EQ(32u, item.format);
    EXPECT_EQ(1u, item.mipLevelCount);
    const float parameters[6] = {1.0f, 1.0f, 1.0f, 0.0f, 0.0f, 0.0f};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(parameters[i], item.floatParameters[i]);
    EXPECT_EQ(0u, item.pixelDataPointer);

    const TextureEntry entry;
    EXPECT_EQ(nullptr, entry.texture.get());
    EXPECT_EQ(0u, entry.recordOffset);
    EXPECT_TRUE(entry.name.empty());
    EXPECT_EQ(0u, entry.nameHash);
}

TEST(TextureTOCItemTest, FieldsLieAtTheirOffsetsLittleEndian)
{
    TextureTOCItem item;
    item.namePointer = 0x50000123;
    item.width = -2;
    item.height = 0x0102;
    item.format = 0x31545844;
    item.stride = 0x0A0B;
    item.textureKind = 7;
    item.mipLevelCount = 9;
    item.floatParameters[5] = 2.0f;
    item.pixelDataPointer = 0x60000040;
    item.reserved4C[3] = 0xEE;
    std::vector<unsigned char> bytes(TextureTOCItem::SIZE + 8, 0xCD);
    item.writeTo(bytes.data() + 4);
    const unsigned char* record = bytes.data() + 4;
    EXPECT_EQ((std::vector<unsigned char>{0x94, 0x1D, 0x6B, 0x00}),
              std::vector<unsigned char>(record, record + 4));
    EXPECT_EQ((std::vector<unsigned char>{0x23, 0x01, 0x00, 0x50}),
              std::vector<unsigned char>(record + 20, record + 24));
    EXPECT_EQ((std::vector<unsigned char>{0xFE, 0xFF, 0x02, 0x01}),
              std::vector<unsigned char>(record + 28, record + 32));
    EXPECT_EQ((std::vector<unsigned char>{0x0B, 0x0A, 7, 9}),
              std::vector<unsigned char>(record + 36, record + 40));
    EXPECT_EQ((std::vector<unsigned char>{0x00, 0x00, 0x00, 0x40}),
              std::vector<unsigned char>(record + 60, record + 64));
    EXPECT_EQ(0xEE, record[79]);
    // Nothing outside the 80 bytes is touched.
    EXPECT_EQ(0xCD, bytes[3]);
    EXPECT_EQ(0xCD, bytes[84]);
}

TEST(TextureTOCItemTest, ReadBackGivesTheSameFields)
{
    TextureTOCItem item;
    item.reserved04 = 0x11223344;
    item.reserved08 = 1;
    item.reserved09 = 2;
    item.reserved0C = 3;
    item.reserved10 = 4;
    item.reserved18 = 5;
    item.width = 512;
    item.height = -16;
    item.recordEndPointer = 0x500000F0;
    item.reserved44 = 6;
    item.floatParameters[3] = -0.5f;
    std::vector<unsigned char> bytes(TextureTOCItem::SIZE);
    item.writeTo(bytes.data());

    TextureTOCItem read;
    ASSERT_TRUE(read.readFields(ByteReader(bytes.data(), bytes.size()), 0));
    std::vector<unsigned char> again(TextureTOCItem::SIZE);
    read.writeTo(again.data());
    EXPECT_EQ(bytes, again);
    EXPECT_EQ(-16, read.height);
}

TEST(TextureTOCItemTest, EveryBytePatternSurvivesReadingAndWriting)
{
    // Any bytes at all, the float parameters holding signalling and quiet NaNs, an infinity and a
    // denormal: the program keeps fields it does not use, so they must come back bit for bit.
    std::vector<unsigned char> bytes(TextureTOCItem::SIZE);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<unsigned char>(i * 37 + 11);
    const unsigned char floats[6][4] = {{0x01, 0x00, 0x80, 0x7F}, {0x01, 0x00, 0x80, 0xFF},
                                        {0x00, 0x00, 0xC0, 0x7F}, {0x00, 0x00, 0x80, 0x7F},
                                        {0x01, 0x00, 0x00, 0x00}, {0x55, 0x55, 0xA5, 0xFF}};
    for (int i = 0; i < 6; ++i)
        std::copy(floats[i], floats[i] + 4, bytes.begin() + 40 + 4 * i);

    TextureTOCItem read;
    ASSERT_TRUE(read.readFields(ByteReader(bytes.data(), bytes.size()), 0));
    std::vector<unsigned char> again(TextureTOCItem::SIZE);
    read.writeTo(again.data());
    // The type word is checked by the loader before the other fields are read.
    std::copy(bytes.begin(), bytes.begin() + 4, again.begin());
    EXPECT_EQ(bytes, again);
}

TEST(TextureTOCItemTest, RecordOutsideTheBufferIsNotRead)
{
    std::vector<unsigned char> bytes(TextureTOCItem::SIZE + 3, 0xFF);
    TextureTOCItem read;
    EXPECT_FALSE(read.readFields(ByteReader(bytes.data(), bytes.size()), 4));
    EXPECT_EQ(0, read.width);
    EXPECT_TRUE(read.readFields(ByteReader(bytes.data(), bytes.size()), 3));
    EXPECT_EQ(-1, read.width);
}
} // namespace
