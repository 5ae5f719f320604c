// The song compiler: what small sources must become, as libopenmpt reads
// them back, and how bad sources are refused.
#include "module_probe.h"
#include "song_compiler.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include <unistd.h>

namespace {

// Every case shares this head: two instruments, three channels, a drum map.
// Volumes in the cells are shown in hex, as trackers do: v20 is 32.
const std::string head =
    "title \"Probe\"\n"
    "speed 5\n"
    "tempo 133\n"
    "inst lead pulse25 vol=48\n"
    "inst other triangle\n"
    "inst kick kick vol=60\n"
    "channel 1 inst=lead oct=5 pan=10\n"
    "channel 2 echo=1 delay=2 level=50 pan=54\n"
    "channel 3\n"
    "drum k kick C-5\n"
    "drum h kick G-6 v20\n";

struct CellCase {
    const char* name;
    const char* body;  // patterns and order, after the shared head
    int pattern;
    int row;
    int channel;  // 0-based
    const char* expected;  // as libopenmpt formats it; volumes in hex
};

// Line count of `head`, so bodies can be quoted with their own lines.
const CellCase cellCases[] = {
    {"first note, octave and instrument", "pattern p 16\n1: c4 d#2\nend\norder p\n", 0, 0, 0, "C-5 01 .. ..."},
    {"sharp after a four-row note", "pattern p 16\n1: c4 d#2\nend\norder p\n", 0, 4, 0, "D#5 01 .. ..."},
    {"flat and octave down", "pattern p 16\n1: c2 <b-2\nend\norder p\n", 0, 2, 0, "A#4 01 .. ..."},
    {"default length set by l", "pattern p 16\n1: l3 c e\nend\norder p\n", 0, 3, 0, "E-5 01 .. ..."},
    {"dotted length", "pattern p 16\n1: c4. e\nend\norder p\n", 0, 6, 0, "E-5 01 .. ..."},
    {"rest is a note-off", "pattern p 16\n1: c2 r2\nend\norder p\n", 0, 2, 0, "=== .. .. ..."},
    {"x is a note cut", "pattern p 16\n1: c2 x2\nend\norder p\n", 0, 2, 0, "^^^ .. .. ..."},
    {"hold leaves the row empty", "pattern p 16\n1: c2 ~2 e2\nend\norder p\n", 0, 2, 0, "... .. .. ..."},
    {"effect on the first row", "pattern p 16\n1: c4{J37} e\nend\norder p\n", 0, 0, 0, "C-5 01 .. J37"},
    {"plain effect stops after its row", "pattern p 16\n1: c4{J37} e\nend\norder p\n", 0, 1, 0, "... .. .. ..."},
    {"starred effect fills the note", "pattern p 16\n1: c4{H44*} e\nend\norder p\n", 0, 3, 0, "... .. .. H44"},
    {"portamento", "pattern p 16\n1: c4 g4{G20}\nend\norder p\n", 0, 4, 0, "G-5 01 .. G20"},
    {"volume column", "pattern p 16\n1: v32 c4\nend\norder p\n", 0, 0, 0, "C-5 01v20 ..."},
    {"instrument switch", "pattern p 16\n1: c4 @other e4\nend\norder p\n", 0, 4, 0, "E-5 02 .. ..."},
    {"transposed phrase", "phrase up = c2 e2\npattern p 16\n1: $up k7 $up\nend\norder p\n", 0, 6, 0,
     "B-5 01 .. ..."},
    {"repeat", "pattern p 16\n1: [c2 e2]3 g2\nend\norder p\n", 0, 12, 0, "G-5 01 .. ..."},
    {"drum grid letter", "pattern p 16\n3| k.h.\nend\norder p\n", 0, 2, 2, "G-6 03v14 ..."},
    {"drum grid dot", "pattern p 16\n3| k.h.\nend\norder p\n", 0, 1, 2, "... .. .. ..."},
    {"echo: later and at half the volume", "pattern p 16\n1: c4{H44*}\nend\norder p\n", 0, 2, 1,
     "C-5 01v18 H44"},
    {"echo carries pitch effects", "pattern p 16\n1: c4{H44*}\nend\norder p\n", 0, 5, 1, "... .. .. H44"},
    {"second pattern in order", "pattern p 16\n1: c4\nend\npattern q 16\n1: d4\nend\norder p q\n", 1, 0, 0,
     "D-5 01 .. ..."},
};

class CellTest : public testing::TestWithParam<CellCase> {};

TEST_P(CellTest, LibopenmptSeesTheCell) {
    const CellCase& c = GetParam();
    const songc::CompileResult result = songc::compileSong(head + c.body, "case.song");
    ASSERT_EQ(result.error, "") << "source body:\n" << c.body;
    ModuleProbe probe(result.module);
    ASSERT_TRUE(probe.loaded());
    EXPECT_TRUE(probe.logIsEmpty()) << probe.logText();
    EXPECT_EQ(probe.cell(c.pattern, c.row, c.channel), c.expected)
        << "source body:\n" << c.body << "pattern " << c.pattern << " row " << c.row << " channel " << c.channel;
}

INSTANTIATE_TEST_SUITE_P(Compiler, CellTest, testing::ValuesIn(cellCases),
                         [](const testing::TestParamInfo<CellCase>& info) {
                             std::string name = info.param.name;
                             for (char& ch : name)
                                 if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             return name;
                         });

std::uint32_t read32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

TEST(Compiler, HeaderOrderListAndSongSettings) {
    const songc::CompileResult result = songc::compileSong(
        head + "pattern p 16\n1: c4\nend\npattern q 32\n1: d4\nend\norder q p q\n", "case.song");
    ASSERT_EQ(result.error, "");
    const std::vector<std::uint8_t>& b = result.module;
    ASSERT_GT(b.size(), 0xC0u);
    EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "IMPM");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[4])), "Probe");
    const int orders = b[0x20] | b[0x21] << 8;
    ASSERT_EQ(orders, 4) << "three entries and the end marker";
    EXPECT_EQ(b[0xC0], 1);
    EXPECT_EQ(b[0xC1], 0);
    EXPECT_EQ(b[0xC2], 1);
    EXPECT_EQ(b[0xC3], 255);
    EXPECT_EQ(b[0x40], 10) << "channel 1 pan";
    EXPECT_EQ(b[0x43], 32 | 128) << "an undeclared channel is switched off";

    ModuleProbe probe(b);
    ASSERT_TRUE(probe.loaded());
    EXPECT_TRUE(probe.logIsEmpty()) << probe.logText();
    EXPECT_EQ(probe.metadata("title"), "Probe");
    EXPECT_EQ(openmpt_module_get_num_orders(probe.get()), 3);
    EXPECT_EQ(openmpt_module_get_order_pattern(probe.get(), 0), 1);
    EXPECT_EQ(openmpt_module_get_pattern_num_rows(probe.get(), 1), 32);
    EXPECT_EQ(openmpt_module_get_num_instruments(probe.get()), 3);
    EXPECT_EQ(openmpt_module_get_num_samples(probe.get()), 3);
    EXPECT_EQ(openmpt_module_get_current_speed(probe.get()), 5);
    EXPECT_EQ(openmpt_module_get_current_tempo(probe.get()), 133);
    // 80 rows at 5 ticks of 2.5/133 s: the song stops after its last order.
    EXPECT_NEAR(openmpt_module_get_duration_seconds(probe.get()), 80 * 5 * 2.5 / 133, 0.01);
}

TEST(Compiler, SamplesCarryTheChosenWaveform) {
    const songc::CompileResult result =
        songc::compileSong(head + "pattern p 16\n1: c4\nend\norder p\n", "case.song");
    ASSERT_EQ(result.error, "");
    const std::vector<std::uint8_t>& b = result.module;
    const int orders = b[0x20] | b[0x21] << 8;
    const int instruments = b[0x22] | b[0x23] << 8;
    const std::size_t firstSample = read32(b, 0xC0 + orders + 4 * instruments);
    ASSERT_EQ(std::string(b.begin() + firstSample, b.begin() + firstSample + 4), "IMPS");
    const std::uint32_t length = read32(b, firstSample + 0x30);
    const std::uint32_t data = read32(b, firstSample + 0x48);
    EXPECT_EQ(b[firstSample + 0x12] & 0x10, 0x10) << "the pulse cycle loops";
    EXPECT_EQ(read32(b, firstSample + 0x38), length) << "loop covers the whole cycle";
    ASSERT_LE(data + length, b.size());
    int high = 0;
    for (std::uint32_t i = 0; i < length; ++i) high += static_cast<std::int8_t>(b[data + i]) > 0;
    EXPECT_EQ(high * 4, static_cast<int>(length)) << "a 25% pulse is high a quarter of the cycle";
}

TEST(Waveforms, ShapesAndLoops) {
    struct Expect {
        const char* name;
        bool looped;
        int highPercent;  // share of positive samples, -1 to skip
    };
    const Expect cases[] = {{"pulse12", true, 12}, {"pulse25", true, 25}, {"pulse50", true, 50},
                            {"triangle", true, 50}, {"saw", true, 50},     {"noise", true, -1},
                            {"kick", false, -1},    {"snare", false, -1},  {"hat", false, -1},
                            {"openhat", false, -1}};
    for (const Expect& e : cases) {
        songc::Waveform w;
        ASSERT_TRUE(songc::makeWaveform(e.name, w)) << e.name;
        EXPECT_EQ(w.looped, e.looped) << e.name;
        ASSERT_FALSE(w.data.empty()) << e.name;
        int high = 0, peak = 0;
        for (std::int8_t s : w.data) {
            high += s > 0;
            peak = std::max(peak, std::abs(static_cast<int>(s)));
        }
        EXPECT_GT(peak, 40) << e.name << " is audible";
        if (e.highPercent >= 0) {
            EXPECT_NEAR(high * 100.0 / w.data.size(), e.highPercent, 1.0) << e.name;
        }
        songc::Waveform again;
        songc::makeWaveform(e.name, again);
        EXPECT_EQ(w.data, again.data) << e.name << " is built the same every time";
    }
    songc::Waveform none;
    EXPECT_FALSE(songc::makeWaveform("sine", none));
}

struct ErrorCase {
    const char* name;
    const char* body;
    const char* expected;  // the whole first line of the message
};

// `head` has 11 lines, so the body starts on line 12.
const ErrorCase errorCases[] = {
    {"unknown note", "pattern p 16\n1: c4 h4\nend\norder p\n",
     "bad.song:13:7: expected a note (a to g), r, x, ~, o, <, >, l, v, k, @, $, [ or ]"},
    {"bad effect letter", "pattern p 16\n1: c4{Z12}\nend\norder p\n",
     "bad.song:13:6: expected an effect: a letter A to Y and two hex digits in braces, as {J37}"},
    {"bad effect digits", "pattern p 16\n1: c4{J3}\nend\norder p\n",
     "bad.song:13:6: expected an effect: a letter A to Y and two hex digits in braces, as {J37}"},
    {"channel over the limit", "channel 9\npattern p 16\nend\norder p\n",
     "bad.song:12:9: expected a channel number from 1 to 8"},
    {"pattern too long", "pattern p 8\n1: c4 d4 e4\nend\norder p\n",
     "bad.song:13:10: expected at most 8 rows in pattern 'p', channel 1 runs past its end"},
    {"pattern too long through a grid", "pattern p 4\n3| k.h.k\nend\norder p\n",
     "bad.song:13:8: expected at most 4 rows in pattern 'p', channel 3 runs past its end"},
    {"undeclared channel", "pattern p 16\n4: c4\nend\norder p\n",
     "bad.song:13:1: expected a channel declared with 'channel'"},
    {"unknown instrument", "pattern p 16\n1: @flute c4\nend\norder p\n",
     "bad.song:13:5: expected an instrument defined with 'inst'"},
    {"unknown waveform", "inst bell sine\npattern p 16\nend\norder p\n",
     "bad.song:12:11: expected a waveform: pulse12, pulse25, pulse50, triangle, saw, noise, kick, snare, hat or "
     "openhat"},
    {"unknown pattern in order", "pattern p 16\nend\norder p q\n",
     "bad.song:14:9: expected the name of a pattern defined above"},
    {"unclosed repeat", "pattern p 16\n1: [c2 e2\nend\norder p\n", "bad.song:13:10: expected ']' closing the repeat"},
    {"statement inside an open pattern", "pattern p 16\n1: c4\norder p\n",
     "bad.song:14:1: expected a channel line such as '1: c4' or '3| k.h.', or 'end' closing pattern 'p'"},
    {"pattern left open", "pattern p 16\n1: c4\n", "bad.song:14:1: expected 'end' to close pattern 'p'"},
    {"no order", "pattern p 16\nend\n", "bad.song:14:1: expected an 'order' line naming the patterns to play"},
    {"repeats that never end", "pattern p 16\n1: [[[[[o5]64]64]64]64]64\nend\norder p\n",
     "bad.song:13:11: expected fewer nested repeats (the pattern expands too far)"},
    {"note out of range", "pattern p 16\n1: o9 b2 k5 b2\nend\norder p\n",
     "bad.song:13:13: expected a note between C-0 and B-9"},
};

class ErrorTest : public testing::TestWithParam<ErrorCase> {};

TEST_P(ErrorTest, CompilerNamesThePlace) {
    const ErrorCase& c = GetParam();
    const songc::CompileResult result = songc::compileSong(head + c.body, "bad.song");
    EXPECT_EQ(result.error, c.expected) << "source body:\n" << c.body;
    EXPECT_TRUE(result.module.empty());
}

// The program itself: an error on stderr, a failing exit, and no file left.
TEST_P(ErrorTest, SongcWritesNoOutput) {
    const ErrorCase& c = GetParam();
    const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                      ("songc_error_" + std::to_string(::getpid()) + "_" +
                                       testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::filesystem::path source = dir / "bad.song";
    std::ofstream(source) << head << c.body;
    const std::filesystem::path output = dir / "out.it";
    const std::filesystem::path err = dir / "err.txt";
    const std::string command = std::string("cd '") + dir.string() + "' && '" SONGC_PATH "' bad.song out.it 2> err.txt";
    const int status = std::system(command.c_str());
    EXPECT_NE(status, 0);
    EXPECT_FALSE(std::filesystem::exists(output));
    EXPECT_FALSE(std::filesystem::exists(dir / "out.it.tmp"));
    std::ifstream errIn(err);
    std::string firstLine;
    std::getline(errIn, firstLine);
    EXPECT_EQ(firstLine, c.expected);
    std::filesystem::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(Compiler, ErrorTest, testing::ValuesIn(errorCases),
                         [](const testing::TestParamInfo<ErrorCase>& info) {
                             std::string name = info.param.name;
                             for (char& ch : name)
                                 if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             return name;
                         });

}  // namespace
