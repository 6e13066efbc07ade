#include "WTD/WTDHeader.h"

WTDHeader::WTDHeader()
    : magic(MAGIC), headerEndOffset(0x20), reservedA(0), reservedB(1), hashTableOffset(0), textureCount(0),
      texturePointerTableOffset(0)
{
}
