#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "Platform/Direct3D/D3D9Types.h"
#include "Platform/Direct3D/ReferenceCounted.h"

// A rectangle given by its corners, as Clear takes it.
struct D3DRECT
{
    LONG x1;
    LONG y1;
    LONG x2;
    LONG y2;
};

// Dirty-region data of Present; never read (the whole frame is always handed on).
struct RGNDATA;

// Pixels as the sprite draws them: level 0 of a texture decoded to 8-bit red, green, blue and alpha,
// rows top to bottom. Kept as decoded: only the texels a frame shows are ever turned into colours.
struct DecodedImage
{
    UINT width = 0;
    UINT height = 0;
    std::vector<uint8_t> rgba;

    D3DCOLOR texel(size_t x, size_t y) const
    {
        const uint8_t* p = &rgba[(y * width + x) * 4];
        return (D3DCOLOR(p[3]) << 24) | (D3DCOLOR(p[0]) << 16) | (D3DCOLOR(p[1]) << 8) | D3DCOLOR(p[2]);
    }
};

// One drawing call of a frame, kept until Present. Two frames made of equal commands that start by
// clearing the whole back buffer have equal pixels, which is how Present recognises an unchanged frame
// without drawing it.
struct DrawCommand
{
    enum class Kind
    {
        Clear,
        Sprite
    };

    Kind kind = Kind::Clear;
    RECT area{}; // Clear: the rectangle to fill; Sprite: the source rectangle, inside the image
    LONG x = 0;  // Sprite: where the source rectangle's top-left corner lands
    LONG y = 0;
    D3DCOLOR color = 0; // Clear: the fill colour; Sprite: the tint
    bool blend = false; // Sprite: blend by the source alpha instead of copying
    // Sprite: the texture and its revision name the pixels; the image holds them, so a texture released
    // before Present cannot pull them away.
    const IDirect3DTexture9* texture = nullptr;
    uint64_t revision = 0;
    std::shared_ptr<const DecodedImage> image;

    bool operator==(const DrawCommand& other) const;
    bool operator!=(const DrawCommand& other) const { return !(*this == other); }
};

// A windowed device that renders in software into a back buffer of the window's client size (or into
// memory only, without a window). A device created for its window's client size (a back buffer of 0 × 0
// asked for) keeps following it: every frame starts at the window's current client size, so a window that
// has grown is covered at the next frame and texels stay 1:1 (a Direct3D device would stretch the old size
// until a reset). Drawing calls are kept as commands and carried out by Present, which
// hands the frame to the window's PresentTarget only when it differs from the one handed over before,
// and then waits out the rest of the frame interval so that a caller that redraws continuously does not
// keep a core busy.
//
// A lost device (see FaultPlan::losesDevice) answers D3DERR_DEVICELOST from TestCooperativeLevel
// and Present while the loss lasts, and D3DERR_DEVICENOTRESET afterwards: like any lost device it
// needs a reset, which this layer does not offer, so its owner has to create a new one.
//
// Reference counted: created with one reference. A device holds a reference to its IDirect3D9, and a
// sprite holds one to its device.
class IDirect3DDevice9 : public ReferenceCounted
{
public:
    // The back buffer of a device without a window.
    static constexpr UINT MEMORY_BACK_BUFFER_WIDTH = 640;
    static constexpr UINT MEMORY_BACK_BUFFER_HEIGHT = 480;
    // The frame interval of a device with a window: 60 frames a second.
    static constexpr std::chrono::microseconds WINDOW_FRAME_INTERVAL{16667};

    // The back buffer's width or height for a window's client width or height: at least 1, as for a
    // minimised window.
    static UINT windowBackBufferSize(UINT clientSize) { return clientSize == 0 ? 1 : clientSize; }

    // D3D_OK, D3DERR_DEVICELOST while the device is lost, D3DERR_DEVICENOTRESET once it has been lost.
    HRESULT TestCooperativeLevel();

    // Fills the whole back buffer (count 0) or the given rectangles with the colour when flags hold
    // D3DCLEAR_TARGET. The depth and stencil values are accepted and not kept: nothing reads them.
    HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil);
    HRESULT BeginScene();
    HRESULT EndScene();
    // Finishes the frame (see the class comment). Every argument must be null: the whole back buffer
    // is presented to the device's own window.
    HRESULT Present(const RECT* sourceRect, const RECT* destRect, HWND destWindowOverride,
                    const RGNDATA* dirtyRegion);

    // States are kept and can be read back; drawing itself only needs what the sprite sets.
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value);
    HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value);
    HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value);
    HRESULT GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value);
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix);
    HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix);

    // A texture on this device, by the rules of IDirect3DTexture9::create; formats outside the format
    // table fail. The shared handle must be null.
    HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                          IDirect3DTexture9** texture, HANDLE* sharedHandle);

    // ---- Our own access, for the rest of the layer, tests and benchmarks ----

    UINT backBufferWidth() const { return m_width; }
    UINT backBufferHeight() const { return m_height; }
    // Adds a drawing call to the frame in the making (the sprite's draws).
    void queueCommand(DrawCommand command);
    // The wait that Present keeps between frames: WINDOW_FRAME_INTERVAL with a window, none without.
    void setFrameInterval(std::chrono::microseconds interval) { m_frameInterval = interval; }
    std::chrono::microseconds frameInterval() const { return m_frameInterval; }

private:
    friend class IDirect3D9;

    IDirect3DDevice9(IDirect3D9* direct3D, HWND window, UINT width, UINT height, bool followsWindow);
    ~IDirect3DDevice9() override;

    // The first drawing call of a frame takes the window's client size when the device follows it.
    void startFrame();

    bool isFullClear(const DrawCommand& command) const;
    bool frameIsUnchanged() const;
    void drawFrame();
    void fillRect(const RECT& area, D3DCOLOR color);
    void drawSprite(const DrawCommand& command);
    void handOnFrame();
    void waitForNextFrame();

    static const DWORD RENDER_STATE_COUNT = 256;
    static const DWORD SAMPLER_COUNT = 16;
    static const DWORD SAMPLER_STATE_COUNT = 16;

    IDirect3D9* m_direct3D;
    HWND m_window;
    bool m_followsWindow;
    UINT m_width;
    UINT m_height;
    bool m_inScene = false;
    bool m_lost = false;
    bool m_needsReset = false;
    std::array<DWORD, RENDER_STATE_COUNT> m_renderStates{};
    std::array<std::array<DWORD, SAMPLER_STATE_COUNT>, SAMPLER_COUNT> m_samplerStates{};
    std::map<uint32_t, D3DMATRIX> m_transforms;

    std::vector<DrawCommand> m_commands;          // the frame in the making
    std::vector<DrawCommand> m_presentedCommands; // the frame handed over last
    std::vector<D3DCOLOR> m_backBuffer;
    std::vector<D3DCOLOR> m_frontBuffer; // the pixels handed over last
    bool m_framePresented = false;

    std::chrono::microseconds m_frameInterval;
    std::chrono::steady_clock::time_point m_lastFrameTime;
};
