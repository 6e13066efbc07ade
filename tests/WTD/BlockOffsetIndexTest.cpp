#include "WTD/BlockOffsetIndex.h"

#include "WTD/BlockTableItem.h"
#include "WTD/WTDFile.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

namespace
{
// The lookup as the writer once made it: the first item of the list whose key matches.
uint32_t scanFor(const void* key, const BlockTableItem* items, int count)
{
    if (!key)
        return 0;
    for (int i = 0; i < count; ++i)
        if (items[i].key == key)
            return items[i].offset;
    return 0;
}

class LargeArchive : public WTDFile
{
public:
    explicit LargeArchive(int textures)
    {
        for (int i = 0; i < textures; ++i) {
            TextureEntry entry;
            entry.name = "texture_" + std::to_string(i);
            entry.record.width = 64;
            entry.record.height = 64;
            entry.record.format = FORMAT_DXT1;
            entry.record.mipLevelCount = 7;
            m_textures.push_back(std::move(entry));
        }
    }
    const void* hashTableKey() const { return &m_header.hashTableOffset; }
    const void* pointerTableKey() const { return &m_header.texturePointerTableOffset; }
};
} // namespace

// The block table of the largest archive the format holds, packed as a save packs it: every lookup
// through the index gives what a scan of the same list gives.
TEST(BlockOffsetIndexTest, LookupsOverTheLargestLayoutEqualTheScan)
{
    const int count = static_cast<int>(WTDFile::MAX_TEXTURE_COUNT);
    LargeArchive file(count);
    const int virtualCount = 2 * count + 3;
    std::vector<BlockTableItem> items(static_cast<size_t>(3 * count + 3), BlockTableItem{0, 0, nullptr});
    file.buildBlockTable(items.data(), static_cast<uint32_t>(virtualCount));
    BlockTableItem* physical = items.data() + virtualCount;
    uint32_t code = 0;
    ASSERT_TRUE(WTDFile::packSegment(items.data(), virtualCount, WTDHeader::SIZE, 5, code));
    ASSERT_TRUE(WTDFile::packSegment(physical, count, 0, 6, code));

    const BlockOffsetIndex virtualBlocks(items.data(), virtualCount);
    const BlockOffsetIndex physicalBlocks(physical, count);
    std::vector<const void*> keys = {file.hashTableKey(), file.pointerTableKey(), nullptr, &code};
    // A scan per key over the whole list is slow; every 61st texture and the last one are enough.
    for (size_t i = 0; i < file.m_textures.size(); i += 61) {
        keys.push_back(&file.m_textures[i]);
        keys.push_back(&file.m_textures[i].name);
    }
    keys.push_back(&file.m_textures.back());
    keys.push_back(&file.m_textures.back().name);
    for (const void* key : keys) {
        EXPECT_EQ(scanFor(key, items.data(), virtualCount), WTDFile::findBlockOffset(key, virtualBlocks));
        EXPECT_EQ(scanFor(key, physical, count), WTDFile::findBlockOffset(key, physicalBlocks));
    }
    // The lookups found real blocks, not only the zeros of absent keys.
    EXPECT_NE(0u, WTDFile::findBlockOffset(&file.m_textures.back(), physicalBlocks));
    EXPECT_NE(0u, WTDFile::findBlockOffset(&file.m_textures.back().name, virtualBlocks));
}

// Keys that own several blocks, scattered through the list in any order, and blocks without an owner:
// the first block of a key in list order is the one found.
TEST(BlockOffsetIndexTest, RepeatedKeysGiveTheirFirstBlockInListOrder)
{
    std::mt19937 random(11);
    int owners[40] = {};
    for (int round = 0; round < 50; ++round) {
        std::vector<BlockTableItem> items(300);
        for (size_t i = 0; i < items.size(); ++i) {
            const size_t owner = random() % 41;
            items[i] =
                BlockTableItem{static_cast<uint32_t>(random()), 16, owner == 40 ? nullptr : &owners[owner]};
        }
        const BlockOffsetIndex blocks(items.data(), static_cast<int>(items.size()));
        for (const int& owner : owners)
            EXPECT_EQ(scanFor(&owner, items.data(), static_cast<int>(items.size())),
                      WTDFile::findBlockOffset(&owner, blocks));
        EXPECT_EQ(0u, WTDFile::findBlockOffset(nullptr, blocks));
    }
}
