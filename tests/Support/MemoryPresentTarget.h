#pragma once

#include "Platform/Direct3D/PresentTarget.h"

#include <vector>

// A window for device tests: a client area of a chosen size that keeps every frame handed to it.
class MemoryPresentTarget : public PresentTarget
{
public:
    MemoryPresentTarget(UINT width, UINT height) : m_width(width), m_height(height) {}

    UINT clientWidth() const override { return m_width; }
    UINT clientHeight() const override { return m_height; }
    void presentFrame(UINT width, UINT height, const D3DCOLOR* pixels) override
    {
        m_frameWidth = width;
        m_frameHeight = height;
        m_frame.assign(pixels, pixels + size_t(width) * height);
        ++m_frameCount;
    }

    void resize(UINT width, UINT height)
    {
        m_width = width;
        m_height = height;
    }
    int frameCount() const { return m_frameCount; }
    UINT frameWidth() const { return m_frameWidth; }
    UINT frameHeight() const { return m_frameHeight; }
    D3DCOLOR pixel(UINT x, UINT y) const { return m_frame.at(size_t(y) * m_frameWidth + x); }
    const std::vector<D3DCOLOR>& frame() const { return m_frame; }

private:
    UINT m_width;
    UINT m_height;
    UINT m_frameWidth = 0;
    UINT m_frameHeight = 0;
    std::vector<D3DCOLOR> m_frame;
    int m_frameCount = 0;
};
