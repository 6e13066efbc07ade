#include "Platform/Direct3D/IDirect3D9.h"

#include <new>

#include "Platform/Direct3D/FaultPlan.h"
#include "Platform/Direct3D/IDirect3DDevice9.h"
#include "Platform/Direct3D/PresentTarget.h"

namespace
{

const D3DDISPLAYMODE DISPLAY_MODE = {1920, 1080, 60, D3DFMT_X8R8G8B8};

bool isBackBufferFormat(D3DFORMAT format)
{
    return format == D3DFMT_UNKNOWN || format == D3DFMT_X8R8G8B8 || format == D3DFMT_A8R8G8B8;
}

// The back buffer's width or height: asked for, else the window's client size (at least 1, as for a
// minimised window), else the memory-only size.
UINT backBufferSize(UINT asked, HWND window, UINT (PresentTarget::*clientSize)() const, UINT memorySize)
{
    if (asked != 0) {
        return asked;
    }
    if (window == nullptr) {
        return memorySize;
    }
    return IDirect3DDevice9::windowBackBufferSize((window->*clientSize)());
}

} // namespace

IDirect3D9* Direct3DCreate9(UINT sdkVersion)
{
    if (sdkVersion != D3D_SDK_VERSION) {
        return nullptr;
    }
    if (FaultPlan* plan = FaultPlan::installed(); plan != nullptr && plan->failsDirect3DCreate9()) {
        return nullptr;
    }
    return new (std::nothrow) IDirect3D9();
}

HRESULT IDirect3D9::GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode)
{
    if (adapter != D3DADAPTER_DEFAULT || mode == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    if (FaultPlan* plan = FaultPlan::installed(); plan != nullptr && plan->failsGetAdapterDisplayMode()) {
        return D3DERR_NOTAVAILABLE;
    }
    *mode = DISPLAY_MODE;
    return D3D_OK;
}

HRESULT IDirect3D9::CreateDevice(UINT adapter, D3DDEVTYPE deviceType, HWND focusWindow, DWORD behaviorFlags,
                                 D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice9** device)
{
    if (device == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *device = nullptr;
    const DWORD vertexProcessing = D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_HARDWARE_VERTEXPROCESSING;
    if (adapter != D3DADAPTER_DEFAULT || parameters == nullptr || (behaviorFlags & vertexProcessing) == 0 ||
        deviceType < D3DDEVTYPE_HAL || deviceType > D3DDEVTYPE_SW) {
        return D3DERR_INVALIDCALL;
    }
    if (!parameters->Windowed || !isBackBufferFormat(parameters->BackBufferFormat)) {
        return D3DERR_NOTAVAILABLE;
    }
    HWND window = parameters->hDeviceWindow != nullptr ? parameters->hDeviceWindow : focusWindow;
    UINT width = backBufferSize(parameters->BackBufferWidth, window, &PresentTarget::clientWidth,
                                IDirect3DDevice9::MEMORY_BACK_BUFFER_WIDTH);
    UINT height = backBufferSize(parameters->BackBufferHeight, window, &PresentTarget::clientHeight,
                                 IDirect3DDevice9::MEMORY_BACK_BUFFER_HEIGHT);
    if (width > D3D_MAX_TEXTURE_DIMENSION || height > D3D_MAX_TEXTURE_DIMENSION) {
        return D3DERR_INVALIDCALL;
    }
    if (FaultPlan* plan = FaultPlan::installed(); plan != nullptr && plan->failsCreateDevice()) {
        return D3DERR_NOTAVAILABLE;
    }
    IDirect3DDevice9* created = nullptr;
    try {
        const bool followsWindow = parameters->BackBufferWidth == 0 && parameters->BackBufferHeight == 0;
        created = new IDirect3DDevice9(this, window, width, height, followsWindow);
    } catch (const std::bad_alloc&) {
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    parameters->BackBufferWidth = width;
    parameters->BackBufferHeight = height;
    if (parameters->BackBufferFormat == D3DFMT_UNKNOWN) {
        parameters->BackBufferFormat = DISPLAY_MODE.Format;
    }
    *device = created;
    return D3D_OK;
}
