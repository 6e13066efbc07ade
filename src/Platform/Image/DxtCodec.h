#pragma once

#include <cstdint>

#include "Platform/Direct3D/D3D9Types.h"
#include "Platform/Image/TextureFormatTable.h"

// Our DXT (S3TC) block codec. Pixels outside the codec are 8-bit RGBA, four bytes per pixel in the
// order red, green, blue, alpha, rows top to bottom without padding.
//
// Decoding expands 5- and 6-bit colours by bit replication and interpolates in 8 bits with
// truncating division, which is also how ImageMagick decodes, so both give identical pixels.
// Encoding uses stb_dxt in its high-quality mode; DXT3 alpha is our own 4-bit rounding, and DXT1
// blocks with pixels of alpha below 128 become three-colour blocks whose fourth code is transparent.
class DxtCodec
{
public:
    // Decodes one block into 16 pixels (4 rows of 4).
    static void decodeBlock(BlockCodec codec, const uint8_t* block, uint8_t* rgba);
    // Encodes 16 pixels (4 rows of 4) into one block of 8 (DXT1) or 16 bytes.
    static void encodeBlock(BlockCodec codec, const uint8_t* rgba, uint8_t* block);

    // Decodes a whole level of width × height pixels (blocks in rows, at least one block). Pixels of
    // partial blocks beyond the level's edge are dropped.
    static void decodeImage(BlockCodec codec, const uint8_t* blocks, UINT width, UINT height, uint8_t* rgba);
    // Encodes a whole level; partial blocks at the edges are padded with copies of the edge pixels.
    static void encodeImage(BlockCodec codec, const uint8_t* rgba, UINT width, UINT height, uint8_t* blocks);

    static UINT blockBytes(BlockCodec codec) { return codec == BlockCodec::Dxt1 ? 8 : 16; }
};
