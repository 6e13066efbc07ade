#pragma once

#include "Platform/Direct3D/D3D9Types.h"

// Watches the frames the devices hand over (each presented frame that differs from the one the device
// handed over before), the frames of a device without a window included. No observer is installed
// unless one is given.
class FrameObserver
{
public:
    virtual ~FrameObserver() = default;

    // A frame handed over: width × height pixels, rows top to bottom, each 0xFFRRGGBB. The pixels are
    // valid during the call.
    virtual void framePresented(UINT width, UINT height, const D3DCOLOR* pixels) = 0;

    // The observer the devices tell from now on; null for none. The observer stays the caller's.
    static void install(FrameObserver* observer) { s_installed = observer; }
    // The installed observer, or null.
    static FrameObserver* installed() { return s_installed; }

private:
    inline static FrameObserver* s_installed = nullptr;
};
