#pragma once

#include <cstdint>
#include <string>

#include "WTD/TextureTOCItem.h"

class IDirect3DTexture9;

// One texture of an archive. A plain value: copying it copies the texture pointer without a reference,
// and destroying it releases nothing. The WTDFile holding the entry owns the texture and releases it.
struct TextureEntry
{
    IDirect3DTexture9* texture; // null until one is created
    TextureTOCItem record;
    uint32_t recordOffset; // body offset after reading; tagged pointer while writing
    std::string name;      // without the "pack:/" prefix
    uint32_t nameHash;

    TextureEntry();
};
