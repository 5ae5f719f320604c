// libFuzzer target for the song compiler's parser: any text must come back
// either as a module or as an error in the "file:line:column: expected ..."
// form, never both and never neither, and a module must at least carry the
// Impulse Tracker signature.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "song_compiler.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    songc::CompileResult result = songc::compileSong(text, "fuzz.song");
    if (result.error.empty()) {
        if (result.module.size() < 4 || std::memcmp(result.module.data(), "IMPM", 4) != 0) std::abort();
    } else {
        if (!result.module.empty()) std::abort();
        if (result.error.rfind("fuzz.song:", 0) != 0) std::abort();
    }
    return 0;
}
