#include "BenchArchive.h"

#include <zlib.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <utility>

#include <unistd.h>

#include "Common/STDFunctions/LittleEndian.h"
#include "RSC/RSCFile.h"

namespace
{
struct Shape
{
    int16_t width;
    int16_t height;
    D3DFORMAT format;
};

const Shape SHAPES[] = {{256, 256, D3DFMT_DXT1},   {256, 256, D3DFMT_DXT5},  {512, 512, D3DFMT_DXT1},
                        {512, 256, D3DFMT_DXT5},   {1024, 512, D3DFMT_DXT1}, {512, 512, D3DFMT_DXT5},
                        {1024, 1024, D3DFMT_DXT1}, {256, 512, D3DFMT_DXT1},  {1024, 1024, D3DFMT_DXT5}};
const Shape SMALL_SHAPE = {64, 64, D3DFMT_DXT1};

// Texture-like bytes: runs of similar values with noise, so they compress about as real pixels do.
void fillLevel(uint8_t* bytes, size_t size, uint32_t seed)
{
    uint32_t state = seed * 2654435761u + 7u;
    for (size_t i = 0; i < size; ++i) {
        state = state * 1103515245u + 12345u;
        bytes[i] = static_cast<uint8_t>((i / 64) * 5 + seed + ((state >> 16) & 0x0F));
    }
}

bool fillTexture(IDirect3DTexture9* texture, uint32_t seed)
{
    for (uint32_t level = 0; level < texture->GetLevelCount(); ++level) {
        D3DLOCKED_RECT locked{};
        if (FAILED(texture->LockRect(level, &locked, nullptr, 0)))
            return false;
        fillLevel(static_cast<uint8_t*>(locked.pBits), texture->levelSize(level), seed);
        texture->UnlockRect(level);
    }
    return true;
}
} // namespace

BenchArchive* BenchArchive::sharedFor(benchmark::State& state, Content content, size_t textureCount)
{
    static std::map<std::pair<Content, size_t>, std::unique_ptr<BenchArchive>> instances;
    std::unique_ptr<BenchArchive>& instance = instances[{content, textureCount}];
    if (!instance)
        instance.reset(new BenchArchive(content, textureCount));
    if (!instance->m_ready) {
        state.SkipWithError("the archive could not be written");
        return nullptr;
    }
    return instance.get();
}

BenchArchive::BenchArchive(Content content, size_t textureCount)
    : m_textureCount(textureCount), m_file(std::make_unique<WTDFile>())
{
    char pattern[] = "/tmp/varnel-bench-XXXXXX";
    m_folder = mkdtemp(pattern) ? pattern : "/tmp";
    m_path = m_folder + "/archive.wtd";
    m_ready = createDevice() && addTextures(content) && m_file->saveFile(m_path, 0) && readBack();
}

BenchArchive::~BenchArchive()
{
    // The archive's textures go before the device they were made on.
    m_file.reset();
    std::remove(m_path.c_str());
    rmdir(m_folder.c_str());
    if (m_device)
        m_device->Release();
    if (m_direct3D)
        m_direct3D->Release();
}

bool BenchArchive::createDevice()
{
    m_direct3D = Direct3DCreate9(D3D_SDK_VERSION);
    D3DPRESENT_PARAMETERS parameters{};
    parameters.Windowed = TRUE;
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    return m_direct3D &&
           SUCCEEDED(m_direct3D->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                              &parameters, &m_device));
}

bool BenchArchive::addTextures(Content content)
{
    for (size_t i = 0; i < m_textureCount; ++i) {
        const Shape& shape =
            content == Content::SmallDxt1 ? SMALL_SHAPE : SHAPES[i % (sizeof(SHAPES) / sizeof(SHAPES[0]))];
        TextureEntry entry;
        entry.name = "texture_" + std::to_string(i);
        entry.record.width = shape.width;
        entry.record.height = shape.height;
        entry.record.format = shape.format;
        entry.record.mipLevelCount = static_cast<uint8_t>(WTDFile::countMipLevels(shape.width, shape.height));
        if (FAILED(D3DXCreateTexture(m_device, shape.width, shape.height, entry.record.mipLevelCount, 0,
                                     shape.format, D3DPOOL_MANAGED, entry.texture.put())))
            return false;
        // Owned by the archive from here, so that it is released whatever happens next.
        m_file->m_textures.push_back(std::move(entry));
        if (!fillTexture(m_file->m_textures.back().texture.get(), static_cast<uint32_t>(i)))
            return false;
    }
    return true;
}

// The stream after the container's header, and the body it inflates to at the sizes the header gives.
bool BenchArchive::readBack()
{
    std::ifstream file(m_path, std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)),
                                     std::istreambuf_iterator<char>());
    if (bytes.size() <= RSCFile::HEADER_SIZE)
        return false;
    const uint32_t flags = LittleEndian::loadU32(bytes.data() + RSCFile::FLAGS_OFFSET);
    m_body.resize(RSCFile::decodeSegmentSize(flags & 0x7FFF) +
                  RSCFile::decodeSegmentSize((flags >> 15) & 0x7FFF));
    m_stream.assign(bytes.begin() + RSCFile::HEADER_SIZE, bytes.end());
    uLongf length = static_cast<uLongf>(m_body.size());
    return uncompress(m_body.data(), &length, m_stream.data(), static_cast<uLong>(m_stream.size())) == Z_OK &&
           length == m_body.size();
}
