#include "Platform/Direct3D/ID3DXSprite.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "Platform/Direct3D/FaultPlan.h"
#include "Platform/Direct3D/IDirect3DDevice9.h"
#include "Platform/Direct3D/IDirect3DTexture9.h"
#include "Platform/Image/PixelConverter.h"

namespace
{

// A coordinate rounded to a whole pixel; values beyond any back buffer are held far outside it, and a
// coordinate that is not a number counts as 0.
LONG toPixel(float value)
{
    const float limit = 1.0e9f;
    if (std::isnan(value)) {
        return 0;
    }
    return static_cast<LONG>(std::lround(std::clamp(value, -limit, limit)));
}

} // namespace

HRESULT D3DXCreateSprite(IDirect3DDevice9* device, ID3DXSprite** sprite)
{
    if (sprite == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *sprite = nullptr;
    if (device == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    if (FaultPlan* plan = FaultPlan::installed(); plan != nullptr && plan->failsCreateSprite()) {
        return E_OUTOFMEMORY;
    }
    *sprite = new (std::nothrow) ID3DXSprite(device);
    return *sprite != nullptr ? D3D_OK : E_OUTOFMEMORY;
}

ID3DXSprite::ID3DXSprite(IDirect3DDevice9* device) : m_device(device)
{
    m_device->AddRef();
}

ID3DXSprite::~ID3DXSprite()
{
    m_device->Release();
}

HRESULT ID3DXSprite::Begin(DWORD flags)
{
    if (m_begun) {
        return D3DERR_INVALIDCALL;
    }
    m_begun = true;
    m_flags = flags;
    return D3D_OK;
}

HRESULT ID3DXSprite::End()
{
    if (!m_begun) {
        return D3DERR_INVALIDCALL;
    }
    m_begun = false;
    return D3D_OK;
}

HRESULT ID3DXSprite::Draw(IDirect3DTexture9* texture, const RECT* sourceRect, const D3DXVECTOR3* center,
                          const D3DXVECTOR3* position, D3DCOLOR color)
{
    if (!m_begun || texture == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    const LONG width = static_cast<LONG>(texture->width(0));
    const LONG height = static_cast<LONG>(texture->height(0));
    RECT area{0, 0, width, height};
    if (sourceRect != nullptr) {
        area = RECT{std::max<LONG>(sourceRect->left, 0), std::max<LONG>(sourceRect->top, 0),
                    std::min(sourceRect->right, width), std::min(sourceRect->bottom, height)};
    }
    if (area.left >= area.right || area.top >= area.bottom) {
        return D3D_OK;
    }
    std::shared_ptr<const DecodedImage> image = decodedLevel0(texture);
    if (!image) {
        return D3DERR_WRONGTEXTUREFORMAT;
    }
    const D3DXVECTOR3 origin{0.0f, 0.0f, 0.0f};
    const D3DXVECTOR3& at = position != nullptr ? *position : origin;
    const D3DXVECTOR3& middle = center != nullptr ? *center : origin;

    DrawCommand command;
    command.kind = DrawCommand::Kind::Sprite;
    command.area = area;
    command.x = toPixel(at.x - middle.x);
    command.y = toPixel(at.y - middle.y);
    command.color = color;
    command.blend = (m_flags & D3DXSPRITE_ALPHABLEND) != 0;
    command.texture = texture;
    command.revision = texture->revision();
    command.image = std::move(image);
    m_device->queueCommand(std::move(command));
    return D3D_OK;
}

// Level 0 decoded, from the cache while the texture has not changed; null when the
// format cannot be decoded.
std::shared_ptr<const DecodedImage> ID3DXSprite::decodedLevel0(IDirect3DTexture9* texture)
{
    auto cached = std::find_if(m_cache.begin(), m_cache.end(),
                               [texture](const CacheEntry& entry) { return entry.texture == texture; });
    if (cached != m_cache.end()) {
        if (cached->revision == texture->revision()) {
            m_cache.splice(m_cache.begin(), m_cache, cached);
            return cached->image;
        }
        m_cache.erase(cached);
    }

    auto image = std::make_shared<DecodedImage>();
    if (!PixelConverter::decodeLevel(*texture, 0, image->rgba)) {
        return nullptr;
    }
    image->width = texture->width(0);
    image->height = texture->height(0);

    m_cache.push_front(CacheEntry{texture, texture->revision(), image});
    if (m_cache.size() > CACHE_SIZE) {
        m_cache.pop_back();
    }
    return image;
}
