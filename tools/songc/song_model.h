// The song as read from text, before it is laid out as a module file.
#pragma once

#include "song_compiler.h"

#include <array>
#include <map>
#include <string>
#include <vector>

namespace songc {

inline constexpr int noteOff = 255;
inline constexpr int noteCut = 254;

struct EnvelopeNode {
    int tick = 0;
    int value = 0;
};

struct Instrument {
    std::string name;
    std::string wave;
    int volume = 64;
    // A note-off fades a voice out over 1024 / fadeout ticks; with no held
    // envelope node this is what silences a released note.
    int fadeout = 128;
    std::vector<EnvelopeNode> envelope;
    int sustainNode = -1;
    int vibratoSpeed = 0;
    int vibratoDepth = 0;
    int vibratoSweep = 0;  // how fast the vibrato grows to full depth; higher is sooner
};

struct ChannelDef {
    bool declared = false;
    int pan = 32;
    int volume = 64;
    int instrument = 0;
    int octave = 4;
    int echoFrom = -1;
    int echoDelay = 3;
    int echoLevel = 50;
};

struct DrumDef {
    int instrument = 0;
    int note = 60;
    int volume = -1;
};

struct Phrase {
    std::string text;
    int line = 0;
    int column = 1;
};

struct Cell {
    int note = -1;  // 0..119, noteCut, noteOff, or -1 for none
    int instrument = 0;
    int volume = -1;
    int effect = 0;  // 1 = A ... 25 = Y
    int param = 0;
};

using Row = std::array<Cell, maxChannels>;

struct Pattern {
    std::string name;
    int rows = 0;
    std::vector<Row> cells;
};

struct Song {
    std::string title;
    int speed = 6;
    int tempo = 125;
    int globalVolume = 128;
    int mixVolume = 48;
    int beatRows = 4;
    int barRows = 16;
    std::vector<Instrument> instruments;
    std::array<ChannelDef, maxChannels> channels;
    std::map<char, DrumDef> drums;
    std::map<std::string, Phrase> phrases;
    std::vector<Pattern> patterns;
    std::vector<int> order;
};

// Returns an empty string on success, else "file:line:column: expected ...".
std::string parseSong(std::string_view text, const std::string& fileName, Song& song);

std::vector<std::uint8_t> writeModule(const Song& song);

}  // namespace songc
