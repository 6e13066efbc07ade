#include "Platform/TestHooks.h"

namespace {

struct HookState {
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

HookState& state()
{
    static HookState s_state;
    return s_state;
}

bool take(bool& flag)
{
    bool armed = flag;
    flag = false;
    return armed;
}

} // namespace

void TestHooks::reset()
{
    state() = HookState();
}

void TestHooks::failNextDirect3DCreate9() { state().failDirect3DCreate9 = true; }
void TestHooks::failNextGetAdapterDisplayMode() { state().failGetAdapterDisplayMode = true; }
void TestHooks::failNextCreateDevice() { state().failCreateDevice = true; }
void TestHooks::failNextCreateSprite() { state().failCreateSprite = true; }
void TestHooks::failNextSaveTexture() { state().failSaveTexture = true; }

void TestHooks::failNextTextureCreation(D3DFORMAT onlyFormat)
{
    state().failTextureCreation = true;
    state().failTextureFormat = onlyFormat;
}

void TestHooks::setDeviceLostCalls(int calls)
{
    state().deviceLostCalls = calls;
}

bool TestHooks::takeDirect3DCreate9Failure() { return take(state().failDirect3DCreate9); }
bool TestHooks::takeGetAdapterDisplayModeFailure() { return take(state().failGetAdapterDisplayMode); }
bool TestHooks::takeCreateDeviceFailure() { return take(state().failCreateDevice); }
bool TestHooks::takeCreateSpriteFailure() { return take(state().failCreateSprite); }
bool TestHooks::takeSaveTextureFailure() { return take(state().failSaveTexture); }

bool TestHooks::takeTextureCreationFailure(D3DFORMAT format)
{
    HookState& hooks = state();
    if (!hooks.failTextureCreation) {
        return false;
    }
    if (hooks.failTextureFormat != D3DFMT_UNKNOWN && hooks.failTextureFormat != format) {
        return false;
    }
    hooks.failTextureCreation = false;
    return true;
}

bool TestHooks::takeDeviceLostCall()
{
    HookState& hooks = state();
    if (hooks.deviceLostCalls <= 0) {
        return false;
    }
    --hooks.deviceLostCalls;
    return true;
}

void TestHooks::recordPresentedFrame(UINT width, UINT height, const D3DCOLOR* pixels)
{
    HookState& hooks = state();
    hooks.lastFrame.width = width;
    hooks.lastFrame.height = height;
    hooks.lastFrame.pixels.assign(pixels, pixels + size_t(width) * height);
    ++hooks.frameCount;
}

const PresentedFrame& TestHooks::lastPresentedFrame()
{
    return state().lastFrame;
}

uint64_t TestHooks::presentedFrameCount()
{
    return state().frameCount;
}
