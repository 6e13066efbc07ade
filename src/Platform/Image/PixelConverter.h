#pragma once

#include <cstdint>
#include <vector>

#include "Platform/Direct3D/D3D9Types.h"

class IDirect3DTexture9;

// Converts whole levels between the formats of the format table and 8-bit RGBA (four bytes per pixel:
// red, green, blue, alpha; rows without padding). Levels are tight: the pitch and row count of the
// format table. Channels a format lacks decode as 255 (alpha) or 0 (colour); luminance decodes into
// all three colours and is encoded from them with the usual 0.30/0.59/0.11 weights.
class PixelConverter
{
public:
    // False for a format that is not decodable.
    static bool decode(D3DFORMAT format, const uint8_t* level, UINT width, UINT height, uint8_t* rgba);
    // False for a format that is not encodable. Bits of a format that carry no channel are set.
    static bool encode(D3DFORMAT format, const uint8_t* rgba, UINT width, UINT height, uint8_t* level);

    // Decodes one level of a texture into rgba (resized to width × height × 4).
    static bool decodeLevel(const IDirect3DTexture9& texture, UINT level, std::vector<uint8_t>& rgba);
    // Encodes width × height RGBA pixels into one level of a texture of that level's size and marks
    // the texture changed.
    static bool encodeLevel(IDirect3DTexture9& texture, UINT level, const uint8_t* rgba);
};
