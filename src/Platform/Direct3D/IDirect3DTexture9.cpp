#include "Platform/Direct3D/IDirect3DTexture9.h"

#include <new>

#include "Platform/Direct3D/FaultPlan.h"
#include "Platform/Direct3D/IDirect3DSurface9.h"

namespace
{

UINT chainLength(UINT width, UINT height, UINT requested)
{
    UINT full = TextureFormatTable::fullChainLength(width, height);
    if (requested == 0 || requested == D3DX_DEFAULT || requested > full) {
        return full;
    }
    return requested;
}

} // namespace

HRESULT IDirect3DTexture9::create(IDirect3DDevice9* device, UINT width, UINT height, UINT levels, DWORD usage,
                                  D3DFORMAT format, D3DPOOL pool, bool allowOpaque,
                                  IDirect3DTexture9** texture)
{
    if (texture == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *texture = nullptr;
    if (width > D3D_MAX_TEXTURE_DIMENSION || height > D3D_MAX_TEXTURE_DIMENSION) {
        return D3DERR_INVALIDCALL;
    }
    if (TextureFormatTable::find(format) == nullptr && !allowOpaque) {
        return D3DERR_INVALIDCALL;
    }
    if (FaultPlan* plan = FaultPlan::installed(); plan != nullptr && plan->failsTextureCreation(format)) {
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    width = width == 0 ? 1 : width;
    height = height == 0 ? 1 : height;
    UINT count = chainLength(width, height, levels);
    IDirect3DTexture9* created =
        new (std::nothrow) IDirect3DTexture9(device, width, height, usage, format, pool);
    if (created == nullptr) {
        return E_OUTOFMEMORY;
    }
    try {
        created->m_levels.resize(count);
        created->m_locked.assign(count, false);
        for (UINT level = 0; level < count; ++level) {
            uint64_t size =
                TextureFormatTable::levelSize(format, created->width(level), created->height(level));
            created->m_levels[level].assign(static_cast<size_t>(size), 0);
        }
    } catch (const std::bad_alloc&) {
        created->Release();
        return E_OUTOFMEMORY;
    }
    *texture = created;
    return D3D_OK;
}

IDirect3DTexture9::IDirect3DTexture9(IDirect3DDevice9* device, UINT width, UINT height, DWORD usage,
                                     D3DFORMAT format, D3DPOOL pool)
    : m_device(device), m_width(width), m_height(height), m_usage(usage), m_format(format),
      m_formatInfo(&TextureFormatTable::describe(format)), m_pool(pool)
{
}

UINT IDirect3DTexture9::width(UINT level) const
{
    return TextureFormatTable::levelDimension(m_width, level);
}

UINT IDirect3DTexture9::height(UINT level) const
{
    return TextureFormatTable::levelDimension(m_height, level);
}

UINT IDirect3DTexture9::pitch(UINT level) const
{
    return TextureFormatTable::pitch(m_format, width(level));
}

HRESULT IDirect3DTexture9::LockRect(UINT level, D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags)
{
    (void)flags; // read-only and discard locks need no special handling in memory
    if (lockedRect == nullptr || level >= m_levels.size() || m_locked[level]) {
        return D3DERR_INVALIDCALL;
    }
    size_t offset = 0;
    if (rect != nullptr) {
        bool block = m_formatInfo->kind == FormatKind::Block;
        LONG w = static_cast<LONG>(width(level));
        LONG h = static_cast<LONG>(height(level));
        bool inside = rect->left >= 0 && rect->top >= 0 && rect->left < rect->right &&
                      rect->top < rect->bottom && rect->right <= w && rect->bottom <= h;
        // A rectangle starts on a block, or (for a format narrower than a byte) on a whole byte.
        bool aligned = block ? rect->left % 4 == 0 && rect->top % 4 == 0
                             : size_t(rect->left) * m_formatInfo->bitsPerPixel % 8 == 0;
        if (!inside || !aligned) {
            return D3DERR_INVALIDCALL;
        }
        UINT rowOfRect = block ? UINT(rect->top) / 4 : UINT(rect->top);
        size_t columnBytes = block ? size_t(rect->left) / 4 * m_formatInfo->blockBytes
                                   : size_t(rect->left) * m_formatInfo->bitsPerPixel / 8;
        offset = size_t(rowOfRect) * pitch(level) + columnBytes;
    }
    m_locked[level] = true;
    lockedRect->Pitch = static_cast<INT>(pitch(level));
    lockedRect->pBits = m_levels[level].data() + offset;
    return D3D_OK;
}

HRESULT IDirect3DTexture9::UnlockRect(UINT level)
{
    if (level >= m_levels.size() || !m_locked[level]) {
        return D3DERR_INVALIDCALL;
    }
    m_locked[level] = false;
    markChanged();
    return D3D_OK;
}

HRESULT IDirect3DTexture9::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc)
{
    if (desc == nullptr || level >= m_levels.size()) {
        return D3DERR_INVALIDCALL;
    }
    desc->Format = m_format;
    desc->Type = D3DRTYPE_TEXTURE;
    desc->Usage = m_usage;
    desc->Pool = m_pool;
    desc->MultiSampleType = D3DMULTISAMPLE_NONE;
    desc->MultiSampleQuality = 0;
    desc->Width = width(level);
    desc->Height = height(level);
    return D3D_OK;
}

DWORD IDirect3DTexture9::GetLevelCount() const
{
    return static_cast<DWORD>(m_levels.size());
}

HRESULT IDirect3DTexture9::GetSurfaceLevel(UINT level, IDirect3DSurface9** surface)
{
    if (surface == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *surface = nullptr;
    if (level >= m_levels.size()) {
        return D3DERR_INVALIDCALL;
    }
    *surface = new (std::nothrow) IDirect3DSurface9(this, level);
    return *surface != nullptr ? D3D_OK : E_OUTOFMEMORY;
}

HRESULT IDirect3DTexture9::GetDevice(IDirect3DDevice9** device)
{
    if (device == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *device = m_device;
    return D3D_OK;
}
