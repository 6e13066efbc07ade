#pragma once

#include <cstdint>

struct BlockTableItem;

// The layout of one segment of a dictionary body: where each block goes and the size code that
// describes the segment. Pure functions of the block list; no archive or file is involved.
namespace SegmentPacker
{
// Places the blocks of one segment and gives its size code; false (code 0) when the segment cannot be
// described by a size code or a 28-bit position. The list is sorted in place, largest block first.
bool packSegment(BlockTableItem* items, int count, uint32_t start, uint8_t tag, uint32_t& code);
// The sort order of the packer: larger blocks first (-1 when a is larger, 1 when smaller, 0 when equal).
int compareBlockSize(const void* a, const void* b);
// The smallest power of two not below v; 0 for 0 and for values above 2^31, which have none in 32 bits.
uint32_t nextPowerOfTwo(uint32_t v);
} // namespace SegmentPacker
