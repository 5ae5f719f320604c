// PNG pictures decoded to RGBA pixels with libpng.
#pragma once

#include <cstdint>

#include "assets/byte_buffer.h"

struct PngDecoder {
    const std::uint8_t* cursor = nullptr;  // next byte not yet handed to libpng
    std::uint32_t remaining = 0;           // bytes left from cursor on
    ByteBuffer pixels;                     // the decoded picture, empty until decoded

    // True with the picture in pixels. Any refusal or libpng error gives
    // false and leaves pixels empty.
    bool decodePng(const ByteBuffer& source);
};

// Decodes resource id (type "PNG") into image. On false image is untouched.
bool loadImage(std::uint16_t id, RgbaImage& image);
