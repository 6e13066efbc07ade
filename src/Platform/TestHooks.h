#pragma once

// Test-only controls of the stand-in: make chosen calls fail, report a lost device, and observe the
// frames handed to a present target. Nothing here is set by the program itself; with no hook armed
// the layer behaves normally. Every "failNext..." hook fails exactly the next matching call.

#include <cstdint>
#include <vector>

#include "Platform/D3D9Types.h"

// A frame as Present hands it on: rows top to bottom, one D3DCOLOR (0xAARRGGBB) per pixel.
struct PresentedFrame {
    UINT width = 0;
    UINT height = 0;
    std::vector<D3DCOLOR> pixels;
};

class TestHooks {
public:
    // Disarms every hook and forgets the presented frames.
    static void reset();

    // ---- Arming (called by tests) ----
    static void failNextDirect3DCreate9();
    static void failNextGetAdapterDisplayMode();
    static void failNextCreateDevice();
    static void failNextCreateSprite();
    // Fails the next texture creation (D3DXCreateTexture, IDirect3DDevice9::CreateTexture,
    // D3DXCreateTextureFromFileW); with a format other than D3DFMT_UNKNOWN only the next creation
    // in that format.
    static void failNextTextureCreation(D3DFORMAT onlyFormat = D3DFMT_UNKNOWN);
    static void failNextSaveTexture();
    // The device answers lost (D3DERR_DEVICELOST from TestCooperativeLevel) for the next `calls`
    // calls of TestCooperativeLevel.
    static void setDeviceLostCalls(int calls);

    // ---- Consuming (called by the layer; true means: fail this call) ----
    static bool takeDirect3DCreate9Failure();
    static bool takeGetAdapterDisplayModeFailure();
    static bool takeCreateDeviceFailure();
    static bool takeCreateSpriteFailure();
    static bool takeTextureCreationFailure(D3DFORMAT format);
    static bool takeSaveTextureFailure();
    static bool takeDeviceLostCall();

    // ---- Observing presented frames ----
    // Called by the device for every frame it hands to a present target (or would, with none).
    static void recordPresentedFrame(UINT width, UINT height, const D3DCOLOR* pixels);
    static const PresentedFrame& lastPresentedFrame();
    static uint64_t presentedFrameCount();
};
