#include "Platform/Direct3D/FaultPlan.h"
#include "Platform/Direct3D.h"
#include "Support/MemoryPresentTarget.h"
#include "Support/TempDirTest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

// Fails every call it is asked about and remembers what was asked.
class FailingPlan : public FaultPlan
{
public:
    bool failsDirect3DCreate9() override { return ask("Direct3DCreate9"); }
    bool failsGetAdapterDisplayMode() override { return ask("GetAdapterDisplayMode"); }
    bool failsCreateDevice() override { return ask("CreateDevice"); }
    bool failsCreateSprite() override { return ask("CreateSprite"); }
    bool failsTextureCreation(D3DFORMAT format) override
    {
        m_formats.push_back(format);
        return ask("TextureCreation");
    }
    bool failsSaveTexture() override { return ask("SaveTexture"); }
    bool losesDevice() override { return ask("DeviceLost"); }

    std::vector<std::string> m_asked;
    std::vector<D3DFORMAT> m_formats;

private:
    bool ask(const char* point)
    {
        m_asked.push_back(point);
        return true;
    }
};

class FaultPlanTest : public TempDirTest
{
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        FaultPlan::install(nullptr);
        m_direct3D = Direct3DCreate9(D3D_SDK_VERSION);
        ASSERT_NE(m_direct3D, nullptr);
        ASSERT_EQ(createDevice(&m_device), D3D_OK);
    }

    void TearDown() override
    {
        FaultPlan::install(nullptr);
        if (m_device != nullptr) {
            m_device->Release();
        }
        if (m_direct3D != nullptr) {
            m_direct3D->Release();
        }
        TempDirTest::TearDown();
    }

    HRESULT createDevice(IDirect3DDevice9** device)
    {
        D3DPRESENT_PARAMETERS parameters{};
        parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
        parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
        parameters.hDeviceWindow = &m_window;
        parameters.Windowed = TRUE;
        return m_direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, &m_window,
                                        D3DCREATE_SOFTWARE_VERTEXPROCESSING, &parameters, device);
    }

    MemoryPresentTarget m_window{8, 8};
    IDirect3D9* m_direct3D = nullptr;
    IDirect3DDevice9* m_device = nullptr;
};

} // namespace

TEST_F(FaultPlanTest, EveryPointFailsWhenThePlanSaysSo)
{
    FailingPlan plan;
    FaultPlan::install(&plan);
    ASSERT_EQ(FaultPlan::installed(), &plan);

    EXPECT_EQ(Direct3DCreate9(D3D_SDK_VERSION), nullptr);
    D3DDISPLAYMODE mode{};
    EXPECT_EQ(m_direct3D->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode), D3DERR_NOTAVAILABLE);
    IDirect3DDevice9* device = nullptr;
    EXPECT_EQ(createDevice(&device), D3DERR_NOTAVAILABLE);
    EXPECT_EQ(device, nullptr);
    ID3DXSprite* sprite = nullptr;
    EXPECT_EQ(D3DXCreateSprite(m_device, &sprite), E_OUTOFMEMORY);
    EXPECT_EQ(sprite, nullptr);
    IDirect3DTexture9* texture = nullptr;
    EXPECT_EQ(m_device->CreateTexture(4, 4, 1, 0, D3DFMT_DXT3, D3DPOOL_MANAGED, &texture, nullptr),
              D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(texture, nullptr);
    EXPECT_EQ(m_device->TestCooperativeLevel(), D3DERR_DEVICELOST);

    FaultPlan::install(nullptr);
    ASSERT_EQ(m_device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
              D3D_OK);
    FaultPlan::install(&plan);
    EXPECT_EQ(D3DXSaveTextureToFileW(L"saved.dds", D3DXIFF_DDS, texture, nullptr), E_FAIL);
    texture->Release();

    EXPECT_EQ(plan.m_asked,
              (std::vector<std::string>{"Direct3DCreate9", "GetAdapterDisplayMode", "CreateDevice",
                                        "CreateSprite", "TextureCreation", "DeviceLost", "SaveTexture"}));
    EXPECT_EQ(plan.m_formats, std::vector<D3DFORMAT>{D3DFMT_DXT3});
}

TEST_F(FaultPlanTest, WithoutAPlanNothingFails)
{
    ASSERT_EQ(FaultPlan::installed(), nullptr);

    IDirect3D9* direct3D = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(direct3D, nullptr);
    direct3D->Release();
    D3DDISPLAYMODE mode{};
    EXPECT_EQ(m_direct3D->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode), D3D_OK);
    IDirect3DDevice9* device = nullptr;
    ASSERT_EQ(createDevice(&device), D3D_OK);
    device->Release();
    ID3DXSprite* sprite = nullptr;
    ASSERT_EQ(D3DXCreateSprite(m_device, &sprite), D3D_OK);
    sprite->Release();
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(m_device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
              D3D_OK);
    EXPECT_EQ(D3DXSaveTextureToFileW(L"saved.dds", D3DXIFF_DDS, texture, nullptr), D3D_OK);
    texture->Release();
    EXPECT_EQ(m_device->TestCooperativeLevel(), D3D_OK);
}
