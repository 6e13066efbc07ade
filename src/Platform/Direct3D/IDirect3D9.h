#pragma once

#include "Platform/Direct3D/D3D9Types.h"
#include "Platform/Direct3D/ReferenceCounted.h"

// The entry object of the device layer: one (software) adapter whose display mode is X8R8G8B8, on
// which devices are created. Reference counted: created with one reference; every device it creates
// holds one more until the device is gone.
class IDirect3D9 : public ReferenceCounted
{
public:
    // The display mode of adapter 0 (the only one): X8R8G8B8, 1920 × 1080 at 60 Hz.
    HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode);

    // Creates a device on adapter 0. Only windowed devices exist; the behaviour flags must ask for
    // software or hardware vertex processing. The back buffer takes the present parameters' width
    // and height, where they are 0 the client size of hDeviceWindow (or of the focus window), and
    // with no window at all the size of a memory-only back buffer; the size and format chosen are
    // written back into the parameters. Negative result and a null device on failure.
    HRESULT CreateDevice(UINT adapter, D3DDEVTYPE deviceType, HWND focusWindow, DWORD behaviorFlags,
                         D3DPRESENT_PARAMETERS* presentationParameters, IDirect3DDevice9** device);

private:
    friend IDirect3D9* Direct3DCreate9(UINT sdkVersion);

    IDirect3D9() = default;
    ~IDirect3D9() override = default;
};

// The Direct3D object, or null when sdkVersion is not D3D_SDK_VERSION (32).
IDirect3D9* Direct3DCreate9(UINT sdkVersion);
