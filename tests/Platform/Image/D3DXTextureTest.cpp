#include <gtest/gtest.h>

#include <sys/stat.h>

#include <stb_image_write.h>

#include "Platform/Image/DxtCodec.h"
#include "Platform/Image/ImageFilter.h"
#include "Support/DdsBuilder.h"
#include "Support/TempDirTest.h"
#include "Support/TestHooks.h"
#include "TextureTestSupport.h"

using namespace texture_test;

namespace
{

class D3DXTextureTest : public TempDirTest
{
protected:
    void TearDown() override
    {
        TestHooks::reset();
        TempDirTest::TearDown();
    }

    HRESULT info(const std::string& path, D3DXIMAGE_INFO& out)
    {
        return D3DXGetImageInfoFromFileW(widen(path).c_str(), &out);
    }

    // Copies level 0 of one texture onto level 0 of another as the archive's mip-map generation does:
    // no palettes and no colour key; whole surfaces and the default filter unless a test says otherwise.
    HRESULT copyLevel0(IDirect3DTexture9* to, IDirect3DTexture9* from, DWORD filter = D3DX_DEFAULT,
                       const RECT* toRect = nullptr, const RECT* fromRect = nullptr)
    {
        IDirect3DSurface9* target = nullptr;
        IDirect3DSurface9* source = nullptr;
        EXPECT_EQ(to->GetSurfaceLevel(0, &target), D3D_OK);
        EXPECT_EQ(from->GetSurfaceLevel(0, &source), D3D_OK);
        HRESULT result =
            D3DXLoadSurfaceFromSurface(target, nullptr, toRect, source, nullptr, fromRect, filter, 0);
        target->Release();
        source->Release();
        return result;
    }
};

std::vector<uint8_t> bgraOf(const std::vector<uint8_t>& rgba)
{
    std::vector<uint8_t> bgra(rgba);
    for (size_t i = 0; i < bgra.size(); i += 4) {
        std::swap(bgra[i], bgra[i + 2]);
    }
    return bgra;
}

} // namespace

TEST_F(D3DXTextureTest, CreateTextureKeepsEveryUnknownFormat)
{
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(D3DXCreateTexture(nullptr, 16, 16, 0, 0, D3DFORMAT(0x31424346), D3DPOOL_MANAGED, &texture),
              D3D_OK);
    EXPECT_EQ(texture->GetLevelCount(), 5u);
    EXPECT_EQ(texture->levelSize(0), 256u);
    texture->Release();
    ASSERT_EQ(D3DXCreateTexture(nullptr, 16, 16, 1, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, &texture), D3D_OK);
    EXPECT_EQ(texture->format(), D3DFMT_UNKNOWN);
    EXPECT_EQ(texture->levelSize(0), 256u);
    texture->Release();
    TestHooks::failNextTextureCreation();
    EXPECT_TRUE(FAILED(D3DXCreateTexture(nullptr, 16, 16, 1, D3DUSAGE_AUTOGENMIPMAP, D3DFMT_DXT1,
                                         D3DPOOL_MANAGED, &texture)));
    ASSERT_EQ(
        D3DXCreateTexture(nullptr, 16, 16, 1, D3DUSAGE_AUTOGENMIPMAP, D3DFMT_DXT1, D3DPOOL_MANAGED, &texture),
        D3D_OK);
    texture->Release();
}

TEST_F(D3DXTextureTest, PicturesLoadAsOneLevelOfA8R8G8B8)
{
    const std::vector<uint8_t> picture = makePicture(16, 8, true);
    ASSERT_NE(stbi_write_png("p.png", 16, 8, 4, picture.data(), 16 * 4), 0);
    ASSERT_NE(stbi_write_bmp("p.bmp", 16, 8, 4, picture.data()), 0);
    ASSERT_NE(stbi_write_tga("p.tga", 16, 8, 4, picture.data()), 0);
    ASSERT_NE(stbi_write_jpg("p.jpg", 16, 8, 4, picture.data(), 95), 0);
    struct Case
    {
        const char* path;
        D3DXIMAGE_FILEFORMAT format;
        bool exact;
    } cases[] = {{"p.png", D3DXIFF_PNG, true},
                 {"p.tga", D3DXIFF_TGA, true},
                 {"p.bmp", D3DXIFF_BMP, false},
                 {"p.jpg", D3DXIFF_JPG, false}};
    for (const Case& c : cases) {
        D3DXIMAGE_INFO information = {};
        IDirect3DTexture9* texture = loadTexture(c.path, &information);
        ASSERT_NE(texture, nullptr) << c.path;
        EXPECT_EQ(information.Width, 16u);
        EXPECT_EQ(information.Height, 8u);
        EXPECT_EQ(information.MipLevels, 1u);
        EXPECT_EQ(information.Format, D3DFMT_A8R8G8B8);
        EXPECT_EQ(information.ImageFileFormat, c.format) << c.path;
        EXPECT_EQ(texture->GetLevelCount(), 1u);
        EXPECT_EQ(texture->format(), D3DFMT_A8R8G8B8);
        if (c.exact) {
            const std::vector<uint8_t> bgra = bgraOf(picture);
            EXPECT_TRUE(std::equal(bgra.begin(), bgra.end(), texture->levelData(0))) << c.path;
        } else {
            std::vector<uint8_t> rgb = picture, back = decoded(*texture);
            EXPECT_GE(psnr(rgb, back, false), 25.0) << c.path;
        }
        texture->Release();
    }
}

TEST_F(D3DXTextureTest, ReportsPicturesAboveTheTextureLimitButMakesNoTexture)
{
    const std::vector<uint8_t> wide(32768 * 2 * 3, 0x80);
    ASSERT_NE(stbi_write_png("wide.png", 32768, 2, 3, wide.data(), 32768 * 3), 0);
    D3DXIMAGE_INFO information = {};
    ASSERT_EQ(info("wide.png", information), D3D_OK);
    EXPECT_EQ(information.Width, 32768u);
    EXPECT_EQ(information.Height, 2u);
    EXPECT_EQ(information.MipLevels, 1u);
    IDirect3DTexture9* texture = reinterpret_cast<IDirect3DTexture9*>(1);
    EXPECT_TRUE(FAILED(D3DXCreateTextureFromFileW(nullptr, widen("wide.png").c_str(), &texture)));
    EXPECT_EQ(texture, nullptr);
}

TEST_F(D3DXTextureTest, PicturesClaimingFarMorePixelsThanTheirFileHoldsAreNotDecoded)
{
    // A small JPEG whose frame header is changed to claim 16384 × 16384 pixels: stb_image would fill
    // the missing data with zeros and hand out a gigabyte picture.
    const std::vector<uint8_t> picture = makePicture(8, 8, false);
    ASSERT_NE(stbi_write_jpg("small.jpg", 8, 8, 4, picture.data(), 90), 0);
    std::string bytes = readFile("small.jpg");
    const size_t frame = bytes.find("\xFF\xC0");
    ASSERT_NE(frame, std::string::npos);
    bytes[frame + 5] = bytes[frame + 7] = char(0x40); // height and width 0x4000, big-endian
    bytes[frame + 6] = bytes[frame + 8] = 0;
    writeFile("claims.jpg", bytes);
    D3DXIMAGE_INFO information = {};
    ASSERT_EQ(info("claims.jpg", information), D3D_OK) << "the header itself is described";
    EXPECT_EQ(information.Width, 16384u);
    EXPECT_EQ(information.Height, 16384u);
    IDirect3DTexture9* texture = reinterpret_cast<IDirect3DTexture9*>(1);
    EXPECT_TRUE(FAILED(D3DXCreateTextureFromFileW(nullptr, widen("claims.jpg").c_str(), &texture)));
    EXPECT_EQ(texture, nullptr);
    // A real picture larger than the free allowance packs far better than the limit needs: a flat
    // 4096 × 4112 PNG of a few kilobytes loads.
    const std::vector<uint8_t> flat(size_t(4096) * 4112, 0x5A);
    ASSERT_NE(stbi_write_png("flat.png", 4096, 4112, 1, flat.data(), 4096), 0);
    texture = loadTexture("flat.png");
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->height(0), 4112u);
    texture->Release();
}

TEST_F(D3DXTextureTest, GifPicturesLoad)
{
    if (!toolExists("/usr/bin/convert")) {
        GTEST_SKIP() << "ImageMagick is not installed";
    }
    ASSERT_TRUE(run("/usr/bin/convert -size 8x4 xc:red p.gif"));
    D3DXIMAGE_INFO information = {};
    IDirect3DTexture9* texture = loadTexture("p.gif", &information);
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(information.Width, 8u);
    EXPECT_EQ(information.Format, D3DFMT_A8R8G8B8);
    EXPECT_EQ(decoded(*texture)[0], 255);
    texture->Release();
}

TEST_F(D3DXTextureTest, RefusesWhatIsNoPictureWeRead)
{
    D3DXIMAGE_INFO information = {};
    EXPECT_TRUE(FAILED(info("missing.png", information)));
    writeFile("empty.png", "");
    EXPECT_TRUE(FAILED(info("empty.png", information)));
    writeFile("text.tga", "this is not a picture at all, just some words");
    EXPECT_TRUE(FAILED(info("text.tga", information)));
    writeFile("picture.pnm", "P6\n2 2\n255\n............");
    EXPECT_TRUE(FAILED(info("picture.pnm", information))) << "stb_image reads PNM, D3DX does not";
    ASSERT_EQ(mkdir("folder", 0777), 0);
    EXPECT_TRUE(FAILED(info("folder", information)));
    ASSERT_EQ(mkfifo("pipe.png", 0666), 0);
    EXPECT_TRUE(FAILED(info("pipe.png", information))) << "a pipe is refused without waiting for a writer";
    // A PNG whose data is cut off: its header describes it, but it cannot be made into a texture.
    const std::vector<uint8_t> picture = makePicture(64, 64, true);
    ASSERT_NE(stbi_write_png("whole.png", 64, 64, 4, picture.data(), 64 * 4), 0);
    const std::string whole = readFile("whole.png");
    writeFile("cut.png", whole.substr(0, whole.size() / 2));
    IDirect3DTexture9* texture = reinterpret_cast<IDirect3DTexture9*>(1);
    EXPECT_TRUE(FAILED(D3DXCreateTextureFromFileW(nullptr, widen("cut.png").c_str(), &texture)));
    EXPECT_EQ(texture, nullptr);
    EXPECT_TRUE(FAILED(D3DXGetImageInfoFromFileW(nullptr, &information)));
    EXPECT_TRUE(FAILED(D3DXCreateTextureFromFileW(nullptr, nullptr, &texture)));
}

TEST_F(D3DXTextureTest, WidePathsAreNarrowedToTheirBytes)
{
    const std::string name = "t\xE9st \xC3\xA9%s.dds";
    ASSERT_TRUE(DdsBuilder(D3DFMT_DXT1, 4, 4).write(name));
    D3DXIMAGE_INFO information = {};
    EXPECT_EQ(info(name, information), D3D_OK);
    IDirect3DTexture9* texture = loadTexture(name);
    ASSERT_NE(texture, nullptr);
    const std::string copy = "c\xF6py.dds";
    EXPECT_EQ(D3DXSaveTextureToFileW(widen(copy).c_str(), D3DXIFF_DDS, texture, nullptr), D3D_OK);
    EXPECT_EQ(readFile(copy), readFile(name));
    texture->Release();
}

TEST_F(D3DXTextureTest, BackslashesInFileNamesAreFolderSeparators)
{
    // The system joins its paths with backslashes, and the file-attribute check that runs before
    // these calls takes them as separators: the D3DX calls must name the same file.
    ASSERT_EQ(mkdir("out", 0777), 0);
    ASSERT_TRUE(DdsBuilder(D3DFMT_DXT1, 4, 4).write("out/in.dds"));
    const std::wstring wideIn = widen("out\\in.dds");
    ASSERT_NE(GetFileAttributesW(wideIn.c_str()), INVALID_FILE_ATTRIBUTES);
    D3DXIMAGE_INFO information = {};
    EXPECT_EQ(D3DXGetImageInfoFromFileW(wideIn.c_str(), &information), D3D_OK);
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(D3DXCreateTextureFromFileW(nullptr, wideIn.c_str(), &texture), D3D_OK);
    EXPECT_EQ(D3DXSaveTextureToFileW(widen("out\\rock").c_str(), D3DXIFF_DDS, texture, nullptr), D3D_OK);
    EXPECT_EQ(readFile("out/rock"), readFile("out/in.dds"));
    struct stat status;
    EXPECT_NE(stat("out\\rock", &status), 0) << "no file named with a backslash";
    texture->Release();
}

TEST_F(D3DXTextureTest, CreationFromFileHonoursTheFailureHook)
{
    ASSERT_TRUE(DdsBuilder(D3DFMT_DXT5, 8, 8, 4).write("a.dds"));
    TestHooks::failNextTextureCreation(D3DFMT_DXT5);
    EXPECT_EQ(loadTexture("a.dds"), nullptr);
    IDirect3DTexture9* texture = loadTexture("a.dds");
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->GetLevelCount(), 4u);
    texture->Release();
}

TEST_F(D3DXTextureTest, LoadSurfaceConvertsScalesAndKeepsSameFormatBytes)
{
    const std::vector<uint8_t> picture = makePicture(16, 16, true);
    IDirect3DTexture9* source = textureFrom(picture, 16, 16, D3DFMT_A8R8G8B8);
    IDirect3DTexture9* dxt5 = nullptr;
    ASSERT_EQ(D3DXCreateTexture(nullptr, 16, 16, 0, 0, D3DFMT_DXT5, D3DPOOL_MANAGED, &dxt5), D3D_OK);
    const uint64_t before = dxt5->revision();
    EXPECT_EQ(copyLevel0(dxt5, source), D3D_OK);
    EXPECT_GT(dxt5->revision(), before);
    EXPECT_GE(psnr(picture, decoded(*dxt5), true), 25.0);
    // The same format and size: the bytes are copied, not re-encoded.
    IDirect3DTexture9* copy = nullptr;
    ASSERT_EQ(D3DXCreateTexture(nullptr, 16, 16, 0, 0, D3DFMT_DXT5, D3DPOOL_MANAGED, &copy), D3D_OK);
    EXPECT_EQ(copyLevel0(copy, dxt5), D3D_OK);
    EXPECT_TRUE(std::equal(copy->levelData(0), copy->levelData(0) + copy->levelSize(0), dxt5->levelData(0)));
    // Smaller target: a box filter; point filter picks pixels.
    IDirect3DTexture9* small = nullptr;
    ASSERT_EQ(D3DXCreateTexture(nullptr, 8, 8, 1, 0, D3DFMT_A8B8G8R8, D3DPOOL_MANAGED, &small), D3D_OK);
    EXPECT_EQ(copyLevel0(small, source, D3DX_FILTER_POINT), D3D_OK);
    EXPECT_TRUE(std::equal(small->levelData(0), small->levelData(0) + 4, picture.data() + (16 + 1) * 4));
    EXPECT_EQ(copyLevel0(small, source), D3D_OK);
    std::vector<uint8_t> halved;
    ImageFilter::halve(picture.data(), 16, 16, halved);
    EXPECT_GE(psnr(halved, decoded(*small), true), 45.0);
    // Rectangles: a 2x2 part of the source into a 4x4 part of a pixel-format target.
    RECT from = {0, 0, 2, 2};
    RECT to = {4, 4, 8, 8};
    const std::vector<uint8_t> untouched = decoded(*small);
    EXPECT_EQ(copyLevel0(small, source, D3DX_FILTER_POINT, &to, &from), D3D_OK);
    const std::vector<uint8_t> after = decoded(*small);
    EXPECT_TRUE(std::equal(after.begin(), after.begin() + 8 * 4 * 4, untouched.begin())) << "rows above stay";
    EXPECT_TRUE(
        std::equal(after.begin() + (4 * 8 + 4) * 4, after.begin() + (4 * 8 + 5) * 4, picture.begin()));
    // Refused: partial rectangles of block formats, rectangles outside, opaque formats, palettes.
    EXPECT_TRUE(FAILED(copyLevel0(dxt5, source, D3DX_DEFAULT, &to, nullptr)));
    RECT outside = {0, 0, 17, 16};
    EXPECT_TRUE(FAILED(copyLevel0(small, source, D3DX_DEFAULT, nullptr, &outside)));
    IDirect3DTexture9* opaque = nullptr;
    ASSERT_EQ(D3DXCreateTexture(nullptr, 16, 16, 1, 0, D3DFMT_R32F, D3DPOOL_MANAGED, &opaque), D3D_OK);
    EXPECT_TRUE(FAILED(copyLevel0(opaque, source)));
    EXPECT_TRUE(FAILED(copyLevel0(source, opaque)));
    IDirect3DSurface9* surface = nullptr;
    ASSERT_EQ(source->GetSurfaceLevel(0, &surface), D3D_OK);
    PALETTEENTRY palette[256] = {};
    EXPECT_TRUE(FAILED(
        D3DXLoadSurfaceFromSurface(surface, palette, nullptr, surface, nullptr, nullptr, D3DX_DEFAULT, 0)));
    EXPECT_TRUE(FAILED(
        D3DXLoadSurfaceFromSurface(nullptr, nullptr, nullptr, surface, nullptr, nullptr, D3DX_DEFAULT, 0)));
    surface->Release();
    for (IDirect3DTexture9* texture : {source, dxt5, copy, small, opaque}) {
        texture->Release();
    }
}

TEST_F(D3DXTextureTest, LoadSurfaceConvertsBetweenEveryPairOfFormats)
{
    // Each decodable source into each encodable target of the same size holds what the target's
    // encoding makes of the source's decoded pixels (the source's own bytes when the format is the same).
    UINT count = 0;
    const TextureFormatInfo* rows = TextureFormatTable::rows(&count);
    const std::vector<uint8_t> picture = makePicture(8, 8, true);
    for (UINT from = 0; from < count; ++from) {
        if (!rows[from].decodable) {
            continue;
        }
        IDirect3DTexture9* source = textureFrom(picture, 8, 8, rows[from].code);
        ASSERT_NE(source, nullptr) << rows[from].name;
        const std::vector<uint8_t> pixels = decoded(*source);
        for (UINT to = 0; to < count; ++to) {
            if (!rows[to].encodable) {
                continue;
            }
            IDirect3DTexture9* target = nullptr;
            ASSERT_EQ(D3DXCreateTexture(nullptr, 8, 8, 1, 0, rows[to].code, D3DPOOL_MANAGED, &target),
                      D3D_OK);
            EXPECT_EQ(copyLevel0(target, source), D3D_OK) << rows[from].name << " to " << rows[to].name;
            // The same format keeps the source's bytes as they are.
            std::vector<uint8_t> expected(source->levelData(0), source->levelData(0) + source->levelSize(0));
            if (rows[to].code != rows[from].code) {
                expected.assign(target->levelSize(0), 0);
                ASSERT_TRUE(PixelConverter::encode(rows[to].code, pixels.data(), 8, 8, expected.data()));
            }
            ASSERT_EQ(expected.size(), target->levelSize(0));
            EXPECT_TRUE(std::equal(expected.begin(), expected.end(), target->levelData(0)))
                << rows[from].name << " to " << rows[to].name;
            target->Release();
        }
        source->Release();
    }
}

// Levels taller than the rows the filter decodes at once, of odd heights and of block formats whose
// lower levels are less than a block high: every level is what halving the whole decoded level 0 and
// encoding each level once gives.
TEST_F(D3DXTextureTest, FilterTextureOfTallAndOddLevelsEqualsHalvingTheWholeLevel)
{
    struct Case
    {
        UINT width;
        UINT height;
        D3DFORMAT format;
    };
    const Case cases[] = {{8, 100, D3DFMT_DXT5},     {12, 100, D3DFMT_DXT1},  {7, 37, D3DFMT_A8R8G8B8},
                          {64, 65, D3DFMT_A8R8G8B8}, {3, 1, D3DFMT_A8R8G8B8}, {16, 256, D3DFMT_DXT3}};
    for (const Case& c : cases) {
        const std::vector<uint8_t> picture = makePicture(c.width, c.height, true);
        IDirect3DTexture9* texture = textureFrom(picture, c.width, c.height, c.format, 0);
        ASSERT_NE(texture, nullptr);
        ASSERT_EQ(D3DXFilterTexture(texture, nullptr, 0, D3DX_DEFAULT), D3D_OK);
        std::vector<uint8_t> expected = decoded(*texture, 0);
        std::vector<uint8_t> next;
        for (UINT level = 1; level < texture->GetLevelCount(); ++level) {
            ImageFilter::halve(expected.data(), texture->width(level - 1), texture->height(level - 1), next);
            expected.swap(next);
            std::vector<uint8_t> stored(texture->levelSize(level));
            PixelConverter::encode(c.format, expected.data(), texture->width(level), texture->height(level),
                                   stored.data());
            EXPECT_TRUE(std::equal(stored.begin(), stored.end(), texture->levelData(level)))
                << c.width << "x" << c.height << " format " << c.format << " level " << level;
        }
        texture->Release();
    }
}

TEST_F(D3DXTextureTest, FilterTextureBuildsEveryLevelFromTheOneAbove)
{
    const std::vector<uint8_t> picture = makePicture(32, 16, true);
    IDirect3DTexture9* texture = textureFrom(picture, 32, 16, D3DFMT_A8R8G8B8, 0);
    ASSERT_NE(texture, nullptr);
    ASSERT_EQ(texture->GetLevelCount(), 6u);
    const std::vector<uint8_t> level0(texture->levelData(0), texture->levelData(0) + texture->levelSize(0));
    EXPECT_EQ(D3DXFilterTexture(texture, nullptr, 0, D3DX_DEFAULT), D3D_OK);
    std::vector<uint8_t> expected = picture, next;
    for (UINT level = 1; level < 6; ++level) {
        ImageFilter::halve(expected.data(), texture->width(level - 1), texture->height(level - 1), next);
        expected.swap(next);
        EXPECT_EQ(decoded(*texture, level), expected) << "level " << level;
    }
    EXPECT_TRUE(std::equal(level0.begin(), level0.end(), texture->levelData(0))) << "level 0 is the source";
    EXPECT_EQ(D3DXFilterTexture(texture, nullptr, D3DX_DEFAULT, D3DX_DEFAULT), D3D_OK);
    EXPECT_TRUE(FAILED(D3DXFilterTexture(texture, nullptr, 6, D3DX_DEFAULT)));
    EXPECT_TRUE(FAILED(D3DXFilterTexture(nullptr, nullptr, 0, D3DX_DEFAULT)));
    texture->Release();

    // A block format: from the decoded level 0, each level is the 2x2 average of the level above as
    // it was before encoding (no loss accumulates down the chain), encoded once.
    IDirect3DTexture9* dxt = textureFrom(picture, 32, 16, D3DFMT_DXT5, 0);
    ASSERT_EQ(D3DXFilterTexture(dxt, nullptr, 0, D3DX_DEFAULT), D3D_OK);
    expected = decoded(*dxt, 0);
    for (UINT level = 1; level < dxt->GetLevelCount(); ++level) {
        ImageFilter::halve(expected.data(), dxt->width(level - 1), dxt->height(level - 1), next);
        expected.swap(next);
        std::vector<uint8_t> blocks(dxt->levelSize(level));
        DxtCodec::encodeImage(BlockCodec::Dxt5, expected.data(), dxt->width(level), dxt->height(level),
                              blocks.data());
        EXPECT_TRUE(std::equal(blocks.begin(), blocks.end(), dxt->levelData(level))) << "level " << level;
    }
    dxt->Release();

    IDirect3DTexture9* opaque = nullptr;
    ASSERT_EQ(D3DXCreateTexture(nullptr, 8, 8, 0, 0, D3DFORMAT(0x77), D3DPOOL_MANAGED, &opaque), D3D_OK);
    EXPECT_TRUE(FAILED(D3DXFilterTexture(opaque, nullptr, 0, D3DX_DEFAULT)));
    opaque->Release();
}
