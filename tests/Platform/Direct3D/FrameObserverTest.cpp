#include "Platform/Direct3D/FrameObserver.h"
#include "Platform/Direct3D.h"
#include "Support/MemoryPresentTarget.h"

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

namespace
{

// Keeps the first pixel of every frame it is told about.
class FirstPixels : public FrameObserver
{
public:
    void framePresented(UINT width, UINT height, const D3DCOLOR* pixels) override
    {
        ASSERT_GT(size_t(width) * height, 0u);
        m_pixels.push_back(pixels[0]);
    }

    std::vector<D3DCOLOR> m_pixels;
};

class FrameObserverTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        FrameObserver::install(nullptr);
        for (IDirect3DDevice9* device : m_devices) {
            device->Release();
        }
        if (m_direct3D != nullptr) {
            m_direct3D->Release();
        }
    }

    // A device that presents into the window, or into memory only with none.
    IDirect3DDevice9* createDevice(HWND window)
    {
        if (m_direct3D == nullptr) {
            m_direct3D = Direct3DCreate9(D3D_SDK_VERSION);
        }
        D3DPRESENT_PARAMETERS parameters{};
        parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
        parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
        parameters.hDeviceWindow = window;
        parameters.Windowed = TRUE;
        IDirect3DDevice9* device = nullptr;
        EXPECT_EQ(m_direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                                           D3DCREATE_SOFTWARE_VERTEXPROCESSING, &parameters, &device),
                  D3D_OK);
        if (device != nullptr) {
            device->setFrameInterval(std::chrono::microseconds(0));
            m_devices.push_back(device);
        }
        return device;
    }

    static void present(IDirect3DDevice9* device, D3DCOLOR color)
    {
        device->Clear(0, nullptr, D3DCLEAR_TARGET, color, 1.0f, 0);
        EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    }

    MemoryPresentTarget m_window{8, 4};
    IDirect3D9* m_direct3D = nullptr;
    std::vector<IDirect3DDevice9*> m_devices;
};

} // namespace

TEST_F(FrameObserverTest, SeesTheFramesHandedOverWithOrWithoutAWindow)
{
    FirstPixels observer;
    FrameObserver::install(&observer);
    ASSERT_EQ(FrameObserver::installed(), &observer);
    IDirect3DDevice9* windowed = createDevice(&m_window);
    IDirect3DDevice9* memoryOnly = createDevice(nullptr);
    ASSERT_NE(windowed, nullptr);
    ASSERT_NE(memoryOnly, nullptr);

    present(windowed, 0xFF112233u);
    present(windowed, 0xFF112233u); // unchanged: not handed over again
    present(memoryOnly, 0xFF445566u);
    EXPECT_EQ(observer.m_pixels, (std::vector<D3DCOLOR>{0xFF112233u, 0xFF445566u}));
    EXPECT_EQ(m_window.frameCount(), 1);
}

TEST_F(FrameObserverTest, WithoutAnObserverFramesStillReachTheWindow)
{
    FrameObserver::install(nullptr);
    IDirect3DDevice9* device = createDevice(&m_window);
    ASSERT_NE(device, nullptr);
    present(device, 0xFF112233u);
    present(device, 0xFF000000u);
    EXPECT_EQ(m_window.frameCount(), 2);
    EXPECT_EQ(m_window.pixel(0, 0), 0xFF000000u);
}
