#include "assets/png_decoder.h"

#include <png.h>

#include <csetjmp>
#include <cstddef>
#include <cstring>
#include <limits>
#include <utility>

#include "assets/track_table.h"

namespace {

constexpr std::size_t signatureSize = 8;
constexpr std::size_t bytesPerPixel = 4;

// The pictures are far smaller; the limit keeps a damaged or hostile IHDR from
// asking for gigabytes (4096 x 4096 x 4 bytes is 64 MiB at most).
constexpr png_uint_32 largestSide = 4096;

// libpng's read callback: hands out the next count bytes of the source.
// A request past the end is an error, as libpng's own file reader treats a
// short read; silently returning would let libpng go on with stale bytes.
void readPngBytes(png_structp png, png_bytep destination, png_size_t count) {
    auto* decoder = static_cast<PngDecoder*>(png_get_io_ptr(png));
    if (decoder == nullptr || count > decoder->remaining) {
        png_error(png, "read past the end of the PNG data");
    }
    std::memcpy(destination, decoder->cursor, count);
    decoder->cursor += count;
    decoder->remaining -= static_cast<std::uint32_t>(count);
}

// libpng's default handlers print to stderr and, for errors, jump to a
// recovery point or abort the process. The program logs nothing and must
// never abort on a bad picture: errors go back to readImage's recovery point,
// warnings are dropped.
[[noreturn]] void raiseError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

void ignoreWarning(png_structp, png_const_charp) {}

// Everything that can raise a libpng error happens here, below the recovery
// point. This frame owns no object with a destructor, so jumping back into it
// skips none, and nothing it changes after setjmp is read after the jump.
bool readImage(png_structp png, png_infop info, PngDecoder& decoder) {
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    png_set_read_fn(png, &decoder, readPngBytes);
    png_set_sig_bytes(png, static_cast<int>(signatureSize));
    png_set_user_limits(png, largestSide, largestSide);
    // Ancillary chunks (resolution, chromaticities, profiles, text) do not
    // change the samples, so libpng is told to step over them unparsed. Its
    // handlers for them allocate the chunk's whole claimed length before
    // reading a byte of it, with no bound in the libpng 1.6 we build on, so
    // one damaged length field would cost a gigabyte. Skipped chunks are read
    // in small pieces, and a length beyond the data fails in readPngBytes.
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
    png_read_info(png, info);

    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bitDepth = 0;
    int colourType = 0;
    int interlace = 0;
    png_get_IHDR(png, info, &width, &height, &bitDepth, &colourType, &interlace, nullptr, nullptr);
    // The pixels are handed to OpenGL exactly as stored, 4 bytes a pixel; any
    // other layout would need a conversion the program does not make.
    if (colourType != PNG_COLOR_TYPE_RGB_ALPHA || bitDepth != 8 || interlace != PNG_INTERLACE_NONE) {
        return false;
    }
    // libpng holds both sides to largestSide; the product is checked all the
    // same, since it sizes the buffer every row is written into.
    const std::size_t rowSize = std::size_t{width} * bytesPerPixel;
    const std::size_t largestImage = std::size_t{largestSide} * largestSide * bytesPerPixel;
    if (height == 0 || png_get_rowbytes(png, info) != rowSize ||
        rowSize > std::numeric_limits<std::size_t>::max() / height || rowSize * height > largestImage) {
        return false;
    }
    decoder.pixels.resize(rowSize * height);
    // Rows go straight into place: each is exactly rowSize bytes, checked above.
    for (png_uint_32 row = 0; row < height; ++row) {
        png_read_row(png, decoder.pixels.data() + std::size_t{row} * rowSize, nullptr);
    }
    // What follows the image data is never looked at.
    return true;
}

}  // namespace

bool PngDecoder::decodePng(const ByteBuffer& source) {
    pixels = ByteBuffer();
    if (source.size() < signatureSize || source.size() > std::numeric_limits<std::uint32_t>::max()) {
        return false;
    }
    cursor = source.data();
    remaining = static_cast<std::uint32_t>(source.size());

    png_byte signature[signatureSize];
    std::memcpy(signature, cursor, signatureSize);
    cursor += signatureSize;
    remaining -= signatureSize;
    if (png_sig_cmp(signature, 0, signatureSize) != 0) {
        return false;
    }

    // libpng 1.6 refuses to work with a caller that names an older library
    // version (it warns and returns null), so the version we were built
    // against is passed rather than a fixed string.
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, raiseError, ignoreWarning);
    if (png == nullptr) {
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return false;
    }
    const bool decoded = readImage(png, info, *this);
    png_destroy_read_struct(&png, &info, nullptr);
    if (!decoded) {
        pixels = ByteBuffer();
    }
    return decoded;
}

bool loadImage(std::uint16_t id, RgbaImage& image) {
    ByteBuffer bytes;
    if (!loadResource(bytes, id, "PNG")) {
        return false;
    }
    PngDecoder decoder;
    if (!decoder.decodePng(bytes)) {
        return false;
    }
    image = std::move(decoder.pixels);
    return true;
}
