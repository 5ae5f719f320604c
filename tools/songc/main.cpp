// songc input.song output.it
#include "song_compiler.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: songc input.song output.it\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::cerr << argv[1] << ": cannot read\n";
        return 1;
    }
    std::stringstream text;
    text << in.rdbuf();
    const songc::CompileResult result = songc::compileSong(text.str(), argv[1]);
    if (!result.error.empty()) {
        std::cerr << result.error << "\n";
        return 1;
    }
    // Written beside the target and renamed, so a failed write never leaves
    // a half module where a good one is expected.
    const std::string temp = std::string(argv[2]) + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(result.module.data()), static_cast<std::streamsize>(result.module.size()));
        if (!out.flush()) {
            std::cerr << argv[2] << ": cannot write\n";
            std::remove(temp.c_str());
            return 1;
        }
    }
    if (std::rename(temp.c_str(), argv[2]) != 0) {
        std::cerr << argv[2] << ": cannot write\n";
        std::remove(temp.c_str());
        return 1;
    }
    return 0;
}
