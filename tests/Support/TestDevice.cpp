#include "Support/TestDevice.h"

bool TestDevice::create(HWND window)
{
    release();
    m_direct3D = Direct3DCreate9(D3D_SDK_VERSION);
    if (m_direct3D == nullptr)
        return false;
    D3DPRESENT_PARAMETERS parameters{};
    parameters.Windowed = TRUE;
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    parameters.hDeviceWindow = window;
    return SUCCEEDED(m_direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                                              D3DCREATE_SOFTWARE_VERTEXPROCESSING, &parameters, &m_device));
}

void TestDevice::release()
{
    if (m_device != nullptr)
        m_device->Release();
    if (m_direct3D != nullptr)
        m_direct3D->Release();
    m_device = nullptr;
    m_direct3D = nullptr;
}
