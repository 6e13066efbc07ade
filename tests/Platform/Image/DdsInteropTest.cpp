// DDS files exchanged with independent tools: files made by ImageMagick and nvcompress are read by
// us, and files we write are read by ImageMagick and Pillow. Every file is made at run time from a
// picture the test makes; a test is skipped only when its tool is not installed.

#include <gtest/gtest.h>

#include <stb_image.h>
#include <stb_image_write.h>

#include <fstream>
#include <iterator>

#include "Platform/Image/DdsFile.h"
#include "Support/TempDirTest.h"
#include "TextureTestSupport.h"

using namespace texture_test;

namespace
{

const char* const CONVERT = "/usr/bin/convert";
const char* const NVCOMPRESS = "/usr/bin/nvcompress";
const char* const PYTHON = "/usr/bin/python3";

class DdsInterop : public TempDirTest
{
protected:
    // Writes a PNG; an opaque picture is written without an alpha channel, so tools see it as RGB.
    void writePicture(const std::string& path, const std::vector<uint8_t>& rgba, UINT width, UINT height)
    {
        bool opaque = true;
        for (size_t i = 3; i < rgba.size(); i += 4) {
            opaque = opaque && rgba[i] == 255;
        }
        std::vector<uint8_t> rgb;
        for (size_t i = 0; opaque && i < rgba.size(); ++i) {
            if (i % 4 != 3) {
                rgb.push_back(rgba[i]);
            }
        }
        const int channels = opaque ? 3 : 4;
        const uint8_t* pixels = opaque ? rgb.data() : rgba.data();
        ASSERT_NE(
            stbi_write_png(path.c_str(), int(width), int(height), channels, pixels, int(width) * channels),
            0);
    }

    // ImageMagick's own decode of a file's first image, as RGBA.
    std::vector<uint8_t> decodeWithImageMagick(const std::string& path, UINT width, UINT height)
    {
        const std::string png = path + ".png";
        EXPECT_TRUE(run(std::string(CONVERT) + " " + path + " PNG32:" + png))
            << "ImageMagick cannot read " << path;
        return readPng(png, width, height);
    }

    std::vector<uint8_t> readPng(const std::string& path, UINT width, UINT height)
    {
        int w = 0, h = 0, channels = 0;
        stbi_uc* pixels = stbi_load(path.c_str(), &w, &h, &channels, 4);
        if (pixels == nullptr) {
            ADD_FAILURE() << "cannot read " << path;
            return {};
        }
        EXPECT_EQ(UINT(w), width);
        EXPECT_EQ(UINT(h), height);
        std::vector<uint8_t> rgba(pixels, pixels + size_t(w) * h * 4);
        stbi_image_free(pixels);
        return rgba;
    }

    // Reads a file of ours with Pillow and returns its pixels as RGBA.
    std::vector<uint8_t> decodeWithPillow(const std::string& path)
    {
        const std::string raw = path + ".rgba";
        const std::string script =
            "from PIL import Image; import sys; "
            "Image.open(sys.argv[1]).convert('RGBA').save(sys.argv[2] + '.png'); "
            "open(sys.argv[2], 'wb').write(Image.open(sys.argv[1]).convert('RGBA').tobytes())";
        EXPECT_TRUE(run(std::string(PYTHON) + " -c \"" + script + "\" " + path + " " + raw))
            << "Pillow cannot read " << path;
        std::ifstream in(raw, std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
    }

    // Loads a file with our reader and checks what it reports.
    IDirect3DTexture9* loadChecked(const std::string& path, D3DFORMAT format, UINT width, UINT height,
                                   UINT levels)
    {
        D3DXIMAGE_INFO info = {};
        IDirect3DTexture9* texture = loadTexture(path, &info);
        EXPECT_NE(texture, nullptr) << path;
        EXPECT_EQ(info.Format, format) << path;
        EXPECT_EQ(info.Width, width) << path;
        EXPECT_EQ(info.Height, height) << path;
        EXPECT_EQ(info.MipLevels, levels) << path;
        EXPECT_EQ(info.ImageFileFormat, D3DXIFF_DDS);
        if (texture != nullptr) {
            EXPECT_EQ(texture->GetLevelCount(), levels);
            EXPECT_EQ(texture->format(), format);
        }
        return texture;
    }

    static uint32_t field(const std::vector<uint8_t>& file, size_t offset)
    {
        return uint32_t(file[offset]) | uint32_t(file[offset + 1]) << 8 | uint32_t(file[offset + 2]) << 16 |
               uint32_t(file[offset + 3]) << 24;
    }

    std::vector<uint8_t> fileBytes(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
    }

    // Checks the header of a file we wrote from a texture.
    void expectHeader(const std::string& path, const IDirect3DTexture9& texture)
    {
        const std::vector<uint8_t> file = fileBytes(path);
        ASSERT_GE(file.size(), 128u);
        const TextureFormatInfo& info = texture.formatInfo();
        const bool block = info.kind == FormatKind::Block;
        const UINT levels = texture.GetLevelCount();
        size_t total = 128;
        for (UINT level = 0; level < levels; ++level) {
            total += texture.levelSize(level);
        }
        EXPECT_EQ(file.size(), total);
        EXPECT_EQ(field(file, 0), 0x20534444u);
        EXPECT_EQ(field(file, 4), 124u);
        const uint32_t flags = field(file, 8);
        EXPECT_EQ(flags & 0x1007u, 0x1007u) << "caps, height, width and pixel format are required";
        EXPECT_EQ((flags & 0x80000u) != 0, block) << "linear size flag";
        EXPECT_EQ((flags & 0x8u) != 0, !block) << "pitch flag";
        EXPECT_EQ((flags & 0x20000u) != 0, levels > 1) << "mip-map count flag";
        EXPECT_EQ(field(file, 12), texture.height(0));
        EXPECT_EQ(field(file, 16), texture.width(0));
        EXPECT_EQ(field(file, 20),
                  block ? uint32_t(texture.levelSize(0)) : texture.width(0) * info.bitsPerPixel / 8);
        EXPECT_EQ(field(file, 28), levels);
        EXPECT_EQ(field(file, 76), 32u);
        EXPECT_EQ(field(file, 80), info.dds.flags);
        EXPECT_EQ(field(file, 84), info.dds.fourCC);
        EXPECT_EQ(field(file, 88), info.dds.rgbBitCount);
        EXPECT_EQ(field(file, 92), info.dds.redMask);
        EXPECT_EQ(field(file, 96), info.dds.greenMask);
        EXPECT_EQ(field(file, 100), info.dds.blueMask);
        EXPECT_EQ(field(file, 104), info.dds.alphaMask);
        const uint32_t caps = field(file, 108);
        EXPECT_NE(caps & 0x1000u, 0u);
        EXPECT_EQ((caps & 0x400008u) == 0x400008u, levels > 1) << "complex and mip-map caps";
        EXPECT_EQ(field(file, 112), 0u);
    }

    // Makes a texture of ours in a format, with a full chain when mipMaps is set, and saves it. DXT1
    // gets a cut-out picture, so its three-colour blocks with transparency are read back too.
    IDirect3DTexture9* saveOurs(const std::string& path, D3DFORMAT format, bool mipMaps, UINT width,
                                UINT height)
    {
        const bool alpha = format != D3DFMT_X8R8G8B8 && format != D3DFMT_R8G8B8;
        const bool cutOut = format == D3DFMT_DXT1;
        IDirect3DTexture9* texture =
            textureFrom(makePicture(width, height, alpha, cutOut), width, height, format, mipMaps ? 0 : 1);
        EXPECT_NE(texture, nullptr);
        if (texture == nullptr) {
            return nullptr;
        }
        EXPECT_EQ(D3DXFilterTexture(texture, nullptr, 0, D3DX_DEFAULT), D3D_OK);
        EXPECT_EQ(D3DXSaveTextureToFileW(widen(path).c_str(), D3DXIFF_DDS, texture, nullptr), D3D_OK);
        return texture;
    }
};

struct MadeFile
{
    const char* options;
    D3DFORMAT format;
    bool alpha;
    bool binaryAlpha;
};

} // namespace

TEST_F(DdsInterop, ImageMagickDxtFilesDecodeExactlyAsImageMagickDecodesThem)
{
    if (!toolExists(CONVERT)) {
        GTEST_SKIP() << "ImageMagick is not installed";
    }
    const MadeFile made[] = {
        {"-define dds:compression=dxt1", D3DFMT_DXT1, false, false},
        {"-define dds:compression=dxt1", D3DFMT_DXT1, true, true},
        {"-define dds:compression=dxt5", D3DFMT_DXT5, true, false},
    };
    const UINT sizes[][2] = {{64, 64}, {36, 20}, {30, 18}};
    for (const MadeFile& file : made) {
        for (const auto& size : sizes) {
            for (bool mipMaps : {true, false}) {
                SCOPED_TRACE(std::string(file.options) + (mipMaps ? " with mips " : " no mips ") +
                             std::to_string(size[0]) + "x" + std::to_string(size[1]) +
                             (file.binaryAlpha ? " cut-out" : ""));
                writePicture("source.png", makePicture(size[0], size[1], file.alpha, file.binaryAlpha),
                             size[0], size[1]);
                ASSERT_TRUE(run(std::string(CONVERT) + " source.png " + file.options +
                                (mipMaps ? "" : " -define dds:mipmaps=0") + " made.dds"));
                // ImageMagick makes mip maps of power-of-two pictures only: take the count it wrote.
                const std::vector<uint8_t> header = fileBytes("made.dds");
                ASSERT_GE(header.size(), 128u);
                const UINT levels = (field(header, 8) & 0x20000u) != 0 ? field(header, 28) : 1;
                if (size[0] == 64) {
                    EXPECT_EQ(levels, mipMaps ? 7u : 1u);
                }
                IDirect3DTexture9* texture = loadChecked("made.dds", file.format, size[0], size[1], levels);
                ASSERT_NE(texture, nullptr);
                const std::vector<uint8_t> ours = decoded(*texture);
                const std::vector<uint8_t> theirs = decodeWithImageMagick("made.dds", size[0], size[1]);
                EXPECT_EQ(firstDifference(ours, theirs), -1);
                texture->Release();
            }
        }
    }
}

TEST_F(DdsInterop, ImageMagickUncompressedFilesHoldThePictureExactly)
{
    if (!toolExists(CONVERT)) {
        GTEST_SKIP() << "ImageMagick is not installed";
    }
    for (bool alpha : {false, true}) {
        for (bool mipMaps : {true, false}) {
            SCOPED_TRACE(std::string(alpha ? "32-bit" : "24-bit") + (mipMaps ? " with mips" : " no mips"));
            const std::vector<uint8_t> picture = makePicture(64, 32, alpha);
            writePicture("source.png", picture, 64, 32);
            ASSERT_TRUE(run(std::string(CONVERT) + " source.png -define dds:compression=none" +
                            (mipMaps ? "" : " -define dds:mipmaps=0") + " made.dds"));
            IDirect3DTexture9* texture =
                loadChecked("made.dds", alpha ? D3DFMT_A8R8G8B8 : D3DFMT_R8G8B8, 64, 32, mipMaps ? 7 : 1);
            ASSERT_NE(texture, nullptr);
            EXPECT_EQ(firstDifference(decoded(*texture), picture), -1);
            EXPECT_EQ(firstDifference(decoded(*texture), decodeWithImageMagick("made.dds", 64, 32)), -1);
            texture->Release();
        }
    }
}

TEST_F(DdsInterop, NvcompressFilesDecodeExactlyAsImageMagickDecodesThem)
{
    if (!toolExists(NVCOMPRESS) || !toolExists(CONVERT)) {
        GTEST_SKIP() << "nvcompress or ImageMagick is not installed";
    }
    const MadeFile made[] = {
        {"-bc1", D3DFMT_DXT1, false, false},
        {"-bc1a", D3DFMT_DXT1, true, true},
        {"-alpha -bc2", D3DFMT_DXT3, true, false},
        {"-alpha -bc3", D3DFMT_DXT5, true, false},
    };
    for (const MadeFile& file : made) {
        for (bool mipMaps : {true, false}) {
            SCOPED_TRACE(std::string(file.options) + (mipMaps ? " with mips" : " no mips"));
            writePicture("source.png", makePicture(64, 32, file.alpha, file.binaryAlpha), 64, 32);
            ASSERT_TRUE(run(std::string(NVCOMPRESS) + " " + file.options + (mipMaps ? "" : " -nomips") +
                            " source.png made.dds"));
            IDirect3DTexture9* texture = loadChecked("made.dds", file.format, 64, 32, mipMaps ? 7 : 1);
            ASSERT_NE(texture, nullptr);
            EXPECT_EQ(firstDifference(decoded(*texture), decodeWithImageMagick("made.dds", 64, 32)), -1);
            texture->Release();
        }
    }
}

TEST_F(DdsInterop, OurFilesAreReadByImageMagickWithOurPixels)
{
    if (!toolExists(CONVERT)) {
        GTEST_SKIP() << "ImageMagick is not installed";
    }
    const D3DFORMAT formats[] = {D3DFMT_DXT1,     D3DFMT_DXT3,     D3DFMT_DXT5,
                                 D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R8G8B8};
    for (D3DFORMAT format : formats) {
        for (bool mipMaps : {true, false}) {
            SCOPED_TRACE(std::string(TextureFormatTable::describe(format).name) +
                         (mipMaps ? " with mips" : " no mips"));
            IDirect3DTexture9* texture = saveOurs("ours.dds", format, mipMaps, 64, 32);
            ASSERT_NE(texture, nullptr);
            expectHeader("ours.dds", *texture);
            EXPECT_EQ(firstDifference(decoded(*texture), decodeWithImageMagick("ours.dds", 64, 32)), -1);
            texture->Release();
        }
    }
}

TEST_F(DdsInterop, OurFilesAreReadByPillowWithOurPixels)
{
    if (!toolExists(PYTHON) || !run(std::string(PYTHON) + " -c 'import PIL'")) {
        GTEST_SKIP() << "Pillow is not installed";
    }
    // Pillow also reads A8B8G8R8 and the luminance formats by their masks (ImageMagick takes every
    // 32-bit file as blue, green, red, alpha and reads no luminance with alpha). It reads 32-bit files
    // without alpha as packed 24-bit ones, so the X8 formats are left to ImageMagick.
    const D3DFORMAT formats[] = {D3DFMT_DXT1,   D3DFMT_DXT3,     D3DFMT_DXT5, D3DFMT_A8R8G8B8,
                                 D3DFMT_R8G8B8, D3DFMT_A8B8G8R8, D3DFMT_L8,   D3DFMT_A8L8};
    for (D3DFORMAT format : formats) {
        for (bool mipMaps : {true, false}) {
            SCOPED_TRACE(std::string(TextureFormatTable::describe(format).name) +
                         (mipMaps ? " with mips" : " no mips"));
            IDirect3DTexture9* texture = saveOurs("ours.dds", format, mipMaps, 32, 16);
            ASSERT_NE(texture, nullptr);
            expectHeader("ours.dds", *texture);
            EXPECT_EQ(firstDifference(decoded(*texture), decodeWithPillow("ours.dds")), -1);
            texture->Release();
        }
    }
}
