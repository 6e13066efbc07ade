#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Platform/Direct3D/D3D9Types.h"

// An image file read whole into memory and identified: DDS (our reader) or PNG, JPEG, BMP, TGA and
// GIF (stb_image). Backs the D3DX file functions.
class ImageFile
{
public:
    ImageFile() = default;
    ImageFile(const ImageFile&) = delete;
    ImageFile& operator=(const ImageFile&) = delete;

    // Reads and identifies the file; a negative result when it cannot be read or is no image we know.
    HRESULT open(const std::string& path);
    const D3DXIMAGE_INFO& info() const { return m_info; }
    // Creates a managed texture with exactly the format, size and levels of info(). A picture (not
    // DDS) whose decoded pixels would be far larger than its file could hold is refused before
    // anything is decoded.
    HRESULT createTexture(IDirect3DDevice9* device, IDirect3DTexture9** texture) const;

private:
    HRESULT identifyDds();
    HRESULT identifyPicture();
    HRESULT fillFromDds(IDirect3DTexture9* texture) const;
    HRESULT fillFromPicture(IDirect3DTexture9* texture) const;

    std::vector<uint8_t> m_bytes;
    D3DXIMAGE_INFO m_info = {};
};
