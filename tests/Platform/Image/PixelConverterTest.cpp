#include <gtest/gtest.h>

#include "Platform/Image/PixelConverter.h"
#include "TextureTestSupport.h"

using namespace texture_test;

namespace
{

std::vector<uint8_t> encodeThenDecode(D3DFORMAT format, const std::vector<uint8_t>& rgba, UINT width,
                                      UINT height)
{
    std::vector<uint8_t> level(size_t(TextureFormatTable::levelSize(format, width, height)));
    EXPECT_TRUE(PixelConverter::encode(format, rgba.data(), width, height, level.data()));
    std::vector<uint8_t> back(rgba.size());
    EXPECT_TRUE(PixelConverter::decode(format, level.data(), width, height, back.data()));
    return back;
}

} // namespace

TEST(PixelConverter, KnownPixelsOfTheMaskFormats)
{
    const std::vector<uint8_t> pixel = {0x12, 0x34, 0x56, 0x78};
    struct Case
    {
        D3DFORMAT format;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {D3DFMT_A8R8G8B8, {0x56, 0x34, 0x12, 0x78}},
        {D3DFMT_X8R8G8B8, {0x56, 0x34, 0x12, 0xFF}},
        {D3DFMT_A8B8G8R8, {0x12, 0x34, 0x56, 0x78}},
        {D3DFMT_X8B8G8R8, {0x12, 0x34, 0x56, 0xFF}},
        {D3DFMT_R8G8B8, {0x56, 0x34, 0x12}},
        {D3DFMT_A8, {0x78}},
        // R5G6B5, rounded: red 0x12 -> 2, green 0x34 -> 13, blue 0x56 -> 10: 2 << 11 | 13 << 5 | 10.
        {D3DFMT_R5G6B5, {0xAA, 0x11}},
        // A4R4G4B4: alpha 0x78 -> 7, red 1, green 3, blue 5.
        {D3DFMT_A4R4G4B4, {0x35, 0x71}},
        // L8: (77 * 0x12 + 150 * 0x34 + 29 * 0x56 + 128) >> 8 = 46.
        {D3DFMT_L8, {46}},
        {D3DFMT_A8L8, {46, 0x78}},
        // X1R5G5B5: red 2, green 6, blue 10, and the unused top bit set: 0x8000 | 2 << 10 | 6 << 5 | 10.
        {D3DFMT_X1R5G5B5, {0xCA, 0x88}},
        // A1R5G5B5: alpha 0x78 is below half, so the alpha bit is clear.
        {D3DFMT_A1R5G5B5, {0xCA, 0x08}},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> level(c.bytes.size());
        ASSERT_TRUE(PixelConverter::encode(c.format, pixel.data(), 1, 1, level.data()));
        EXPECT_EQ(level, c.bytes) << TextureFormatTable::describe(c.format).name;
    }
}

TEST(PixelConverter, DecodingFillsMissingChannels)
{
    std::vector<uint8_t> rgba(4);
    const uint8_t l8 = 0x80;
    ASSERT_TRUE(PixelConverter::decode(D3DFMT_L8, &l8, 1, 1, rgba.data()));
    EXPECT_EQ(rgba, (std::vector<uint8_t>{0x80, 0x80, 0x80, 0xFF}));
    const uint8_t a8 = 0x40;
    ASSERT_TRUE(PixelConverter::decode(D3DFMT_A8, &a8, 1, 1, rgba.data()));
    EXPECT_EQ(rgba, (std::vector<uint8_t>{0, 0, 0, 0x40}));
    const uint8_t x8[4] = {1, 2, 3, 0};
    ASSERT_TRUE(PixelConverter::decode(D3DFMT_X8R8G8B8, x8, 1, 1, rgba.data()));
    EXPECT_EQ(rgba, (std::vector<uint8_t>{3, 2, 1, 0xFF})) << "the X byte is not alpha";
    // The top bit of X1R5G5B5 is no alpha; the one of A1R5G5B5 is, and half-way alpha sets it.
    const uint8_t r555[2] = {0xCA, 0x08};
    ASSERT_TRUE(PixelConverter::decode(D3DFMT_X1R5G5B5, r555, 1, 1, rgba.data()));
    EXPECT_EQ(rgba, (std::vector<uint8_t>{16, 49, 82, 0xFF}));
    ASSERT_TRUE(PixelConverter::decode(D3DFMT_A1R5G5B5, r555, 1, 1, rgba.data()));
    EXPECT_EQ(rgba, (std::vector<uint8_t>{16, 49, 82, 0}));
    for (uint8_t alpha : {uint8_t(127), uint8_t(128)}) {
        const uint8_t pixel[4] = {0, 0, 0, alpha};
        uint8_t level[2] = {};
        ASSERT_TRUE(PixelConverter::encode(D3DFMT_A1R5G5B5, pixel, 1, 1, level));
        EXPECT_EQ(level[1] >> 7, alpha >= 128 ? 1 : 0) << int(alpha);
    }
    // A8L8 and A4R4G4B4 keep their alpha; luminance fills all three colours.
    const uint8_t a8l8[2] = {0x30, 0x90};
    ASSERT_TRUE(PixelConverter::decode(D3DFMT_A8L8, a8l8, 1, 1, rgba.data()));
    EXPECT_EQ(rgba, (std::vector<uint8_t>{0x30, 0x30, 0x30, 0x90}));
    const uint8_t a4[2] = {0x35, 0x71};
    ASSERT_TRUE(PixelConverter::decode(D3DFMT_A4R4G4B4, a4, 1, 1, rgba.data()));
    EXPECT_EQ(rgba, (std::vector<uint8_t>{0x11, 0x33, 0x55, 0x77}));
    const uint8_t r888[3] = {1, 2, 3};
    ASSERT_TRUE(PixelConverter::decode(D3DFMT_R8G8B8, r888, 1, 1, rgba.data()));
    EXPECT_EQ(rgba, (std::vector<uint8_t>{3, 2, 1, 0xFF})) << "R8G8B8 bytes are blue, green, red";
    const uint8_t r565[2] = {0xFF, 0xFF};
    ASSERT_TRUE(PixelConverter::decode(D3DFMT_R5G6B5, r565, 1, 1, rgba.data()));
    EXPECT_EQ(rgba, (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST(PixelConverter, EveryDecodableFormatRoundTrips)
{
    UINT count = 0;
    const TextureFormatInfo* rows = TextureFormatTable::rows(&count);
    for (UINT i = 0; i < count; ++i) {
        const TextureFormatInfo& info = rows[i];
        // DXT1 has no alpha beyond cut-outs: give it an opaque picture.
        const std::vector<uint8_t> picture = makePicture(16, 8, info.code != D3DFMT_DXT1);
        if (!info.decodable) {
            std::vector<uint8_t> level(64), rgba(64);
            EXPECT_FALSE(PixelConverter::decode(info.code, level.data(), 4, 4, rgba.data())) << info.name;
            EXPECT_FALSE(PixelConverter::encode(info.code, rgba.data(), 4, 4, level.data())) << info.name;
            continue;
        }
        const std::vector<uint8_t> once = encodeThenDecode(info.code, picture, 16, 8);
        const std::vector<uint8_t> twice = encodeThenDecode(info.code, once, 16, 8);
        if (info.kind == FormatKind::Pixel) {
            // What a pixel format can hold survives a second trip unchanged.
            EXPECT_EQ(firstDifference(twice, once), -1) << info.name;
        } else {
            // A block encoder is not exact, but it must not drift.
            EXPECT_GE(psnr(once, twice, true), 40.0) << info.name;
            EXPECT_GE(psnr(picture, once, false), 25.0) << info.name;
        }
        if (info.kind == FormatKind::Pixel && info.bitsPerPixel >= 24 && (info.dds.flags & DDPF_RGB) != 0) {
            EXPECT_GE(psnr(picture, once, false), 99.0) << info.name << " keeps 8-bit colour exactly";
        }
    }
}

TEST(PixelConverter, LevelsOfTextures)
{
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(D3DXCreateTexture(nullptr, 8, 4, 2, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    const std::vector<uint8_t> picture = makePicture(4, 2, true);
    const uint64_t before = texture->revision();
    ASSERT_TRUE(PixelConverter::encodeLevel(*texture, 1, picture.data()));
    EXPECT_GT(texture->revision(), before);
    EXPECT_EQ(decoded(*texture, 1), picture);
    std::vector<uint8_t> rgba;
    EXPECT_FALSE(PixelConverter::decodeLevel(*texture, 2, rgba));
    texture->Release();
    ASSERT_EQ(D3DXCreateTexture(nullptr, 4, 4, 1, 0, D3DFMT_G16R16F, D3DPOOL_MANAGED, &texture), D3D_OK);
    EXPECT_FALSE(PixelConverter::decodeLevel(*texture, 0, rgba));
    EXPECT_FALSE(PixelConverter::encodeLevel(*texture, 0, picture.data()));
    texture->Release();
}
