#include "RenderSystem/RenderSystem.h"

#include "Support/LogCapture.h"
#include "Support/MemoryPresentTarget.h"
#include "Support/TestHooks.h"

#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <vector>

namespace
{

const D3DCOLOR BLUE_GREY = 0xFF5987B2u;

// The fields of an archive's texture entry that the render system reads.
struct Entry
{
    ComPtr<IDirect3DTexture9> texture;
    struct
    {
        int16_t width = 0;
        int16_t height = 0;
    } record;
};

typedef std::vector<std::pair<LogLevel, std::string>> LoggedLines;

LoggedLines loggedLines()
{
    LoggedLines lines;
    for (const LogCapture::Entry& entry : LogCapture::instance().entries()) {
        lines.emplace_back(entry.level, entry.line);
    }
    return lines;
}

const std::pair<LogLevel, std::string> STARTED{LOG_INFORMATION,
                                               "RenderSystem::RenderSystem(17) - Render system started"};
const std::pair<LogLevel, std::string> LOST{LOG_INFORMATION, "RenderSystem::render(37) - 3D Device lost"};
const std::pair<LogLevel, std::string> SHUT_DOWN{LOG_INFORMATION,
                                                 "RenderSystem::shutDown(89) - Render system shutdown"};

// An opaque texture whose every texel is distinct: 0xFF, x, y, x ^ y.
D3DCOLOR texelAt(UINT x, UINT y)
{
    return D3DCOLOR_ARGB(0xFF, x, y, x ^ y);
}

class RenderSystemTest : public ::testing::Test
{
protected:
    void SetUp() override { TestHooks::reset(); }
    void TearDown() override { TestHooks::reset(); }

    // A render system on a 200 × 100 window, without the frame pacing that would only slow the tests.
    RenderSystem* start()
    {
        RenderSystem* renderSystem = new RenderSystem(&m_window, 100.0f, 200.0f);
        if (renderSystem->isInitialized()) {
            (*renderSystem->getDevice())->setFrameInterval(std::chrono::microseconds(0));
        }
        return renderSystem;
    }

    IDirect3DTexture9* makeTexture(IDirect3DDevice9* device, UINT width, UINT height)
    {
        IDirect3DTexture9* texture = nullptr;
        EXPECT_EQ(
            device->CreateTexture(width, height, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
            D3D_OK);
        D3DLOCKED_RECT locked{};
        EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
        D3DCOLOR* texels = static_cast<D3DCOLOR*>(locked.pBits);
        for (UINT y = 0; y < height; ++y) {
            for (UINT x = 0; x < width; ++x) {
                texels[y * width + x] = texelAt(x, y);
            }
        }
        texture->UnlockRect(0);
        return texture;
    }

    void expectOnlyClearColour()
    {
        ASSERT_FALSE(m_window.frame().empty());
        for (D3DCOLOR pixel : m_window.frame()) {
            ASSERT_EQ(pixel, BLUE_GREY);
        }
    }

    MemoryPresentTarget m_window{200, 100};
};

TEST_F(RenderSystemTest, StartsOnTheWindowAndLogsItsLifeInOrder)
{
    RenderSystem* renderSystem = start();
    ASSERT_TRUE(renderSystem->isInitialized());
    IDirect3DDevice9* device = *renderSystem->getDevice();
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->backBufferWidth(), 200u);
    EXPECT_EQ(device->backBufferHeight(), 100u);

    TestHooks::setDeviceLostCalls(1);
    EXPECT_FALSE(renderSystem->render(nullptr));
    EXPECT_TRUE(renderSystem->shutDown());
    delete renderSystem;

    EXPECT_EQ(loggedLines(), (LoggedLines{STARTED, LOST, SHUT_DOWN}));
    EXPECT_LOGGED(LOG_INFORMATION, "Render system started");
}

TEST_F(RenderSystemTest, SetsTheDeviceStatesAndTheProjection)
{
    RenderSystem* renderSystem = start();
    IDirect3DDevice9* device = *renderSystem->getDevice();
    const std::pair<D3DRENDERSTATETYPE, DWORD> renderStates[] = {
        {D3DRS_LIGHTING, 0},  {D3DRS_ALPHABLENDENABLE, 1},  {D3DRS_SRCBLEND, 5},
        {D3DRS_DESTBLEND, 6}, {D3DRS_POINTSPRITEENABLE, 1}, {D3DRS_POINTSCALEENABLE, 1}};
    for (const auto& state : renderStates) {
        DWORD value = 99;
        device->GetRenderState(state.first, &value);
        EXPECT_EQ(value, state.second) << "render state " << state.first;
    }
    DWORD filter = 99;
    device->GetSamplerState(0, D3DSAMP_MINFILTER, &filter);
    EXPECT_EQ(filter, 2u);
    device->GetSamplerState(0, D3DSAMP_MAGFILTER, &filter);
    EXPECT_EQ(filter, 2u);

    // Right-handed, a quarter of pi vertically, aspect 200 / 100, planes 0.1 and 1000.
    D3DMATRIX projection{};
    ASSERT_EQ(device->GetTransform(D3DTS_PROJECTION, &projection), D3D_OK);
    const float expected[4][4] = {{1.20710678f, 0, 0, 0},
                                  {0, 2.41421356f, 0, 0},
                                  {0, 0, -1.00010001f, -1.0f},
                                  {0, 0, -0.100010001f, 0}};
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            EXPECT_NEAR(projection.m[row][column], expected[row][column], 1e-5) << row << ", " << column;
        }
    }
    delete renderSystem;
}

TEST_F(RenderSystemTest, NullEntryClearsAndPresents)
{
    RenderSystem* renderSystem = start();
    EXPECT_TRUE(renderSystem->render(nullptr));
    EXPECT_EQ(m_window.frameCount(), 1);
    expectOnlyClearColour();
    delete renderSystem;
}

TEST_F(RenderSystemTest, DrawsTheEntryUnscaledWithoutItsFirstColumnsAndRows)
{
    RenderSystem* renderSystem = start();
    Entry entry;
    entry.texture = ComPtr<IDirect3DTexture9>(makeTexture(*renderSystem->getDevice(), 64, 32));
    entry.record.width = 64;
    entry.record.height = 32;
    ASSERT_TRUE(renderSystem->render(&entry));

    // Source rectangle left 4, top 2, right 64, bottom 32, drawn from (10, 10) − (1, 1).
    for (UINT y = 0; y < 100; ++y) {
        for (UINT x = 0; x < 200; ++x) {
            const bool drawn = x >= 9 && x < 9 + 60 && y >= 9 && y < 9 + 30;
            const D3DCOLOR expected = drawn ? texelAt(x - 9 + 4, y - 9 + 2) : BLUE_GREY;
            ASSERT_EQ(m_window.pixel(x, y), expected) << "at " << x << ", " << y;
        }
    }
    EXPECT_EQ(m_window.pixel(10, 10), texelAt(5, 3)); // the drawn part's (1, 1)

    entry.texture.reset();
    delete renderSystem;
}

TEST_F(RenderSystemTest, RecordSizesAreClippedToTheTexture)
{
    RenderSystem* renderSystem = start();
    IDirect3DTexture9* texture = makeTexture(*renderSystem->getDevice(), 16, 8);
    ASSERT_TRUE(renderSystem->renderTexture(texture, 1000, 1000));
    EXPECT_EQ(m_window.pixel(9 + 11, 9 + 5), texelAt(15, 7));
    EXPECT_EQ(m_window.pixel(9 + 12, 9), BLUE_GREY);
    EXPECT_EQ(m_window.pixel(9, 9 + 6), BLUE_GREY);

    // A record smaller than the source rectangle's corner draws nothing.
    ASSERT_TRUE(renderSystem->renderTexture(texture, 3, 8));
    expectOnlyClearColour();
    texture->Release();
    delete renderSystem;
}

TEST_F(RenderSystemTest, BlendsTheTextureOverTheClearColourByItsAlpha)
{
    RenderSystem* renderSystem = start();
    IDirect3DTexture9* texture = makeTexture(*renderSystem->getDevice(), 16, 8);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    D3DCOLOR* texels = static_cast<D3DCOLOR*>(locked.pBits);
    texels[3 * 16 + 5] = 0x80FF0000u; // half-transparent red
    texels[3 * 16 + 6] = 0x00FFFFFFu; // fully transparent white
    texture->UnlockRect(0);

    ASSERT_TRUE(renderSystem->renderTexture(texture, 16, 8));
    // Texel (5, 3) lands on (10, 10): red × 128/255 + 0x5987B2 × 127/255, each channel rounded.
    EXPECT_EQ(m_window.pixel(10, 10), 0xFFAC4359u);
    EXPECT_EQ(m_window.pixel(11, 10), BLUE_GREY);
    EXPECT_EQ(m_window.pixel(12, 10), texelAt(7, 3)); // opaque texels untinted
    texture->Release();
    delete renderSystem;
}

TEST_F(RenderSystemTest, EntryWithoutTextureDrawsAnEmptyFrame)
{
    RenderSystem* renderSystem = start();
    Entry entry;
    entry.record.width = 64;
    entry.record.height = 32;
    EXPECT_TRUE(renderSystem->render(&entry));
    expectOnlyClearColour();
    delete renderSystem;
}

TEST_F(RenderSystemTest, TextureThatCannotBeDrawnLeavesAnEmptyFrameAndNoMessage)
{
    RenderSystem* renderSystem = start();
    LogCapture::instance().clear();
    // The layer keeps the bytes of this format but cannot turn them into colours.
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ((*renderSystem->getDevice())
                  ->CreateTexture(64, 32, 1, 0, D3DFMT_A16B16G16R16, D3DPOOL_MANAGED, &texture, nullptr),
              D3D_OK);
    EXPECT_TRUE(renderSystem->renderTexture(texture, 64, 32));
    expectOnlyClearColour();
    EXPECT_TRUE(LogCapture::instance().entries().empty()) << LogCapture::instance().describe();
    texture->Release();
    delete renderSystem;
}

TEST_F(RenderSystemTest, UnchangedFramesReachTheWindowOnce)
{
    RenderSystem* renderSystem = start();
    IDirect3DTexture9* texture = makeTexture(*renderSystem->getDevice(), 64, 32);
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(renderSystem->renderTexture(texture, 64, 32));
    }
    EXPECT_EQ(m_window.frameCount(), 1);
    renderSystem->render(nullptr);
    EXPECT_EQ(m_window.frameCount(), 2);
    EXPECT_EQ(TestHooks::presentedFrameCount(), 2u);
    texture->Release();
    delete renderSystem;
}

TEST_F(RenderSystemTest, LostDeviceIsReportedOnEveryCallAndDrawsNothing)
{
    RenderSystem* renderSystem = start();
    TestHooks::setDeviceLostCalls(2);
    EXPECT_FALSE(renderSystem->render(nullptr));
    EXPECT_EQ(LogCapture::instance().messages(LOG_INFORMATION),
              (std::vector<std::string>{"Render system started", "3D Device lost"}));
    EXPECT_FALSE(renderSystem->render(nullptr));
    EXPECT_EQ(LogCapture::instance().count(LOG_INFORMATION), 3u);
    EXPECT_EQ(m_window.frameCount(), 0);
    delete renderSystem;
}

TEST_F(RenderSystemTest, DeviceThatNeedsAResetCountsAsLost)
{
    RenderSystem* renderSystem = start();
    TestHooks::setDeviceLostCalls(1);
    EXPECT_FALSE(renderSystem->render(nullptr));
    // The loss is over, but the device needs a reset that only a new render system brings.
    EXPECT_EQ((*renderSystem->getDevice())->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    EXPECT_FALSE(renderSystem->render(nullptr));
    EXPECT_EQ(LogCapture::instance().messages(LOG_INFORMATION),
              (std::vector<std::string>{"Render system started", "3D Device lost", "3D Device lost"}));
    EXPECT_EQ(m_window.frameCount(), 0);
    delete renderSystem;

    RenderSystem restarted(&m_window, 100.0f, 200.0f);
    (*restarted.getDevice())->setFrameInterval(std::chrono::microseconds(0));
    EXPECT_TRUE(restarted.render(nullptr));
    EXPECT_EQ(m_window.frameCount(), 1);
}

TEST_F(RenderSystemTest, ShutDownTwiceLogsOnceAndClearsTheDevice)
{
    RenderSystem* renderSystem = start();
    EXPECT_TRUE(renderSystem->shutDown());
    EXPECT_FALSE(renderSystem->isInitialized());
    EXPECT_EQ(*renderSystem->getDevice(), nullptr);
    EXPECT_TRUE(renderSystem->shutDown());
    EXPECT_TRUE(renderSystem->render(nullptr)); // nothing to draw with, and not lost
    EXPECT_EQ(m_window.frameCount(), 0);
    delete renderSystem;
    EXPECT_EQ(loggedLines(), (LoggedLines{STARTED, SHUT_DOWN}));
}

TEST_F(RenderSystemTest, DestructorShutsDown)
{
    delete start();
    EXPECT_EQ(loggedLines(), (LoggedLines{STARTED, SHUT_DOWN}));
}

TEST_F(RenderSystemTest, FailedStartsReportWhyAndLeaveNothingToDraw)
{
    const std::pair<void (*)(), std::pair<LogLevel, std::string>> failures[] = {
        {&TestHooks::failNextDirect3DCreate9,
         {LOG_ERROR, "RenderSystem::initialize(104) - Unable to access Direct3D"}},
        {&TestHooks::failNextGetAdapterDisplayMode,
         {LOG_ERROR, "RenderSystem::initialize(114) - Unable to get display mode information"}},
        {&TestHooks::failNextCreateDevice,
         {LOG_ERROR, "RenderSystem::initialize(148) - Failed to create 3D Device"}}};
    for (const auto& failure : failures) {
        LogCapture::instance().clear();
        failure.first();
        RenderSystem* renderSystem = start();
        EXPECT_FALSE(renderSystem->isInitialized());
        EXPECT_EQ(*renderSystem->getDevice(), nullptr);
        EXPECT_TRUE(renderSystem->render(nullptr));
        EXPECT_TRUE(renderSystem->shutDown());
        delete renderSystem;
        EXPECT_EQ(loggedLines(), (LoggedLines{failure.second}));
    }
    EXPECT_EQ(m_window.frameCount(), 0);
}

TEST_F(RenderSystemTest, WithoutASpriteItStartsAndDrawsEmptyFrames)
{
    TestHooks::failNextCreateSprite();
    RenderSystem* renderSystem = start();
    EXPECT_TRUE(renderSystem->isInitialized());
    EXPECT_EQ(loggedLines(),
              (LoggedLines{{LOG_ERROR, "RenderSystem::initialize(185) - Failed to create sprite"}, STARTED}));

    IDirect3DTexture9* texture = makeTexture(*renderSystem->getDevice(), 64, 32);
    EXPECT_TRUE(renderSystem->renderTexture(texture, 64, 32));
    expectOnlyClearColour();
    texture->Release();
    delete renderSystem;
}

TEST_F(RenderSystemTest, WithoutAWindowItRendersIntoMemory)
{
    RenderSystem renderSystem(nullptr, 480.0f, 640.0f);
    ASSERT_TRUE(renderSystem.isInitialized());
    IDirect3DTexture9* texture = makeTexture(*renderSystem.getDevice(), 64, 32);
    EXPECT_TRUE(renderSystem.renderTexture(texture, 64, 32));
    const PresentedFrame& frame = TestHooks::lastPresentedFrame();
    EXPECT_EQ(frame.width, IDirect3DDevice9::MEMORY_BACK_BUFFER_WIDTH);
    EXPECT_EQ(frame.pixels.at(9 * frame.width + 9), texelAt(4, 2));
    EXPECT_EQ(frame.pixels.at(0), BLUE_GREY);
    texture->Release();
}

} // namespace
