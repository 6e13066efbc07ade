#include "Platform/Image/ImageFilter.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{

// The source pixels and weights of one target pixel along one axis.
struct Tap
{
    UINT first;
    std::vector<float> weights;
};

std::vector<Tap> pointTaps(UINT from, UINT to)
{
    std::vector<Tap> taps(to);
    for (UINT i = 0; i < to; ++i) {
        taps[i].first = std::min<UINT>(from - 1, UINT((uint64_t(i) * from + from / 2) / to));
        taps[i].weights.assign(1, 1.0f);
    }
    return taps;
}

std::vector<Tap> boxTaps(UINT from, UINT to)
{
    std::vector<Tap> taps(to);
    const double scale = double(from) / to;
    for (UINT i = 0; i < to; ++i) {
        const double start = i * scale;
        const double end = start + scale;
        const UINT first = UINT(start);
        const UINT last = std::min<UINT>(from - 1, UINT(std::ceil(end)) - 1);
        taps[i].first = first;
        for (UINT s = first; s <= last; ++s) {
            double covered = std::min(end, double(s + 1)) - std::max(start, double(s));
            taps[i].weights.push_back(float(covered / scale));
        }
    }
    return taps;
}

std::vector<Tap> linearTaps(UINT from, UINT to)
{
    std::vector<Tap> taps(to);
    const double scale = double(from) / to;
    for (UINT i = 0; i < to; ++i) {
        double centre = std::max(0.0, (i + 0.5) * scale - 0.5);
        UINT first = std::min<UINT>(from - 1, UINT(centre));
        float fraction = float(centre - first);
        taps[i].first = first;
        if (first + 1 < from && fraction > 0.0f) {
            taps[i].weights = {1.0f - fraction, fraction};
        } else {
            taps[i].weights = {1.0f};
        }
    }
    return taps;
}

std::vector<Tap> tapsFor(UINT from, UINT to, bool point)
{
    if (point) {
        return pointTaps(from, to);
    }
    return to <= from ? boxTaps(from, to) : linearTaps(from, to);
}

} // namespace

namespace
{

// Rounded average of four RGBA pixels, all four channels at once: the red and blue bytes and the green
// and alpha bytes are summed in separate 16-bit lanes, so no channel carries into the next.
inline uint32_t averageOfFour(uint32_t a, uint32_t b, uint32_t c, uint32_t d)
{
    const uint32_t lanes = 0x00FF00FFu;
    const uint32_t even = (a & lanes) + (b & lanes) + (c & lanes) + (d & lanes) + 0x00020002u;
    const uint32_t odd =
        ((a >> 8) & lanes) + ((b >> 8) & lanes) + ((c >> 8) & lanes) + ((d >> 8) & lanes) + 0x00020002u;
    return ((even >> 2) & lanes) | (((odd >> 2) & lanes) << 8);
}

inline uint32_t pixelAt(const uint8_t* row, UINT x)
{
    uint32_t pixel;
    std::memcpy(&pixel, row + size_t(x) * 4, 4);
    return pixel;
}

} // namespace

void ImageFilter::halve(const uint8_t* source, UINT width, UINT height, std::vector<uint8_t>& target)
{
    const UINT targetWidth = std::max<UINT>(1, width / 2);
    const UINT targetHeight = std::max<UINT>(1, height / 2);
    target.resize(size_t(targetWidth) * targetHeight * 4);
    const size_t rowBytes = size_t(width) * 4;
    // A side of one pixel leaves its pixels without a partner: each is its own partner.
    const UINT pairedColumns = width / 2;
    uint8_t* out = target.data();
    for (UINT y = 0; y < targetHeight; ++y) {
        const uint8_t* top = source + size_t(std::min(2 * y, height - 1)) * rowBytes;
        const uint8_t* bottom = source + size_t(std::min(2 * y + 1, height - 1)) * rowBytes;
        for (UINT x = 0; x < pairedColumns; ++x) {
            const uint32_t pixel = averageOfFour(pixelAt(top, 2 * x), pixelAt(top, 2 * x + 1),
                                                 pixelAt(bottom, 2 * x), pixelAt(bottom, 2 * x + 1));
            std::memcpy(out, &pixel, 4);
            out += 4;
        }
        if (pairedColumns == 0) {
            const uint32_t pixel =
                averageOfFour(pixelAt(top, 0), pixelAt(top, 0), pixelAt(bottom, 0), pixelAt(bottom, 0));
            std::memcpy(out, &pixel, 4);
            out += 4;
        }
    }
}

void ImageFilter::resize(const uint8_t* source, UINT width, UINT height, uint8_t* target, UINT targetWidth,
                         UINT targetHeight, bool point)
{
    if (width == targetWidth && height == targetHeight) {
        std::memcpy(target, source, size_t(width) * height * 4);
        return;
    }
    const std::vector<Tap> columns = tapsFor(width, targetWidth, point);
    const std::vector<Tap> rows = tapsFor(height, targetHeight, point);
    // Horizontal pass into floats, then the vertical pass into bytes.
    std::vector<float> wide(size_t(targetWidth) * height * 4);
    for (UINT y = 0; y < height; ++y) {
        const uint8_t* row = source + size_t(y) * width * 4;
        float* out = wide.data() + size_t(y) * targetWidth * 4;
        for (UINT x = 0; x < targetWidth; ++x) {
            const Tap& tap = columns[x];
            float sum[4] = {0, 0, 0, 0};
            for (size_t k = 0; k < tap.weights.size(); ++k) {
                const uint8_t* pixel = row + size_t(tap.first + k) * 4;
                for (int c = 0; c < 4; ++c) {
                    sum[c] += pixel[c] * tap.weights[k];
                }
            }
            std::memcpy(out + size_t(x) * 4, sum, sizeof(sum));
        }
    }
    for (UINT y = 0; y < targetHeight; ++y) {
        const Tap& tap = rows[y];
        uint8_t* out = target + size_t(y) * targetWidth * 4;
        for (size_t i = 0; i < size_t(targetWidth) * 4; ++i) {
            float sum = 0;
            for (size_t k = 0; k < tap.weights.size(); ++k) {
                sum += wide[(size_t(tap.first + k) * targetWidth * 4) + i] * tap.weights[k];
            }
            out[i] = uint8_t(std::min(255.0f, std::max(0.0f, sum + 0.5f)));
        }
    }
}
