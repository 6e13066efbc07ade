#include <gtest/gtest.h>

#include "Platform/TestHooks.h"

namespace {
class TestHooksTest : public ::testing::Test {
protected:
    void SetUp() override { TestHooks::reset(); }
    void TearDown() override { TestHooks::reset(); }
};
} // namespace

TEST_F(TestHooksTest, EveryFailureHookFiresOnce)
{
    EXPECT_FALSE(TestHooks::takeDirect3DCreate9Failure());
    TestHooks::failNextDirect3DCreate9();
    TestHooks::failNextGetAdapterDisplayMode();
    TestHooks::failNextCreateDevice();
    TestHooks::failNextCreateSprite();
    TestHooks::failNextSaveTexture();
    EXPECT_TRUE(TestHooks::takeDirect3DCreate9Failure());
    EXPECT_TRUE(TestHooks::takeGetAdapterDisplayModeFailure());
    EXPECT_TRUE(TestHooks::takeCreateDeviceFailure());
    EXPECT_TRUE(TestHooks::takeCreateSpriteFailure());
    EXPECT_TRUE(TestHooks::takeSaveTextureFailure());
    EXPECT_FALSE(TestHooks::takeDirect3DCreate9Failure());
    EXPECT_FALSE(TestHooks::takeGetAdapterDisplayModeFailure());
    EXPECT_FALSE(TestHooks::takeCreateDeviceFailure());
    EXPECT_FALSE(TestHooks::takeCreateSpriteFailure());
    EXPECT_FALSE(TestHooks::takeSaveTextureFailure());
}

TEST_F(TestHooksTest, TextureCreationHookCanWaitForItsFormat)
{
    TestHooks::failNextTextureCreation();
    EXPECT_TRUE(TestHooks::takeTextureCreationFailure(D3DFMT_L8));
    EXPECT_FALSE(TestHooks::takeTextureCreationFailure(D3DFMT_L8));
    TestHooks::failNextTextureCreation(D3DFMT_DXT3);
    EXPECT_FALSE(TestHooks::takeTextureCreationFailure(D3DFMT_DXT1));
    EXPECT_TRUE(TestHooks::takeTextureCreationFailure(D3DFMT_DXT3));
    EXPECT_FALSE(TestHooks::takeTextureCreationFailure(D3DFMT_DXT3));
}

TEST_F(TestHooksTest, DeviceLostCountsDownAndResetDisarms)
{
    TestHooks::setDeviceLostCalls(2);
    EXPECT_TRUE(TestHooks::takeDeviceLostCall());
    EXPECT_TRUE(TestHooks::takeDeviceLostCall());
    EXPECT_FALSE(TestHooks::takeDeviceLostCall());
    TestHooks::setDeviceLostCalls(5);
    TestHooks::failNextCreateDevice();
    TestHooks::reset();
    EXPECT_FALSE(TestHooks::takeDeviceLostCall());
    EXPECT_FALSE(TestHooks::takeCreateDeviceFailure());
}

TEST_F(TestHooksTest, PresentedFramesAreKeptAndCounted)
{
    EXPECT_EQ(TestHooks::presentedFrameCount(), 0u);
    const D3DCOLOR pixels[6] = {1, 2, 3, 4, 5, 6};
    TestHooks::recordPresentedFrame(3, 2, pixels);
    TestHooks::recordPresentedFrame(2, 1, pixels + 4);
    EXPECT_EQ(TestHooks::presentedFrameCount(), 2u);
    const PresentedFrame& frame = TestHooks::lastPresentedFrame();
    EXPECT_EQ(frame.width, 2u);
    EXPECT_EQ(frame.height, 1u);
    EXPECT_EQ(frame.pixels, (std::vector<D3DCOLOR>{5, 6}));
}
