// The per-texture editing operations of an archive: adding and replacing pictures from image files,
// deleting, extracting as DDS and rebuilding the mip chain. Each works on one texture by its position
// in the list, returns whether it did its work and reports every outcome through the message log.
#include "WTD/WTDFile.h"

#include "Common/MessageLog/MessageLog.h"
#include "Common/STDFunctions/PathSpelling.h"
#include "Common/STDFunctions/STDFunctions.h"
#include "Platform/Direct3D.h"
#include "Platform/Direct3D/ComPtr.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>

namespace
{
// Where the messages of the checks shared by adding and replacing are logged.
struct ImageFileMessages
{
    const char* function;
    int invalidPathLine;
    int imageInfoLine;
    int powerOfTwoLine;
    int createLine;
};

const ImageFileMessages ADD_MESSAGES = {"WTDFile::addTexture", 1092, 1103, 1110, 1123};
const ImageFileMessages REPLACE_MESSAGES = {"WTDFile::replaceTexture", 1240, 1185, 1192, 1205};

void logError(const char* function, int line, const char* format, const std::string& text)
{
    MessageLog::getInstance()->log(LOG_ERROR, "%s%s", WTDFile::LOG_SOURCE, line, function, format,
                                   text.c_str());
}

// 0 passes, as the power-of-two rule has it.
bool isPowerOfTwo(UINT value)
{
    return (value & (0u - value)) == value;
}

// The wide form of a path for the D3DX file calls, or null when the path is too long to widen: the
// helper then logs why and yields "-", which must never be taken for a file name.
const wchar_t* widenPath(STDFunctions* functions, const std::string& path)
{
    const wchar_t* wide = functions->stringToLPCWSTR(path);
    return path.size() < static_cast<size_t>(STDFunctions::BUFFER_SIZE) ? wide : nullptr;
}

// Runs the checks that adding and replacing share, in their order, and creates the texture from the
// file. Nothing of the archive is touched here, so a failure leaves it exactly as it was.
bool createTextureFromImage(IDirect3DDevice9* device, STDFunctions* functions, const std::string& path,
                            const ImageFileMessages& messages, D3DXIMAGE_INFO& info,
                            ComPtr<IDirect3DTexture9>& texture)
{
    texture.reset();
    // A path too long to widen would be looked up as "-": it names no file of the user's.
    if (path.size() >= static_cast<size_t>(STDFunctions::BUFFER_SIZE) || !STDFunctions::pathExists(path)) {
        logError(messages.function, messages.invalidPathLine, "Invalid file path: ", path);
        return false;
    }
    if (FAILED(D3DXGetImageInfoFromFileW(widenPath(functions, path), &info))) {
        logError(messages.function, messages.imageInfoLine,
                 "Unable to get image information for file: ", path);
        return false;
    }
    if (!isPowerOfTwo(info.Width) || !isPowerOfTwo(info.Height)) {
        MessageLog::getInstance()->log(
            LOG_ERROR, "The texture width: %i and height: %i must be a power of 2, file: %s",
            WTDFile::LOG_SOURCE, messages.powerOfTwoLine, messages.function, static_cast<int>(info.Width),
            static_cast<int>(info.Height), path.c_str());
        return false;
    }
    // A record holds widths and heights as signed 16-bit numbers: 16384 is the largest power of two that
    // fits (and the largest texture the device makes).
    if (info.Width > D3D_MAX_TEXTURE_DIMENSION || info.Height > D3D_MAX_TEXTURE_DIMENSION) {
        MessageLog::getInstance()->log(LOG_ERROR,
                                       "The texture size %i x %i is above the largest an archive can hold "
                                       "(%i pixels a side), file: %s",
                                       WTDFile::LOG_SOURCE, messages.powerOfTwoLine, messages.function,
                                       static_cast<int>(info.Width), static_cast<int>(info.Height),
                                       static_cast<int>(D3D_MAX_TEXTURE_DIMENSION), path.c_str());
        return false;
    }
    if (FAILED(D3DXCreateTextureFromFileW(device, widenPath(functions, path), texture.put())) || !texture) {
        texture.reset();
        logError(messages.function, messages.createLine, "Failed to create texture for file: ", path);
        return false;
    }
    return true;
}

// Describes the image in the record. The level count is limited to the full chain of the dimensions:
// a file claiming more levels would make the archive describe levels that do not exist.
void describeImage(TextureTOCItem& record, const D3DXIMAGE_INFO& info)
{
    record.width = static_cast<int16_t>(info.Width);
    record.height = static_cast<int16_t>(info.Height);
    const UINT fullChain = static_cast<UINT>(WTDFile::countMipLevels(record.width, record.height));
    UINT levels = info.MipLevels < fullChain ? info.MipLevels : fullChain;
    record.mipLevelCount = static_cast<uint8_t>(levels < 1 ? 1 : levels);
    record.format = static_cast<uint32_t>(info.Format);
    const int16_t stride =
        record.format == WTDFile::FORMAT_DXT1 ? static_cast<int16_t>(record.width / 2) : record.width;
    record.stride = static_cast<uint16_t>(stride);
}

// "<lead><index> is outside the texture list limits: <count>"; extraction words its lead differently.
void logIndexError(const char* function, int line, const char* lead, uint32_t index, size_t count)
{
    MessageLog::getInstance()->log(LOG_ERROR, "%s%i is outside the texture list limits: %i",
                                   WTDFile::LOG_SOURCE, line, function, lead, static_cast<int>(index),
                                   static_cast<int>(count));
}

// Copies level 0 byte for byte, row by row through both locks; the caller has checked that the
// formats and sizes agree.
bool copyLevelBytes(IDirect3DTexture9* source, IDirect3DTexture9* target, const D3DSURFACE_DESC& level)
{
    D3DLOCKED_RECT from = {};
    D3DLOCKED_RECT to = {};
    if (FAILED(source->LockRect(0, &from, nullptr, D3DLOCK_READONLY)))
        return false;
    const bool locked = SUCCEEDED(target->LockRect(0, &to, nullptr, 0));
    if (locked) {
        const size_t rowBytes = TextureFormatTable::pitch(level.Format, level.Width);
        const UINT rows = TextureFormatTable::rowCount(level.Format, level.Height);
        for (UINT row = 0; row < rows; ++row)
            std::memcpy(static_cast<uint8_t*>(to.pBits) + size_t(row) * to.Pitch,
                        static_cast<const uint8_t*>(from.pBits) + size_t(row) * from.Pitch, rowBytes);
        target->UnlockRect(0);
    }
    source->UnlockRect(0);
    return locked;
}

// Level 0 of the new chain is the old picture. Where format and size agree it is copied exactly, so
// generating the chain again never degrades the top level by decoding and re-encoding it; otherwise
// D3DX converts it.
bool copyTopLevel(IDirect3DTexture9* source, IDirect3DTexture9* target)
{
    D3DSURFACE_DESC from = {};
    D3DSURFACE_DESC to = {};
    if (FAILED(source->GetLevelDesc(0, &from)) || FAILED(target->GetLevelDesc(0, &to)))
        return false;
    if (from.Format == to.Format && from.Width == to.Width && from.Height == to.Height)
        return copyLevelBytes(source, target, from);
    ComPtr<IDirect3DSurface9> sourceSurface;
    ComPtr<IDirect3DSurface9> targetSurface;
    return SUCCEEDED(source->GetSurfaceLevel(0, sourceSurface.put())) &&
           SUCCEEDED(target->GetSurfaceLevel(0, targetSurface.put())) &&
           SUCCEEDED(D3DXLoadSurfaceFromSurface(targetSurface.get(), nullptr, nullptr, sourceSurface.get(),
                                                nullptr, nullptr, D3DX_DEFAULT, 0));
}

// Fills a new texture's levels from the old texture's level 0: level 0 copied, the rest filtered down.
bool fillMipChain(IDirect3DTexture9* source, IDirect3DTexture9* target)
{
    return copyTopLevel(source, target) && SUCCEEDED(D3DXFilterTexture(target, nullptr, 0, D3DX_DEFAULT));
}
} // namespace

// A texture's own name becomes a file name inside the chosen folder only when it cannot lead out of
// it: no separators, no drive colon, no control characters, and not the folder or its parent.
bool WTDFile::isSafeFileName(const std::string& name)
{
    if (name.empty() || name == "." || name == "..")
        return false;
    for (unsigned char character : name) {
        if (character == '/' || character == '\\' || character == ':' || character < 0x20 ||
            character == 0x7F)
            return false;
    }
    return true;
}

std::string WTDFile::extractionPath(const std::string& folder, const std::string& fileName)
{
    if (folder.empty())
        return fileName;
    if (folder.back() == '/')
        return folder + fileName;
    return folder + "/" + fileName;
}

bool WTDFile::addTexture(std::string path, std::string name)
{
    if (m_textures.size() >= MAX_TEXTURE_COUNT) {
        MessageLog::getInstance()->log(
            LOG_ERROR, "The archive already holds the most textures it can describe: %i, file not added: %s",
            WTDFile::LOG_SOURCE, 1088, "WTDFile::addTexture", static_cast<int>(MAX_TEXTURE_COUNT),
            path.c_str());
        return false;
    }
    D3DXIMAGE_INFO info = {};
    TextureEntry entry;
    if (!createTextureFromImage(m_device, m_stdFunctions, path, ADD_MESSAGES, info, entry.texture))
        return false;
    describeImage(entry.record, info);
    if (name.empty()) {
        std::string folder;
        PathSpelling::splitPath(path, folder, name);
    }
    entry.name = name;
    m_textures.push_back(std::move(entry));
    MessageLog::getInstance()->log(LOG_INFORMATION, "Added new texture: %s to file: %s", WTDFile::LOG_SOURCE,
                                   1150, "WTDFile::addTexture", m_textures.back().name.c_str(),
                                   m_filePath.c_str());
    m_modified = true;
    return true;
}

bool WTDFile::replaceTexture(std::string path, uint32_t index)
{
    if (!isValidIndex(m_textures, index)) {
        logIndexError("WTDFile::replaceTexture", 1170, "Index supplied: ", index, m_textures.size());
        return false;
    }
    // The old picture goes only once the new one exists, so a failure keeps the texture as it was.
    D3DXIMAGE_INFO info = {};
    ComPtr<IDirect3DTexture9> texture;
    if (!createTextureFromImage(m_device, m_stdFunctions, path, REPLACE_MESSAGES, info, texture))
        return false;
    TextureEntry& entry = m_textures[index];
    entry.texture = std::move(texture);
    describeImage(entry.record, info);
    // Names the picture that came in: the archive's own path is already on the file list.
    MessageLog::getInstance()->log(LOG_INFORMATION, "Replaced the texture: %s with file: %s",
                                   WTDFile::LOG_SOURCE, 1231, "WTDFile::replaceTexture", entry.name.c_str(),
                                   path.c_str());
    m_modified = true;
    return true;
}

bool WTDFile::deleteTexture(uint32_t index)
{
    if (!isValidIndex(m_textures, index)) {
        logIndexError("WTDFile::deleteTexture", 1257, "Index supplied: ", index, m_textures.size());
        return false;
    }
    TextureEntry& entry = m_textures[index];
    MessageLog::getInstance()->log(LOG_INFORMATION, "Deleted the texture %s at position: %i",
                                   WTDFile::LOG_SOURCE, 1263, "WTDFile::deleteTexture", entry.name.c_str(),
                                   static_cast<int>(index));
    m_textures.erase(m_textures.begin() + index);
    m_modified = true;
    return true;
}

bool WTDFile::extractTexture(uint32_t index, std::string folder, std::string name)
{
    if (!isValidIndex(m_textures, index)) {
        logIndexError("WTDFile::extractTexture", 1056, "Index: ", index, m_textures.size());
        return false;
    }
    const TextureEntry& entry = m_textures[index];
    if (name.empty() && !isSafeFileName(entry.name)) {
        logError("WTDFile::extractTexture", 1062,
                 "Failed to extract, the texture's name cannot be used as a file name: ", entry.name);
        return false;
    }
    const std::string target = extractionPath(folder, name.empty() ? entry.name : name);
    const wchar_t* wideTarget = widenPath(m_stdFunctions, target);
    if (!entry.texture || !wideTarget ||
        FAILED(D3DXSaveTextureToFileW(wideTarget, D3DXIFF_DDS, entry.texture.get(), nullptr))) {
        MessageLog::getInstance()->log(LOG_ERROR, "Failed to extract: %s as: %s", WTDFile::LOG_SOURCE, 1071,
                                       "WTDFile::extractTexture", entry.name.c_str(), target.c_str());
        return false;
    }
    MessageLog::getInstance()->log(LOG_INFORMATION, "Extracted: %s as: %s", WTDFile::LOG_SOURCE, 1076,
                                   "WTDFile::extractTexture", entry.name.c_str(), target.c_str());
    return true;
}

bool WTDFile::generateMipMaps(uint32_t index)
{
    if (!isValidIndex(m_textures, index)) {
        logIndexError("WTDFile::generateMipMaps", 1283, "Index supplied: ", index, m_textures.size());
        return false;
    }
    TextureEntry& entry = m_textures[index];
    const int levels = countMipLevels(entry.record.width, entry.record.height);
    // The new chain replaces the old texture only when every level of it was made: a failed copy or
    // filter would otherwise be saved as black levels.
    ComPtr<IDirect3DTexture9> texture;
    const bool made = entry.texture && m_device && levels > 0 &&
                      SUCCEEDED(m_device->CreateTexture(
                          static_cast<UINT>(entry.record.width), static_cast<UINT>(entry.record.height),
                          static_cast<UINT>(levels), 0, static_cast<D3DFORMAT>(entry.record.format),
                          D3DPOOL_MANAGED, texture.put(), nullptr)) &&
                      texture && fillMipChain(entry.texture.get(), texture.get());
    if (!made) {
        texture.reset();
        MessageLog::getInstance()->log(LOG_ERROR,
                                       "Failed to create texture for MipMap generation on texture %i: %s",
                                       WTDFile::LOG_SOURCE, 1301, "WTDFile::generateMipMaps",
                                       static_cast<int>(index), entry.name.c_str());
        return false;
    }
    entry.texture = std::move(texture);
    entry.record.mipLevelCount = static_cast<uint8_t>(levels);
    MessageLog::getInstance()->log(LOG_INFORMATION, "Generated %i MipMap levels for texture %i: %s",
                                   WTDFile::LOG_SOURCE, 1318, "WTDFile::generateMipMaps", levels,
                                   static_cast<int>(index), entry.name.c_str());
    m_modified = true;
    return true;
}
