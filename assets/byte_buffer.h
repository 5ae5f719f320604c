// Owned byte storage shared by resources, modules and decoded pictures.
#pragma once

#include <cstdint>
#include <vector>

using ByteBuffer = std::vector<std::uint8_t>;

// width × height × 4 bytes, R G B A with straight alpha, top row first.
// The size is not stored: each user knows the picture it holds.
using RgbaImage = ByteBuffer;
