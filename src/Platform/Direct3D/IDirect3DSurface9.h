#pragma once

#include "Platform/Direct3D/D3D9Types.h"
#include "Platform/Direct3D/ReferenceCounted.h"

// One mip level of a texture. The surface holds a reference to its texture, so the texture lives at
// least as long as the surface.
class IDirect3DSurface9 : public ReferenceCounted
{
public:
    IDirect3DSurface9(IDirect3DTexture9* texture, UINT level);
    HRESULT GetDesc(D3DSURFACE_DESC* desc);
    HRESULT LockRect(D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags);
    HRESULT UnlockRect();

    IDirect3DTexture9* texture() const { return m_texture; }
    UINT level() const { return m_level; }

private:
    ~IDirect3DSurface9() override;

    IDirect3DTexture9* m_texture;
    UINT m_level;
};
