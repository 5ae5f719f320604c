// Lays a parsed song out as an Impulse Tracker 2.14 module: header, order
// list with its end marker, one instrument and one sample per song
// instrument, packed patterns, then the sample data.
#include "song_model.h"

#include <cstring>

namespace songc {
namespace {

class Bytes {
public:
    std::vector<std::uint8_t> data;

    std::size_t size() const { return data.size(); }
    void u8(int v) { data.push_back(static_cast<std::uint8_t>(v)); }
    void u16(int v) {
        u8(v & 0xFF);
        u8((v >> 8) & 0xFF);
    }
    void u32(std::uint32_t v) {
        u16(static_cast<int>(v & 0xFFFF));
        u16(static_cast<int>(v >> 16));
    }
    void text(std::string_view s, std::size_t width) {
        for (std::size_t i = 0; i < width; ++i) u8(i < s.size() ? s[i] : 0);
    }
    void zeros(std::size_t n) { data.insert(data.end(), n, 0); }
    void put32(std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) data[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
};

constexpr int trackerVersion = 0x0214;
constexpr std::size_t headerSize = 0xC0;

void writeHeader(Bytes& out, const Song& song) {
    out.text("IMPM", 4);
    out.text(song.title, 26);
    out.u8(song.beatRows);
    out.u8(song.barRows);
    out.u16(static_cast<int>(song.order.size()) + 1);
    out.u16(static_cast<int>(song.instruments.size()));
    out.u16(static_cast<int>(song.instruments.size()));
    out.u16(static_cast<int>(song.patterns.size()));
    out.u16(trackerVersion);
    out.u16(trackerVersion);
    // Stereo, instruments, linear slides.
    out.u16(0x01 | 0x04 | 0x08);
    out.u16(0);  // no message, no edit history
    out.u8(song.globalVolume);
    out.u8(song.mixVolume);
    out.u8(song.speed);
    out.u8(song.tempo);
    out.u8(128);  // full stereo separation
    out.u8(0);
    out.u16(0);
    out.u32(0);
    out.u32(0);
    for (int ch = 0; ch < 64; ++ch) {
        const bool used = ch < maxChannels && song.channels[ch].declared;
        // Unused channels are switched off (bit 7) so they cost nothing.
        out.u8(used ? song.channels[ch].pan : 32 | 128);
    }
    for (int ch = 0; ch < 64; ++ch) out.u8(ch < maxChannels ? song.channels[ch].volume : 64);
}

void writeEnvelope(Bytes& out, const Instrument* inst) {
    const std::size_t start = out.size();
    if (inst && !inst->envelope.empty()) {
        const int nodes = static_cast<int>(inst->envelope.size());
        const bool sustain = inst->sustainNode >= 0;
        out.u8(0x01 | (sustain ? 0x04 : 0));
        out.u8(nodes);
        out.u8(0);
        out.u8(0);
        out.u8(sustain ? inst->sustainNode : 0);
        out.u8(sustain ? inst->sustainNode : 0);
        for (const EnvelopeNode& n : inst->envelope) {
            out.u8(n.value);
            out.u16(n.tick);
        }
    } else {
        // Two flat nodes, switched off: what a fresh instrument holds.
        out.u8(0);
        out.u8(2);
        out.zeros(4);
        out.u8(inst ? 64 : 32);
        out.u16(0);
        out.u8(inst ? 64 : 32);
        out.u16(100);
    }
    out.zeros(start + 82 - out.size());
}

void writeInstrument(Bytes& out, const Instrument& inst, int sampleNumber) {
    out.text("IMPI", 4);
    out.text(inst.name, 12);
    out.u8(0);
    out.u8(0);  // new note cuts the old: one voice per channel, as on a chip
    out.u8(0);
    out.u8(0);
    out.u16(inst.fadeout);
    out.u8(0);
    out.u8(60);
    out.u8(128);
    out.u8(32 | 128);  // default pan unused: channels place the voices
    out.u8(0);
    out.u8(0);
    out.u16(trackerVersion);
    out.u8(1);
    out.u8(0);
    out.text(inst.name, 26);
    out.u8(0);
    out.u8(0);
    out.u8(0);
    out.u8(255);
    out.u16(0xFFFF);
    for (int note = 0; note < 120; ++note) {
        out.u8(note);
        out.u8(sampleNumber);
    }
    writeEnvelope(out, &inst);
    writeEnvelope(out, nullptr);  // panning
    writeEnvelope(out, nullptr);  // pitch
    out.zeros(4);
}

void writeSampleHeader(Bytes& out, const Instrument& inst, const Waveform& w, std::uint32_t dataOffset) {
    out.text("IMPS", 4);
    out.text(inst.wave, 12);
    out.u8(0);
    out.u8(64);
    out.u8(0x01 | (w.looped ? 0x10 : 0));
    out.u8(inst.volume);
    out.text(inst.name, 26);
    out.u8(0x01);  // signed samples
    out.u8(32);
    out.u32(static_cast<std::uint32_t>(w.data.size()));
    out.u32(0);
    out.u32(w.looped ? static_cast<std::uint32_t>(w.data.size()) : 0);
    out.u32(w.c5Speed);
    out.u32(0);
    out.u32(0);
    out.u32(dataOffset);
    out.u8(inst.vibratoSpeed);
    out.u8(inst.vibratoDepth);
    out.u8(inst.vibratoSweep);
    out.u8(0);
}

void writePattern(Bytes& out, const Pattern& p) {
    Bytes packed;
    for (const Row& row : p.cells) {
        for (int ch = 0; ch < maxChannels; ++ch) {
            const Cell& c = row[ch];
            int mask = 0;
            if (c.note >= 0) mask |= 1;
            if (c.instrument > 0) mask |= 2;
            if (c.volume >= 0) mask |= 4;
            if (c.effect > 0) mask |= 8;
            if (!mask) continue;
            packed.u8((ch + 1) | 0x80);
            packed.u8(mask);
            if (mask & 1) packed.u8(c.note);
            if (mask & 2) packed.u8(c.instrument);
            if (mask & 4) packed.u8(c.volume);
            if (mask & 8) {
                packed.u8(c.effect);
                packed.u8(c.param);
            }
        }
        packed.u8(0);
    }
    out.u16(static_cast<int>(packed.size()));
    out.u16(p.rows);
    out.zeros(4);
    out.data.insert(out.data.end(), packed.data.begin(), packed.data.end());
}

}  // namespace

std::vector<std::uint8_t> writeModule(const Song& song) {
    Bytes out;
    writeHeader(out, song);
    for (int index : song.order) out.u8(index);
    out.u8(255);

    const std::size_t instrumentCount = song.instruments.size();
    const std::size_t tableAt = out.size();
    out.zeros(4 * (2 * instrumentCount + song.patterns.size()));

    std::vector<Waveform> waves(instrumentCount);
    for (std::size_t i = 0; i < instrumentCount; ++i) makeWaveform(song.instruments[i].wave, waves[i]);

    for (std::size_t i = 0; i < instrumentCount; ++i) {
        out.put32(tableAt + 4 * i, static_cast<std::uint32_t>(out.size()));
        writeInstrument(out, song.instruments[i], static_cast<int>(i) + 1);
    }
    std::vector<std::size_t> sampleHeaders;
    for (std::size_t i = 0; i < instrumentCount; ++i) {
        out.put32(tableAt + 4 * (instrumentCount + i), static_cast<std::uint32_t>(out.size()));
        sampleHeaders.push_back(out.size());
        writeSampleHeader(out, song.instruments[i], waves[i], 0);
    }
    for (std::size_t i = 0; i < song.patterns.size(); ++i) {
        out.put32(tableAt + 4 * (2 * instrumentCount + i), static_cast<std::uint32_t>(out.size()));
        writePattern(out, song.patterns[i]);
    }
    for (std::size_t i = 0; i < instrumentCount; ++i) {
        out.put32(sampleHeaders[i] + 0x48, static_cast<std::uint32_t>(out.size()));
        for (std::int8_t s : waves[i].data) out.u8(static_cast<std::uint8_t>(s));
    }
    return out.data;
}

CompileResult compileSong(std::string_view text, const std::string& fileName) {
    CompileResult result;
    Song song;
    result.error = parseSong(text, fileName, song);
    if (result.error.empty()) result.module = writeModule(song);
    return result;
}

}  // namespace songc
