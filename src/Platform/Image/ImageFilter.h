#pragma once

#include <cstdint>
#include <vector>

#include "Platform/Direct3D/D3D9Types.h"

// Resampling of 8-bit RGBA images (four bytes per pixel, rows without padding).
class ImageFilter
{
public:
    // The next mip level: max(1, width / 2) × max(1, height / 2), each pixel the rounded average of
    // the 2×2 pixels at twice its position. A side of 1 pairs each pixel with itself; the last column
    // or row of an odd side above 1 has no pixel of its own below it and is left out.
    static void halve(const uint8_t* source, UINT width, UINT height, std::vector<uint8_t>& target);

    // Scales to targetWidth × targetHeight: by point sampling when point is set; otherwise a box
    // filter where a dimension shrinks and linear interpolation where it grows.
    static void resize(const uint8_t* source, UINT width, UINT height, uint8_t* target, UINT targetWidth,
                       UINT targetHeight, bool point);
};
