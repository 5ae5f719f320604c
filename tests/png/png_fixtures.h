// Small PNG files made on the spot with libpng, and ways to damage them,
// for the decoder's tests and the fuzzer's seed corpus.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "assets/byte_buffer.h"

namespace fixtures {

struct PngShape {
    std::uint32_t width = 5;
    std::uint32_t height = 4;
    int colourType = 6;  // PNG_COLOR_TYPE_RGB_ALPHA
    int bitDepth = 8;
    bool interlaced = false;
    // Bytes per IDAT chunk: small values split the image data over many chunks.
    std::size_t idatSize = 8192;
};

// A PNG of the given shape. Sample k of the file (row-major, channel by
// channel, each byte of a 16-bit sample counted) holds patternByte(k), except
// that palette indices stay within the palette.
ByteBuffer makePng(const PngShape& shape);
std::uint8_t patternByte(std::size_t k);

// A PNG of RGBA pixels (straight alpha, top row first) exactly as given.
ByteBuffer makeRgbaPng(std::uint32_t width, std::uint32_t height, const ByteBuffer& rgba);

// Offset of the first chunk of the given type (its length field), or npos.
std::size_t findChunk(const ByteBuffer& png, const char* type);
// The PNG with its IHDR size replaced and the chunk's CRC made to match, so
// libpng believes the claim.
ByteBuffer withClaimedSize(ByteBuffer png, std::uint32_t width, std::uint32_t height);
// The PNG with a chunk put right after IHDR whose length field claims
// claimedLength bytes while only data follows.
ByteBuffer withChunkAfterIhdr(ByteBuffer png, const char* type, std::uint32_t claimedLength, const ByteBuffer& data);
ByteBuffer withFlippedByte(ByteBuffer png, std::size_t offset);
ByteBuffer truncated(ByteBuffer png, std::size_t size);

ByteBuffer readFile(const std::string& path);

}  // namespace fixtures
