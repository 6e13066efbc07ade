#pragma once

#include <cstdint>
#include <string>

#include "Platform/Direct3D/ComPtr.h"
#include "Platform/Direct3D/IDirect3DTexture9.h"
#include "WTD/TextureTOCItem.h"

// One texture of an archive. The entry owns its texture: it releases it when it is destroyed or given
// another one, and it can be moved but not copied, so no two entries ever release one texture.
struct TextureEntry
{
    ComPtr<IDirect3DTexture9> texture; // empty until one is created
    TextureTOCItem record;
    uint32_t recordOffset; // body offset after reading; tagged pointer while writing
    std::string name;      // without the "pack:/" prefix
    uint32_t nameHash;

    TextureEntry();
};
