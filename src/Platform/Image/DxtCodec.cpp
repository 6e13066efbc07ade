#include "Platform/Image/DxtCodec.h"

#include "Common/STDFunctions/LittleEndian.h"

#include <algorithm>
#include <cstring>

#include <stb_dxt.h>

namespace
{

inline uint32_t packRgba(uint32_t r, uint32_t g, uint32_t b, uint32_t a)
{
    return r | (g << 8) | (b << 16) | (a << 24);
}

// The four colours of a colour block as packed RGBA (alpha 255, or 0 for the transparent code).
inline void colourPalette(const uint8_t* block, bool allowTransparent, uint32_t palette[4])
{
    uint16_t c0 = LittleEndian::loadU16(block);
    uint16_t c1 = LittleEndian::loadU16(block + 2);
    uint32_t r[4], g[4], b[4];
    r[0] = ((c0 >> 11) & 31) << 3 | ((c0 >> 11) & 31) >> 2;
    g[0] = ((c0 >> 5) & 63) << 2 | ((c0 >> 5) & 63) >> 4;
    b[0] = (c0 & 31) << 3 | (c0 & 31) >> 2;
    r[1] = ((c1 >> 11) & 31) << 3 | ((c1 >> 11) & 31) >> 2;
    g[1] = ((c1 >> 5) & 63) << 2 | ((c1 >> 5) & 63) >> 4;
    b[1] = (c1 & 31) << 3 | (c1 & 31) >> 2;
    palette[0] = packRgba(r[0], g[0], b[0], 255);
    palette[1] = packRgba(r[1], g[1], b[1], 255);
    if (!allowTransparent || c0 > c1) {
        palette[2] = packRgba((2 * r[0] + r[1]) / 3, (2 * g[0] + g[1]) / 3, (2 * b[0] + b[1]) / 3, 255);
        palette[3] = packRgba((r[0] + 2 * r[1]) / 3, (g[0] + 2 * g[1]) / 3, (b[0] + 2 * b[1]) / 3, 255);
    } else {
        palette[2] = packRgba((r[0] + r[1]) / 2, (g[0] + g[1]) / 2, (b[0] + b[1]) / 2, 255);
        palette[3] = 0;
    }
}

inline uint64_t readU48(const uint8_t* bytes)
{
    return uint64_t(LittleEndian::loadU32(bytes)) | (uint64_t(LittleEndian::loadU16(bytes + 4)) << 32);
}

// The eight alpha values of an interpolated (DXT5) alpha block, already shifted into the alpha byte.
inline void alphaPalette(uint32_t a0, uint32_t a1, uint32_t palette[8])
{
    palette[0] = a0 << 24;
    palette[1] = a1 << 24;
    if (a0 > a1) {
        for (uint32_t code = 2; code < 8; ++code) {
            palette[code] = (((8 - code) * a0 + (code - 1) * a1) / 7) << 24;
        }
    } else {
        for (uint32_t code = 2; code < 6; ++code) {
            palette[code] = (((6 - code) * a0 + (code - 1) * a1) / 5) << 24;
        }
        palette[6] = 0;
        palette[7] = 0xFF000000u;
    }
}

// One block into 16 packed RGBA words, the codec fixed at compile time so the loops unroll.
template <BlockCodec codec> inline void decodeToWords(const uint8_t* block, uint32_t out[16])
{
    uint32_t colours[4];
    if (codec == BlockCodec::Dxt1) {
        colourPalette(block, true, colours);
        uint32_t indices = LittleEndian::loadU32(block + 4);
        for (int i = 0; i < 16; ++i, indices >>= 2) {
            out[i] = colours[indices & 3];
        }
        return;
    }
    colourPalette(block + 8, false, colours);
    for (uint32_t& colour : colours) {
        colour &= 0x00FFFFFFu;
    }
    uint32_t indices = LittleEndian::loadU32(block + 12);
    if (codec == BlockCodec::Dxt3) {
        uint64_t nibbles =
            uint64_t(LittleEndian::loadU32(block)) | (uint64_t(LittleEndian::loadU32(block + 4)) << 32);
        for (int i = 0; i < 16; ++i, indices >>= 2, nibbles >>= 4) {
            out[i] = colours[indices & 3] | (uint32_t(nibbles & 15) * 17) << 24;
        }
        return;
    }
    uint32_t alphas[8];
    alphaPalette(block[0], block[1], alphas);
    uint64_t codes = readU48(block + 2);
    for (int i = 0; i < 16; ++i, indices >>= 2, codes >>= 3) {
        out[i] = colours[indices & 3] | alphas[codes & 7];
    }
}

inline void storeWord(uint8_t* target, uint32_t word)
{
    target[0] = uint8_t(word);
    target[1] = uint8_t(word >> 8);
    target[2] = uint8_t(word >> 16);
    target[3] = uint8_t(word >> 24);
}

int squaredDistance(const uint8_t* pixel, uint32_t colour)
{
    int dr = int(pixel[0]) - int(colour & 0xFF);
    int dg = int(pixel[1]) - int((colour >> 8) & 0xFF);
    int db = int(pixel[2]) - int((colour >> 16) & 0xFF);
    return dr * dr + dg * dg + db * db;
}

// A DXT1 block with transparent pixels: stb_dxt chooses the end points from the opaque pixels, then
// the block is put into three-colour mode (first colour not above the second) and every opaque pixel
// takes the nearest of the three colours.
void encodeDxt1WithTransparency(const uint8_t* rgba, uint8_t* block)
{
    uint8_t opaque[64];
    const uint8_t* firstOpaque = nullptr;
    for (int i = 0; i < 16; ++i) {
        if (rgba[4 * i + 3] >= 128) {
            firstOpaque = rgba + 4 * i;
            break;
        }
    }
    if (firstOpaque == nullptr) {
        std::memset(block, 0, 4);
        std::memset(block + 4, 0xFF, 4);
        return;
    }
    for (int i = 0; i < 16; ++i) {
        const uint8_t* source = rgba[4 * i + 3] >= 128 ? rgba + 4 * i : firstOpaque;
        std::memcpy(opaque + 4 * i, source, 3);
        opaque[4 * i + 3] = 255;
    }
    stb_compress_dxt_block(block, opaque, 0, STB_DXT_HIGHQUAL);
    uint16_t c0 = LittleEndian::loadU16(block);
    uint16_t c1 = LittleEndian::loadU16(block + 2);
    if (c0 > c1) {
        std::swap(c0, c1);
    }
    block[0] = uint8_t(c0);
    block[1] = uint8_t(c0 >> 8);
    block[2] = uint8_t(c1);
    block[3] = uint8_t(c1 >> 8);
    uint32_t palette[4];
    colourPalette(block, true, palette);
    uint32_t indices = 0;
    for (int i = 0; i < 16; ++i) {
        uint32_t code = 3;
        if (rgba[4 * i + 3] >= 128) {
            code = 0;
            int best = squaredDistance(rgba + 4 * i, palette[0]);
            for (uint32_t candidate = 1; candidate < 3; ++candidate) {
                int distance = squaredDistance(rgba + 4 * i, palette[candidate]);
                if (distance < best) {
                    best = distance;
                    code = candidate;
                }
            }
        }
        indices |= code << (2 * i);
    }
    storeWord(block + 4, indices);
}

void encodeDxt1(const uint8_t* rgba, uint8_t* block)
{
    uint8_t opaque[64];
    for (int i = 0; i < 16; ++i) {
        if (rgba[4 * i + 3] < 128) {
            encodeDxt1WithTransparency(rgba, block);
            return;
        }
    }
    // stb_dxt detects a single-colour block by comparing whole pixels, so alpha must not differ.
    std::memcpy(opaque, rgba, 64);
    for (int i = 0; i < 16; ++i) {
        opaque[4 * i + 3] = 255;
    }
    stb_compress_dxt_block(block, opaque, 0, STB_DXT_HIGHQUAL);
}

void encodeDxt3(const uint8_t* rgba, uint8_t* block)
{
    for (int i = 0; i < 8; ++i) {
        uint32_t low = (rgba[8 * i + 3] * 15u + 127) / 255;
        uint32_t high = (rgba[8 * i + 7] * 15u + 127) / 255;
        block[i] = uint8_t(low | (high << 4));
    }
    uint8_t opaque[64];
    std::memcpy(opaque, rgba, 64);
    for (int i = 0; i < 16; ++i) {
        opaque[4 * i + 3] = 255;
    }
    stb_compress_dxt_block(block + 8, opaque, 0, STB_DXT_HIGHQUAL);
}

} // namespace

void DxtCodec::decodeBlock(BlockCodec codec, const uint8_t* block, uint8_t* rgba)
{
    uint32_t words[16] = {};
    switch (codec) {
    case BlockCodec::Dxt1:
        decodeToWords<BlockCodec::Dxt1>(block, words);
        break;
    case BlockCodec::Dxt3:
        decodeToWords<BlockCodec::Dxt3>(block, words);
        break;
    case BlockCodec::Dxt5:
        decodeToWords<BlockCodec::Dxt5>(block, words);
        break;
    case BlockCodec::None:
        break;
    }
    for (int i = 0; i < 16; ++i) {
        storeWord(rgba + 4 * i, words[i]);
    }
}

void DxtCodec::encodeBlock(BlockCodec codec, const uint8_t* rgba, uint8_t* block)
{
    switch (codec) {
    case BlockCodec::Dxt1:
        encodeDxt1(rgba, block);
        break;
    case BlockCodec::Dxt3:
        encodeDxt3(rgba, block);
        break;
    case BlockCodec::Dxt5:
        stb_compress_dxt_block(block, rgba, 1, STB_DXT_HIGHQUAL);
        break;
    case BlockCodec::None:
        break;
    }
}

namespace
{

// The decode loop with the codec fixed at compile time, so the block decoder inlines into it.
template <BlockCodec codec> void decodeBlocks(const uint8_t* blocks, UINT width, UINT height, uint8_t* rgba)
{
    const UINT bytes = DxtCodec::blockBytes(codec);
    const UINT blocksWide = std::max<UINT>(1, (width + 3) / 4);
    const UINT blocksHigh = std::max<UINT>(1, (height + 3) / 4);
    const size_t rowBytes = size_t(width) * 4;
    uint32_t words[16];
    for (UINT by = 0; by < blocksHigh; ++by) {
        const UINT rows = std::min<UINT>(4, height - by * 4);
        uint8_t* rowTarget = rgba + size_t(by) * 4 * rowBytes;
        for (UINT bx = 0; bx < blocksWide; ++bx) {
            decodeToWords<codec>(blocks, words);
            blocks += bytes;
            const UINT columns = std::min<UINT>(4, width - bx * 4);
            uint8_t* target = rowTarget + size_t(bx) * 16;
            if (rows == 4 && columns == 4) {
                std::memcpy(target, words, 16);
                std::memcpy(target + rowBytes, words + 4, 16);
                std::memcpy(target + 2 * rowBytes, words + 8, 16);
                std::memcpy(target + 3 * rowBytes, words + 12, 16);
                continue;
            }
            for (UINT y = 0; y < rows; ++y) {
                std::memcpy(target + y * rowBytes, words + 4 * y, size_t(columns) * 4);
            }
        }
    }
}

} // namespace

void DxtCodec::decodeImage(BlockCodec codec, const uint8_t* blocks, UINT width, UINT height, uint8_t* rgba)
{
    switch (codec) {
    case BlockCodec::Dxt1:
        decodeBlocks<BlockCodec::Dxt1>(blocks, width, height, rgba);
        break;
    case BlockCodec::Dxt3:
        decodeBlocks<BlockCodec::Dxt3>(blocks, width, height, rgba);
        break;
    case BlockCodec::Dxt5:
        decodeBlocks<BlockCodec::Dxt5>(blocks, width, height, rgba);
        break;
    case BlockCodec::None:
        break;
    }
}

void DxtCodec::encodeImage(BlockCodec codec, const uint8_t* rgba, UINT width, UINT height, uint8_t* blocks)
{
    const UINT bytes = blockBytes(codec);
    const UINT blocksWide = std::max<UINT>(1, (width + 3) / 4);
    const UINT blocksHigh = std::max<UINT>(1, (height + 3) / 4);
    const size_t rowBytes = size_t(width) * 4;
    uint8_t pixels[64];
    for (UINT by = 0; by < blocksHigh; ++by) {
        for (UINT bx = 0; bx < blocksWide; ++bx) {
            for (UINT y = 0; y < 4; ++y) {
                const UINT sourceY = std::min(by * 4 + y, height - 1);
                const uint8_t* row = rgba + size_t(sourceY) * rowBytes;
                if (bx * 4 + 4 <= width) {
                    std::memcpy(pixels + 16 * y, row + size_t(bx) * 16, 16);
                    continue;
                }
                for (UINT x = 0; x < 4; ++x) {
                    const UINT sourceX = std::min(bx * 4 + x, width - 1);
                    std::memcpy(pixels + 16 * y + 4 * x, row + size_t(sourceX) * 4, 4);
                }
            }
            encodeBlock(codec, pixels, blocks);
            blocks += bytes;
        }
    }
}
