#include "Platform/Direct3D/IDirect3DDevice9.h"

#include <algorithm>
#include <cstring>
#include <thread>

#include "Platform/Direct3D/FaultPlan.h"
#include "Platform/Direct3D/FrameObserver.h"
#include "Platform/Direct3D/IDirect3D9.h"
#include "Platform/Direct3D/IDirect3DTexture9.h"
#include "Platform/Direct3D/PresentTarget.h"

namespace
{

const D3DCOLOR OPAQUE_ALPHA = 0xFF000000u;
const D3DCOLOR NO_TINT = 0xFFFFFFFFu;

D3DMATRIX identityMatrix()
{
    D3DMATRIX matrix{};
    for (int i = 0; i < 4; ++i) {
        matrix.m[i][i] = 1.0f;
    }
    return matrix;
}

// a × b / 255, rounded to the nearest integer (a, b in 0..255).
uint32_t scale(uint32_t a, uint32_t b)
{
    return (a * b + 127) / 255;
}

uint32_t channel(D3DCOLOR color, int shift)
{
    return (color >> shift) & 0xFFu;
}

D3DCOLOR modulate(D3DCOLOR texel, D3DCOLOR tint)
{
    if (tint == NO_TINT) {
        return texel;
    }
    D3DCOLOR result = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        result |= scale(channel(texel, shift), channel(tint, shift)) << shift;
    }
    return result;
}

// source × alpha + destination × (1 − alpha) per colour channel; the back buffer stays opaque.
D3DCOLOR blendOver(D3DCOLOR source, D3DCOLOR destination)
{
    const uint32_t alpha = source >> 24;
    if (alpha == 0xFF) {
        return source;
    }
    if (alpha == 0) {
        return destination;
    }
    D3DCOLOR result = OPAQUE_ALPHA;
    for (int shift = 0; shift < 24; shift += 8) {
        result |= ((channel(source, shift) * alpha + channel(destination, shift) * (255 - alpha) + 127) / 255)
                  << shift;
    }
    return result;
}

bool sameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

} // namespace

bool DrawCommand::operator==(const DrawCommand& other) const
{
    return kind == other.kind && sameRect(area, other.area) && x == other.x && y == other.y &&
           color == other.color && blend == other.blend && texture == other.texture &&
           revision == other.revision;
}

IDirect3DDevice9::IDirect3DDevice9(IDirect3D9* direct3D, HWND window, UINT width, UINT height,
                                   bool followsWindow)
    : m_direct3D(direct3D), m_window(window), m_followsWindow(followsWindow && window != nullptr),
      m_width(width), m_height(height), m_backBuffer(size_t(width) * height, OPAQUE_ALPHA),
      m_frontBuffer(size_t(width) * height, OPAQUE_ALPHA),
      m_frameInterval(window != nullptr ? WINDOW_FRAME_INTERVAL : std::chrono::microseconds(0))
{
    m_direct3D->AddRef();
}

IDirect3DDevice9::~IDirect3DDevice9()
{
    m_direct3D->Release();
}

HRESULT IDirect3DDevice9::TestCooperativeLevel()
{
    if (FaultPlan* plan = FaultPlan::installed(); plan != nullptr && plan->losesDevice()) {
        m_lost = true;
        return D3DERR_DEVICELOST;
    }
    if (m_lost) {
        m_lost = false;
        m_needsReset = true;
    }
    return m_needsReset ? D3DERR_DEVICENOTRESET : D3D_OK;
}

HRESULT IDirect3DDevice9::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                                DWORD stencil)
{
    (void)z;
    (void)stencil;
    if ((count == 0) != (rects == nullptr)) {
        return D3DERR_INVALIDCALL;
    }
    if ((flags & D3DCLEAR_TARGET) == 0) {
        return D3D_OK;
    }
    startFrame();
    const LONG width = static_cast<LONG>(m_width);
    const LONG height = static_cast<LONG>(m_height);
    DrawCommand command;
    command.kind = DrawCommand::Kind::Clear;
    command.color = color;
    if (count == 0) {
        command.area = RECT{0, 0, width, height};
        queueCommand(command);
        return D3D_OK;
    }
    for (DWORD i = 0; i < count; ++i) {
        command.area = RECT{std::max<LONG>(rects[i].x1, 0), std::max<LONG>(rects[i].y1, 0),
                            std::min(rects[i].x2, width), std::min(rects[i].y2, height)};
        if (command.area.left < command.area.right && command.area.top < command.area.bottom) {
            queueCommand(command);
        }
    }
    return D3D_OK;
}

HRESULT IDirect3DDevice9::BeginScene()
{
    if (m_inScene) {
        return D3DERR_INVALIDCALL;
    }
    m_inScene = true;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::EndScene()
{
    if (!m_inScene) {
        return D3DERR_INVALIDCALL;
    }
    m_inScene = false;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::Present(const RECT* sourceRect, const RECT* destRect, HWND destWindowOverride,
                                  const RGNDATA* dirtyRegion)
{
    if (sourceRect != nullptr || destRect != nullptr || destWindowOverride != nullptr ||
        dirtyRegion != nullptr) {
        return D3DERR_INVALIDCALL;
    }
    if (m_lost || m_needsReset) {
        // Nothing reaches the window while the device is lost; the frame is dropped.
        m_commands.clear();
        waitForNextFrame();
        return D3DERR_DEVICELOST;
    }
    if (!frameIsUnchanged()) {
        drawFrame();
        if (!m_framePresented || m_backBuffer != m_frontBuffer) {
            m_frontBuffer = m_backBuffer;
            m_framePresented = true;
            handOnFrame();
        }
    }
    m_presentedCommands.swap(m_commands);
    m_commands.clear();
    waitForNextFrame();
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetRenderState(D3DRENDERSTATETYPE state, DWORD value)
{
    if (state >= RENDER_STATE_COUNT) {
        return D3DERR_INVALIDCALL;
    }
    m_renderStates[state] = value;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value)
{
    if (state >= RENDER_STATE_COUNT || value == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *value = m_renderStates[state];
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value)
{
    if (sampler >= SAMPLER_COUNT || type >= SAMPLER_STATE_COUNT) {
        return D3DERR_INVALIDCALL;
    }
    m_samplerStates[sampler][type] = value;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value)
{
    if (sampler >= SAMPLER_COUNT || type >= SAMPLER_STATE_COUNT || value == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *value = m_samplerStates[sampler][type];
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix)
{
    if (matrix == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    m_transforms[state] = *matrix;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix)
{
    if (matrix == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    auto found = m_transforms.find(state);
    *matrix = found != m_transforms.end() ? found->second : identityMatrix();
    return D3D_OK;
}

HRESULT IDirect3DDevice9::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                                        D3DPOOL pool, IDirect3DTexture9** texture, HANDLE* sharedHandle)
{
    if (sharedHandle != nullptr) {
        if (texture != nullptr) {
            *texture = nullptr;
        }
        return D3DERR_INVALIDCALL;
    }
    return IDirect3DTexture9::create(this, width, height, levels, usage, format, pool, false, texture);
}

void IDirect3DDevice9::queueCommand(DrawCommand command)
{
    startFrame();
    m_commands.push_back(std::move(command));
}

// A frame in the making keeps the size it started with: its commands were clipped to it. The pixels of
// the old size are not kept either: every frame is drawn whole.
void IDirect3DDevice9::startFrame()
{
    if (!m_followsWindow || !m_commands.empty()) {
        return;
    }
    const UINT width = std::min(windowBackBufferSize(m_window->clientWidth()), D3D_MAX_TEXTURE_DIMENSION);
    const UINT height = std::min(windowBackBufferSize(m_window->clientHeight()), D3D_MAX_TEXTURE_DIMENSION);
    if (width == m_width && height == m_height) {
        return;
    }
    m_width = width;
    m_height = height;
    m_backBuffer.assign(size_t(width) * height, OPAQUE_ALPHA);
}

bool IDirect3DDevice9::isFullClear(const DrawCommand& command) const
{
    return command.kind == DrawCommand::Kind::Clear &&
           sameRect(command.area, RECT{0, 0, static_cast<LONG>(m_width), static_cast<LONG>(m_height)});
}

// The back buffer already holds the frame handed over last; a frame of the same commands that starts
// by clearing everything would come out the same.
bool IDirect3DDevice9::frameIsUnchanged() const
{
    return m_framePresented && !m_commands.empty() && isFullClear(m_commands.front()) &&
           m_commands == m_presentedCommands;
}

void IDirect3DDevice9::drawFrame()
{
    for (const DrawCommand& command : m_commands) {
        if (command.kind == DrawCommand::Kind::Clear) {
            fillRect(command.area, command.color);
        } else {
            drawSprite(command);
        }
    }
}

void IDirect3DDevice9::fillRect(const RECT& area, D3DCOLOR color)
{
    const D3DCOLOR opaque = color | OPAQUE_ALPHA;
    for (LONG y = area.top; y < area.bottom; ++y) {
        D3DCOLOR* row = m_backBuffer.data() + size_t(y) * m_width;
        std::fill(row + area.left, row + area.right, opaque);
    }
}

void IDirect3DDevice9::drawSprite(const DrawCommand& command)
{
    const DecodedImage& image = *command.image;
    // Texel (u, v) of the source rectangle lands on (x + u − left, y + v − top); keep the texels
    // that land inside the back buffer.
    const int64_t offsetX = int64_t(command.x) - command.area.left;
    const int64_t offsetY = int64_t(command.y) - command.area.top;
    const int64_t firstU = std::max<int64_t>(command.area.left, -offsetX);
    const int64_t endU = std::min<int64_t>(command.area.right, int64_t(m_width) - offsetX);
    const int64_t firstV = std::max<int64_t>(command.area.top, -offsetY);
    const int64_t endV = std::min<int64_t>(command.area.bottom, int64_t(m_height) - offsetY);
    for (int64_t v = firstV; v < endV; ++v) {
        D3DCOLOR* row = m_backBuffer.data() + size_t(v + offsetY) * m_width;
        for (int64_t u = firstU; u < endU; ++u) {
            const D3DCOLOR source = modulate(image.texel(size_t(u), size_t(v)), command.color);
            D3DCOLOR& pixel = row[u + offsetX];
            pixel = command.blend ? blendOver(source, pixel) : (source | OPAQUE_ALPHA);
        }
    }
}

void IDirect3DDevice9::handOnFrame()
{
    if (m_window != nullptr) {
        m_window->presentFrame(m_width, m_height, m_frontBuffer.data());
    }
    if (FrameObserver* observer = FrameObserver::installed(); observer != nullptr) {
        observer->framePresented(m_width, m_height, m_frontBuffer.data());
    }
}

void IDirect3DDevice9::waitForNextFrame()
{
    if (m_frameInterval.count() > 0) {
        const auto next = m_lastFrameTime + m_frameInterval;
        if (std::chrono::steady_clock::now() < next) {
            std::this_thread::sleep_until(next);
        }
    }
    m_lastFrameTime = std::chrono::steady_clock::now();
}
