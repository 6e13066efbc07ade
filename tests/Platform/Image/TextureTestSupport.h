#pragma once

// Small helpers shared by the texture tests of this folder.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "Platform/Direct3D.h"
#include "Platform/Image/PixelConverter.h"

namespace texture_test
{

// The wide path the system's string helper would make: every byte becomes one code unit.
inline std::wstring widen(const std::string& path)
{
    std::wstring wide;
    for (char c : path) {
        wide.push_back(wchar_t(static_cast<unsigned char>(c)));
    }
    return wide;
}

// A deterministic RGBA picture with smooth gradients, hard edges and noise, so that every part of a
// block codec gets used. withAlpha gives a varying alpha; binaryAlpha gives alpha 0 or 255 only.
inline std::vector<uint8_t> makePicture(UINT width, UINT height, bool withAlpha, bool binaryAlpha = false)
{
    std::vector<uint8_t> rgba(size_t(width) * height * 4);
    uint32_t noise = 12345;
    for (UINT y = 0; y < height; ++y) {
        for (UINT x = 0; x < width; ++x) {
            noise = noise * 1103515245u + 12345u;
            uint8_t* p = &rgba[(size_t(y) * width + x) * 4];
            const bool checker = ((x / 8) + (y / 8)) % 2 == 0;
            p[0] = uint8_t(x * 255 / std::max<UINT>(1, width - 1));
            p[1] = uint8_t(checker ? 200 : 40 + (y * 150) / std::max<UINT>(1, height));
            p[2] = uint8_t(((noise >> 16) & 0x3F) + (checker ? 0 : 150));
            uint8_t alpha = 255;
            if (binaryAlpha) {
                alpha = ((x + 2 * y) % 7 < 2) ? 0 : 255; // cuts through blocks: mixed blocks
            } else if (withAlpha) {
                alpha = uint8_t((x * 7 + y * 13) & 0xFF);
            }
            p[3] = alpha;
        }
    }
    return rgba;
}

inline IDirect3DTexture9* loadTexture(const std::string& path, D3DXIMAGE_INFO* info = nullptr)
{
    const std::wstring wide = widen(path);
    if (info != nullptr && FAILED(D3DXGetImageInfoFromFileW(wide.c_str(), info))) {
        return nullptr;
    }
    IDirect3DTexture9* texture = nullptr;
    if (FAILED(D3DXCreateTextureFromFileW(nullptr, wide.c_str(), &texture))) {
        return nullptr;
    }
    return texture;
}

inline std::vector<uint8_t> decoded(const IDirect3DTexture9& texture, UINT level = 0)
{
    std::vector<uint8_t> rgba;
    EXPECT_TRUE(PixelConverter::decodeLevel(texture, level, rgba));
    return rgba;
}

inline IDirect3DTexture9* textureFrom(const std::vector<uint8_t>& rgba, UINT width, UINT height,
                                      D3DFORMAT format, UINT levels = 1)
{
    IDirect3DTexture9* texture = nullptr;
    if (FAILED(D3DXCreateTexture(nullptr, width, height, levels, 0, format, D3DPOOL_MANAGED, &texture))) {
        return nullptr;
    }
    PixelConverter::encodeLevel(*texture, 0, rgba.data());
    return texture;
}

// Peak signal-to-noise ratio over the colour channels (and alpha when withAlpha), in dB.
inline double psnr(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b, bool withAlpha)
{
    // Pictures of different sizes (an empty decode above all) are no match, however their common
    // part compares.
    if (a.size() != b.size() || a.empty()) {
        ADD_FAILURE() << "psnr of pictures of " << a.size() << " and " << b.size() << " bytes";
        return 0.0;
    }
    double sum = 0;
    size_t count = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        if (i % 4 == 3 && !withAlpha) {
            continue;
        }
        const double d = double(a[i]) - double(b[i]);
        sum += d * d;
        ++count;
    }
    if (sum == 0) {
        return 99.0;
    }
    return 10.0 * std::log10(255.0 * 255.0 / (sum / double(count)));
}

// Index of the first differing byte, or -1; for messages that say which pixel is wrong.
inline long firstDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b)
{
    if (a.size() != b.size()) {
        return 0;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i]) {
            return long(i);
        }
    }
    return -1;
}

inline bool toolExists(const char* path)
{
    return std::system((std::string("test -x ") + path).c_str()) == 0;
}

inline bool run(const std::string& command)
{
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

} // namespace texture_test
