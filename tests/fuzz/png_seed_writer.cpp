// Writes fuzz_png's seed corpus: the five pictures and small PNG fixtures of
// every kind the decoder accepts or refuses.
//
//   png_seed_writer <seed folder> <pictures folder>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "tests/png/png_fixtures.h"

namespace {

fixtures::PngShape shape(int colourType, int bitDepth = 8, bool interlaced = false, std::size_t idatSize = 8192) {
    fixtures::PngShape result;
    result.colourType = colourType;
    result.bitDepth = bitDepth;
    result.interlaced = interlaced;
    result.idatSize = idatSize;
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: png_seed_writer <seed folder> <pictures folder>\n");
        return 2;
    }
    namespace fs = std::filesystem;
    const fs::path seeds = argv[1];
    fs::create_directories(seeds);
    for (const char* name : {"disc.png", "play.png", "next.png", "pause.png", "background.png"}) {
        fs::copy_file(fs::path(argv[2]) / name, seeds / name, fs::copy_options::overwrite_existing);
    }
    const ByteBuffer rgba = fixtures::makePng(shape(6));
    const std::vector<std::pair<std::string, ByteBuffer>> fixtureFiles = {
        {"rgba.png", rgba},
        {"rgba_many_idat.png", fixtures::makePng(shape(6, 8, false, 16))},
        {"grey.png", fixtures::makePng(shape(0))},
        {"palette.png", fixtures::makePng(shape(3))},
        {"grey_alpha.png", fixtures::makePng(shape(4))},
        {"rgb.png", fixtures::makePng(shape(2))},
        {"rgba16.png", fixtures::makePng(shape(6, 16))},
        {"rgba_interlaced.png", fixtures::makePng(shape(6, 8, true))},
        {"claims_4096.png", fixtures::withClaimedSize(rgba, 4096, 4096)},
        {"text_claims_gigabytes.png",
         fixtures::withChunkAfterIhdr(rgba, "zTXt", 0x49454E44, ByteBuffer{'I', 'D', 'A', 'T'})},
        {"with_text.png", fixtures::withChunkAfterIhdr(rgba, "tEXt", 4, ByteBuffer{'a', 0, 'b', 'c'})},
    };
    for (const auto& [name, bytes] : fixtureFiles) {
        std::ofstream out(seeds / name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            std::fprintf(stderr, "png_seed_writer: cannot write %s\n", name.c_str());
            return 1;
        }
    }
    return 0;
}
