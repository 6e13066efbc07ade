#pragma once

// The tests' controls of the stand-in: make chosen calls fail, report a lost device, and observe the
// frames the devices hand over. TestHooks is the stand-in's fault plan and frame observer in the tests:
// every call below installs it as both. With no hook armed the stand-in behaves normally. Every
// "failNext..." hook fails exactly the next matching call.

#include <cstdint>
#include <vector>

#include "Platform/Direct3D/D3D9Types.h"
#include "Platform/Direct3D/FaultPlan.h"
#include "Platform/Direct3D/FrameObserver.h"

// A frame as Present hands it on: rows top to bottom, one D3DCOLOR (0xAARRGGBB) per pixel.
struct PresentedFrame
{
    UINT width = 0;
    UINT height = 0;
    std::vector<D3DCOLOR> pixels;
};

class TestHooks : public FaultPlan, public FrameObserver
{
public:
    ~TestHooks() override;

    // Disarms every hook and forgets the presented frames.
    static void reset();

    // ---- Arming ----
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

    // ---- Observing presented frames ----
    static const PresentedFrame& lastPresentedFrame();
    static uint64_t presentedFrameCount();

private:
    struct State
    {
        bool failDirect3DCreate9 = false;
        bool failGetAdapterDisplayMode = false;
        bool failCreateDevice = false;
        bool failCreateSprite = false;
        bool failTextureCreation = false;
        D3DFORMAT failTextureFormat = D3DFMT_UNKNOWN;
        bool failSaveTexture = false;
        int deviceLostCalls = 0;
        PresentedFrame lastFrame;
        uint64_t frameCount = 0;
    };

    TestHooks() = default;

    // The one set of hooks, installed as the stand-in's fault plan and frame observer.
    static TestHooks& instance();

    // What the stand-in asks: each consumes the failure it reports.
    bool failsDirect3DCreate9() override;
    bool failsGetAdapterDisplayMode() override;
    bool failsCreateDevice() override;
    bool failsCreateSprite() override;
    bool failsTextureCreation(D3DFORMAT format) override;
    bool failsSaveTexture() override;
    bool losesDevice() override;
    void framePresented(UINT width, UINT height, const D3DCOLOR* pixels) override;

    State m_state;
};
