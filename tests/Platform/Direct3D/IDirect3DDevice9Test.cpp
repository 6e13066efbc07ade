#include "Platform/Direct3D.h"
#include "Support/MemoryPresentTarget.h"
#include "Support/TestHooks.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace
{

const D3DCOLOR BLUE_GREY = 0xFF5987B2u;

D3DPRESENT_PARAMETERS windowedParameters(HWND window)
{
    D3DPRESENT_PARAMETERS parameters{};
    parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
    parameters.BackBufferCount = 1;
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    parameters.hDeviceWindow = window;
    parameters.Windowed = TRUE;
    return parameters;
}

class IDirect3DDevice9Test : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TestHooks::reset();
        m_direct3D = Direct3DCreate9(D3D_SDK_VERSION);
        ASSERT_NE(m_direct3D, nullptr);
        D3DPRESENT_PARAMETERS parameters = windowedParameters(&m_window);
        ASSERT_EQ(m_direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, &m_window,
                                           D3DCREATE_SOFTWARE_VERTEXPROCESSING, &parameters, &m_device),
                  D3D_OK);
        m_device->setFrameInterval(std::chrono::microseconds(0));
    }

    void TearDown() override
    {
        if (m_device != nullptr) {
            m_device->Release();
        }
        m_direct3D->Release();
        TestHooks::reset();
    }

    HRESULT clearAndPresent(D3DCOLOR color)
    {
        m_device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, color, 1.0f, 0);
        return m_device->Present(nullptr, nullptr, nullptr, nullptr);
    }

    MemoryPresentTarget m_window{32, 16};
    IDirect3D9* m_direct3D = nullptr;
    IDirect3DDevice9* m_device = nullptr;
};

TEST(Direct3DCreate9Test, AnswersOnlyVersion32AndFailsWhenHooked)
{
    TestHooks::reset();
    EXPECT_EQ(Direct3DCreate9(31), nullptr);
    IDirect3D9* direct3D = Direct3DCreate9(32);
    ASSERT_NE(direct3D, nullptr);
    EXPECT_EQ(direct3D->Release(), 0u);

    TestHooks::failNextDirect3DCreate9();
    EXPECT_EQ(Direct3DCreate9(32), nullptr);
    direct3D = Direct3DCreate9(32); // only the next call fails
    ASSERT_NE(direct3D, nullptr);
    direct3D->Release();
}

TEST_F(IDirect3DDevice9Test, DisplayModeIsX8R8G8B8AndCanBeMadeToFail)
{
    D3DDISPLAYMODE mode{};
    ASSERT_EQ(m_direct3D->GetAdapterDisplayMode(0, &mode), D3D_OK);
    EXPECT_EQ(mode.Format, D3DFMT_X8R8G8B8);
    EXPECT_LT(m_direct3D->GetAdapterDisplayMode(1, &mode), 0);
    EXPECT_LT(m_direct3D->GetAdapterDisplayMode(0, nullptr), 0);

    TestHooks::failNextGetAdapterDisplayMode();
    EXPECT_LT(m_direct3D->GetAdapterDisplayMode(0, &mode), 0);
    EXPECT_EQ(m_direct3D->GetAdapterDisplayMode(0, &mode), D3D_OK);
}

TEST_F(IDirect3DDevice9Test, BackBufferTakesTheClientSizeOrTheMemorySize)
{
    EXPECT_EQ(m_device->backBufferWidth(), 32u);
    EXPECT_EQ(m_device->backBufferHeight(), 16u);

    // No window at all: a memory-only back buffer; the chosen size is written back.
    D3DPRESENT_PARAMETERS parameters = windowedParameters(nullptr);
    IDirect3DDevice9* memoryDevice = nullptr;
    ASSERT_EQ(m_direct3D->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                       &parameters, &memoryDevice),
              D3D_OK);
    EXPECT_EQ(memoryDevice->backBufferWidth(), IDirect3DDevice9::MEMORY_BACK_BUFFER_WIDTH);
    EXPECT_EQ(parameters.BackBufferWidth, IDirect3DDevice9::MEMORY_BACK_BUFFER_WIDTH);
    EXPECT_EQ(parameters.BackBufferHeight, IDirect3DDevice9::MEMORY_BACK_BUFFER_HEIGHT);
    memoryDevice->Release();

    // Sizes given in the parameters win over the window's.
    parameters = windowedParameters(&m_window);
    parameters.BackBufferWidth = 8;
    parameters.BackBufferHeight = 4;
    IDirect3DDevice9* sizedDevice = nullptr;
    ASSERT_EQ(m_direct3D->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                       &parameters, &sizedDevice),
              D3D_OK);
    EXPECT_EQ(sizedDevice->backBufferWidth(), 8u);
    EXPECT_EQ(sizedDevice->backBufferHeight(), 4u);
    sizedDevice->Release();
}

TEST_F(IDirect3DDevice9Test, AWindowSizedBackBufferFollowsTheWindowFromTheNextFrame)
{
    clearAndPresent(BLUE_GREY);
    m_window.resize(48, 24);
    clearAndPresent(0xFF000000u);
    EXPECT_EQ(m_device->backBufferWidth(), 48u);
    EXPECT_EQ(m_device->backBufferHeight(), 24u);
    ASSERT_EQ(m_window.frameWidth(), 48u);
    ASSERT_EQ(m_window.frameHeight(), 24u);
    EXPECT_TRUE(std::all_of(m_window.frame().begin(), m_window.frame().end(),
                            [](D3DCOLOR pixel) { return pixel == 0xFF000000u; }));

    // A frame in the making keeps the size it started with.
    m_device->Clear(0, nullptr, D3DCLEAR_TARGET, BLUE_GREY, 1.0f, 0);
    m_window.resize(20, 10);
    D3DRECT everything{0, 0, 100, 100};
    m_device->Clear(1, &everything, D3DCLEAR_TARGET, 0xFFFF0000u, 1.0f, 0);
    m_device->Present(nullptr, nullptr, nullptr, nullptr);
    ASSERT_EQ(m_window.frameWidth(), 48u);
    EXPECT_EQ(m_window.pixel(47, 23), 0xFFFF0000u);

    clearAndPresent(BLUE_GREY);
    EXPECT_EQ(m_window.frameWidth(), 20u);
    EXPECT_EQ(m_window.frameHeight(), 10u);
    // A minimised window still has a back buffer.
    m_window.resize(0, 0);
    clearAndPresent(BLUE_GREY);
    EXPECT_EQ(m_window.frameWidth(), 1u);
    EXPECT_EQ(m_window.frameHeight(), 1u);
}

TEST_F(IDirect3DDevice9Test, ABackBufferOfAGivenSizeKeepsIt)
{
    D3DPRESENT_PARAMETERS parameters = windowedParameters(&m_window);
    parameters.BackBufferWidth = 8;
    parameters.BackBufferHeight = 4;
    IDirect3DDevice9* sizedDevice = nullptr;
    ASSERT_EQ(m_direct3D->CreateDevice(0, D3DDEVTYPE_HAL, &m_window, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                       &parameters, &sizedDevice),
              D3D_OK);
    sizedDevice->setFrameInterval(std::chrono::microseconds(0));
    m_window.resize(64, 64);
    sizedDevice->Clear(0, nullptr, D3DCLEAR_TARGET, BLUE_GREY, 1.0f, 0);
    sizedDevice->Present(nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(m_window.frameWidth(), 8u);
    EXPECT_EQ(m_window.frameHeight(), 4u);
    sizedDevice->Release();
}

TEST_F(IDirect3DDevice9Test, OnlyDevicesWithAWindowArePaced)
{
    D3DPRESENT_PARAMETERS parameters = windowedParameters(&m_window);
    IDirect3DDevice9* windowDevice = nullptr;
    ASSERT_EQ(m_direct3D->CreateDevice(0, D3DDEVTYPE_HAL, &m_window, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                       &parameters, &windowDevice),
              D3D_OK);
    EXPECT_EQ(windowDevice->frameInterval(), IDirect3DDevice9::WINDOW_FRAME_INTERVAL);
    windowDevice->Release();

    parameters = windowedParameters(nullptr);
    IDirect3DDevice9* memoryDevice = nullptr;
    ASSERT_EQ(m_direct3D->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                       &parameters, &memoryDevice),
              D3D_OK);
    EXPECT_EQ(memoryDevice->frameInterval().count(), 0);
    memoryDevice->Release();
}

TEST_F(IDirect3DDevice9Test, CreateDeviceRefusesBadRequestsAndFailsWhenHooked)
{
    IDirect3DDevice9* device = reinterpret_cast<IDirect3DDevice9*>(&m_window);
    D3DPRESENT_PARAMETERS parameters = windowedParameters(&m_window);
    EXPECT_LT(m_direct3D->CreateDevice(0, D3DDEVTYPE_HAL, &m_window, 0, &parameters, &device), 0);
    EXPECT_EQ(device, nullptr);
    EXPECT_LT(m_direct3D->CreateDevice(0, D3DDEVTYPE_HAL, &m_window, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                       nullptr, &device),
              0);
    parameters.Windowed = FALSE;
    EXPECT_LT(m_direct3D->CreateDevice(0, D3DDEVTYPE_HAL, &m_window, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                       &parameters, &device),
              0);

    parameters.Windowed = TRUE;
    TestHooks::failNextCreateDevice();
    EXPECT_LT(m_direct3D->CreateDevice(0, D3DDEVTYPE_HAL, &m_window, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                       &parameters, &device),
              0);
    EXPECT_EQ(device, nullptr);
    ASSERT_EQ(m_direct3D->CreateDevice(0, D3DDEVTYPE_HAL, &m_window, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                       &parameters, &device),
              D3D_OK);
    device->Release();
}

TEST_F(IDirect3DDevice9Test, DeviceKeepsItsDirect3DObjectAlive)
{
    m_direct3D->AddRef();
    EXPECT_EQ(m_direct3D->Release(), 2u); // ours and the device's
    EXPECT_EQ(m_device->Release(), 0u);
    m_device = nullptr;
    m_direct3D->AddRef();
    EXPECT_EQ(m_direct3D->Release(), 1u);
}

TEST_F(IDirect3DDevice9Test, StatesAndTransformsAreKept)
{
    DWORD value = 7;
    EXPECT_EQ(m_device->GetRenderState(D3DRS_LIGHTING, &value), D3D_OK);
    EXPECT_EQ(value, 0u);
    EXPECT_EQ(m_device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE), D3D_OK);
    EXPECT_EQ(m_device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA), D3D_OK);
    m_device->GetRenderState(D3DRS_ALPHABLENDENABLE, &value);
    EXPECT_EQ(value, 1u);
    m_device->GetRenderState(D3DRS_SRCBLEND, &value);
    EXPECT_EQ(value, 5u);

    EXPECT_EQ(m_device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR), D3D_OK);
    m_device->GetSamplerState(0, D3DSAMP_MINFILTER, &value);
    EXPECT_EQ(value, 2u);
    m_device->GetSamplerState(1, D3DSAMP_MINFILTER, &value);
    EXPECT_EQ(value, 0u);
    EXPECT_LT(m_device->SetSamplerState(16, D3DSAMP_MINFILTER, D3DTEXF_LINEAR), 0);

    D3DMATRIX matrix{};
    ASSERT_EQ(m_device->GetTransform(D3DTS_PROJECTION, &matrix), D3D_OK);
    EXPECT_EQ(matrix.m[0][0], 1.0f); // identity until set
    EXPECT_EQ(matrix.m[3][2], 0.0f);
    matrix.m[3][2] = -0.5f;
    EXPECT_EQ(m_device->SetTransform(D3DTS_PROJECTION, &matrix), D3D_OK);
    D3DMATRIX readBack{};
    m_device->GetTransform(D3DTS_PROJECTION, &readBack);
    EXPECT_EQ(readBack.m[3][2], -0.5f);
    EXPECT_LT(m_device->SetTransform(D3DTS_PROJECTION, nullptr), 0);
}

TEST_F(IDirect3DDevice9Test, ScenesDoNotNest)
{
    EXPECT_LT(m_device->EndScene(), 0);
    EXPECT_EQ(m_device->BeginScene(), D3D_OK);
    EXPECT_LT(m_device->BeginScene(), 0);
    EXPECT_EQ(m_device->EndScene(), D3D_OK);
}

TEST_F(IDirect3DDevice9Test, PresentHandsTheClearedFrameToTheWindow)
{
    ASSERT_EQ(clearAndPresent(BLUE_GREY), D3D_OK);
    ASSERT_EQ(m_window.frameCount(), 1);
    EXPECT_EQ(m_window.frameWidth(), 32u);
    EXPECT_EQ(m_window.frameHeight(), 16u);
    EXPECT_TRUE(std::all_of(m_window.frame().begin(), m_window.frame().end(),
                            [](D3DCOLOR pixel) { return pixel == BLUE_GREY; }));

    const PresentedFrame& observed = TestHooks::lastPresentedFrame();
    EXPECT_EQ(TestHooks::presentedFrameCount(), 1u);
    EXPECT_EQ(observed.width, 32u);
    EXPECT_EQ(observed.pixels, m_window.frame());
}

TEST_F(IDirect3DDevice9Test, BackBufferIsOpaqueWhateverTheClearAlpha)
{
    clearAndPresent(0x00102030u);
    EXPECT_EQ(m_window.pixel(0, 0), 0xFF102030u);
}

TEST_F(IDirect3DDevice9Test, UnchangedFramesAreNotHandedOnAgain)
{
    clearAndPresent(BLUE_GREY);
    clearAndPresent(BLUE_GREY);
    clearAndPresent(BLUE_GREY);
    EXPECT_EQ(m_window.frameCount(), 1);
    EXPECT_EQ(TestHooks::presentedFrameCount(), 1u);

    clearAndPresent(0xFF000000u);
    EXPECT_EQ(m_window.frameCount(), 2);
    EXPECT_EQ(m_window.pixel(5, 5), 0xFF000000u);

    // A frame drawn differently but with the same pixels is not handed on either.
    m_device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
    D3DRECT corner{0, 0, 4, 4};
    m_device->Clear(1, &corner, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
    m_device->Present(nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(m_window.frameCount(), 2);
}

TEST_F(IDirect3DDevice9Test, ClearRectanglesAreClippedToTheBackBuffer)
{
    m_device->Clear(0, nullptr, D3DCLEAR_TARGET, BLUE_GREY, 1.0f, 0);
    D3DRECT rects[2] = {{-5, -5, 2, 1}, {30, 14, 100, 100}};
    ASSERT_EQ(m_device->Clear(2, rects, D3DCLEAR_TARGET, 0xFFFF0000u, 1.0f, 0), D3D_OK);
    m_device->Present(nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(m_window.pixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(m_window.pixel(1, 0), 0xFFFF0000u);
    EXPECT_EQ(m_window.pixel(2, 0), BLUE_GREY);
    EXPECT_EQ(m_window.pixel(0, 1), BLUE_GREY);
    EXPECT_EQ(m_window.pixel(31, 15), 0xFFFF0000u);
    EXPECT_EQ(m_window.pixel(29, 15), BLUE_GREY);

    EXPECT_LT(m_device->Clear(1, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0), 0);
    EXPECT_LT(m_device->Clear(0, rects, D3DCLEAR_TARGET, 0, 1.0f, 0), 0);
}

TEST_F(IDirect3DDevice9Test, ClearWithoutTargetLeavesThePixels)
{
    clearAndPresent(BLUE_GREY);
    m_device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0xFFFF0000u, 1.0f, 0);
    m_device->Present(nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(m_window.frameCount(), 1);
    EXPECT_EQ(m_window.pixel(3, 3), BLUE_GREY);
}

TEST_F(IDirect3DDevice9Test, PresentTakesNoRectanglesOrOtherWindow)
{
    RECT rect{0, 0, 1, 1};
    EXPECT_LT(m_device->Present(&rect, nullptr, nullptr, nullptr), 0);
    EXPECT_LT(m_device->Present(nullptr, nullptr, &m_window, nullptr), 0);
    EXPECT_EQ(m_window.frameCount(), 0);
}

TEST_F(IDirect3DDevice9Test, LostDeviceNeedsAResetAndPresentsNothing)
{
    EXPECT_EQ(m_device->TestCooperativeLevel(), D3D_OK);
    TestHooks::setDeviceLostCalls(2);
    EXPECT_EQ(m_device->TestCooperativeLevel(), D3DERR_DEVICELOST);
    EXPECT_EQ(clearAndPresent(BLUE_GREY), D3DERR_DEVICELOST);
    EXPECT_EQ(m_device->TestCooperativeLevel(), D3DERR_DEVICELOST);
    EXPECT_EQ(m_device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    EXPECT_EQ(m_device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    EXPECT_EQ(clearAndPresent(BLUE_GREY), D3DERR_DEVICELOST);
    EXPECT_EQ(m_window.frameCount(), 0);
    EXPECT_EQ(TestHooks::presentedFrameCount(), 0u);

    // A new device works again.
    D3DPRESENT_PARAMETERS parameters = windowedParameters(&m_window);
    IDirect3DDevice9* fresh = nullptr;
    ASSERT_EQ(m_direct3D->CreateDevice(0, D3DDEVTYPE_HAL, &m_window, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                       &parameters, &fresh),
              D3D_OK);
    EXPECT_EQ(fresh->TestCooperativeLevel(), D3D_OK);
    fresh->Release();
}

TEST_F(IDirect3DDevice9Test, CreateTextureFollowsTheTextureRules)
{
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(m_device->CreateTexture(64, 32, 0, 0, D3DFMT_DXT5, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
    EXPECT_EQ(texture->GetLevelCount(), 7u);
    D3DSURFACE_DESC desc{};
    texture->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Format, D3DFMT_DXT5);
    EXPECT_EQ(desc.Width, 64u);
    EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
    IDirect3DDevice9* owner = nullptr;
    texture->GetDevice(&owner);
    EXPECT_EQ(owner, m_device);
    texture->Release();

    // Formats outside the table and shared handles are refused; the hook fails one creation.
    EXPECT_LT(
        m_device->CreateTexture(4, 4, 1, 0, static_cast<D3DFORMAT>(999), D3DPOOL_MANAGED, &texture, nullptr),
        0);
    EXPECT_EQ(texture, nullptr);
    HANDLE shared = nullptr;
    EXPECT_LT(m_device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, &shared), 0);
    TestHooks::failNextTextureCreation();
    EXPECT_LT(m_device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), 0);
    ASSERT_EQ(m_device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
              D3D_OK);
    texture->Release();
}

TEST(GetClientRectTest, GivesTheWindowsClientSize)
{
    MemoryPresentTarget window(120, 80);
    RECT rect{9, 9, 9, 9};
    ASSERT_TRUE(GetClientRect(&window, &rect));
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 0);
    EXPECT_EQ(rect.right, 120);
    EXPECT_EQ(rect.bottom, 80);

    rect = RECT{9, 9, 9, 9};
    EXPECT_FALSE(GetClientRect(nullptr, &rect));
    EXPECT_EQ(rect.right, 9);
}

} // namespace
