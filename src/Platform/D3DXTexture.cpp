#include "Platform/D3DXTexture.h"

#include "Platform/IDirect3DTexture9.h"

HRESULT D3DXCreateTexture(LPDIRECT3DDEVICE9 device, UINT width, UINT height, UINT mipLevels, DWORD usage,
                          D3DFORMAT format, D3DPOOL pool, LPDIRECT3DTEXTURE9* texture)
{
    return IDirect3DTexture9::create(device, width, height, mipLevels, usage, format, pool, true, texture);
}

HRESULT D3DXGetImageInfoFromFileW(LPCWSTR, D3DXIMAGE_INFO*)
{
    return E_NOTIMPL;
}

HRESULT D3DXCreateTextureFromFileW(LPDIRECT3DDEVICE9, LPCWSTR, LPDIRECT3DTEXTURE9* texture)
{
    if (texture != nullptr) {
        *texture = nullptr;
    }
    return E_NOTIMPL;
}

HRESULT D3DXSaveTextureToFileW(LPCWSTR, D3DXIMAGE_FILEFORMAT, LPDIRECT3DTEXTURE9, const PALETTEENTRY*)
{
    return E_NOTIMPL;
}

HRESULT D3DXLoadSurfaceFromSurface(LPDIRECT3DSURFACE9, const PALETTEENTRY*, const RECT*, LPDIRECT3DSURFACE9,
                                   const PALETTEENTRY*, const RECT*, DWORD, D3DCOLOR)
{
    return E_NOTIMPL;
}

HRESULT D3DXFilterTexture(LPDIRECT3DTEXTURE9, const PALETTEENTRY*, UINT, DWORD)
{
    return E_NOTIMPL;
}
