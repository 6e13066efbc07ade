#ifndef VARNEL_WTD_BLOCKTABLEITEM_H
#define VARNEL_WTD_BLOCKTABLEITEM_H

#include <cstdint>

// One block of a dictionary body while it is laid out for a save: the packer gives it a tagged offset
// inside its segment, and the writer finds that offset again through the block's owner.
struct BlockTableItem
{
    uint32_t offset; // 0 while unplaced, then (segment tag << 28) + position inside the segment
    uint32_t size;   // bytes the owner needs, before alignment
    const void* key; // the owner, or null for a block nobody looks up
};

#endif
