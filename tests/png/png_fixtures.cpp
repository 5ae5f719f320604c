#include "tests/png/png_fixtures.h"

#include <png.h>
#include <zlib.h>

#include <csetjmp>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

namespace fixtures {

namespace {

void appendBytes(png_structp png, png_bytep data, png_size_t count) {
    auto* out = static_cast<ByteBuffer*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + count);
}

void noFlush(png_structp) {}

int channelsOf(int colourType) {
    switch (colourType) {
        case PNG_COLOR_TYPE_GRAY: return 1;
        case PNG_COLOR_TYPE_PALETTE: return 1;
        case PNG_COLOR_TYPE_GRAY_ALPHA: return 2;
        case PNG_COLOR_TYPE_RGB: return 3;
        default: return 4;
    }
}

ByteBuffer encode(const PngShape& shape, const ByteBuffer& samples) {
    ByteBuffer out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    const std::size_t rowBytes = samples.size() / shape.height;
    std::vector<png_bytep> rows(shape.height);
    for (std::uint32_t y = 0; y < shape.height; ++y) {
        rows[y] = const_cast<png_bytep>(samples.data() + y * rowBytes);
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw std::runtime_error("libpng could not write a fixture");
    }
    png_set_write_fn(png, &out, appendBytes, noFlush);
    png_set_compression_buffer_size(png, shape.idatSize);
    png_set_IHDR(png, info, shape.width, shape.height, shape.bitDepth, shape.colourType,
                 shape.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE,
                 PNG_FILTER_TYPE_BASE);
    png_color palette[4] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
    if (shape.colourType == PNG_COLOR_TYPE_PALETTE) {
        png_set_PLTE(png, info, palette, 4);
    }
    png_set_rows(png, info, rows.data());
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

void putBigEndian(ByteBuffer& bytes, std::size_t offset, std::uint32_t value) {
    bytes.at(offset) = static_cast<std::uint8_t>(value >> 24);
    bytes.at(offset + 1) = static_cast<std::uint8_t>(value >> 16);
    bytes.at(offset + 2) = static_cast<std::uint8_t>(value >> 8);
    bytes.at(offset + 3) = static_cast<std::uint8_t>(value);
}

}  // namespace

std::uint8_t patternByte(std::size_t k) {
    return static_cast<std::uint8_t>(k * 37 + (k >> 3) * 11 + 5);
}

ByteBuffer makePng(const PngShape& shape) {
    const std::size_t rowBytes = std::size_t{shape.width} * channelsOf(shape.colourType) * (shape.bitDepth / 8);
    ByteBuffer samples(rowBytes * shape.height);
    for (std::size_t k = 0; k < samples.size(); ++k) {
        samples[k] = shape.colourType == PNG_COLOR_TYPE_PALETTE ? patternByte(k) % 4 : patternByte(k);
    }
    return encode(shape, samples);
}

ByteBuffer makeRgbaPng(std::uint32_t width, std::uint32_t height, const ByteBuffer& rgba) {
    PngShape shape;
    shape.width = width;
    shape.height = height;
    return encode(shape, rgba);
}

std::size_t findChunk(const ByteBuffer& png, const char* type) {
    std::size_t offset = 8;
    while (offset + 8 <= png.size()) {
        const std::uint32_t length = std::uint32_t{png[offset]} << 24 | std::uint32_t{png[offset + 1]} << 16 |
                                     std::uint32_t{png[offset + 2]} << 8 | png[offset + 3];
        if (std::memcmp(&png[offset + 4], type, 4) == 0) {
            return offset;
        }
        offset += 12 + std::size_t{length};
    }
    return std::string::npos;
}

ByteBuffer withClaimedSize(ByteBuffer png, std::uint32_t width, std::uint32_t height) {
    const std::size_t ihdr = findChunk(png, "IHDR");
    putBigEndian(png, ihdr + 8, width);
    putBigEndian(png, ihdr + 12, height);
    // The CRC covers the type and the 13 data bytes.
    const uLong crc = crc32(crc32(0, nullptr, 0), &png.at(ihdr + 4), 17);
    putBigEndian(png, ihdr + 21, static_cast<std::uint32_t>(crc));
    return png;
}

ByteBuffer withChunkAfterIhdr(ByteBuffer png, const char* type, std::uint32_t claimedLength, const ByteBuffer& data) {
    ByteBuffer chunk(8);
    putBigEndian(chunk, 0, claimedLength);
    std::memcpy(&chunk[4], type, 4);
    chunk.insert(chunk.end(), data.begin(), data.end());
    const uLong crc = crc32(crc32(0, nullptr, 0), &chunk[4], static_cast<uInt>(4 + data.size()));
    chunk.resize(chunk.size() + 4);
    putBigEndian(chunk, chunk.size() - 4, static_cast<std::uint32_t>(crc));
    const std::size_t afterIhdr = findChunk(png, "IHDR") + 12 + 13;
    png.insert(png.begin() + static_cast<std::ptrdiff_t>(afterIhdr), chunk.begin(), chunk.end());
    return png;
}

ByteBuffer withFlippedByte(ByteBuffer png, std::size_t offset) {
    png.at(offset) ^= 0xFF;
    return png;
}

ByteBuffer truncated(ByteBuffer png, std::size_t size) {
    png.resize(size);
    return png;
}

ByteBuffer readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot open " + path);
    }
    return ByteBuffer(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace fixtures
