#pragma once

#include "Platform/Direct3D/D3D9Types.h"

// What a window is to the device: the size of its client area, and a place that receives finished
// frames. HWND is a pointer to one (see D3D9Types.h); the user interface's render panel implements it.
// A null HWND means no window: the device then renders into memory only.
class PresentTarget
{
public:
    virtual ~PresentTarget() = default;

    // The client area's size in pixels.
    virtual UINT clientWidth() const = 0;
    virtual UINT clientHeight() const = 0;

    // Receives a finished frame: width × height pixels, rows top to bottom, each 0xFFRRGGBB. Called
    // only for frames that differ from the one handed over before; the pixels are valid during the call.
    virtual void presentFrame(UINT width, UINT height, const D3DCOLOR* pixels) = 0;
};

// The window's client rectangle: left and top 0, right and bottom its client size. FALSE (and the
// rectangle untouched) for a null window or a null rectangle.
BOOL GetClientRect(HWND window, RECT* rect);
