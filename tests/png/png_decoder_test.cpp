// The PNG decoder: the five pictures the player carries, pixels exactly as
// stored, and a table of inputs that must be refused without a crash, a
// message or a change to the caller's image.

#include <gtest/gtest.h>
#include <png.h>
#include <sys/resource.h>

#include <cstdio>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "assets/png_decoder.h"
#include "assets/track_table.h"
#include "platform/fake/fake_platform.h"
#include "tests/png/png_fixtures.h"

namespace {

// An independent reading of a file with libpng's high-level reader and no
// transformation, to compare the decoder against.
struct Reference {
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bitDepth = 0;
    int colourType = 0;
    int interlace = 0;
    ByteBuffer rows;  // all rows, top first, as stored
};

// Keeps the recovery point in a frame of its own, apart from the file it reads.
bool readInto(std::FILE* file, Reference& ref) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_init_io(png, file);
    png_read_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_get_IHDR(png, info, &ref.width, &ref.height, &ref.bitDepth, &ref.colourType, &ref.interlace, nullptr,
                 nullptr);
    const png_bytepp rows = png_get_rows(png, info);
    const std::size_t rowBytes = png_get_rowbytes(png, info);
    for (png_uint_32 y = 0; y < ref.height; ++y) {
        ref.rows.insert(ref.rows.end(), rows[y], rows[y] + rowBytes);
    }
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

Reference readReference(const std::string& path) {
    Reference ref;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        ADD_FAILURE() << "cannot open " << path;
        return ref;
    }
    if (!readInto(file, ref)) {
        ADD_FAILURE() << "libpng could not read " << path;
        ref = Reference{};
    }
    std::fclose(file);
    return ref;
}

ByteBuffer pixelAt(const ByteBuffer& rgba, std::uint32_t width, std::uint32_t x, std::uint32_t y) {
    const auto at = rgba.begin() + (std::size_t{y} * width + x) * 4;
    return ByteBuffer(at, at + 4);
}

struct Picture {
    const char* file;
    std::uint32_t width;
    std::uint32_t height;
    bool icon;  // drawn over a disc, transparent around its shape
};

void PrintTo(const Picture& picture, std::ostream* out) {
    *out << picture.file;
}

class EmbeddedPicture : public ::testing::TestWithParam<Picture> {};

TEST_P(EmbeddedPicture, DecodesToTheStoredPixels) {
    const Picture picture = GetParam();
    const std::string path = std::string(PICTURES_DIR) + "/" + picture.file;
    const ByteBuffer bytes = fixtures::readFile(path);
    const Reference ref = readReference(path);
    ASSERT_EQ(ref.width, picture.width);
    ASSERT_EQ(ref.height, picture.height);
    ASSERT_EQ(ref.colourType, PNG_COLOR_TYPE_RGB_ALPHA);
    ASSERT_EQ(ref.bitDepth, 8);
    ASSERT_EQ(ref.interlace, PNG_INTERLACE_NONE);

    PngDecoder decoder;
    ASSERT_TRUE(decoder.decodePng(bytes));
    const std::size_t size = std::size_t{picture.width} * picture.height * 4;
    ASSERT_EQ(decoder.pixels.size(), size);  // 422400 for the background, 16384 for the others
    EXPECT_EQ(pixelAt(decoder.pixels, picture.width, 0, 0), pixelAt(ref.rows, picture.width, 0, 0))
        << "first pixel is the file's top-left";
    EXPECT_EQ(pixelAt(decoder.pixels, picture.width, picture.width - 1, picture.height - 1),
              pixelAt(ref.rows, picture.width, picture.width - 1, picture.height - 1))
        << "last pixel is the file's bottom-right";
    EXPECT_TRUE(decoder.pixels == ref.rows) << "every pixel as stored, top row first";
}

// What the drawing relies on: the background covers what lies under it, the
// icons look the same when shown upside down, and the disc is peach in the
// middle and clear in its corners.
TEST_P(EmbeddedPicture, HasTheShapeTheDrawingExpects) {
    const Picture picture = GetParam();
    const Reference ref = readReference(std::string(PICTURES_DIR) + "/" + picture.file);
    ASSERT_EQ(ref.rows.size(), std::size_t{picture.width} * picture.height * 4);
    if (std::string(picture.file) == "background.png") {
        for (std::size_t k = 3; k < ref.rows.size(); k += 4) {
            ASSERT_EQ(ref.rows[k], 255) << "pixel " << k / 4 << " is not opaque";
        }
        return;
    }
    EXPECT_EQ(pixelAt(ref.rows, 64, 0, 0)[3], 0) << "top-left corner is transparent";
    EXPECT_EQ(pixelAt(ref.rows, 64, 63, 63)[3], 0) << "bottom-right corner is transparent";
    if (picture.icon) {
        for (std::uint32_t y = 0; y < 32; ++y) {
            for (std::uint32_t x = 0; x < 64; ++x) {
                ASSERT_EQ(pixelAt(ref.rows, 64, x, y), pixelAt(ref.rows, 64, x, 63 - y))
                    << "rows " << y << " and " << 63 - y << " differ at x " << x;
            }
        }
    } else {
        EXPECT_EQ(pixelAt(ref.rows, 64, 32, 32), (ByteBuffer{255, 217, 204, 255})) << "the disc's middle";
    }
}

INSTANTIATE_TEST_SUITE_P(Pictures, EmbeddedPicture,
                         ::testing::Values(Picture{"disc.png", 64, 64, false}, Picture{"play.png", 64, 64, true},
                                           Picture{"next.png", 64, 64, true}, Picture{"pause.png", 64, 64, true},
                                           Picture{"background.png", 480, 220, false}),
                         [](const auto& info) {
                             std::string name = info.param.file;
                             return name.substr(0, name.find('.'));
                         });

TEST(PngDecoder, KeepsEverySampleAsStoredIncludingColourUnderZeroAlpha) {
    // 3 x 2, top row first; the middle of the top row is fully transparent
    // but carries a colour, which must survive.
    const ByteBuffer rgba{
        255, 0,   0,   255, 10,  20,  30,  0,   0,   0,   255, 128,  //
        1,   2,   3,   4,   200, 201, 202, 203, 0,   255, 0,   255,
    };
    PngDecoder decoder;
    ASSERT_TRUE(decoder.decodePng(fixtures::makeRgbaPng(3, 2, rgba)));
    EXPECT_EQ(decoder.pixels, rgba);
}

// Ancillary chunks, whole and valid, are stepped over without effect.
TEST(PngDecoder, IgnoresAncillaryChunks) {
    const ByteBuffer rgba{1, 2, 3, 4, 5, 6, 7, 8};
    const ByteBuffer text{'C', 'o', 'm', 'm', 'e', 'n', 't', 0, 'h', 'i'};
    PngDecoder decoder;
    ASSERT_TRUE(decoder.decodePng(fixtures::withChunkAfterIhdr(fixtures::makeRgbaPng(2, 1, rgba), "tEXt",
                                                               static_cast<std::uint32_t>(text.size()), text)));
    EXPECT_EQ(decoder.pixels, rgba);
}

long peakResidentKib() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// A damaged length field must not make libpng reserve what it claims: the
// decoder has it step over such chunks instead of buffering them.
TEST(PngDecoder, ChunkClaimingGigabytesCostsNoMemory) {
    const ByteBuffer png =
        fixtures::withChunkAfterIhdr(fixtures::makePng({}), "zTXt", 0x7FFFFFF0, ByteBuffer{'x', 0, 0});
    const long before = peakResidentKib();
    PngDecoder decoder;
    EXPECT_FALSE(decoder.decodePng(png));
    EXPECT_LT(peakResidentKib() - before, 64 * 1024) << "peak resident KiB grew from " << before;
}

// A source split over many IDAT chunks is read across all of them.
TEST(PngDecoder, ReadsImageDataSpreadOverManyChunks) {
    fixtures::PngShape shape;
    shape.width = 40;
    shape.height = 30;
    shape.idatSize = 64;
    const ByteBuffer png = fixtures::makePng(shape);
    PngDecoder decoder;
    ASSERT_TRUE(decoder.decodePng(png));
    ASSERT_EQ(decoder.pixels.size(), 40u * 30 * 4);
    for (std::size_t k = 0; k < decoder.pixels.size(); ++k) {
        ASSERT_EQ(decoder.pixels[k], fixtures::patternByte(k)) << "byte " << k;
    }
}

struct BadInput {
    const char* name;
    std::function<ByteBuffer()> make;
};

fixtures::PngShape shapeOf(int colourType, int bitDepth = 8, bool interlaced = false) {
    fixtures::PngShape shape;
    shape.colourType = colourType;
    shape.bitDepth = bitDepth;
    shape.interlaced = interlaced;
    return shape;
}

ByteBuffer goodPng() {
    return fixtures::makePng(fixtures::PngShape{});
}

std::size_t chunkAt(const char* type) {
    return fixtures::findChunk(goodPng(), type);
}

const std::vector<BadInput> badInputs = {
    {"Empty", [] { return ByteBuffer{}; }},
    {"SevenBytesOfSignature", [] { return fixtures::truncated(goodPng(), 7); }},
    {"TrackerModule", [] { return ByteBuffer{'I', 'M', 'P', 'M', 'T', 'u', 'n', 'e', 0, 0, 0, 0, 0, 0, 0, 0}; }},
    {"SignatureByteFlipped", [] { return fixtures::withFlippedByte(goodPng(), 1); }},
    {"Grey", [] { return fixtures::makePng(shapeOf(PNG_COLOR_TYPE_GRAY)); }},
    {"Palette", [] { return fixtures::makePng(shapeOf(PNG_COLOR_TYPE_PALETTE)); }},
    {"GreyAlpha", [] { return fixtures::makePng(shapeOf(PNG_COLOR_TYPE_GRAY_ALPHA)); }},
    {"Rgb", [] { return fixtures::makePng(shapeOf(PNG_COLOR_TYPE_RGB)); }},
    {"Rgba16Bit", [] { return fixtures::makePng(shapeOf(PNG_COLOR_TYPE_RGB_ALPHA, 16)); }},
    {"RgbaInterlaced", [] { return fixtures::makePng(shapeOf(PNG_COLOR_TYPE_RGB_ALPHA, 8, true)); }},
    {"IhdrDataFlipped", [] { return fixtures::withFlippedByte(goodPng(), chunkAt("IHDR") + 10); }},
    {"IdatDataFlipped", [] { return fixtures::withFlippedByte(goodPng(), chunkAt("IDAT") + 12); }},
    {"IdatCrcFlipped", [] { return fixtures::withFlippedByte(goodPng(), chunkAt("IEND") - 2); }},
    {"IdatLengthHuge", [] { return fixtures::withFlippedByte(goodPng(), chunkAt("IDAT")); }},
    {"SizeBeyondFormat", [] { return fixtures::withClaimedSize(goodPng(), 0xFFFFFFFF, 0xFFFFFFFF); }},
    {"SizeHundredThousandSquare", [] { return fixtures::withClaimedSize(goodPng(), 100000, 100000); }},
    {"WidthJustOverLimit", [] { return fixtures::withClaimedSize(goodPng(), 4097, 4); }},
    {"HeightJustOverLimit", [] { return fixtures::withClaimedSize(goodPng(), 5, 4097); }},
    {"LargestSizeWithTooLittleData", [] { return fixtures::withClaimedSize(goodPng(), 4096, 4096); }},
    // Found by fuzzing: libpng allocated and cleared the claimed 1.2 GB of a
    // text chunk before reading it, taking seconds per decode.
    {"TextChunkClaimingGigabytes",
     [] { return fixtures::withChunkAfterIhdr(goodPng(), "zTXt", 0x49454E44, ByteBuffer{'I', 'D', 'A', 'T'}); }},
    {"ProfileChunkClaimingGigabytes",
     [] { return fixtures::withChunkAfterIhdr(goodPng(), "iCCP", 0x7FFFFFFF, ByteBuffer{'s', 0, 0, 0x78}); }},
    {"ZeroWidth", [] { return fixtures::withClaimedSize(goodPng(), 0, 4); }},
};

void PrintTo(const BadInput& input, std::ostream* out) {
    *out << input.name;
}

class Refused : public ::testing::TestWithParam<BadInput> {
protected:
    void SetUp() override { fake::reset(); }
};

TEST_P(Refused, GivesFalseAndLeavesTheImageAlone) {
    const ByteBuffer bytes = GetParam().make();

    PngDecoder decoder;
    EXPECT_FALSE(decoder.decodePng(bytes));
    EXPECT_TRUE(decoder.pixels.empty()) << decoder.pixels.size() << " bytes left in pixels";

    constexpr std::uint16_t id = 300;
    fake::addResource(id, "PNG", bytes);
    const RgbaImage before{9, 8, 7, 6, 5};
    RgbaImage image = before;
    EXPECT_FALSE(loadImage(id, image));
    EXPECT_EQ(image, before);
}

INSTANTIATE_TEST_SUITE_P(BadInputs, Refused, ::testing::ValuesIn(badInputs),
                         [](const auto& info) { return std::string(info.param.name); });

// Cutting the file anywhere before the image data is complete must fail,
// wherever the cut falls: in a chunk header, in its data or in its CRC.
TEST(PngDecoder, RefusesEveryTruncationBeforeTheImageDataEnds) {
    fixtures::PngShape shape;
    shape.width = 9;
    shape.height = 7;
    shape.idatSize = 40;
    const ByteBuffer png = fixtures::makePng(shape);
    const std::size_t imageDataEnd = fixtures::findChunk(png, "IEND");
    ASSERT_NE(imageDataEnd, std::string::npos);
    for (std::size_t size = 8; size < imageDataEnd; ++size) {
        PngDecoder decoder;
        EXPECT_FALSE(decoder.decodePng(fixtures::truncated(png, size))) << "cut to " << size << " bytes";
        EXPECT_TRUE(decoder.pixels.empty()) << "cut to " << size << " bytes";
    }
    // The decoder stops after the last row and never asks for the end chunk.
    PngDecoder decoder;
    EXPECT_TRUE(decoder.decodePng(fixtures::truncated(png, imageDataEnd)));
}

class LoadImage : public ::testing::Test {
protected:
    void SetUp() override { fake::reset(); }
};

TEST_F(LoadImage, ReplacesTheImageWithTheDecodedPicture) {
    const ByteBuffer rgba{1, 2, 3, 4, 5, 6, 7, 8};
    fake::addResource(playIconId, "PNG", fixtures::makeRgbaPng(2, 1, rgba));
    RgbaImage image(100, 0xAA);
    EXPECT_TRUE(loadImage(playIconId, image));
    EXPECT_EQ(image, rgba);
}

TEST_F(LoadImage, MissingResourceOrWrongTypeLeavesTheImageAlone) {
    fake::addResource(122, "IT", fixtures::makeRgbaPng(2, 1, ByteBuffer(8, 1)));
    const RgbaImage before{1, 2, 3};
    RgbaImage image = before;
    EXPECT_FALSE(loadImage(123, image));
    EXPECT_FALSE(loadImage(122, image));
    EXPECT_EQ(image, before);
}

}  // namespace
