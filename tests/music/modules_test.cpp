// The nine committed songs: each must be what its source compiles to, load
// cleanly, and measure as the player needs (length, gaps, loudness,
// headroom, stereo, size).
#include "module_probe.h"
#include "song_measure.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include <unistd.h>

namespace {

struct Track {
    const char* stem;
    const char* title;
};

const Track tracks[] = {
    {"glass_orbit", "Glass Orbit"},   {"mr_quillop", "Mr Quillop"},         {"tin_lantern", "Tin Lantern"},
    {"circuit_storm", "Circuit Storm"}, {"odd_notion", "Odd Notion"},     {"build_and_break", "Build & Break"},
    {"nebular", "Nebular"},           {"grey_tune", "Grey Tune"},           {"bright_tune", "Bright Tune"},
};

std::filesystem::path songPath(const std::string& stem, const char* extension) {
    return std::filesystem::path(MUSIC_SONGS_DIR) / (stem + extension);
}

std::vector<std::uint8_t> readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Rendering all nine takes a few seconds, so it is done once for the suite.
class TrackTest : public testing::TestWithParam<Track> {
protected:
    static void SetUpTestSuite() {
        for (const Track& t : tracks) figures_[t.stem] = songstats::measureModule(readFile(songPath(t.stem, ".it")));
    }
    static const songstats::Figures& figures(const char* stem) { return figures_.at(stem); }
    static double medianLoudness() {
        std::vector<double> all;
        for (const auto& [stem, f] : figures_) all.push_back(f.integratedLufs);
        return songstats::median(all);
    }
    static std::map<std::string, songstats::Figures> figures_;
};

std::map<std::string, songstats::Figures> TrackTest::figures_;

TEST_P(TrackTest, LoadsCleanlyWithItsTitle) {
    const auto bytes = readFile(songPath(GetParam().stem, ".it"));
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "IMPM");
    const songstats::Figures& f = figures(GetParam().stem);
    ASSERT_TRUE(f.loaded);
    std::string log;
    for (const std::string& line : f.log) log += line + "\n";
    EXPECT_TRUE(f.log.empty()) << log;
    EXPECT_EQ(f.title, GetParam().title);
}

TEST_P(TrackTest, PlaysToAnEndByItself) {
    const songstats::Figures& f = figures(GetParam().stem);
    EXPECT_GE(f.renderedSeconds, 60.0);
    EXPECT_LE(f.renderedSeconds, 150.0);
    // Rendering stops where libopenmpt predicts: no jump back into the song.
    // The renderer runs on for at most about a row past the predicted end
    // (it notices the end marker only when it fetches the next row); a jump
    // back would add at least a whole pattern, several seconds.
    EXPECT_GE(f.renderedSeconds, f.reportedSeconds - 0.01);
    EXPECT_LE(f.renderedSeconds, f.reportedSeconds + 0.25);
}

TEST_P(TrackTest, NeverSilentForLong) {
    EXPECT_LE(figures(GetParam().stem).longestSilenceSeconds, 2.0);
}

TEST_P(TrackTest, LoudnessMatchesTheOthers) {
    const songstats::Figures& f = figures(GetParam().stem);
    EXPECT_NEAR(f.integratedLufs, medianLoudness(), 2.0);
}

TEST_P(TrackTest, NoClippingAtTheLoudestSetting) {
    EXPECT_LT(figures(GetParam().stem).peakAtMaxGain, 1.0);
}

TEST_P(TrackTest, BothSidesSoundAndDiffer) {
    const songstats::Figures& f = figures(GetParam().stem);
    EXPECT_GT(f.leftRmsDbfs, -40.0);
    EXPECT_GT(f.rightRmsDbfs, -40.0);
    EXPECT_GT(f.sideToMidDb, -30.0) << "left and right are nearly the same";
}

TEST_P(TrackTest, SmallEnough) {
    EXPECT_LT(figures(GetParam().stem).sizeBytes, 64u * 1024u);
}

// The committed module is exactly what songc makes of the committed source.
TEST_P(TrackTest, ReproducedByteForByteFromSource) {
    const std::string stem = GetParam().stem;
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("songc_repro_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::filesystem::path out = dir / (stem + ".it");
    const std::string command =
        std::string("'" SONGC_PATH "' '") + songPath(stem, ".song").string() + "' '" + out.string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const auto rebuilt = readFile(out);
    const auto committed = readFile(songPath(stem, ".it"));
    EXPECT_EQ(rebuilt.size(), committed.size());
    EXPECT_TRUE(rebuilt == committed) << stem << ".it differs from what songc makes of " << stem << ".song";
    std::filesystem::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(Songs, TrackTest, testing::ValuesIn(tracks),
                         [](const testing::TestParamInfo<Track>& info) { return std::string(info.param.stem); });

TEST(Songs, AllNineTogetherFitTheBudget) {
    std::uintmax_t total = 0;
    for (const Track& t : tracks) total += std::filesystem::file_size(songPath(t.stem, ".it"));
    EXPECT_LT(total, 300u * 1024u);
}

}  // namespace
