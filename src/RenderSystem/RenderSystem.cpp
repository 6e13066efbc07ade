#include "RenderSystem/RenderSystem.h"

#include "Common/MessageLog/MessageLog.h"

namespace
{

const char* const SOURCE = ".\\RenderSystem\\RenderSystem";

const D3DCOLOR CLEAR_COLOR = 0xFF5987B2u;
// pi / 4 in single precision.
const float FIELD_OF_VIEW = 0.785398185f;
const float NEAR_PLANE = 0.1f;
const float FAR_PLANE = 1000.0f;

} // namespace

RenderSystem::RenderSystem(HWND window, float height, float width)
    : m_windowHandle(window), m_height(height), m_width(width), m_direct3D(), m_device(),
      m_presentParameters(), m_clearColor(CLEAR_COLOR), m_clientRect(), m_sprite(), m_spritePosition(),
      m_spriteCenter(), m_sourceRect(), m_spriteCreated(true), m_initialized(false)
{
    if (initialize()) {
        MessageLog::getInstance()->log(LOG_INFORMATION, "Render system started", SOURCE, 17,
                                       "RenderSystem::RenderSystem");
    }
}

RenderSystem::~RenderSystem()
{
    shutDown();
}

bool RenderSystem::initialize()
{
    m_direct3D = ComPtr<IDirect3D9>(Direct3DCreate9(D3D_SDK_VERSION));
    if (!m_direct3D) {
        MessageLog::getInstance()->log(LOG_ERROR, "Unable to access Direct3D", SOURCE, 104,
                                       "RenderSystem::initialize");
        return false;
    }

    D3DDISPLAYMODE displayMode;
    if (FAILED(m_direct3D->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &displayMode))) {
        MessageLog::getInstance()->log(LOG_ERROR, "Unable to get display mode information", SOURCE, 114,
                                       "RenderSystem::initialize");
        m_direct3D.reset();
        return false;
    }

    // A back buffer of 0 × 0 takes the window's client size.
    m_presentParameters = D3DPRESENT_PARAMETERS();
    m_presentParameters.BackBufferWidth = 0;
    m_presentParameters.BackBufferHeight = 0;
    m_presentParameters.BackBufferFormat = displayMode.Format;
    m_presentParameters.BackBufferCount = 1;
    m_presentParameters.MultiSampleType = D3DMULTISAMPLE_NONE;
    m_presentParameters.MultiSampleQuality = 0;
    m_presentParameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    m_presentParameters.hDeviceWindow = m_windowHandle;
    m_presentParameters.Windowed = TRUE;
    m_presentParameters.EnableAutoDepthStencil = TRUE;
    m_presentParameters.AutoDepthStencilFormat = D3DFMT_D24S8;
    m_presentParameters.Flags = D3DPRESENTFLAG_DISCARD_DEPTHSTENCIL;
    m_presentParameters.FullScreen_RefreshRateInHz = 0;
    m_presentParameters.PresentationInterval = D3DPRESENT_INTERVAL_DEFAULT;

    if (FAILED(m_direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, m_windowHandle,
                                        D3DCREATE_SOFTWARE_VERTEXPROCESSING, &m_presentParameters,
                                        m_device.put()))) {
        MessageLog::getInstance()->log(LOG_ERROR, "Failed to create 3D Device", SOURCE, 148,
                                       "RenderSystem::initialize");
        m_device.reset();
        m_direct3D.reset();
        return false;
    }

    setDeviceStates();

    D3DXMATRIX projection;
    D3DXMatrixPerspectiveFovRH(&projection, FIELD_OF_VIEW, m_width / m_height, NEAR_PLANE, FAR_PLANE);
    m_device->SetTransform(D3DTS_PROJECTION, &projection);

    GetClientRect(m_windowHandle, &m_clientRect);
    m_clientRect.left += 4;
    m_clientRect.top += 2;

    if (FAILED(D3DXCreateSprite(m_device.get(), m_sprite.put()))) {
        MessageLog::getInstance()->log(LOG_ERROR, "Failed to create sprite", SOURCE, 185,
                                       "RenderSystem::initialize");
        m_sprite.reset();
        m_spriteCreated = false;
    }

    m_sourceRect = m_clientRect;
    m_spriteCenter = D3DXVECTOR3{1.0f, 1.0f, 1.0f};
    m_spritePosition = D3DXVECTOR3{10.0f, 10.0f, 1.0f};
    m_initialized = true;
    return true;
}

// Alpha blending by the source alpha, linear filtering, point sprites; no lighting. Results are not
// checked: a device that refuses a state still draws.
void RenderSystem::setDeviceStates()
{
    m_device->SetRenderState(D3DRS_LIGHTING, FALSE);
    m_device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    m_device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    m_device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    m_device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    m_device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    m_device->SetRenderState(D3DRS_POINTSPRITEENABLE, TRUE);
    m_device->SetRenderState(D3DRS_POINTSCALEENABLE, TRUE);
}

bool RenderSystem::renderTexture(IDirect3DTexture9* texture, int16_t width, int16_t height)
{
    const SpriteSource source{texture, width, height};
    return renderFrame(&source);
}

bool RenderSystem::renderFrame(const SpriteSource* source)
{
    if (!m_initialized) {
        return true;
    }

    // A device that needs a reset cannot be recovered here either: both ask the caller for a new
    // render system.
    const HRESULT cooperativeLevel = m_device->TestCooperativeLevel();
    if (cooperativeLevel == D3DERR_DEVICELOST || cooperativeLevel == D3DERR_DEVICENOTRESET) {
        MessageLog::getInstance()->log(LOG_INFORMATION, "3D Device lost", SOURCE, 37, "RenderSystem::render");
        return false;
    }

    m_device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, m_clearColor, 1.0f, 0);
    m_device->BeginScene();
    if (source != nullptr) {
        // Left and top stay 4 and 2: the first four columns and two rows of the texture are not shown.
        m_sourceRect.right = source->width;
        m_sourceRect.bottom = source->height;
        if (m_spriteCreated && source->texture != nullptr) {
            m_sprite->Begin(D3DXSPRITE_ALPHABLEND);
            m_sprite->Draw(source->texture, &m_sourceRect, &m_spriteCenter, &m_spritePosition, 0xFFFFFFFFu);
            m_sprite->End();
        }
    }
    m_device->EndScene();
    m_device->Present(nullptr, nullptr, nullptr, nullptr);
    return true;
}

bool RenderSystem::shutDown()
{
    if (m_initialized) {
        // In this order: the Direct3D object, the device, then the sprite (never created when
        // m_spriteCreated is clear, so its holder is empty then).
        m_direct3D.reset();
        m_device.reset();
        m_sprite.reset();
        m_initialized = false;
        MessageLog::getInstance()->log(LOG_INFORMATION, "Render system shutdown", SOURCE, 89,
                                       "RenderSystem::shutDown");
    }
    return true;
}

IDirect3DDevice9* const* RenderSystem::getDevice() const
{
    return m_device.address();
}

bool RenderSystem::isInitialized() const
{
    return m_initialized;
}
