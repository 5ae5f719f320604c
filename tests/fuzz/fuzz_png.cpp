// libFuzzer target for the PNG decoder. Every input is decoded twice: as it
// comes, and with each chunk's CRC recomputed, so that mutations also reach
// the chunk parsing and inflation behind libpng's checksum test.
// Whatever the bytes, the decoder must return, leave pixels empty on false,
// and on true hold exactly width x height x 4 bytes of the IHDR's size.

#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "assets/png_decoder.h"

namespace {

std::uint32_t bigEndian(const std::uint8_t* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

void decodeAndCheck(const ByteBuffer& source) {
    PngDecoder decoder;
    if (!decoder.decodePng(source)) {
        if (!decoder.pixels.empty()) {
            __builtin_trap();
        }
        return;
    }
    // Accepted input has at least the signature and a whole IHDR.
    if (source.size() < 33) {
        __builtin_trap();
    }
    const std::uint64_t width = bigEndian(&source[16]);
    const std::uint64_t height = bigEndian(&source[20]);
    if (decoder.pixels.size() != width * height * 4) {
        __builtin_trap();
    }
}

void fixChunkCrcs(ByteBuffer& png) {
    std::size_t offset = 8;
    while (offset + 12 <= png.size()) {
        const std::size_t length = bigEndian(&png[offset]);
        if (length > png.size() - offset - 12) {
            return;
        }
        const auto crc = static_cast<std::uint32_t>(crc32(0, &png[offset + 4], static_cast<uInt>(length + 4)));
        std::uint8_t* out = &png[offset + 8 + length];
        out[0] = static_cast<std::uint8_t>(crc >> 24);
        out[1] = static_cast<std::uint8_t>(crc >> 16);
        out[2] = static_cast<std::uint8_t>(crc >> 8);
        out[3] = static_cast<std::uint8_t>(crc);
        offset += 12 + length;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ByteBuffer source(data, data + size);
    decodeAndCheck(source);
    fixChunkCrcs(source);
    decodeAndCheck(source);
    return 0;
}
