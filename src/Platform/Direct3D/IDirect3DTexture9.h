#pragma once

#include <cstdint>
#include <vector>

#include "Platform/Direct3D/D3D9Types.h"
#include "Platform/Direct3D/ReferenceCounted.h"
#include "Platform/Image/TextureFormatTable.h"

// A texture with its chain of mip levels, all in memory. Every level is one run of bytes with a
// tight pitch (DXT levels hold at least one 4×4 block) and is zero-filled when the texture is made.
// Reference counted: created with one reference, deleted by the Release that drops the last one.
class IDirect3DTexture9 : public ReferenceCounted
{
public:
    // Creates a texture by the D3DX rules: levels 0 or D3DX_DEFAULT make a full chain, more levels
    // than the full chain are reduced to it, a width or height of 0 counts as 1, and a width or
    // height above D3D_MAX_TEXTURE_DIMENSION (a negative value cast to unsigned included) fails.
    // A format the table does not know (D3DFMT_UNKNOWN included) fails unless allowOpaque is set;
    // then the texture keeps its code and holds opaque bytes. The test hooks can make it fail.
    static HRESULT create(IDirect3DDevice9* device, UINT width, UINT height, UINT levels, DWORD usage,
                          D3DFORMAT format, D3DPOOL pool, bool allowOpaque, IDirect3DTexture9** texture);

    // Locks a level. With no rectangle the whole level is given; a rectangle must lie inside the
    // level (block-aligned for DXT formats) and pBits then points at its first row. A level that
    // is already locked cannot be locked again.
    HRESULT LockRect(UINT level, D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags);
    HRESULT UnlockRect(UINT level);
    HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc);
    DWORD GetLevelCount() const;
    // A surface for one level; it holds a reference to this texture until it is released.
    HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface9** surface);
    // The device the texture was created on (null for none). Unlike the platform's, it takes no
    // reference: the device outlives its textures.
    HRESULT GetDevice(IDirect3DDevice9** device);

    // ---- Our own access, for the rest of the stand-in (sprite, D3DX, DDS writer) ----

    D3DFORMAT format() const { return m_format; }
    const TextureFormatInfo& formatInfo() const { return *m_formatInfo; }
    UINT width(UINT level) const;
    UINT height(UINT level) const;
    UINT pitch(UINT level) const;
    uint8_t* levelData(UINT level) { return m_levels[level].data(); }
    const uint8_t* levelData(UINT level) const { return m_levels[level].data(); }
    size_t levelSize(UINT level) const { return m_levels[level].size(); }
    // Grows every time the pixels may have changed (each UnlockRect and each D3DX call that writes
    // into the texture), so caches of decoded pixels know when to drop themselves. Revisions come
    // from one process-wide counter: a texture created at the address of a released one never
    // repeats a revision that a cache keyed by address and revision still holds.
    uint64_t revision() const { return m_revision; }
    void markChanged() { m_revision = nextRevision(); }

private:
    static uint64_t nextRevision()
    {
        static uint64_t s_lastRevision = 0;
        return ++s_lastRevision;
    }

    IDirect3DTexture9(IDirect3DDevice9* device, UINT width, UINT height, DWORD usage, D3DFORMAT format,
                      D3DPOOL pool);
    ~IDirect3DTexture9() override = default;

    IDirect3DDevice9* m_device;
    UINT m_width;
    UINT m_height;
    DWORD m_usage;
    D3DFORMAT m_format;
    const TextureFormatInfo* m_formatInfo;
    D3DPOOL m_pool;
    uint64_t m_revision = nextRevision();
    std::vector<std::vector<uint8_t>> m_levels;
    std::vector<bool> m_locked;
};
