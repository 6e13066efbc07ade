#pragma once

#include <cstddef>
#include <cstdint>

#include "Platform/Direct3D.h"
#include "Platform/Direct3D/ComPtr.h"

// Owns the Direct3D device of the render panel and draws the preview: once per call of render it
// clears the panel, draws one texture unscaled with a sprite and presents. render answers false when
// the device has been lost (or needs a reset), which tells the back end to start a new render system.
// Every texture of every open archive is created on this device (getDevice).
//
// render takes a texture entry, but the archives lie above this layer, so their TextureEntry is not
// known here: render is a template over any entry type with the fields `texture`
// (ComPtr<IDirect3DTexture9>) and `record.width`, `record.height` (signed 16-bit). The back end calls it
// exactly as `render(&entry)` or `render(nullptr)`; renderTexture is the same frame given the three
// values directly.
class RenderSystem
{
public:
    RenderSystem(HWND window, float height, float width);
    ~RenderSystem();

    RenderSystem(const RenderSystem&) = delete;
    RenderSystem& operator=(const RenderSystem&) = delete;

    // One frame showing the entry's texture, or an empty frame for a null entry. False only when the
    // device is lost.
    template <typename Entry> bool render(const Entry* entry)
    {
        if (entry == nullptr) {
            return renderFrame(nullptr);
        }
        const SpriteSource source{entry->texture.get(), entry->record.width, entry->record.height};
        return renderFrame(&source);
    }
    bool render(std::nullptr_t) { return renderFrame(nullptr); }
    // One frame showing a texture whose level 0 is width × height pixels (a null texture draws nothing).
    bool renderTexture(IDirect3DTexture9* texture, int16_t width, int16_t height);

    // Releases the Direct3D objects; always true. Does nothing when not initialised.
    bool shutDown();
    // The address of the device pointer (null once shut down).
    IDirect3DDevice9* const* getDevice() const;
    bool isInitialized() const;

private:
    // What a frame needs of a texture entry.
    struct SpriteSource
    {
        IDirect3DTexture9* texture;
        int16_t width;
        int16_t height;
    };

    bool initialize();
    bool renderFrame(const SpriteSource* source);
    void setDeviceStates();

    HWND m_windowHandle;
    float m_height;
    float m_width;
    ComPtr<IDirect3D9> m_direct3D;
    ComPtr<IDirect3DDevice9> m_device;
    D3DPRESENT_PARAMETERS m_presentParameters;
    D3DCOLOR m_clearColor;
    RECT m_clientRect;
    ComPtr<ID3DXSprite> m_sprite;
    D3DXVECTOR3 m_spritePosition;
    D3DXVECTOR3 m_spriteCenter;
    RECT m_sourceRect;
    bool m_spriteCreated;
    bool m_initialized;
};
