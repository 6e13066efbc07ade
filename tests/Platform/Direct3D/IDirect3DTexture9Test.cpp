#include <gtest/gtest.h>

#include <algorithm>

#include "Platform/Direct3D.h"
#include "Support/TestHooks.h"

namespace
{

class IDirect3DTexture9Test : public ::testing::Test
{
protected:
    void TearDown() override { TestHooks::reset(); }

    IDirect3DTexture9* make(UINT width, UINT height, UINT levels, D3DFORMAT format, bool allowOpaque = true)
    {
        IDirect3DTexture9* texture = nullptr;
        HRESULT result = IDirect3DTexture9::create(nullptr, width, height, levels, 0, format, D3DPOOL_MANAGED,
                                                   allowOpaque, &texture);
        EXPECT_EQ(SUCCEEDED(result), texture != nullptr);
        return texture;
    }
};

} // namespace

TEST_F(IDirect3DTexture9Test, LevelCountFollowsTheCreationRules)
{
    struct Case
    {
        UINT width, height, levels, expected;
    } cases[] = {
        {256, 256, 0, 9},  {256, 256, D3DX_DEFAULT, 9},
        {256, 256, 3, 3},  {256, 256, 40, 9},
        {512, 128, 0, 10}, {0, 0, 0, 1},
        {0, 8, 0, 4},      {100, 64, 0, 7},
        {1, 1, 1, 1},
    };
    for (const Case& c : cases) {
        IDirect3DTexture9* texture = make(c.width, c.height, c.levels, D3DFMT_DXT1);
        ASSERT_NE(texture, nullptr);
        EXPECT_EQ(texture->GetLevelCount(), c.expected)
            << c.width << "x" << c.height << " levels " << c.levels;
        texture->Release();
    }
}

TEST_F(IDirect3DTexture9Test, RefusesOversizedNegativeAndUnknownFormats)
{
    IDirect3DTexture9* texture = reinterpret_cast<IDirect3DTexture9*>(1);
    EXPECT_TRUE(FAILED(IDirect3DTexture9::create(nullptr, 16385, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                                 true, &texture)));
    EXPECT_EQ(texture, nullptr);
    EXPECT_TRUE(FAILED(
        IDirect3DTexture9::create(nullptr, 4, UINT(-4), 1, 0, D3DFMT_DXT1, D3DPOOL_MANAGED, true, &texture)));
    EXPECT_TRUE(FAILED(
        IDirect3DTexture9::create(nullptr, 4, 4, 1, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, false, &texture)));
    EXPECT_TRUE(FAILED(
        IDirect3DTexture9::create(nullptr, 4, 4, 1, 0, D3DFORMAT(0x1234), D3DPOOL_MANAGED, false, &texture)));
    EXPECT_TRUE(
        FAILED(IDirect3DTexture9::create(nullptr, 4, 4, 1, 0, D3DFMT_DXT1, D3DPOOL_MANAGED, true, nullptr)));
    IDirect3DTexture9* largest = make(16384, 1, 1, D3DFMT_L8);
    ASSERT_NE(largest, nullptr);
    largest->Release();
}

TEST_F(IDirect3DTexture9Test, LevelsAreTightZeroFilledAndDescribed)
{
    IDirect3DTexture9* texture = make(6, 3, 0, D3DFMT_DXT5);
    ASSERT_NE(texture, nullptr);
    ASSERT_EQ(texture->GetLevelCount(), 3u);
    const UINT widths[] = {6, 3, 1};
    const UINT heights[] = {3, 1, 1};
    const size_t sizes[] = {32, 16, 16};
    for (UINT level = 0; level < 3; ++level) {
        D3DSURFACE_DESC desc;
        ASSERT_EQ(texture->GetLevelDesc(level, &desc), D3D_OK);
        EXPECT_EQ(desc.Width, widths[level]);
        EXPECT_EQ(desc.Height, heights[level]);
        EXPECT_EQ(desc.Format, D3DFMT_DXT5);
        EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
        D3DLOCKED_RECT locked;
        ASSERT_EQ(texture->LockRect(level, &locked, nullptr, 0), D3D_OK);
        EXPECT_EQ(size_t(locked.Pitch) * TextureFormatTable::rowCount(D3DFMT_DXT5, heights[level]),
                  sizes[level]);
        const uint8_t* bits = static_cast<const uint8_t*>(locked.pBits);
        EXPECT_TRUE(std::all_of(bits, bits + sizes[level], [](uint8_t b) { return b == 0; }));
        EXPECT_EQ(texture->UnlockRect(level), D3D_OK);
    }
    D3DSURFACE_DESC desc;
    EXPECT_TRUE(FAILED(texture->GetLevelDesc(3, &desc)));
    texture->Release();
}

TEST_F(IDirect3DTexture9Test, LockingRulesAndRevision)
{
    IDirect3DTexture9* texture = make(8, 8, 1, D3DFMT_A8R8G8B8);
    ASSERT_NE(texture, nullptr);
    D3DLOCKED_RECT locked;
    const uint64_t before = texture->revision();
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    EXPECT_EQ(locked.Pitch, 32);
    EXPECT_TRUE(FAILED(texture->LockRect(0, &locked, nullptr, 0))) << "a locked level cannot be locked again";
    EXPECT_EQ(texture->UnlockRect(0), D3D_OK);
    EXPECT_GT(texture->revision(), before);
    EXPECT_TRUE(FAILED(texture->UnlockRect(0)));
    EXPECT_TRUE(FAILED(texture->LockRect(1, &locked, nullptr, 0)));
    RECT inside = {2, 1, 4, 3};
    ASSERT_EQ(texture->LockRect(0, &locked, &inside, 0), D3D_OK);
    EXPECT_EQ(static_cast<uint8_t*>(locked.pBits) - texture->levelData(0), 32 + 8);
    texture->UnlockRect(0);
    RECT outside = {4, 4, 9, 8};
    EXPECT_TRUE(FAILED(texture->LockRect(0, &locked, &outside, 0)));
    texture->Release();

    IDirect3DTexture9* blocks = make(8, 8, 1, D3DFMT_DXT1);
    RECT unaligned = {1, 0, 4, 4};
    EXPECT_TRUE(FAILED(blocks->LockRect(0, &locked, &unaligned, 0)));
    RECT aligned = {4, 4, 8, 8};
    ASSERT_EQ(blocks->LockRect(0, &locked, &aligned, 0), D3D_OK);
    EXPECT_EQ(static_cast<uint8_t*>(locked.pBits) - blocks->levelData(0), 16 + 8);
    blocks->UnlockRect(0);
    blocks->Release();

    // One bit a pixel: a rectangle must start on a byte, or its address would name the wrong pixels.
    IDirect3DTexture9* bits = make(16, 2, 1, D3DFMT_A1);
    RECT insideAByte = {3, 0, 8, 1};
    EXPECT_TRUE(FAILED(bits->LockRect(0, &locked, &insideAByte, 0)));
    RECT onAByte = {8, 1, 16, 2};
    ASSERT_EQ(bits->LockRect(0, &locked, &onAByte, 0), D3D_OK);
    EXPECT_EQ(static_cast<uint8_t*>(locked.pBits) - bits->levelData(0), 2 + 1);
    bits->UnlockRect(0);
    bits->Release();
}

TEST_F(IDirect3DTexture9Test, OpaqueFormatsKeepTheirBytesSizedByTheirPixels)
{
    IDirect3DTexture9* known = make(4, 4, 1, D3DFMT_A16B16G16R16);
    ASSERT_NE(known, nullptr);
    EXPECT_EQ(known->levelSize(0), 4u * 4u * 8u);
    EXPECT_EQ(known->format(), D3DFMT_A16B16G16R16);
    known->Release();
    IDirect3DTexture9* unknown = make(4, 4, 2, D3DFORMAT(0xABCDEF));
    ASSERT_NE(unknown, nullptr);
    EXPECT_EQ(unknown->format(), D3DFORMAT(0xABCDEF));
    EXPECT_EQ(unknown->levelSize(0), 16u);
    EXPECT_EQ(unknown->levelSize(1), 4u);
    unknown->Release();
}

TEST_F(IDirect3DTexture9Test, SurfacesHoldTheirTexture)
{
    IDirect3DTexture9* texture = make(4, 4, 0, D3DFMT_L8);
    ASSERT_NE(texture, nullptr);
    IDirect3DSurface9* surface = nullptr;
    EXPECT_TRUE(FAILED(texture->GetSurfaceLevel(3, &surface)) && surface == nullptr);
    ASSERT_EQ(texture->GetSurfaceLevel(1, &surface), D3D_OK);
    EXPECT_EQ(texture->Release(), 1u) << "the surface still holds the texture";
    D3DSURFACE_DESC desc;
    ASSERT_EQ(surface->GetDesc(&desc), D3D_OK);
    EXPECT_EQ(desc.Width, 2u);
    EXPECT_EQ(desc.Type, D3DRTYPE_SURFACE);
    D3DLOCKED_RECT locked;
    ASSERT_EQ(surface->LockRect(&locked, nullptr, 0), D3D_OK);
    static_cast<uint8_t*>(locked.pBits)[3] = 7;
    EXPECT_EQ(surface->UnlockRect(), D3D_OK);
    EXPECT_EQ(surface->texture()->levelData(1)[3], 7);
    EXPECT_EQ(surface->Release(), 0u); // frees the surface and with it the texture (checked by ASan)
}

TEST_F(IDirect3DTexture9Test, CreationFailureHookFailsOnceAndOnlyForItsFormat)
{
    TestHooks::failNextTextureCreation(D3DFMT_DXT5);
    IDirect3DTexture9* other = make(4, 4, 1, D3DFMT_DXT1);
    ASSERT_NE(other, nullptr);
    other->Release();
    IDirect3DTexture9* texture = nullptr;
    EXPECT_TRUE(
        FAILED(IDirect3DTexture9::create(nullptr, 4, 4, 1, 0, D3DFMT_DXT5, D3DPOOL_MANAGED, true, &texture)));
    texture = make(4, 4, 1, D3DFMT_DXT5);
    ASSERT_NE(texture, nullptr);
    texture->Release();
}
