#include "Platform/Direct3D/IDirect3DSurface9.h"

#include "Platform/Direct3D/IDirect3DTexture9.h"

IDirect3DSurface9::IDirect3DSurface9(IDirect3DTexture9* texture, UINT level)
    : m_texture(texture), m_level(level)
{
    m_texture->AddRef();
}

IDirect3DSurface9::~IDirect3DSurface9()
{
    m_texture->Release();
}

HRESULT IDirect3DSurface9::GetDesc(D3DSURFACE_DESC* desc)
{
    HRESULT result = m_texture->GetLevelDesc(m_level, desc);
    if (SUCCEEDED(result)) {
        desc->Type = D3DRTYPE_SURFACE;
    }
    return result;
}

HRESULT IDirect3DSurface9::LockRect(D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags)
{
    return m_texture->LockRect(m_level, lockedRect, rect, flags);
}

HRESULT IDirect3DSurface9::UnlockRect()
{
    return m_texture->UnlockRect(m_level);
}
