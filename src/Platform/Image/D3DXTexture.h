#pragma once

// The D3DX texture functions of our stand-in. A negative result means failure; on failure no object
// is handed out and nothing is written. File names are wide paths whose backslashes are folder
// separators (see fileSystemPath).

#include "Platform/Direct3D/D3D9Types.h"

// Creates an empty (zero-filled) texture by the D3DX rules (see IDirect3DTexture9::create). Any format
// code the format table does not know (0 included) creates an opaque texture that keeps its bytes, so
// archives of any format load and save without loss; such a texture is not drawn, converted,
// filtered or written as DDS.
HRESULT D3DXCreateTexture(LPDIRECT3DDEVICE9 device, UINT width, UINT height, UINT mipLevels, DWORD usage,
                          D3DFORMAT format, D3DPOOL pool, LPDIRECT3DTEXTURE9* texture);

// Describes an image file: DDS (legacy header: 2D textures in the formats of the table, DXT1 to DXT5
// and 16-, 24- and 32-bit mask formats), PNG, JPEG, BMP, TGA and GIF (reported as A8R8G8B8, one
// level; D3DX has no file format value for GIF, so GIF pictures report D3DXIFF_BMP). Refuses cube
// maps, volumes, DX10 headers and every file whose header does not fit its size. The size is the
// file's own, even one too large for a texture; a DDS mip count beyond the full chain is reduced to it.
HRESULT D3DXGetImageInfoFromFileW(LPCWSTR fileName, D3DXIMAGE_INFO* info);

// Creates a managed texture from an image file with exactly the format, size and level count that
// D3DXGetImageInfoFromFileW reports. A width or height above D3D_MAX_TEXTURE_DIMENSION fails before
// any pixel is allocated or decoded, and so does a picture whose header claims far more pixels than
// its file could hold (above 4096 × 4096 pixels, more than 1024 pixels per byte of file).
HRESULT D3DXCreateTextureFromFileW(LPDIRECT3DDEVICE9 device, LPCWSTR fileName, LPDIRECT3DTEXTURE9* texture);

// Writes a texture as a DDS file (only D3DXIFF_DDS) with its format and all its levels. The file is
// written to a temporary name first and renamed into place, so a failure leaves no half file; a
// read-only file (no write permission bit) is not replaced. Textures of opaque formats fail.
HRESULT D3DXSaveTextureToFileW(LPCWSTR fileName, D3DXIMAGE_FILEFORMAT fileFormat, LPDIRECT3DTEXTURE9 texture,
                               const PALETTEENTRY* palette);

// Copies (a rectangle of) one surface into (a rectangle of) another: any decodable format to any
// encodable one, scaled when the sizes differ (D3DX_FILTER_NONE and D3DX_FILTER_POINT by point
// sampling, every other filter by a box filter where a side shrinks and a bilinear one where it grows).
// Palettes and the colour key are not supported: a palette fails, a colour key of 0 means none.
HRESULT D3DXLoadSurfaceFromSurface(LPDIRECT3DSURFACE9 destSurface, const PALETTEENTRY* destPalette,
                                   const RECT* destRect, LPDIRECT3DSURFACE9 srcSurface,
                                   const PALETTEENTRY* srcPalette, const RECT* srcRect, DWORD filter,
                                   D3DCOLOR colorKey);

// Fills every level below srcLevel from the one above it by a 2×2 box filter, re-encoded in the
// texture's format. srcLevel D3DX_DEFAULT means 0.
HRESULT D3DXFilterTexture(LPDIRECT3DTEXTURE9 texture, const PALETTEENTRY* palette, UINT srcLevel,
                          DWORD filter);
