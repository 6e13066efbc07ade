#pragma once

#include "Platform/Direct3D.h"

// The device the archive tests create their textures on: made by the same calls the render system
// makes, without a window unless one is given, and released with its object when the test ends.
class TestDevice
{
public:
    TestDevice() = default;
    ~TestDevice() { release(); }
    TestDevice(const TestDevice&) = delete;
    TestDevice& operator=(const TestDevice&) = delete;

    // False when the stand-in refuses (a failure hook may be armed).
    bool create(HWND window = nullptr);
    void release();

    IDirect3DDevice9* get() const { return m_device; }

private:
    IDirect3D9* m_direct3D = nullptr;
    IDirect3DDevice9* m_device = nullptr;
};
