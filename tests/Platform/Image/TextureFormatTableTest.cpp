#include <gtest/gtest.h>

#include <set>

#include "Platform/Image/TextureFormatTable.h"

TEST(TextureFormatTable, KnowsEveryRequiredFormatAsDecodableAndEncodable)
{
    const D3DFORMAT required[] = {
        D3DFMT_DXT1,     D3DFMT_DXT2,     D3DFMT_DXT3, D3DFMT_DXT4,     D3DFMT_DXT5,   D3DFMT_A8B8G8R8,
        D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_L8,   D3DFMT_X8B8G8R8, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5,
        D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4, D3DFMT_A8,   D3DFMT_A8L8,     D3DFMT_R8G8B8};
    for (D3DFORMAT format : required) {
        const TextureFormatInfo* info = TextureFormatTable::find(format);
        ASSERT_NE(info, nullptr) << format;
        EXPECT_TRUE(info->decodable && info->encodable) << info->name;
        EXPECT_NE(info->dds.flags, 0u) << info->name;
        EXPECT_EQ(TextureFormatTable::findByDds(info->dds), info) << info->name;
    }
}

TEST(TextureFormatTable, RowsAreUniqueAndConsistent)
{
    UINT count = 0;
    const TextureFormatInfo* rows = TextureFormatTable::rows(&count);
    std::set<uint32_t> codes;
    for (UINT i = 0; i < count; ++i) {
        EXPECT_TRUE(codes.insert(rows[i].code).second) << rows[i].name;
        if (rows[i].kind == FormatKind::Block) {
            EXPECT_TRUE(rows[i].blockBytes == 8 || rows[i].blockBytes == 16) << rows[i].name;
        } else if (rows[i].kind == FormatKind::Pixel) {
            EXPECT_EQ(rows[i].bitsPerPixel % 8, 0u) << rows[i].name;
        }
        if (rows[i].kind == FormatKind::Opaque) {
            // Only A1 is narrower than a byte; the wider opaque formats are whole bytes a pixel.
            EXPECT_TRUE(rows[i].bitsPerPixel == 1 || rows[i].bitsPerPixel % 8 == 0) << rows[i].name;
            EXPECT_FALSE(rows[i].decodable || rows[i].encodable) << rows[i].name;
            EXPECT_EQ(rows[i].dds.flags, 0u) << rows[i].name << " is never written as DDS";
        }
    }
}

TEST(TextureFormatTable, SizesPitchesAndRows)
{
    EXPECT_EQ(TextureFormatTable::levelSize(D3DFMT_DXT1, 256, 256), 32768u);
    EXPECT_EQ(TextureFormatTable::levelSize(D3DFMT_DXT5, 256, 256), 65536u);
    // DXT levels hold at least one block.
    EXPECT_EQ(TextureFormatTable::levelSize(D3DFMT_DXT1, 1, 1), 8u);
    EXPECT_EQ(TextureFormatTable::levelSize(D3DFMT_DXT3, 2, 1), 16u);
    EXPECT_EQ(TextureFormatTable::levelSize(D3DFMT_DXT5, 5, 9), 6u * 16u);
    EXPECT_EQ(TextureFormatTable::pitch(D3DFMT_DXT1, 6), 16u);
    EXPECT_EQ(TextureFormatTable::rowCount(D3DFMT_DXT1, 6), 2u);
    EXPECT_EQ(TextureFormatTable::pitch(D3DFMT_A8R8G8B8, 3), 12u);
    EXPECT_EQ(TextureFormatTable::pitch(D3DFMT_R8G8B8, 3), 9u);
    EXPECT_EQ(TextureFormatTable::levelSize(D3DFMT_L8, 7, 3), 21u);
    EXPECT_EQ(TextureFormatTable::levelSize(D3DFMT_A32B32G32R32F, 2, 2), 64u);
    // 64-bit arithmetic: the largest legal level does not wrap.
    EXPECT_EQ(TextureFormatTable::levelSize(D3DFMT_A32B32G32R32F, 16384, 16384), 16384ull * 16384ull * 16ull);
    // Unknown codes are one byte per pixel and opaque.
    const D3DFORMAT unknown = static_cast<D3DFORMAT>(0x12345678u);
    EXPECT_EQ(TextureFormatTable::find(unknown), nullptr);
    EXPECT_EQ(TextureFormatTable::describe(unknown).kind, FormatKind::Opaque);
    EXPECT_EQ(TextureFormatTable::levelSize(unknown, 4, 4), 16u);
    EXPECT_FALSE(TextureFormatTable::isDecodable(unknown));
}

TEST(TextureFormatTable, FullChainLength)
{
    EXPECT_EQ(TextureFormatTable::fullChainLength(256, 256), 9u);
    EXPECT_EQ(TextureFormatTable::fullChainLength(512, 128), 10u);
    EXPECT_EQ(TextureFormatTable::fullChainLength(1, 1), 1u);
    EXPECT_EQ(TextureFormatTable::fullChainLength(100, 3), 7u);
    EXPECT_EQ(TextureFormatTable::fullChainLength(16384, 1), 15u);
    EXPECT_EQ(TextureFormatTable::levelDimension(100, 3), 12u);
    EXPECT_EQ(TextureFormatTable::levelDimension(4, 5), 1u);
    EXPECT_EQ(TextureFormatTable::levelDimension(4, 40), 1u);
}

TEST(TextureFormatTable, DdsMatchingIgnoresIrrelevantFlagsAndRefusesStrangers)
{
    DdsPixelFormat dxt5WithAlphaFlag = {DDPF_FOURCC | DDPF_ALPHAPIXELS, D3DFMT_DXT5, 0, 0, 0, 0, 0};
    ASSERT_NE(TextureFormatTable::findByDds(dxt5WithAlphaFlag), nullptr);
    EXPECT_EQ(TextureFormatTable::findByDds(dxt5WithAlphaFlag)->code, D3DFMT_DXT5);
    // An alpha mask without the alpha flag is meaningless: this is X8R8G8B8.
    DdsPixelFormat rgbWithStrayMask = {DDPF_RGB, 0, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000u};
    ASSERT_NE(TextureFormatTable::findByDds(rgbWithStrayMask), nullptr);
    EXPECT_EQ(TextureFormatTable::findByDds(rgbWithStrayMask)->code, D3DFMT_X8R8G8B8);
    DdsPixelFormat tenBit = {DDPF_RGB | DDPF_ALPHAPIXELS, 0, 32, 0x3FF00000, 0xFFC00, 0x3FF, 0xC0000000u};
    EXPECT_EQ(TextureFormatTable::findByDds(tenBit), nullptr);
    DdsPixelFormat ati2 = {DDPF_FOURCC, MAKEFOURCC('A', 'T', 'I', '2'), 0, 0, 0, 0, 0};
    EXPECT_EQ(TextureFormatTable::findByDds(ati2), nullptr);
}
