#pragma once

#include <cstdint>
#include <utility>
#include <vector>

struct BlockTableItem;

// The offsets of one laid-out block list, by owner. A save looks up three blocks for every texture;
// scanning the list for each would make saving quadratic in the texture count, so the list is sorted
// by owner once and each lookup is a binary search.
class BlockOffsetIndex
{
public:
    // Indexes the count items (none when items is null or count is below 1). The items may change or
    // go away afterwards: the index keeps its own copy of the keys and offsets.
    BlockOffsetIndex(const BlockTableItem* items, int count);

    // The offset of the first item whose key is key, in the order the list had; 0 when key is null or
    // no item has it.
    uint32_t find(const void* key) const;

private:
    std::vector<std::pair<const void*, uint32_t>> m_offsets; // by key; one entry per key
};
