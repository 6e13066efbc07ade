#pragma once

#include "Platform/D3D9Types.h"

// One mip level of a texture. The surface holds a reference to its texture, so the texture lives at
// least as long as the surface.
class IDirect3DSurface9 {
public:
    IDirect3DSurface9(IDirect3DTexture9* texture, UINT level);
    IDirect3DSurface9(const IDirect3DSurface9&) = delete;
    IDirect3DSurface9& operator=(const IDirect3DSurface9&) = delete;

    ULONG AddRef();
    ULONG Release();

    HRESULT GetDesc(D3DSURFACE_DESC* desc);
    HRESULT LockRect(D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags);
    HRESULT UnlockRect();

    IDirect3DTexture9* texture() const { return m_texture; }
    UINT level() const { return m_level; }

private:
    ~IDirect3DSurface9();

    IDirect3DTexture9* m_texture;
    UINT m_level;
    ULONG m_references = 1;
};
