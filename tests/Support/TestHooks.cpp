#include "Support/TestHooks.h"

namespace
{

bool take(bool& flag)
{
    bool armed = flag;
    flag = false;
    return armed;
}

} // namespace

TestHooks::~TestHooks()
{
    // Devices that outlive the tests' static objects must not reach a destroyed plan.
    if (FaultPlan::installed() == this) {
        FaultPlan::install(nullptr);
    }
    if (FrameObserver::installed() == this) {
        FrameObserver::install(nullptr);
    }
}

TestHooks& TestHooks::instance()
{
    static TestHooks s_hooks;
    // Installed at every use, so hooks armed after a test put in a plan of its own still take effect.
    FaultPlan::install(&s_hooks);
    FrameObserver::install(&s_hooks);
    return s_hooks;
}

void TestHooks::reset()
{
    instance().m_state = State();
}

void TestHooks::failNextDirect3DCreate9()
{
    instance().m_state.failDirect3DCreate9 = true;
}
void TestHooks::failNextGetAdapterDisplayMode()
{
    instance().m_state.failGetAdapterDisplayMode = true;
}
void TestHooks::failNextCreateDevice()
{
    instance().m_state.failCreateDevice = true;
}
void TestHooks::failNextCreateSprite()
{
    instance().m_state.failCreateSprite = true;
}
void TestHooks::failNextSaveTexture()
{
    instance().m_state.failSaveTexture = true;
}

void TestHooks::failNextTextureCreation(D3DFORMAT onlyFormat)
{
    State& state = instance().m_state;
    state.failTextureCreation = true;
    state.failTextureFormat = onlyFormat;
}

void TestHooks::setDeviceLostCalls(int calls)
{
    instance().m_state.deviceLostCalls = calls;
}

const PresentedFrame& TestHooks::lastPresentedFrame()
{
    return instance().m_state.lastFrame;
}

uint64_t TestHooks::presentedFrameCount()
{
    return instance().m_state.frameCount;
}

bool TestHooks::failsDirect3DCreate9()
{
    return take(m_state.failDirect3DCreate9);
}
bool TestHooks::failsGetAdapterDisplayMode()
{
    return take(m_state.failGetAdapterDisplayMode);
}
bool TestHooks::failsCreateDevice()
{
    return take(m_state.failCreateDevice);
}
bool TestHooks::failsCreateSprite()
{
    return take(m_state.failCreateSprite);
}
bool TestHooks::failsSaveTexture()
{
    return take(m_state.failSaveTexture);
}

bool TestHooks::failsTextureCreation(D3DFORMAT format)
{
    if (!m_state.failTextureCreation) {
        return false;
    }
    if (m_state.failTextureFormat != D3DFMT_UNKNOWN && m_state.failTextureFormat != format) {
        return false;
    }
    m_state.failTextureCreation = false;
    return true;
}

bool TestHooks::losesDevice()
{
    if (m_state.deviceLostCalls <= 0) {
        return false;
    }
    --m_state.deviceLostCalls;
    return true;
}

void TestHooks::framePresented(UINT width, UINT height, const D3DCOLOR* pixels)
{
    m_state.lastFrame.width = width;
    m_state.lastFrame.height = height;
    m_state.lastFrame.pixels.assign(pixels, pixels + size_t(width) * height);
    ++m_state.frameCount;
}
