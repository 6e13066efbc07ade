#include "Platform/Image/PixelConverter.h"

#include <cstring>

#include "Platform/Direct3D/IDirect3DTexture9.h"
#include "Platform/Image/DxtCodec.h"
#include "Platform/Image/TextureFormatTable.h"

namespace
{

// One channel of a mask format: where it lies in the pixel value and how wide it is.
struct Channel
{
    uint32_t shift = 0;
    uint32_t maximum = 0; // (1 << bits) - 1; 0 when the format lacks the channel
};

Channel channelOf(DWORD mask)
{
    Channel channel;
    if (mask == 0) {
        return channel;
    }
    while (((mask >> channel.shift) & 1u) == 0) {
        ++channel.shift;
    }
    channel.maximum = mask >> channel.shift;
    return channel;
}

// The mask layout of a pixel format, prepared once per level rather than per pixel.
struct MaskLayout
{
    UINT bytesPerPixel;
    bool luminance;
    Channel red, green, blue, alpha;
    uint32_t unusedBits;

    explicit MaskLayout(const TextureFormatInfo& info)
        : bytesPerPixel(info.bitsPerPixel / 8), luminance((info.dds.flags & DDPF_LUMINANCE) != 0),
          red(channelOf(info.dds.redMask)), green(channelOf(info.dds.greenMask)),
          blue(channelOf(info.dds.blueMask)), alpha(channelOf(info.dds.alphaMask))
    {
        uint32_t all = info.bitsPerPixel >= 32 ? 0xFFFFFFFFu : (1u << info.bitsPerPixel) - 1;
        unusedBits = all & ~(info.dds.redMask | info.dds.greenMask | info.dds.blueMask | info.dds.alphaMask);
    }
};

inline uint32_t expand(uint32_t value, const Channel& channel, uint32_t missing)
{
    if (channel.maximum == 0) {
        return missing;
    }
    uint32_t bits = (value >> channel.shift) & channel.maximum;
    return (bits * 510 + channel.maximum) / (2 * channel.maximum);
}

inline uint32_t quantise(uint32_t value, const Channel& channel)
{
    if (channel.maximum == 0) {
        return 0;
    }
    return ((value * channel.maximum + 127) / 255) << channel.shift;
}

inline uint32_t readPixel(const uint8_t* source, UINT bytes)
{
    uint32_t value = 0;
    for (UINT i = 0; i < bytes; ++i) {
        value |= uint32_t(source[i]) << (8 * i);
    }
    return value;
}

inline void writePixel(uint8_t* target, uint32_t value, UINT bytes)
{
    for (UINT i = 0; i < bytes; ++i) {
        target[i] = uint8_t(value >> (8 * i));
    }
}

// Red and blue swapped within each 32-bit pixel (the swap is its own inverse).
void swapRedBlue(const uint8_t* source, size_t pixels, uint8_t* target, bool forceOpaque)
{
    for (size_t i = 0; i < pixels; ++i) {
        uint32_t word;
        std::memcpy(&word, source + 4 * i, 4);
        word = (word & 0xFF00FF00u) | ((word >> 16) & 0xFFu) | ((word & 0xFFu) << 16);
        if (forceOpaque) {
            word |= 0xFF000000u;
        }
        std::memcpy(target + 4 * i, &word, 4);
    }
}

void copyOpaque(const uint8_t* source, size_t pixels, uint8_t* target, bool forceOpaque)
{
    if (!forceOpaque) {
        std::memcpy(target, source, pixels * 4);
        return;
    }
    for (size_t i = 0; i < pixels; ++i) {
        uint32_t word;
        std::memcpy(&word, source + 4 * i, 4);
        word |= 0xFF000000u;
        std::memcpy(target + 4 * i, &word, 4);
    }
}

// The 32-bit formats with a whole byte per channel (the ones the system uses most) are converted a
// word at a time rather than through the masks: their bytes are red, green, blue, alpha (A8B8G8R8,
// X8B8G8R8) or blue, green, red, alpha (A8R8G8B8, X8R8G8B8), and an X byte reads and writes as 255.
// Both directions are the same shuffle. False when the format's masks are not of that kind.
bool shuffleBytes(const TextureFormatInfo& info, const uint8_t* source, size_t pixels, uint8_t* target)
{
    const DdsPixelFormat& masks = info.dds;
    if (info.bitsPerPixel != 32 || (masks.flags & DDPF_RGB) == 0 || masks.greenMask != 0xFF00u ||
        (masks.alphaMask != 0 && masks.alphaMask != 0xFF000000u)) {
        return false;
    }
    const bool forceOpaque = masks.alphaMask == 0;
    if (masks.redMask == 0xFFu && masks.blueMask == 0xFF0000u) {
        copyOpaque(source, pixels, target, forceOpaque);
        return true;
    }
    if (masks.redMask == 0xFF0000u && masks.blueMask == 0xFFu) {
        swapRedBlue(source, pixels, target, forceOpaque);
        return true;
    }
    return false;
}

void decodeMasks(const TextureFormatInfo& info, const uint8_t* level, size_t pixels, uint8_t* rgba)
{
    const MaskLayout layout(info);
    for (size_t i = 0; i < pixels; ++i) {
        uint32_t value = readPixel(level + i * layout.bytesPerPixel, layout.bytesPerPixel);
        uint8_t* target = rgba + 4 * i;
        uint32_t red = expand(value, layout.red, 0);
        target[0] = uint8_t(red);
        target[1] = uint8_t(layout.luminance ? red : expand(value, layout.green, 0));
        target[2] = uint8_t(layout.luminance ? red : expand(value, layout.blue, 0));
        target[3] = uint8_t(expand(value, layout.alpha, 255));
    }
}

void encodeMasks(const TextureFormatInfo& info, const uint8_t* rgba, size_t pixels, uint8_t* level)
{
    const MaskLayout layout(info);
    for (size_t i = 0; i < pixels; ++i) {
        const uint8_t* source = rgba + 4 * i;
        uint32_t value = layout.unusedBits | quantise(source[3], layout.alpha);
        if (layout.luminance) {
            uint32_t luminance = (77u * source[0] + 150u * source[1] + 29u * source[2] + 128) >> 8;
            value |= quantise(luminance, layout.red);
        } else {
            value |= quantise(source[0], layout.red) | quantise(source[1], layout.green) |
                     quantise(source[2], layout.blue);
        }
        writePixel(level + i * layout.bytesPerPixel, value, layout.bytesPerPixel);
    }
}

} // namespace

bool PixelConverter::decode(D3DFORMAT format, const uint8_t* level, UINT width, UINT height, uint8_t* rgba)
{
    const TextureFormatInfo& info = TextureFormatTable::describe(format);
    if (!info.decodable) {
        return false;
    }
    if (info.kind == FormatKind::Block) {
        DxtCodec::decodeImage(info.codec, level, width, height, rgba);
        return true;
    }
    const size_t pixels = size_t(width) * height;
    if (!shuffleBytes(info, level, pixels, rgba)) {
        decodeMasks(info, level, pixels, rgba);
    }
    return true;
}

bool PixelConverter::encode(D3DFORMAT format, const uint8_t* rgba, UINT width, UINT height, uint8_t* level)
{
    const TextureFormatInfo& info = TextureFormatTable::describe(format);
    if (!info.encodable) {
        return false;
    }
    if (info.kind == FormatKind::Block) {
        DxtCodec::encodeImage(info.codec, rgba, width, height, level);
        return true;
    }
    const size_t pixels = size_t(width) * height;
    if (!shuffleBytes(info, rgba, pixels, level)) {
        encodeMasks(info, rgba, pixels, level);
    }
    return true;
}

bool PixelConverter::decodeLevel(const IDirect3DTexture9& texture, UINT level, std::vector<uint8_t>& rgba)
{
    if (level >= texture.GetLevelCount() || !texture.formatInfo().decodable) {
        return false;
    }
    const UINT width = texture.width(level);
    const UINT height = texture.height(level);
    rgba.resize(size_t(width) * height * 4);
    return decode(texture.format(), texture.levelData(level), width, height, rgba.data());
}

bool PixelConverter::encodeLevel(IDirect3DTexture9& texture, UINT level, const uint8_t* rgba)
{
    if (level >= texture.GetLevelCount() || !texture.formatInfo().encodable) {
        return false;
    }
    bool encoded =
        encode(texture.format(), rgba, texture.width(level), texture.height(level), texture.levelData(level));
    texture.markChanged();
    return encoded;
}
