// The block table of a dictionary body: every piece of the body with its size and its owner.
#include "WTD/BlockTableItem.h"
#include "WTD/WTDFile.h"

#include "Support/LogCapture.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace
{
// An archive that shows which header fields own the two table blocks.
class HeaderKeys : public WTDFile
{
public:
    const void* hashTableKey() const { return &m_header.hashTableOffset; }
    const void* pointerTableKey() const { return &m_header.texturePointerTableOffset; }
};
} // namespace

TEST(BlockTableItemTest, BlockTableListsEveryPieceWithItsOwner)
{
    HeaderKeys file;
    TextureEntry entry;
    entry.name = "abc";
    entry.record.width = 256;
    entry.record.height = 256;
    entry.record.format = WTDFile::FORMAT_DXT1;
    entry.record.mipLevelCount = 9;
    file.m_textures.resize(2);
    for (TextureEntry& copy : file.m_textures) {
        copy.name = entry.name;
        copy.record = entry.record;
    }
    file.m_textures[1].name = "longer name";
    file.m_textures[1].record.mipLevelCount = 1;

    std::vector<BlockTableItem> items(9, BlockTableItem{0, 0, nullptr});
    file.buildBlockTable(items.data(), 7);
    const uint32_t expectedSizes[] = {0x200, 8, 8, 80, 10, 80, 18, 43690, 32768};
    const void* expectedKeys[] = {nullptr,
                                  file.hashTableKey(),
                                  file.pointerTableKey(),
                                  &file.m_textures[0],
                                  &file.m_textures[0].name,
                                  &file.m_textures[1],
                                  &file.m_textures[1].name,
                                  &file.m_textures[0],
                                  &file.m_textures[1]};
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(expectedSizes[i], items[i].size) << i;
        EXPECT_EQ(0u, items[i].offset) << i;
        EXPECT_EQ(expectedKeys[i], items[i].key) << i;
    }
}

TEST(BlockTableItemTest, TextureDataSizeCountsEveryLevelAndRefusesUnknownIndices)
{
    WTDFile file;
    TextureEntry entry;
    entry.record.width = 4;
    entry.record.height = 4;
    entry.record.format = WTDFile::FORMAT_DXT1;
    entry.record.mipLevelCount = 3; // 8, 2 and 0 bytes: no minimum block
    file.m_textures.push_back(std::move(entry));
    EXPECT_EQ(10u, file.getTextureDataSize(0));

    LogCapture::instance().clear();
    EXPECT_EQ(0u, file.getTextureDataSize(1));
    EXPECT_LOGGED_LINE(
        LOG_ERROR,
        "WTDFile::getTextureDataSize(761) - Supplied index 1  is outside the limits of the texture list: 1");
}
