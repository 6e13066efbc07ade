#include "WTD/SegmentPacker.h"

#include "WTD/BlockTableItem.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace
{
// Every size is counted in 16-byte steps; a page is 16 units of page / 16.
constexpr uint64_t ALIGNMENT = 16;
constexpr uint64_t UNITS_PER_PAGE = 16;
constexpr uint64_t SMALLEST_PAGE = 0x1000;
constexpr uint64_t DOUBLED_BELOW = 0x20000;
// A size code holds an 11-bit count and a 4-bit shift, so the page may not exceed 4096 << 14.
constexpr uint64_t LARGEST_PAGE = 1ull << 26;
constexpr uint64_t LARGEST_COUNT = 0x7FF;
// A tagged offset keeps 28 bits of position.
constexpr uint64_t POSITION_LIMIT = 1ull << 28;

uint64_t alignUp(uint64_t value, uint64_t alignment)
{
    return (value + alignment - 1) / alignment * alignment;
}

// The blocks of one segment while they are placed. Positions are 64-bit so that nothing can wrap; the
// list is sorted largest first, so the aligned sizes never grow along it.
class SegmentLayout
{
public:
    SegmentLayout(const BlockTableItem* items, int count, uint32_t start, uint64_t page)
        : m_items(items), m_count(count), m_page(page), m_positions(count, 0), m_nextUnplaced(count + 1),
          m_position(start), m_room(page - start), m_pages(0)
    {
        for (int i = 0; i <= count; ++i)
            m_nextUnplaced[i] = i;
    }

    // First fit, largest first: each block goes into the current page at the first unplaced index
    // that fits the room left; a page that cannot take the smallest block left is closed for good.
    void placeBlocks()
    {
        int last = m_count - 1;
        uint64_t smallest = alignedSize(last);
        for (int remaining = m_count; remaining > 0; --remaining) {
            const int taken = findUnplaced(firstFitting());
            m_positions[taken] = m_position;
            m_nextUnplaced[taken] = taken + 1;
            m_position += alignedSize(taken);
            m_room -= alignedSize(taken);
            if (remaining > 1 && taken == last) {
                while (isPlaced(last))
                    --last;
                smallest = alignedSize(last);
            }
            if (m_room < smallest) {
                ++m_pages;
                m_position = m_pages * m_page;
                m_room = m_page;
            }
        }
    }

    // The segment's size in sixteenths of a page: whole pages, and the last page by halves, quarters
    // and eighths when it is mostly empty, moving a block that crosses a chunk limit up to the limit.
    uint64_t countUnits()
    {
        if (m_room == m_page) {
            m_room = 0; // the last page opened holds nothing
            --m_pages;
        }
        if (m_room <= m_page / UNITS_PER_PAGE || m_pages < 1)
            return static_cast<uint64_t>(m_pages + 1) * UNITS_PER_PAGE;
        return static_cast<uint64_t>(m_pages) * UNITS_PER_PAGE + countFractions(m_page - m_room);
    }

    // Tagged offsets into the items; false when a block starts beyond what 28 bits of position hold.
    bool storeOffsets(BlockTableItem* items, uint8_t tag) const
    {
        for (int i = 0; i < m_count; ++i)
            if (m_positions[i] >= POSITION_LIMIT)
                return false;
        for (int i = 0; i < m_count; ++i)
            items[i].offset = (static_cast<uint32_t>(tag) << 28) | static_cast<uint32_t>(m_positions[i]);
        return true;
    }

private:
    uint64_t alignedSize(int index) const { return alignUp(m_items[index].size, ALIGNMENT); }
    bool isPlaced(int index) const { return m_nextUnplaced[index] != index; }

    // The first index whose aligned size fits the room (sizes never grow along the list).
    int firstFitting() const
    {
        int low = 0;
        int high = m_count;
        while (low < high) {
            const int middle = low + (high - low) / 2;
            if (alignedSize(middle) <= m_room)
                high = middle;
            else
                low = middle + 1;
        }
        return low;
    }

    // The first unplaced index at or after index; placed indices link onwards (with path halving), so
    // a scan past long runs of placed blocks costs almost nothing.
    int findUnplaced(int index)
    {
        while (m_nextUnplaced[index] != index) {
            m_nextUnplaced[index] = m_nextUnplaced[m_nextUnplaced[index]];
            index = m_nextUnplaced[index];
        }
        return index;
    }

    uint64_t countFractions(uint64_t used)
    {
        uint64_t limit = static_cast<uint64_t>(m_pages) * m_page;
        int scan = 0;
        uint64_t bits = 0;
        for (int bit = 3; bit >= 1; --bit) {
            const uint64_t chunk = m_page >> (4 - bit);
            if (used < chunk / 2)
                continue;
            limit += chunk;
            bits |= 1ull << bit;
            if (!fitBelowLimit(limit, chunk, scan)) {
                // The next larger fraction is taken instead; it may carry into the whole pages.
                bits = bits - (1ull << bit) + (1ull << (bit + 1));
                used = 0;
                break;
            }
            used = used < chunk ? 0 : used - chunk;
        }
        if (used > 0)
            bits |= 1;
        return bits;
    }

    // Moves the block that crosses limit up to the next chunk boundary; false when it does not fit.
    bool fitBelowLimit(uint64_t limit, uint64_t chunk, int& scan)
    {
        for (int i = scan; i < m_count; ++i) {
            const uint64_t position = m_positions[i];
            const uint64_t size = alignedSize(i);
            if (position > limit || position + size <= limit)
                continue;
            scan = i;
            const uint64_t target = alignUp(position, chunk);
            if (target - position > m_room || size > chunk)
                return false;
            moveBlock(i, target);
        }
        return true;
    }

    // The blocks of the last page that follow the moved one move with it, so no two blocks overlap;
    // the distance comes out of the room at the page's end.
    void moveBlock(int index, uint64_t target)
    {
        const uint64_t from = m_positions[index];
        const uint64_t distance = target - from;
        const uint64_t lastPageStart = static_cast<uint64_t>(m_pages) * m_page;
        for (int i = 0; i < m_count; ++i)
            if (i != index && m_items[i].size != 0 && m_positions[i] >= lastPageStart &&
                m_positions[i] > from)
                m_positions[i] += distance;
        m_positions[index] = target;
        m_room -= distance;
    }

    const BlockTableItem* m_items;
    const int m_count;
    const uint64_t m_page;
    std::vector<uint64_t> m_positions;
    std::vector<int> m_nextUnplaced; // itself while unplaced, else a later index to look at
    uint64_t m_position;
    uint64_t m_room;
    int64_t m_pages; // whole pages before the current one
};

// Number of significant bits of value.
uint32_t bitWidth(uint64_t value)
{
    uint32_t bits = 0;
    for (; value != 0; value >>= 1)
        ++bits;
    return bits;
}
} // namespace

bool SegmentPacker::packSegment(BlockTableItem* items, int count, uint32_t start, uint8_t tag, uint32_t& code)
{
    code = 0;
    if (count < 1)
        return true; // nothing to place: an empty segment
    std::qsort(items, static_cast<size_t>(count), sizeof(BlockTableItem), &SegmentPacker::compareBlockSize);

    const uint64_t largest = static_cast<uint64_t>(items[0].size) + start;
    if (largest > LARGEST_PAGE)
        return false;
    uint64_t page = std::max<uint64_t>(nextPowerOfTwo(static_cast<uint32_t>(largest)), SMALLEST_PAGE);
    if (start == 0 && page < DOUBLED_BELOW)
        page *= 2;

    SegmentLayout layout(items, count, start, page);
    layout.placeBlocks();
    uint64_t units = layout.countUnits();
    while (page < DOUBLED_BELOW && units >= 32 && units % 2 == 0) {
        units /= 2;
        page *= 2;
    }
    // A count beyond 11 bits is described with larger pages (rounding up keeps every block inside).
    while (units > LARGEST_COUNT && page < LARGEST_PAGE) {
        units = (units + 1) / 2;
        page *= 2;
    }
    if (units > LARGEST_COUNT || !layout.storeOffsets(items, tag))
        return false;
    code = (bitWidth(page / SMALLEST_PAGE) << 11) | static_cast<uint32_t>(units);
    return true;
}

int SegmentPacker::compareBlockSize(const void* a, const void* b)
{
    const uint32_t first = static_cast<const BlockTableItem*>(a)->size;
    const uint32_t second = static_cast<const BlockTableItem*>(b)->size;
    return first > second ? -1 : (first < second ? 1 : 0);
}

uint32_t SegmentPacker::nextPowerOfTwo(uint32_t v)
{
    if (v == 0 || v > 0x80000000u)
        return 0; // 0 has none; above 2^31 none fits 32 bits
    uint32_t power = 1;
    while (power < v)
        power <<= 1;
    return power;
}
