// The segment packer, which places the blocks of a dictionary body without any archive or file.
#include "WTD/SegmentPacker.h"

#include "WTD/BlockTableItem.h"
#include "WTD/WTDFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <vector>

namespace
{
constexpr uint32_t MASK = 0x0FFFFFFF;

uint32_t aligned(uint32_t size)
{
    return (size + 15) & ~15u;
}

uint64_t declaredSize(uint32_t code)
{
    return static_cast<uint64_t>(code & 0x7FF) << ((code >> 11) + 8);
}

struct Packed
{
    bool accepted;
    uint32_t code;
    std::vector<uint32_t> offsets; // in the order the sizes were given
};

// Packs blocks of the given sizes; each block's key is its index, so results come back in input order.
Packed pack(const std::vector<uint32_t>& sizes, uint32_t start, uint8_t tag)
{
    std::vector<BlockTableItem> items;
    for (size_t i = 0; i < sizes.size(); ++i)
        items.push_back(BlockTableItem{0, sizes[i], reinterpret_cast<const void*>(i + 1)});
    Packed result{};
    result.accepted =
        SegmentPacker::packSegment(items.data(), static_cast<int>(items.size()), start, tag, result.code);
    result.offsets.resize(sizes.size());
    for (const BlockTableItem& item : items)
        result.offsets[reinterpret_cast<size_t>(item.key) - 1] = item.offset;
    return result;
}

std::vector<uint32_t> sortedPositions(const Packed& packed)
{
    std::vector<uint32_t> positions;
    for (uint32_t offset : packed.offsets)
        positions.push_back(offset & MASK);
    std::sort(positions.begin(), positions.end());
    return positions;
}

// The packing exactly as it was first designed, in 32-bit arithmetic, moving only the block that
// crosses a chunk limit. Kept as the reference for every list on which it gives a sound layout.
void literalPack(BlockTableItem* items, int count, uint32_t start, uint8_t tag, uint32_t& code,
                 bool& countFits)
{
    std::qsort(items, count, sizeof(BlockTableItem), &SegmentPacker::compareBlockSize);
    uint32_t page = SegmentPacker::nextPowerOfTwo(items[0].size + start);
    if (page < 4096)
        page = 4096;
    if (start == 0 && page < 0x20000)
        page *= 2;
    uint32_t position = start;
    uint32_t room = page - start;
    uint32_t pages = 0;
    int first = 0;
    int last = count - 1;
    uint32_t smallest = aligned(items[last].size);
    for (int remaining = count; remaining > 0;) {
        int taken = first;
        while (items[taken].offset != 0 || aligned(items[taken].size) > room)
            ++taken;
        items[taken].offset = (static_cast<uint32_t>(tag) << 28) + position;
        position += aligned(items[taken].size);
        room -= aligned(items[taken].size);
        if (--remaining > 0) {
            if (taken == first)
                while (items[first].offset != 0)
                    ++first;
            if (taken == last) {
                while (items[last].offset != 0)
                    --last;
                smallest = aligned(items[last].size);
            }
        }
        if (room < smallest) {
            ++pages;
            position = pages * page;
            room = page;
        }
    }
    if (room == page) {
        room = 0;
        --pages;
    }
    uint32_t used = page - room;
    uint32_t units;
    if (room > page / 16 && pages >= 1) {
        uint32_t limit = pages * page;
        int scan = 0;
        uint32_t bits = 0;
        for (int r = 3; r >= 1; --r) {
            const uint32_t chunk = page >> (4 - r);
            if (used < chunk / 2)
                continue;
            limit += chunk;
            bits |= 1u << r;
            bool gaveUp = false;
            for (int i = scan; i < count && !gaveUp; ++i) {
                const uint32_t at = items[i].offset & MASK;
                if (at > limit || at + aligned(items[i].size) <= limit)
                    continue;
                scan = i;
                const uint32_t target = (at + chunk - 1) / chunk * chunk;
                if (target - at > room || aligned(items[i].size) > chunk) {
                    bits = bits - (1u << r) + (1u << (r + 1));
                    used = 0;
                    gaveUp = true;
                } else
                    items[i].offset = (static_cast<uint32_t>(tag) << 28) | target;
            }
            if (gaveUp)
                break;
            used = used < chunk ? 0 : used - chunk;
        }
        if (used > 0)
            bits |= 1;
        units = pages * 16 + bits;
    } else
        units = (pages + 1) * 16;
    while (page < 0x20000 && units >= 32 && units % 2 == 0) {
        units /= 2;
        page *= 2;
    }
    countFits = units <= 0x7FF;
    uint32_t shift = 0;
    for (uint32_t value = page / 4096; value != 0; value >>= 1)
        ++shift;
    code = (shift << 11) | units;
}

// No two non-empty blocks share a byte, and every block lies in the segment its code declares.
::testing::AssertionResult isSound(const std::vector<BlockTableItem>& items, uint32_t start, uint32_t code)
{
    std::vector<std::pair<uint64_t, uint64_t>> ranges;
    for (const BlockTableItem& item : items) {
        const uint64_t at = item.offset & MASK;
        if (at < start || at + item.size > declaredSize(code))
            return ::testing::AssertionFailure()
                   << "block of " << item.size << " at " << at << " outside " << declaredSize(code);
        if (item.size != 0)
            ranges.emplace_back(at, at + item.size);
    }
    std::sort(ranges.begin(), ranges.end());
    for (size_t i = 1; i < ranges.size(); ++i)
        if (ranges[i].first < ranges[i - 1].second)
            return ::testing::AssertionFailure()
                   << "blocks at " << ranges[i - 1].first << " and " << ranges[i].first << " overlap";
    return ::testing::AssertionSuccess();
}

uint32_t dxtChainSize(int width, int height, bool dxt1)
{
    uint32_t total = 0;
    const int levels = WTDFile::countMipLevels(static_cast<int16_t>(width), static_cast<int16_t>(height));
    for (int level = 0; level < levels; ++level)
        total += static_cast<uint32_t>((width * height) >> (2 * level + (dxt1 ? 1 : 0)));
    return total;
}
} // namespace

TEST(SegmentPackerTest, NextPowerOfTwoAndBlockOrder)
{
    EXPECT_EQ(0u, SegmentPacker::nextPowerOfTwo(0));
    EXPECT_EQ(1u, SegmentPacker::nextPowerOfTwo(1));
    EXPECT_EQ(4u, SegmentPacker::nextPowerOfTwo(3));
    EXPECT_EQ(4096u, SegmentPacker::nextPowerOfTwo(4096));
    EXPECT_EQ(8192u, SegmentPacker::nextPowerOfTwo(4097));
    EXPECT_EQ(0x80000000u, SegmentPacker::nextPowerOfTwo(0x7FFFFFFF));
    EXPECT_EQ(0u, SegmentPacker::nextPowerOfTwo(0x80000001u)); // no 32-bit power of two is that large

    const BlockTableItem large{0, 100, nullptr};
    const BlockTableItem small{0, 7, nullptr};
    EXPECT_EQ(-1, SegmentPacker::compareBlockSize(&large, &small));
    EXPECT_EQ(1, SegmentPacker::compareBlockSize(&small, &large));
    EXPECT_EQ(0, SegmentPacker::compareBlockSize(&small, &small));
}

TEST(SegmentPackerTest, EmptyDictionaryPlacesTheReservedBlockAndBothTablesAfterIt)
{
    const Packed packed = pack({0x200, 0, 0}, 32, 5);
    ASSERT_TRUE(packed.accepted);
    EXPECT_EQ(0x50000020u, packed.offsets[0]);
    EXPECT_EQ(0x50000220u, packed.offsets[1]);
    EXPECT_EQ(0x50000220u, packed.offsets[2]);
    EXPECT_EQ(0x0810u, packed.code);
    EXPECT_EQ(8192u, declaredSize(packed.code));

    const Packed physical = pack({}, 0, 6);
    EXPECT_TRUE(physical.accepted);
    EXPECT_EQ(0u, physical.code); // an empty list has no largest block
}

TEST(SegmentPackerTest, OneDxt1TextureNamedAbc)
{
    // Reserved block, the two 4-byte tables, the record and "pack:/abc" with its NUL.
    const Packed packed = pack({0x200, 4, 4, 80, 10}, 32, 5);
    ASSERT_TRUE(packed.accepted);
    EXPECT_EQ(0x50000020u, packed.offsets[0]);
    EXPECT_EQ(0x50000220u, packed.offsets[3]);
    EXPECT_EQ(0x50000270u, packed.offsets[4]);
    EXPECT_EQ((std::vector<uint32_t>{0x50000280u, 0x50000290u}),
              (std::vector<uint32_t>{std::min(packed.offsets[1], packed.offsets[2]),
                                     std::max(packed.offsets[1], packed.offsets[2])}));
    EXPECT_EQ(0x0810u, packed.code);

    EXPECT_EQ(43690u, dxtChainSize(256, 256, true));
    const Packed pixels = pack({43690}, 0, 6);
    ASSERT_TRUE(pixels.accepted);
    EXPECT_EQ(0x60000000u, pixels.offsets[0]);
    EXPECT_EQ(0x3010u, pixels.code);
    EXPECT_EQ(262144u, declaredSize(pixels.code));
}

TEST(SegmentPackerTest, FractionsOfTheLastPage)
{
    // Five blocks of 5000: the half-page pass moves the block at 21392 up to 24576, the eighth-page
    // pass finds it larger than its chunk and takes the quarter instead.
    const Packed five = pack(std::vector<uint32_t>(5, 5000), 0, 6);
    ASSERT_TRUE(five.accepted);
    EXPECT_EQ((std::vector<uint32_t>{0, 5008, 10016, 16384, 24576}), sortedPositions(five));
    EXPECT_EQ(0x181Cu, five.code);
    EXPECT_EQ(57344u, declaredSize(five.code));

    const Packed three = pack({100000, 100000, 40000}, 0, 6);
    ASSERT_TRUE(three.accepted);
    EXPECT_EQ((std::vector<uint32_t>{0x60000000u, 0x60020000u, 0x60040000u}), three.offsets);
    EXPECT_EQ(0x3028u, three.code);
    EXPECT_EQ(655360u, declaredSize(three.code));
}

TEST(SegmentPackerTest, WholePagesAreNormalisedToLargerPages)
{
    // The page opened after the last block stays empty and is dropped.
    const Packed four = pack(std::vector<uint32_t>(4, 8000), 0, 6);
    ASSERT_TRUE(four.accepted);
    EXPECT_EQ((std::vector<uint32_t>{0, 8000, 16384, 24384}), sortedPositions(four));
    EXPECT_EQ(0x2010u, four.code);
    EXPECT_EQ(65536u, declaredSize(four.code));

    const Packed nine = pack(std::vector<uint32_t>(9, 4000), 32, 5);
    ASSERT_TRUE(nine.accepted);
    EXPECT_EQ((std::vector<uint32_t>{32, 4096, 8192, 12288, 16384, 20480, 24576, 28672, 32768}),
              sortedPositions(nine));
    EXPECT_EQ(0x50000020u, *std::min_element(nine.offsets.begin(), nine.offsets.end()));
    EXPECT_EQ(0x2012u, nine.code);
    EXPECT_EQ(73728u, declaredSize(nine.code));
}

TEST(SegmentPackerTest, ExactPowerOfTwoKeepsItsPageBeforeTheDoubling)
{
    EXPECT_EQ(0x2010u, pack({16384}, 0, 6).code); // page 16384, doubled to 32768
    EXPECT_EQ(0x2810u, pack({16385}, 0, 6).code); // page 32768, doubled to 65536
    EXPECT_EQ(0x0810u, pack({4064}, 32, 5).code); // 4064 + 32 is one page of 4096
    EXPECT_EQ(0x1010u, pack({4065}, 32, 5).code);
}

TEST(SegmentPackerTest, MovedBlockTakesTheBlocksBehindItAlong)
{
    // Five DXT5 textures with full chains. Moving the first 21845-byte block of the last page up to the
    // half-page limit used to leave the next one overlapping it; that one moves along and is moved
    // again by the quarter-page pass.
    const std::vector<uint32_t> sizes = {dxtChainSize(512, 128, false), dxtChainSize(64, 512, false),
                                         dxtChainSize(128, 128, false), dxtChainSize(128, 128, false),
                                         dxtChainSize(256, 64, false)};
    EXPECT_EQ((std::vector<uint32_t>{87381, 43690, 21845, 21845, 21845}), sizes);
    const Packed packed = pack(sizes, 0, 6);
    ASSERT_TRUE(packed.accepted);
    EXPECT_EQ(0x60000000u, packed.offsets[0]);
    EXPECT_EQ(0x60020000u, packed.offsets[1]);
    std::vector<uint32_t> small = {packed.offsets[2] & MASK, packed.offsets[3] & MASK,
                                   packed.offsets[4] & MASK};
    std::sort(small.begin(), small.end());
    EXPECT_EQ((std::vector<uint32_t>{87392, 196608, 229376}), small);
    EXPECT_EQ(0x301Cu, packed.code);

    std::vector<BlockTableItem> literal;
    for (uint32_t size : sizes)
        literal.push_back(BlockTableItem{0, size, nullptr});
    uint32_t literalCode = 0;
    bool countFits = false;
    literalPack(literal.data(), 5, 0, 6, literalCode, countFits);
    EXPECT_FALSE(isSound(literal, 0, literalCode)) << "the unrepaired packing overlaps here";
}

TEST(SegmentPackerTest, CountsBeyondElevenBitsUseLargerPages)
{
    // 128 textures of 256 x 256 DXT5 with full chains: one per page of 131072, 128 whole pages.
    const uint32_t size = dxtChainSize(256, 256, false);
    EXPECT_EQ(87381u, size);
    const Packed packed = pack(std::vector<uint32_t>(128, size), 0, 6);
    ASSERT_TRUE(packed.accepted);
    EXPECT_EQ(0x3C00u, packed.code); // count 1024, page 262144
    EXPECT_EQ(1024u * 262144u / 8u, declaredSize(packed.code));
    const std::vector<uint32_t> positions = sortedPositions(packed);
    for (size_t i = 0; i < positions.size(); ++i)
        EXPECT_EQ(i * 131072u, positions[i]);
}

TEST(SegmentPackerTest, LayoutsTheHeaderCannotDescribeAreRefused)
{
    // The largest page a size code holds is 2^26 bytes.
    const Packed largest = pack({1u << 26}, 0, 6);
    ASSERT_TRUE(largest.accepted);
    EXPECT_EQ((15u << 11) | 16u, largest.code);
    const Packed tooLarge = pack({(1u << 26) + 1}, 0, 6);
    EXPECT_FALSE(tooLarge.accepted);
    EXPECT_EQ(0u, tooLarge.code);
    EXPECT_FALSE(pack({(1u << 26) - 16}, 32, 5).accepted);
    EXPECT_FALSE(pack({0xFFFFFFFFu}, 32, 5).accepted); // size + start beyond 32 bits

    // Four pages of 2^26 end just below 2^28; a fifth block would start at 2^28, beyond 28 bits.
    const Packed four = pack(std::vector<uint32_t>(4, 1u << 26), 0, 6);
    ASSERT_TRUE(four.accepted);
    EXPECT_EQ(3u << 26, sortedPositions(four).back());
    EXPECT_FALSE(pack(std::vector<uint32_t>(5, 1u << 26), 0, 6).accepted);
}

TEST(SegmentPackerTest, RandomListsAreSoundAndMatchTheOriginalWhereverItWasSound)
{
    std::mt19937 random(20261207);
    int compared = 0;
    int repaired = 0;
    for (int run = 0; run < 4000; ++run) {
        const bool physical = run % 2 == 0;
        const uint32_t start = physical ? 0 : 32;
        const int count = 1 + static_cast<int>(random() % 40);
        std::vector<BlockTableItem> items;
        for (int i = 0; i < count; ++i) {
            uint32_t size;
            switch (random() % 4) {
            case 0: // a DXT texture with a full chain
                size = dxtChainSize(4 << (random() % 8), 4 << (random() % 8), random() % 2 == 0);
                break;
            case 1:
                size = static_cast<uint32_t>(random() % 200000);
                break;
            case 2:
                size = static_cast<uint32_t>(random() % 600);
                break;
            default:
                size = (random() % 2 == 0) ? 0 : 80;
                break;
            }
            items.push_back(BlockTableItem{0, size, nullptr});
        }
        std::vector<BlockTableItem> repairedItems = items;
        uint32_t code = 0;
        ASSERT_TRUE(SegmentPacker::packSegment(repairedItems.data(), count, start, physical ? 6 : 5, code));
        ASSERT_TRUE(isSound(repairedItems, start, code)) << "run " << run;
        for (const BlockTableItem& item : repairedItems)
            ASSERT_EQ(physical ? 6u : 5u, item.offset >> 28);

        std::vector<BlockTableItem> literalItems = items;
        uint32_t literalCode = 0;
        bool countFits = false;
        literalPack(literalItems.data(), count, start, physical ? 6 : 5, literalCode, countFits);
        if (!countFits || !isSound(literalItems, start, literalCode)) {
            ++repaired;
            continue;
        }
        ++compared;
        ASSERT_EQ(literalCode, code) << "run " << run;
        for (int i = 0; i < count; ++i) {
            ASSERT_EQ(literalItems[i].size, repairedItems[i].size) << "run " << run;
            ASSERT_EQ(literalItems[i].offset, repairedItems[i].offset) << "run " << run << " block " << i;
        }
    }
    // Both kinds of list must have been met for the comparison to mean anything.
    EXPECT_GT(compared, 1000);
    EXPECT_GT(repaired, 100);
}
