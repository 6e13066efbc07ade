#include "Platform/Direct3D.h"
#include "Platform/Image/PixelConverter.h"
#include "Support/MemoryPresentTarget.h"
#include "Support/TestHooks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace
{

const D3DCOLOR BLUE_GREY = 0xFF5987B2u;
const D3DCOLOR NO_TINT = 0xFFFFFFFFu;
const UINT TEXTURE_WIDTH = 8;
const UINT TEXTURE_HEIGHT = 6;

// The expected result of drawing one texel over a pixel: colour × tint, then
// colour × alpha + pixel × (1 − alpha), each rounded to the nearest integer.
D3DCOLOR expectedOver(D3DCOLOR texel, D3DCOLOR pixel, D3DCOLOR tint = NO_TINT)
{
    auto channel = [](D3DCOLOR color, int shift) { return double((color >> shift) & 0xFF); };
    const double alpha = std::round(channel(texel, 24) * channel(tint, 24) / 255.0) / 255.0;
    D3DCOLOR result = 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        const double source = std::round(channel(texel, shift) * channel(tint, shift) / 255.0);
        result |= D3DCOLOR(std::lround(source * alpha + channel(pixel, shift) * (1.0 - alpha))) << shift;
    }
    return result;
}

// An 8 × 6 picture with alpha 0, 64, 128, 200 and 255 in turn. Columns 0-3 and rows 0-1 are opaque
// white, so that drawing any of them by mistake shows. Three texels are fixed for exact checks.
std::vector<D3DCOLOR> knownPicture()
{
    const uint32_t alphas[5] = {0, 64, 128, 200, 255};
    std::vector<D3DCOLOR> picture(TEXTURE_WIDTH * TEXTURE_HEIGHT);
    for (UINT y = 0; y < TEXTURE_HEIGHT; ++y) {
        for (UINT x = 0; x < TEXTURE_WIDTH; ++x) {
            picture[y * TEXTURE_WIDTH + x] =
                (x < 4 || y < 2) ? 0xFFFFFFFFu
                                 : D3DCOLOR_ARGB(alphas[(x + y) % 5], x * 30, y * 40, 255 - x * 20);
        }
    }
    picture[2 * TEXTURE_WIDTH + 4] = 0xFF00FF00u; // opaque green
    picture[3 * TEXTURE_WIDTH + 5] = 0x80FF0000u; // half-transparent red
    picture[2 * TEXTURE_WIDTH + 6] = 0x00FFFFFFu; // fully transparent
    return picture;
}

class ID3DXSpriteTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TestHooks::reset();
        m_direct3D = Direct3DCreate9(D3D_SDK_VERSION);
        ASSERT_NE(m_direct3D, nullptr);
        D3DPRESENT_PARAMETERS parameters{};
        parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
        parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
        parameters.hDeviceWindow = &m_window;
        parameters.Windowed = TRUE;
        ASSERT_EQ(m_direct3D->CreateDevice(0, D3DDEVTYPE_HAL, &m_window, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                           &parameters, &m_device),
                  D3D_OK);
        m_device->setFrameInterval(std::chrono::microseconds(0));
        ASSERT_EQ(D3DXCreateSprite(m_device, &m_sprite), D3D_OK);
        m_texture = makeTexture(knownPicture());
    }

    void TearDown() override
    {
        if (m_texture != nullptr) {
            m_texture->Release();
        }
        m_sprite->Release();
        m_device->Release();
        m_direct3D->Release();
        TestHooks::reset();
    }

    IDirect3DTexture9* makeTexture(const std::vector<D3DCOLOR>& picture)
    {
        IDirect3DTexture9* texture = nullptr;
        EXPECT_EQ(D3DXCreateTexture(m_device, TEXTURE_WIDTH, TEXTURE_HEIGHT, 1, 0, D3DFMT_A8R8G8B8,
                                    D3DPOOL_MANAGED, &texture),
                  D3D_OK);
        writeLevel0(texture, picture);
        return texture;
    }

    // A8R8G8B8 stores each pixel as its little-endian 0xAARRGGBB value.
    static void writeLevel0(IDirect3DTexture9* texture, const std::vector<D3DCOLOR>& picture)
    {
        D3DLOCKED_RECT locked{};
        ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
        std::memcpy(locked.pBits, picture.data(), picture.size() * sizeof(D3DCOLOR));
        texture->UnlockRect(0);
    }

    // One frame: the clear colour, then the texture drawn as the render system draws it.
    void drawFrame(IDirect3DTexture9* texture, const RECT* source, DWORD flags = D3DXSPRITE_ALPHABLEND,
                   D3DCOLOR tint = NO_TINT)
    {
        m_device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, BLUE_GREY, 1.0f, 0);
        m_device->BeginScene();
        ASSERT_EQ(m_sprite->Begin(flags), D3D_OK);
        EXPECT_EQ(m_sprite->Draw(texture, source, &m_center, &m_position, tint), D3D_OK);
        ASSERT_EQ(m_sprite->End(), D3D_OK);
        m_device->EndScene();
        ASSERT_EQ(m_device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    }

    // Every pixel of the frame: texel (4 + i, 2 + j) blended at (9 + i, 9 + j), the clear colour
    // everywhere else.
    void expectRenderSystemLayout(D3DCOLOR tint = NO_TINT)
    {
        const std::vector<D3DCOLOR> picture = knownPicture();
        for (UINT y = 0; y < 30; ++y) {
            for (UINT x = 0; x < 40; ++x) {
                D3DCOLOR expected = BLUE_GREY;
                if (x >= 9 && x < 13 && y >= 9 && y < 13) {
                    expected =
                        expectedOver(picture[(y - 9 + 2) * TEXTURE_WIDTH + (x - 9 + 4)], BLUE_GREY, tint);
                }
                ASSERT_EQ(m_window.pixel(x, y), expected) << "at " << x << ", " << y;
            }
        }
    }

    MemoryPresentTarget m_window{40, 30};
    IDirect3D9* m_direct3D = nullptr;
    IDirect3DDevice9* m_device = nullptr;
    ID3DXSprite* m_sprite = nullptr;
    IDirect3DTexture9* m_texture = nullptr;
    D3DXVECTOR3 m_center{1.0f, 1.0f, 1.0f};
    D3DXVECTOR3 m_position{10.0f, 10.0f, 1.0f};
};

TEST_F(ID3DXSpriteTest, DrawsTheSourceRectangleAtPositionMinusCentreWithSourceAlpha)
{
    const RECT source{4, 2, 8, 6};
    drawFrame(m_texture, &source);
    ASSERT_EQ(m_window.frameCount(), 1);

    EXPECT_EQ(m_window.pixel(9, 9), 0xFF00FF00u);   // texel (4, 2), opaque
    EXPECT_EQ(m_window.pixel(10, 10), 0xFFAC4359u); // texel (5, 3): red at alpha 128 over the clear colour
    EXPECT_EQ(m_window.pixel(11, 9), BLUE_GREY);    // texel (6, 2), transparent
    // Where the first four columns and the first two rows would have landed: the clear colour.
    for (UINT x = 5; x < 9; ++x) {
        EXPECT_EQ(m_window.pixel(x, 10), BLUE_GREY);
    }
    for (UINT y = 7; y < 9; ++y) {
        EXPECT_EQ(m_window.pixel(10, y), BLUE_GREY);
    }
    expectRenderSystemLayout();
}

TEST_F(ID3DXSpriteTest, AfterTheWindowGrowsTheTextureIsDrawnUnscaledInTheWholeWindow)
{
    const RECT source{4, 2, 8, 6};
    m_window.resize(11, 10);
    drawFrame(m_texture, &source);
    ASSERT_EQ(m_window.frameWidth(), 11u);
    m_window.resize(40, 30);
    drawFrame(m_texture, &source);
    ASSERT_EQ(m_window.frameWidth(), 40u);
    ASSERT_EQ(m_window.frameHeight(), 30u);
    expectRenderSystemLayout();
}

TEST_F(ID3DXSpriteTest, SourceRectangleIsClippedToTheTexturesRealSize)
{
    // A record that claims 64 × 32 for an 8 × 6 texture draws the same as the true size.
    const RECT source{4, 2, 64, 32};
    drawFrame(m_texture, &source);
    expectRenderSystemLayout();

    const RECT fromOutside{-3, -3, 2, 1};
    drawFrame(m_texture, &fromOutside);
    EXPECT_EQ(m_window.pixel(9, 9), 0xFFFFFFFFu); // texel (0, 0)
    EXPECT_EQ(m_window.pixel(10, 9), 0xFFFFFFFFu);
    EXPECT_EQ(m_window.pixel(11, 9), BLUE_GREY);
    EXPECT_EQ(m_window.pixel(9, 10), BLUE_GREY);
}

TEST_F(ID3DXSpriteTest, EmptyRectangleDrawsNothing)
{
    const RECT rectangles[] = {{4, 2, 4, 6}, {4, 2, 8, 2}, {6, 2, 5, 6}, {8, 0, 20, 6}, {0, 6, 8, 20}};
    for (const RECT& source : rectangles) {
        drawFrame(m_texture, &source);
        for (D3DCOLOR pixel : m_window.frame()) {
            ASSERT_EQ(pixel, BLUE_GREY);
        }
    }
    EXPECT_EQ(m_window.frameCount(), 1); // every one of them is the same empty frame
}

TEST_F(ID3DXSpriteTest, ColourTintsTexelAndAlpha)
{
    const RECT source{4, 2, 8, 6};
    const D3DCOLOR tint = 0x80FF8040u;
    drawFrame(m_texture, &source, D3DXSPRITE_ALPHABLEND, tint);
    // Opaque green tinted: green 255 × 0x80 / 255 = 128 at alpha 128.
    EXPECT_EQ(m_window.pixel(9, 9), expectedOver(0x80008000u, BLUE_GREY));
    expectRenderSystemLayout(tint);
}

TEST_F(ID3DXSpriteTest, WithoutAlphaBlendingTexelsAreCopied)
{
    const RECT source{4, 2, 8, 6};
    drawFrame(m_texture, &source, 0);
    EXPECT_EQ(m_window.pixel(10, 10), 0xFFFF0000u);
    EXPECT_EQ(m_window.pixel(11, 9), 0xFFFFFFFFu);
}

TEST_F(ID3DXSpriteTest, NullRectangleCentreAndPositionDrawTheWholeTextureAtTheOrigin)
{
    m_device->Clear(0, nullptr, D3DCLEAR_TARGET, BLUE_GREY, 1.0f, 0);
    m_sprite->Begin(0);
    ASSERT_EQ(m_sprite->Draw(m_texture, nullptr, nullptr, nullptr, NO_TINT), D3D_OK);
    m_sprite->End();
    m_device->Present(nullptr, nullptr, nullptr, nullptr);
    const std::vector<D3DCOLOR> picture = knownPicture();
    for (UINT y = 0; y < TEXTURE_HEIGHT; ++y) {
        for (UINT x = 0; x < TEXTURE_WIDTH; ++x) {
            EXPECT_EQ(m_window.pixel(x, y), picture[y * TEXTURE_WIDTH + x] | 0xFF000000u);
        }
    }
    EXPECT_EQ(m_window.pixel(TEXTURE_WIDTH, 0), BLUE_GREY);
}

TEST_F(ID3DXSpriteTest, SpritesPartlyOutsideTheBackBufferAreClipped)
{
    m_position = D3DXVECTOR3{-2.0f, -3.0f, 0.0f};
    drawFrame(m_texture, nullptr, 0);
    EXPECT_EQ(m_window.pixel(0, 0), knownPicture()[2 * TEXTURE_WIDTH + 1] | 0xFF000000u); // texel (1, 2)

    m_position = D3DXVECTOR3{37.0f, 27.0f, 0.0f};
    drawFrame(m_texture, nullptr, 0);
    EXPECT_EQ(m_window.pixel(39, 29), 0xFFFFFFFFu); // texel (3, 3)
    EXPECT_EQ(m_window.pixel(35, 29), BLUE_GREY);

    m_position = D3DXVECTOR3{1.0e20f, -1.0e20f, 0.0f};
    drawFrame(m_texture, nullptr, 0);
    EXPECT_EQ(m_window.pixel(0, 0), BLUE_GREY);
}

TEST_F(ID3DXSpriteTest, ChangedPixelsAreDrawnAfterUnlockRect)
{
    const RECT source{4, 2, 8, 6};
    drawFrame(m_texture, &source);
    drawFrame(m_texture, &source);
    EXPECT_EQ(m_window.frameCount(), 1);

    std::vector<D3DCOLOR> picture = knownPicture();
    picture[2 * TEXTURE_WIDTH + 4] = 0xFF0000FFu;
    writeLevel0(m_texture, picture);
    drawFrame(m_texture, &source);
    EXPECT_EQ(m_window.frameCount(), 2);
    EXPECT_EQ(m_window.pixel(9, 9), 0xFF0000FFu);
}

TEST_F(ID3DXSpriteTest, TextureReleasedBeforePresentIsStillDrawn)
{
    IDirect3DTexture9* texture = makeTexture(knownPicture());
    m_device->Clear(0, nullptr, D3DCLEAR_TARGET, BLUE_GREY, 1.0f, 0);
    m_sprite->Begin(D3DXSPRITE_ALPHABLEND);
    m_sprite->Draw(texture, nullptr, &m_center, &m_position, NO_TINT);
    m_sprite->End();
    EXPECT_EQ(texture->Release(), 0u);
    m_device->Present(nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(m_window.pixel(13, 11), 0xFF00FF00u);
}

TEST_F(ID3DXSpriteTest, DrawsDxtTexturesAsTheirDecodedPixels)
{
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(D3DXCreateTexture(m_device, 4, 4, 1, 0, D3DFMT_DXT1, D3DPOOL_MANAGED, &texture), D3D_OK);
    // Colour 0 red, colour 1 blue (four-colour mode); rows use codes 0, 1, 2, 3.
    const uint8_t block[8] = {0x00, 0xF8, 0x1F, 0x00, 0x00, 0x55, 0xAA, 0xFF};
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    std::memcpy(locked.pBits, block, sizeof block);
    texture->UnlockRect(0);

    m_position = D3DXVECTOR3{0.0f, 0.0f, 0.0f};
    m_center = m_position;
    drawFrame(texture, nullptr);
    EXPECT_EQ(m_window.pixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(m_window.pixel(3, 1), 0xFF0000FFu);
    std::vector<uint8_t> rgba;
    ASSERT_TRUE(PixelConverter::decodeLevel(*texture, 0, rgba));
    for (UINT y = 0; y < 4; ++y) {
        for (UINT x = 0; x < 4; ++x) {
            const uint8_t* p = &rgba[(y * 4 + x) * 4];
            EXPECT_EQ(m_window.pixel(x, y), D3DCOLOR_ARGB(0xFF, p[0], p[1], p[2]));
        }
    }
    texture->Release();
}

TEST_F(ID3DXSpriteTest, RefusesCallsOutOfOrderAndUndrawableTextures)
{
    EXPECT_LT(m_sprite->Draw(m_texture, nullptr, nullptr, nullptr, NO_TINT), 0); // before Begin
    EXPECT_LT(m_sprite->End(), 0);
    ASSERT_EQ(m_sprite->Begin(0), D3D_OK);
    EXPECT_LT(m_sprite->Begin(0), 0);
    EXPECT_LT(m_sprite->Draw(nullptr, nullptr, nullptr, nullptr, NO_TINT), 0);

    IDirect3DTexture9* opaque = nullptr;
    ASSERT_EQ(D3DXCreateTexture(m_device, 4, 4, 1, 0, static_cast<D3DFORMAT>(999), D3DPOOL_MANAGED, &opaque),
              D3D_OK);
    EXPECT_LT(m_sprite->Draw(opaque, nullptr, nullptr, nullptr, NO_TINT), 0);
    opaque->Release();
    EXPECT_EQ(m_sprite->End(), D3D_OK);
}

TEST_F(ID3DXSpriteTest, CreationFailsWhenHookedAndHoldsTheDevice)
{
    ID3DXSprite* sprite = nullptr;
    EXPECT_LT(D3DXCreateSprite(nullptr, &sprite), 0);
    TestHooks::failNextCreateSprite();
    EXPECT_LT(D3DXCreateSprite(m_device, &sprite), 0);
    EXPECT_EQ(sprite, nullptr);
    ASSERT_EQ(D3DXCreateSprite(m_device, &sprite), D3D_OK);

    m_device->AddRef();
    EXPECT_EQ(m_device->Release(), 3u); // ours and the two sprites'
    EXPECT_EQ(sprite->Release(), 0u);
    m_device->AddRef();
    EXPECT_EQ(m_device->Release(), 2u);
}

} // namespace
