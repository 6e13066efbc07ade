#include "Support/TestHooks.h"

#include <gtest/gtest.h>

namespace
{

class TestHooksTest : public ::testing::Test
{
protected:
    void SetUp() override { TestHooks::reset(); }
    void TearDown() override { TestHooks::reset(); }

    // The hooks as the stand-in asks them.
    static FaultPlan& plan() { return *FaultPlan::installed(); }
};

// A plan that never fails, standing for one a test puts in place of the hooks.
class QuietPlan : public FaultPlan
{
public:
    bool failsDirect3DCreate9() override { return false; }
    bool failsGetAdapterDisplayMode() override { return false; }
    bool failsCreateDevice() override { return false; }
    bool failsCreateSprite() override { return false; }
    bool failsTextureCreation(D3DFORMAT) override { return false; }
    bool failsSaveTexture() override { return false; }
    bool losesDevice() override { return false; }
};

} // namespace

TEST_F(TestHooksTest, ResetInstallsTheHooksAsPlanAndObserver)
{
    FaultPlan::install(nullptr);
    FrameObserver::install(nullptr);
    TestHooks::reset();
    ASSERT_NE(FaultPlan::installed(), nullptr);
    ASSERT_NE(FrameObserver::installed(), nullptr);
    EXPECT_EQ(dynamic_cast<FrameObserver*>(FaultPlan::installed()), FrameObserver::installed());
}

TEST_F(TestHooksTest, ArmingInstallsTheHooksAgain)
{
    QuietPlan quiet;
    FaultPlan::install(&quiet);
    TestHooks::failNextCreateDevice();
    ASSERT_NE(FaultPlan::installed(), &quiet);
    EXPECT_TRUE(plan().failsCreateDevice());
}

TEST_F(TestHooksTest, EveryFailureHookFiresOnce)
{
    EXPECT_FALSE(plan().failsDirect3DCreate9());
    TestHooks::failNextDirect3DCreate9();
    TestHooks::failNextGetAdapterDisplayMode();
    TestHooks::failNextCreateDevice();
    TestHooks::failNextCreateSprite();
    TestHooks::failNextSaveTexture();
    EXPECT_TRUE(plan().failsDirect3DCreate9());
    EXPECT_TRUE(plan().failsGetAdapterDisplayMode());
    EXPECT_TRUE(plan().failsCreateDevice());
    EXPECT_TRUE(plan().failsCreateSprite());
    EXPECT_TRUE(plan().failsSaveTexture());
    EXPECT_FALSE(plan().failsDirect3DCreate9());
    EXPECT_FALSE(plan().failsGetAdapterDisplayMode());
    EXPECT_FALSE(plan().failsCreateDevice());
    EXPECT_FALSE(plan().failsCreateSprite());
    EXPECT_FALSE(plan().failsSaveTexture());
}

TEST_F(TestHooksTest, TextureCreationHookCanWaitForItsFormat)
{
    TestHooks::failNextTextureCreation();
    EXPECT_TRUE(plan().failsTextureCreation(D3DFMT_L8));
    EXPECT_FALSE(plan().failsTextureCreation(D3DFMT_L8));
    TestHooks::failNextTextureCreation(D3DFMT_DXT3);
    EXPECT_FALSE(plan().failsTextureCreation(D3DFMT_DXT1));
    EXPECT_TRUE(plan().failsTextureCreation(D3DFMT_DXT3));
    EXPECT_FALSE(plan().failsTextureCreation(D3DFMT_DXT3));
}

TEST_F(TestHooksTest, DeviceLostCountsDownAndResetDisarms)
{
    TestHooks::setDeviceLostCalls(2);
    EXPECT_TRUE(plan().losesDevice());
    EXPECT_TRUE(plan().losesDevice());
    EXPECT_FALSE(plan().losesDevice());
    TestHooks::setDeviceLostCalls(5);
    TestHooks::failNextCreateDevice();
    TestHooks::reset();
    EXPECT_FALSE(plan().losesDevice());
    EXPECT_FALSE(plan().failsCreateDevice());
}

TEST_F(TestHooksTest, PresentedFramesAreKeptAndCounted)
{
    EXPECT_EQ(TestHooks::presentedFrameCount(), 0u);
    const D3DCOLOR pixels[6] = {1, 2, 3, 4, 5, 6};
    FrameObserver::installed()->framePresented(3, 2, pixels);
    FrameObserver::installed()->framePresented(2, 1, pixels + 4);
    EXPECT_EQ(TestHooks::presentedFrameCount(), 2u);
    const PresentedFrame& frame = TestHooks::lastPresentedFrame();
    EXPECT_EQ(frame.width, 2u);
    EXPECT_EQ(frame.height, 1u);
    EXPECT_EQ(frame.pixels, (std::vector<D3DCOLOR>{5, 6}));
}
