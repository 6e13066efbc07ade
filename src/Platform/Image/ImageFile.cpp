#include "Platform/Image/ImageFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <stb_image.h>

#include "Platform/Direct3D/IDirect3DTexture9.h"
#include "Platform/Image/DdsFile.h"
#include "Platform/Image/PixelConverter.h"

namespace
{

bool startsWith(const std::vector<uint8_t>& bytes, const char* magic, size_t length)
{
    return bytes.size() >= length && std::memcmp(bytes.data(), magic, length) == 0;
}

// stb_image also reads PSD, HDR, PIC and PNM files, which D3DX does not take; they are recognised by
// their signatures and refused. What remains and stb_image reads is TGA, which has no signature.
bool isOtherStbFormat(const std::vector<uint8_t>& bytes)
{
    const bool pnm = bytes.size() >= 2 && bytes[0] == 'P' && bytes[1] >= '1' && bytes[1] <= '7';
    return pnm || startsWith(bytes, "8BPS", 4) || startsWith(bytes, "#?", 2) ||
           startsWith(bytes, "\x53\x80\xF6\x34", 4);
}

D3DXIMAGE_FILEFORMAT pictureFormatOf(const std::vector<uint8_t>& bytes)
{
    if (startsWith(bytes, "\x89PNG", 4)) {
        return D3DXIFF_PNG;
    }
    if (startsWith(bytes, "\xFF\xD8\xFF", 3)) {
        return D3DXIFF_JPG;
    }
    if (startsWith(bytes, "BM", 2)) {
        return D3DXIFF_BMP;
    }
    return D3DXIFF_TGA;
}

bool isGif(const std::vector<uint8_t>& bytes)
{
    return startsWith(bytes, "GIF87a", 6) || startsWith(bytes, "GIF89a", 6);
}

class DescriptorCloser
{
public:
    explicit DescriptorCloser(int descriptor) : m_descriptor(descriptor) {}
    ~DescriptorCloser() { ::close(m_descriptor); }
    DescriptorCloser(const DescriptorCloser&) = delete;
    DescriptorCloser& operator=(const DescriptorCloser&) = delete;

private:
    int m_descriptor;
};

// Only regular files are read: a folder opens too but has no length to speak of, and opening a pipe
// for reading would wait for a writer that may never come (hence the non-blocking open).
bool readWholeFile(const std::string& path, std::vector<uint8_t>& bytes)
{
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0) {
        return false;
    }
    DescriptorCloser closer(descriptor);
    struct stat status;
    if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        return false;
    }
    bytes.resize(size_t(status.st_size));
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t step = ::read(descriptor, bytes.data() + done, bytes.size() - done);
        if (step < 0 && errno == EINTR) {
            continue;
        }
        if (step <= 0) {
            return false;
        }
        done += size_t(step);
    }
    return true;
}

// stb_image takes the length as an int.
constexpr size_t MAX_PICTURE_FILE = 0x7FFFFFFF;

// stb_image allocates a whole picture (for progressive JPEG also its coefficients) from the size in
// the header alone and fills what the data lacks with zeros, so a file of a hundred bytes could make
// it allocate gigabytes. A picture may decode to FREE_PICTURE_BYTES (4096 × 4096 pixels) however
// small its file, and beyond that to PICTURE_EXPANSION bytes per byte of file: more than any real
// picture packs (deflate itself expands at most about 1032 times), far less than a lying header asks.
constexpr uint64_t FREE_PICTURE_BYTES = uint64_t(64) << 20;
constexpr uint64_t PICTURE_EXPANSION = 4096;

bool isPlausiblePictureSize(UINT width, UINT height, size_t fileSize)
{
    const uint64_t decoded = uint64_t(width) * height * 4;
    return decoded <= FREE_PICTURE_BYTES + uint64_t(fileSize) * PICTURE_EXPANSION;
}

} // namespace

HRESULT ImageFile::open(const std::string& path)
{
    m_info = {};
    if (path.empty() || !readWholeFile(path, m_bytes)) {
        return D3DERR_NOTAVAILABLE;
    }
    return DdsFile::hasMagic(m_bytes.data(), m_bytes.size()) ? identifyDds() : identifyPicture();
}

HRESULT ImageFile::identifyDds()
{
    DdsLayout layout;
    if (!DdsFile::parse(m_bytes.data(), m_bytes.size(), layout)) {
        return D3DXERR_INVALIDDATA;
    }
    m_info.Width = layout.width;
    m_info.Height = layout.height;
    m_info.Depth = 1;
    m_info.MipLevels = layout.levels;
    m_info.Format = layout.format;
    m_info.ResourceType = D3DRTYPE_TEXTURE;
    m_info.ImageFileFormat = D3DXIFF_DDS;
    return D3D_OK;
}

HRESULT ImageFile::identifyPicture()
{
    if (m_bytes.empty() || m_bytes.size() > MAX_PICTURE_FILE || isOtherStbFormat(m_bytes)) {
        return D3DXERR_INVALIDDATA;
    }
    int width = 0;
    int height = 0;
    int channels = 0;
    // The size is reported as the file gives it; one too large for a texture is refused when the
    // texture is created, before any pixel is decoded.
    if (stbi_info_from_memory(m_bytes.data(), int(m_bytes.size()), &width, &height, &channels) == 0 ||
        width <= 0 || height <= 0) {
        return D3DXERR_INVALIDDATA;
    }
    m_info.Width = UINT(width);
    m_info.Height = UINT(height);
    m_info.Depth = 1;
    m_info.MipLevels = 1;
    m_info.Format = D3DFMT_A8R8G8B8;
    m_info.ResourceType = D3DRTYPE_TEXTURE;
    // D3DX has no GIF file format of its own; GIF pictures are reported like BMP ones.
    m_info.ImageFileFormat = isGif(m_bytes) ? D3DXIFF_BMP : pictureFormatOf(m_bytes);
    return D3D_OK;
}

HRESULT ImageFile::createTexture(IDirect3DDevice9* device, IDirect3DTexture9** texture) const
{
    if (texture == nullptr || m_info.Width == 0) {
        return D3DERR_INVALIDCALL;
    }
    if (m_info.ImageFileFormat != D3DXIFF_DDS &&
        !isPlausiblePictureSize(m_info.Width, m_info.Height, m_bytes.size())) {
        return D3DXERR_INVALIDDATA;
    }
    IDirect3DTexture9* created = nullptr;
    HRESULT result = IDirect3DTexture9::create(device, m_info.Width, m_info.Height, m_info.MipLevels, 0,
                                               m_info.Format, D3DPOOL_MANAGED, false, &created);
    if (FAILED(result)) {
        return result;
    }
    result = m_info.ImageFileFormat == D3DXIFF_DDS ? fillFromDds(created) : fillFromPicture(created);
    if (FAILED(result)) {
        created->Release();
        return result;
    }
    *texture = created;
    return D3D_OK;
}

HRESULT ImageFile::fillFromDds(IDirect3DTexture9* texture) const
{
    // DdsFile::parse has checked that every level lies inside the file.
    size_t offset = DDS_DATA_OFFSET;
    for (UINT level = 0; level < texture->GetLevelCount(); ++level) {
        std::memcpy(texture->levelData(level), m_bytes.data() + offset, texture->levelSize(level));
        offset += texture->levelSize(level);
    }
    texture->markChanged();
    return D3D_OK;
}

HRESULT ImageFile::fillFromPicture(IDirect3DTexture9* texture) const
{
    int width = 0;
    int height = 0;
    int channels = 0;
    stbi_uc* pixels =
        stbi_load_from_memory(m_bytes.data(), int(m_bytes.size()), &width, &height, &channels, 4);
    if (pixels == nullptr) {
        return D3DXERR_INVALIDDATA;
    }
    const bool sameSize = UINT(width) == m_info.Width && UINT(height) == m_info.Height;
    if (sameSize) {
        PixelConverter::encodeLevel(*texture, 0, pixels);
    }
    stbi_image_free(pixels);
    return sameSize ? D3D_OK : D3DXERR_INVALIDDATA;
}
