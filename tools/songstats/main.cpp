// songstats FILE.it...  prints a Markdown table of each module's figures.
#include "song_measure.h"

#include <fstream>
#include <iostream>
#include <iterator>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: songstats module.it...\n";
        return 2;
    }
    std::vector<std::string> names;
    std::vector<songstats::Figures> figures;
    for (int i = 1; i < argc; ++i) {
        std::ifstream in(argv[i], std::ios::binary);
        if (!in) {
            std::cerr << argv[i] << ": cannot read\n";
            return 1;
        }
        const std::vector<std::uint8_t> module((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::string name = argv[i];
        if (const auto slash = name.find_last_of('/'); slash != std::string::npos) name = name.substr(slash + 1);
        songstats::Figures f = songstats::measureModule(module);
        if (!f.loaded) {
            std::cerr << argv[i] << ": not a module libopenmpt can load\n";
            return 1;
        }
        for (const std::string& message : f.log) std::cerr << name << ": libopenmpt: " << message << "\n";
        names.push_back(name);
        figures.push_back(std::move(f));
    }
    std::cout << songstats::markdownTable(names, figures);
    return 0;
}
