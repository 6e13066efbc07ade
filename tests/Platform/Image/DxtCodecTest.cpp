#include <gtest/gtest.h>

#include <array>

#include "Platform/Image/DxtCodec.h"
#include "TextureTestSupport.h"

using namespace texture_test;

namespace
{

using Pixels = std::array<uint8_t, 64>;

Pixels decodeBlock(BlockCodec codec, const std::vector<uint8_t>& block)
{
    Pixels pixels;
    DxtCodec::decodeBlock(codec, block.data(), pixels.data());
    return pixels;
}

std::array<uint8_t, 4> pixel(const Pixels& pixels, int index)
{
    return {pixels[4 * index], pixels[4 * index + 1], pixels[4 * index + 2], pixels[4 * index + 3]};
}

using Rgba = std::array<uint8_t, 4>;

// Colour words red (0xF800) and blue (0x001F); indices 0, 1, 2, 3 for the first four pixels.
const uint8_t RED_LO = 0x00, RED_HI = 0xF8, BLUE_LO = 0x1F, BLUE_HI = 0x00;

} // namespace

TEST(DxtCodec, Dxt1FourColourBlock)
{
    const Pixels out = decodeBlock(BlockCodec::Dxt1, {RED_LO, RED_HI, BLUE_LO, BLUE_HI, 0xE4, 0, 0, 0});
    EXPECT_EQ(pixel(out, 0), (Rgba{255, 0, 0, 255}));
    EXPECT_EQ(pixel(out, 1), (Rgba{0, 0, 255, 255}));
    EXPECT_EQ(pixel(out, 2), (Rgba{170, 0, 85, 255}));
    EXPECT_EQ(pixel(out, 3), (Rgba{85, 0, 170, 255}));
    EXPECT_EQ(pixel(out, 15), (Rgba{255, 0, 0, 255}));
}

TEST(DxtCodec, Dxt1ThreeColourBlockWithTransparency)
{
    // First colour not above the second: three colours and transparent black.
    const Pixels out = decodeBlock(BlockCodec::Dxt1, {BLUE_LO, BLUE_HI, RED_LO, RED_HI, 0xE4, 0, 0, 0});
    EXPECT_EQ(pixel(out, 0), (Rgba{0, 0, 255, 255}));
    EXPECT_EQ(pixel(out, 1), (Rgba{255, 0, 0, 255}));
    EXPECT_EQ(pixel(out, 2), (Rgba{127, 0, 127, 255}));
    EXPECT_EQ(pixel(out, 3), (Rgba{0, 0, 0, 0}));
    // Equal colours are three-colour mode too.
    const Pixels equal = decodeBlock(BlockCodec::Dxt1, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
    EXPECT_EQ(pixel(equal, 7), (Rgba{0, 0, 0, 0}));
}

TEST(DxtCodec, Dxt3ExplicitAlphaAndAlwaysFourColours)
{
    std::vector<uint8_t> block = {0x10,    0xF2,    0,      0,      0,    0, 0, 0xAB,
                                  BLUE_LO, BLUE_HI, RED_LO, RED_HI, 0xE4, 0, 0, 0};
    const Pixels out = decodeBlock(BlockCodec::Dxt3, block);
    EXPECT_EQ(pixel(out, 0), (Rgba{0, 0, 255, 0}));
    EXPECT_EQ(pixel(out, 1), (Rgba{255, 0, 0, 17}));
    EXPECT_EQ(pixel(out, 2), (Rgba{85, 0, 170, 34})) << "DXT3 colour blocks never have a transparent code";
    EXPECT_EQ(pixel(out, 3), (Rgba{170, 0, 85, 255}));
    EXPECT_EQ(out[4 * 14 + 3], 0xBB);
    EXPECT_EQ(out[4 * 15 + 3], 0xAA);
}

TEST(DxtCodec, Dxt5InterpolatedAlphaInBothModes)
{
    // Eight-value mode: a0 = 200 > a1 = 60; codes 0, 1, 2, 7 for the first pixels.
    // Codes are 3 bits each, little-endian: 0 | 1 << 3 | 2 << 6 | 7 << 9.
    const uint32_t codes = 0 | (1 << 3) | (2 << 6) | (7 << 9);
    std::vector<uint8_t> block = {
        200, 60, uint8_t(codes), uint8_t(codes >> 8), 0, 0, 0, 0, RED_LO, RED_HI, RED_LO, RED_HI, 0, 0, 0, 0};
    Pixels out = decodeBlock(BlockCodec::Dxt5, block);
    EXPECT_EQ(out[3], 200);
    EXPECT_EQ(out[7], 60);
    EXPECT_EQ(out[11], (6 * 200 + 1 * 60) / 7);
    EXPECT_EQ(out[15], (1 * 200 + 6 * 60) / 7);
    // Six-value mode: a0 = 60 <= a1 = 200; code 6 is 0, code 7 is 255, code 2 interpolates by fifths.
    const uint32_t sixCodes = 6 | (7 << 3) | (2 << 6);
    block[0] = 60;
    block[1] = 200;
    block[2] = uint8_t(sixCodes);
    block[3] = uint8_t(sixCodes >> 8);
    out = decodeBlock(BlockCodec::Dxt5, block);
    EXPECT_EQ(out[3], 0);
    EXPECT_EQ(out[7], 255);
    EXPECT_EQ(out[11], (4 * 60 + 1 * 200) / 5);
    EXPECT_EQ(pixel(out, 0)[0], 255) << "colour of DXT5 blocks in four-colour mode";
}

TEST(DxtCodec, InterpolationTruncatesAsImageMagickDoes)
{
    // Colours whose thirds are not whole: 0xFFE0 is (255, 255, 0), 0x0820 is (8, 4, 0) after bit
    // replication. Rounding to nearest would give 173/88 where truncation gives 172/87.
    const Pixels colours = decodeBlock(BlockCodec::Dxt1, {0xE0, 0xFF, 0x20, 0x08, 0xE4, 0, 0, 0});
    EXPECT_EQ(pixel(colours, 1), (Rgba{8, 4, 0, 255}));
    EXPECT_EQ(pixel(colours, 2), (Rgba{172, 171, 0, 255}));
    EXPECT_EQ(pixel(colours, 3), (Rgba{90, 87, 0, 255}));
    // The same end points in a DXT3 colour block (always four colours).
    const Pixels dxt3 =
        decodeBlock(BlockCodec::Dxt3, {0, 0, 0, 0, 0, 0, 0, 0, 0x20, 0x08, 0xE0, 0xFF, 0xE4, 0, 0, 0});
    EXPECT_EQ(pixel(dxt3, 2), (Rgba{90, 87, 0, 0}));
    EXPECT_EQ(pixel(dxt3, 3), (Rgba{172, 171, 0, 0}));
    // Alpha sevenths and fifths that are not whole: 1530/7, 255/7, 299/5, 543/5, 1031/5.
    const uint32_t eight = 2 | (7 << 3);
    Pixels alpha = decodeBlock(
        BlockCodec::Dxt5, {255, 0, uint8_t(eight), uint8_t(eight >> 8), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(alpha[3], 218);
    EXPECT_EQ(alpha[7], 36);
    const uint32_t six = 2 | (3 << 3) | (5 << 6);
    alpha = decodeBlock(BlockCodec::Dxt5,
                        {11, 255, uint8_t(six), uint8_t(six >> 8), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(alpha[3], 59);
    EXPECT_EQ(alpha[7], 108);
    EXPECT_EQ(alpha[11], 206);
}

TEST(DxtCodec, RoundTripsKeepTheirQuality)
{
    const UINT width = 64, height = 48;
    struct Case
    {
        BlockCodec codec;
        bool alpha;
        double minimumColour;
        double minimumAlpha;
    } cases[] = {
        {BlockCodec::Dxt1, false, 30.0, 99.0},
        {BlockCodec::Dxt3, true, 30.0, 36.0},
        {BlockCodec::Dxt5, true, 30.0, 40.0},
    };
    for (const Case& c : cases) {
        const std::vector<uint8_t> picture = makePicture(width, height, c.alpha);
        std::vector<uint8_t> blocks(size_t(width / 4) * (height / 4) * DxtCodec::blockBytes(c.codec));
        DxtCodec::encodeImage(c.codec, picture.data(), width, height, blocks.data());
        std::vector<uint8_t> back(picture.size());
        DxtCodec::decodeImage(c.codec, blocks.data(), width, height, back.data());
        EXPECT_GE(psnr(picture, back, false), c.minimumColour) << int(c.codec);
        std::vector<uint8_t> alphaOnly(picture.size()), backAlpha(picture.size());
        for (size_t i = 3; i < picture.size(); i += 4) {
            alphaOnly[i] = picture[i];
            backAlpha[i] = back[i];
        }
        EXPECT_GE(psnr(alphaOnly, backAlpha, true), c.minimumAlpha) << int(c.codec);
        if (c.codec == BlockCodec::Dxt3) {
            for (size_t i = 3; i < picture.size(); i += 4) {
                ASSERT_LE(std::abs(int(picture[i]) - int(back[i])), 8)
                    << "4-bit alpha is off by at most half a step";
            }
        }
    }
}

TEST(DxtCodec, Dxt1KeepsCutOutTransparency)
{
    const UINT width = 32, height = 32;
    const std::vector<uint8_t> picture = makePicture(width, height, false, true);
    std::vector<uint8_t> blocks(size_t(width / 4) * (height / 4) * 8);
    DxtCodec::encodeImage(BlockCodec::Dxt1, picture.data(), width, height, blocks.data());
    std::vector<uint8_t> back(picture.size());
    DxtCodec::decodeImage(BlockCodec::Dxt1, blocks.data(), width, height, back.data());
    std::vector<uint8_t> opaqueOriginal, opaqueBack;
    for (size_t i = 0; i < picture.size(); i += 4) {
        ASSERT_EQ(back[i + 3], picture[i + 3]) << "pixel " << i / 4;
        if (picture[i + 3] != 0) {
            opaqueOriginal.insert(opaqueOriginal.end(), picture.begin() + long(i),
                                  picture.begin() + long(i) + 4);
            opaqueBack.insert(opaqueBack.end(), back.begin() + long(i), back.begin() + long(i) + 4);
        }
    }
    EXPECT_GE(psnr(opaqueOriginal, opaqueBack, false), 28.0);
    // A block that is transparent throughout.
    std::vector<uint8_t> clear(64, 0);
    uint8_t block[8];
    DxtCodec::encodeBlock(BlockCodec::Dxt1, clear.data(), block);
    Pixels out;
    DxtCodec::decodeBlock(BlockCodec::Dxt1, block, out.data());
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(out[4 * i + 3], 0);
    }
}

TEST(DxtCodec, ConstantBlocksAndPartialEdges)
{
    std::vector<uint8_t> flat(5 * 3 * 4);
    for (size_t i = 0; i < flat.size(); i += 4) {
        flat[i] = 0x40;
        flat[i + 1] = 0x80;
        flat[i + 2] = 0xC0;
        flat[i + 3] = 0xFF;
    }
    std::vector<uint8_t> blocks(2 * 16);
    DxtCodec::encodeImage(BlockCodec::Dxt5, flat.data(), 5, 3, blocks.data());
    std::vector<uint8_t> back(flat.size(), 0x55);
    DxtCodec::decodeImage(BlockCodec::Dxt5, blocks.data(), 5, 3, back.data());
    for (size_t i = 0; i < flat.size(); ++i) {
        EXPECT_LE(std::abs(int(flat[i]) - int(back[i])), 4) << i;
    }
    // One-pixel level: a single block, only its first pixel is written.
    std::vector<uint8_t> one = {9, 99, 199, 255};
    uint8_t single[8];
    DxtCodec::encodeImage(BlockCodec::Dxt1, one.data(), 1, 1, single);
    std::vector<uint8_t> oneBack(4);
    DxtCodec::decodeImage(BlockCodec::Dxt1, single, 1, 1, oneBack.data());
    EXPECT_LE(std::abs(int(oneBack[2]) - 199), 4);
    EXPECT_EQ(oneBack[3], 255);
}
