#pragma once

#include <cstdint>
#include <list>
#include <memory>

#include "Platform/Direct3D/D3D9Types.h"
#include "Platform/Direct3D/ReferenceCounted.h"

struct DecodedImage;

// Draws textures 1:1 into its device's back buffer. Draw puts the source rectangle of a texture's
// level 0 at position − centre (rounded to whole pixels), tinted by the colour, blended by the source
// alpha when Begin was given D3DXSPRITE_ALPHABLEND. Decoded level-0 pixels of the last few textures
// are kept, each until its texture changes (UnlockRect or a D3DX call writing into it).
// Reference counted: created with one reference; holds a reference to its device.
class ID3DXSprite : public ReferenceCounted
{
public:
    HRESULT Begin(DWORD flags);
    // The source rectangle is clipped to the texture's level 0 (null: all of it); an empty rectangle
    // draws nothing. Null centre and position count as the origin. Textures whose format cannot be
    // decoded are not drawn (negative result).
    HRESULT Draw(IDirect3DTexture9* texture, const RECT* sourceRect, const D3DXVECTOR3* center,
                 const D3DXVECTOR3* position, D3DCOLOR color);
    HRESULT End();

private:
    friend HRESULT D3DXCreateSprite(IDirect3DDevice9* device, ID3DXSprite** sprite);

    struct CacheEntry
    {
        const IDirect3DTexture9* texture;
        uint64_t revision;
        std::shared_ptr<const DecodedImage> image;
    };

    explicit ID3DXSprite(IDirect3DDevice9* device);
    ~ID3DXSprite() override;

    std::shared_ptr<const DecodedImage> decodedLevel0(IDirect3DTexture9* texture);

    // Textures whose decoded pixels are kept, most recently drawn first.
    static const size_t CACHE_SIZE = 2;

    IDirect3DDevice9* m_device;
    bool m_begun = false;
    DWORD m_flags = 0;
    std::list<CacheEntry> m_cache;
};

// A sprite on the device; negative result and a null sprite on failure.
HRESULT D3DXCreateSprite(IDirect3DDevice9* device, ID3DXSprite** sprite);
