// Reads song text into patterns of tracker cells. Every error names the file,
// line and column where the reader stopped and what it expected there.
#include "song_model.h"

#include <cctype>
#include <charconv>
#include <map>

namespace songc {
namespace {

struct ParseError {
    int line;
    int column;
    std::string message;
};

// A view on one line (or one phrase) of source that remembers where it sits
// in the file, so errors inside phrases point at the phrase's own text.
struct Cursor {
    std::string_view text;
    std::size_t pos = 0;
    int line = 0;
    int firstColumn = 1;

    bool atEnd() const { return pos >= text.size(); }
    char peek() const { return atEnd() ? '\0' : text[pos]; }
    int column() const { return firstColumn + static_cast<int>(pos); }
    void skipSpace() {
        while (!atEnd() && std::isspace(static_cast<unsigned char>(text[pos]))) ++pos;
    }
    [[noreturn]] void fail(const std::string& message) const { throw ParseError{line, column(), message}; }
    [[noreturn]] void failAt(std::size_t at, const std::string& message) const {
        throw ParseError{line, firstColumn + static_cast<int>(at), message};
    }
    bool readNumber(int& out) {
        std::size_t start = pos;
        while (!atEnd() && std::isdigit(static_cast<unsigned char>(text[pos]))) ++pos;
        if (start == pos || pos - start > 6) {
            pos = start;
            return false;
        }
        std::from_chars(text.data() + start, text.data() + pos, out);
        return true;
    }
    std::string_view readWord() {
        std::size_t start = pos;
        while (!atEnd() && !std::isspace(static_cast<unsigned char>(text[pos]))) ++pos;
        return text.substr(start, pos - start);
    }
    std::string_view readName() {
        std::size_t start = pos;
        while (!atEnd() && (std::isalnum(static_cast<unsigned char>(text[pos])) || text[pos] == '_' || text[pos] == '\''))
            ++pos;
        return text.substr(start, pos - start);
    }
};

int effectNumber(char letter) { return letter - 'A' + 1; }

// Effects that shape a voice's own pitch or loudness and therefore belong in
// its echo too; song-wide ones (speed, tempo, jumps, global volume) do not.
bool echoesEffect(int fx) {
    for (char c : std::string_view("DEFGHJKU"))
        if (fx == effectNumber(c)) return true;
    return false;
}

struct ChannelState {
    int row = 0;
    int octave = 4;
    int length = 4;
    int instrument = 0;  // 1-based, 0 = none chosen yet
    int volume = -1;
    int transpose = 0;
};

class Parser {
public:
    Parser(std::string_view text, Song& song) : text_(text), song_(song) {}

    void run() {
        std::size_t start = 0;
        int lineNumber = 0;
        while (start <= text_.size()) {
            std::size_t end = text_.find('\n', start);
            if (end == std::string_view::npos) end = text_.size();
            ++lineNumber;
            Cursor c{stripComment(text_.substr(start, end - start)), 0, lineNumber, 1};
            if (!c.text.empty() && c.text.back() == '\r') c.text.remove_suffix(1);
            statement(c);
            start = end + 1;
        }
        if (current_) throw ParseError{lineNumber, 1, "expected 'end' to close pattern '" + current_->name + "'"};
        if (song_.order.empty()) throw ParseError{lineNumber, 1, "expected an 'order' line naming the patterns to play"};
        if (song_.title.empty()) throw ParseError{1, 1, "expected a 'title' line"};
    }

private:
    static std::string_view stripComment(std::string_view line) {
        bool quoted = false;
        for (std::size_t i = 0; i < line.size(); ++i) {
            if (line[i] == '"') quoted = !quoted;
            if (line[i] == ';' && !quoted) return line.substr(0, i);
        }
        return line;
    }

    void statement(Cursor& c) {
        c.skipSpace();
        if (c.atEnd()) return;
        if (current_) {
            patternLine(c);
            return;
        }
        const std::size_t wordAt = c.pos;
        const std::string_view word = c.readWord();
        c.skipSpace();
        if (word == "title") title(c);
        else if (word == "speed") song_.speed = number(c, 1, 31, "speed (ticks per row)");
        else if (word == "tempo") song_.tempo = number(c, 32, 255, "tempo");
        else if (word == "volume") song_.globalVolume = number(c, 0, 128, "global volume");
        else if (word == "mix") song_.mixVolume = number(c, 0, 128, "mixing volume");
        else if (word == "highlight") {
            song_.beatRows = number(c, 1, 255, "rows per beat");
            c.skipSpace();
            song_.barRows = number(c, 1, 255, "rows per bar");
        } else if (word == "inst") instrument(c);
        else if (word == "channel") channel(c);
        else if (word == "drum") drum(c);
        else if (word == "phrase") phrase(c);
        else if (word == "pattern") pattern(c);
        else if (word == "order") order(c);
        else c.failAt(wordAt, "expected a statement: title, speed, tempo, volume, mix, highlight, inst, channel, "
                              "drum, phrase, pattern or order");
        c.skipSpace();
        if (!c.atEnd()) c.fail("expected the end of the line");
    }

    static int number(Cursor& c, int low, int high, const std::string& what) {
        int value = 0;
        if (!c.readNumber(value) || value < low || value > high)
            c.fail("expected " + what + " from " + std::to_string(low) + " to " + std::to_string(high));
        return value;
    }

    void title(Cursor& c) {
        if (c.peek() != '"') c.fail("expected a quoted title");
        const std::size_t close = c.text.find('"', c.pos + 1);
        if (close == std::string_view::npos) c.fail("expected a closing quote");
        const std::string_view t = c.text.substr(c.pos + 1, close - c.pos - 1);
        if (t.empty() || t.size() > 25) c.fail("expected a title of 1 to 25 characters");
        song_.title = std::string(t);
        c.pos = close + 1;
    }

    // Options come as name=value words; each handler reads its own value.
    template <typename Handler>
    void options(Cursor& c, Handler handle) {
        for (c.skipSpace(); !c.atEnd(); c.skipSpace()) {
            const std::size_t at = c.pos;
            const std::string_view key = c.readName();
            if (key.empty() || c.peek() != '=') c.failAt(at, "expected an option as name=value");
            ++c.pos;
            if (!handle(key, c)) c.failAt(at, "expected a known option, not '" + std::string(key) + "'");
        }
    }

    void instrument(Cursor& c) {
        Instrument inst;
        const std::size_t nameAt = c.pos;
        inst.name = std::string(c.readName());
        if (inst.name.empty()) c.fail("expected an instrument name");
        if (findInstrument(inst.name)) c.failAt(nameAt, "expected a new instrument name, '" + inst.name + "' is taken");
        c.skipSpace();
        const std::size_t waveAt = c.pos;
        inst.wave = std::string(c.readName());
        Waveform probe;
        if (!makeWaveform(inst.wave, probe))
            c.failAt(waveAt, "expected a waveform: pulse12, pulse25, pulse50, triangle, saw, noise, kick, snare, "
                             "hat or openhat");
        options(c, [&](std::string_view key, Cursor& v) {
            if (key == "vol") inst.volume = number(v, 0, 64, "volume");
            else if (key == "fade") inst.fadeout = number(v, 0, 128, "fade-out");
            else if (key == "vib") {
                inst.vibratoSpeed = number(v, 0, 64, "vibrato speed");
                expect(v, ',');
                inst.vibratoDepth = number(v, 0, 32, "vibrato depth");
                expect(v, ',');
                inst.vibratoSweep = number(v, 0, 64, "vibrato sweep");
            } else if (key == "env") envelope(v, inst);
            else return false;
            return true;
        });
        song_.instruments.push_back(inst);
    }

    static void expect(Cursor& c, char ch) {
        if (c.peek() != ch) c.fail(std::string("expected '") + ch + "'");
        ++c.pos;
    }

    // env=tick:value[s],... with ticks rising and 's' marking the held node.
    static void envelope(Cursor& c, Instrument& inst) {
        for (;;) {
            EnvelopeNode node;
            node.tick = number(c, 0, 9999, "an envelope tick");
            expect(c, ':');
            node.value = number(c, 0, 64, "an envelope value");
            if (!inst.envelope.empty() && node.tick <= inst.envelope.back().tick)
                c.fail("expected envelope ticks to rise");
            if (inst.envelope.empty() && node.tick != 0) c.fail("expected the first envelope node at tick 0");
            inst.envelope.push_back(node);
            if (inst.envelope.size() > 25) c.fail("expected at most 25 envelope nodes");
            if (c.peek() == 's') {
                inst.sustainNode = static_cast<int>(inst.envelope.size()) - 1;
                ++c.pos;
            }
            if (c.peek() != ',') break;
            ++c.pos;
        }
    }

    int findInstrument(std::string_view name) const {
        for (std::size_t i = 0; i < song_.instruments.size(); ++i)
            if (song_.instruments[i].name == name) return static_cast<int>(i) + 1;
        return 0;
    }

    int instrumentRef(Cursor& c) {
        const std::size_t at = c.pos;
        const std::string_view name = c.readName();
        const int index = findInstrument(name);
        if (!index) c.failAt(at, "expected an instrument defined with 'inst'");
        return index;
    }

    int channelNumber(Cursor& c) {
        int n = 0;
        const std::size_t at = c.pos;
        if (!c.readNumber(n) || n < 1 || n > maxChannels)
            c.failAt(at, "expected a channel number from 1 to " + std::to_string(maxChannels));
        return n - 1;
    }

    void channel(Cursor& c) {
        const int index = channelNumber(c);
        ChannelDef& ch = song_.channels[index];
        ch.declared = true;
        options(c, [&](std::string_view key, Cursor& v) {
            if (key == "pan") ch.pan = number(v, 0, 64, "panning (0 left, 32 centre, 64 right)");
            else if (key == "vol") ch.volume = number(v, 0, 64, "channel volume");
            else if (key == "inst") ch.instrument = instrumentRef(v);
            else if (key == "oct") ch.octave = number(v, 0, 9, "octave");
            else if (key == "echo") ch.echoFrom = channelNumber(v);
            else if (key == "delay") ch.echoDelay = number(v, 1, 64, "echo delay in rows");
            else if (key == "level") ch.echoLevel = number(v, 1, 100, "echo level in percent");
            else return false;
            return true;
        });
    }

    void drum(Cursor& c) {
        const char letter = c.peek();
        if (!std::isalpha(static_cast<unsigned char>(letter))) c.fail("expected a drum letter");
        ++c.pos;
        c.skipSpace();
        DrumDef d;
        d.instrument = instrumentRef(c);
        c.skipSpace();
        d.note = noteName(c);
        c.skipSpace();
        if (c.peek() == 'v') {
            ++c.pos;
            d.volume = number(c, 0, 64, "volume");
        }
        song_.drums[letter] = d;
    }

    // Drum notes are written tracker style: C-5, C#4, D-3.
    static int noteName(Cursor& c) {
        static const std::string_view names = "C-C#D-D#E-F-F#G-G#A-A#B-";
        const std::size_t at = c.pos;
        if (c.text.size() < c.pos + 3) c.fail("expected a note such as C-5 or F#4");
        const std::string_view s = c.text.substr(c.pos, 2);
        std::size_t semitone = std::string_view::npos;
        for (std::size_t i = 0; i < 12; ++i)
            if (names.substr(i * 2, 2) == s) semitone = i;
        const char octave = c.text[c.pos + 2];
        if (semitone == std::string_view::npos || octave < '0' || octave > '9')
            c.failAt(at, "expected a note such as C-5 or F#4");
        c.pos += 3;
        return (octave - '0') * 12 + static_cast<int>(semitone);
    }

    void phrase(Cursor& c) {
        const std::string_view name = c.readName();
        if (name.empty()) c.fail("expected a phrase name");
        c.skipSpace();
        expect(c, '=');
        c.skipSpace();
        song_.phrases[std::string(name)] = Phrase{std::string(c.text.substr(c.pos)), c.line, c.column()};
        c.pos = c.text.size();
    }

    void pattern(Cursor& c) {
        const std::size_t at = c.pos;
        const std::string name(c.readName());
        if (name.empty()) c.fail("expected a pattern name");
        for (const Pattern& p : song_.patterns)
            if (p.name == name) c.failAt(at, "expected a new pattern name, '" + name + "' is taken");
        c.skipSpace();
        const int rows = number(c, 1, maxPatternRows, "the pattern's row count");
        song_.patterns.push_back(Pattern{name, rows, std::vector<Row>(rows)});
        current_ = &song_.patterns.back();
        for (int i = 0; i < maxChannels; ++i) {
            states_[i] = ChannelState{};
            states_[i].octave = song_.channels[i].octave;
            states_[i].instrument = song_.channels[i].instrument;
        }
    }

    void order(Cursor& c) {
        for (c.skipSpace(); !c.atEnd(); c.skipSpace()) {
            const std::size_t at = c.pos;
            const std::string_view name = c.readName();
            int index = -1;
            for (std::size_t i = 0; i < song_.patterns.size(); ++i)
                if (song_.patterns[i].name == name) index = static_cast<int>(i);
            if (index < 0) c.failAt(at, "expected the name of a pattern defined above");
            if (song_.order.size() >= 254) c.failAt(at, "expected at most 254 entries in the order list");
            song_.order.push_back(index);
        }
    }

    void patternLine(Cursor& c) {
        const std::size_t at = c.pos;
        if (c.readWord() == "end") {
            c.skipSpace();
            if (!c.atEnd()) c.fail("expected the end of the line");
            applyEchoes(*current_);
            current_ = nullptr;
            return;
        }
        c.pos = at;
        if (!std::isdigit(static_cast<unsigned char>(c.peek())))
            c.fail("expected a channel line such as '1: c4' or '3| k.h.', or 'end' closing pattern '" +
                   current_->name + "'");
        const int ch = channelNumber(c);
        if (!song_.channels[ch].declared) c.failAt(at, "expected a channel declared with 'channel'");
        const char kind = c.peek();
        if (kind != ':' && kind != '|') c.fail("expected ':' before notes or '|' before a drum grid");
        ++c.pos;
        if (kind == ':') sequence(c, ch, false, 0);
        else grid(c, ch);
    }

    Cell& cellAt(const Cursor& c, std::size_t at, int ch, int row) {
        if (row >= current_->rows)
            c.failAt(at, "expected at most " + std::to_string(current_->rows) + " rows in pattern '" +
                             current_->name + "', channel " + std::to_string(ch + 1) + " runs past its end");
        return current_->cells[row][ch];
    }

    // An effect in braces: {Hxy} for the first row, {Hxy*} for every row.
    bool effect(Cursor& c, int& fx, int& param, bool& everyRow) {
        if (c.peek() != '{') return false;
        const std::size_t at = c.pos;
        const std::string_view rest = c.text.substr(c.pos);
        auto hex = [](char h) {
            if (h >= '0' && h <= '9') return h - '0';
            if (h >= 'A' && h <= 'F') return h - 'A' + 10;
            if (h >= 'a' && h <= 'f') return h - 'a' + 10;
            return -1;
        };
        if (rest.size() < 5 || rest[1] < 'A' || rest[1] > 'Y' || hex(rest[2]) < 0 || hex(rest[3]) < 0)
            c.failAt(at, "expected an effect: a letter A to Y and two hex digits in braces, as {J37}");
        everyRow = rest[4] == '*';
        const std::size_t close = everyRow ? 5 : 4;
        if (rest.size() <= close || rest[close] != '}') c.failAt(at + close, "expected '}' closing the effect");
        fx = effectNumber(rest[1]);
        param = hex(rest[2]) * 16 + hex(rest[3]);
        c.pos += close + 1;
        return true;
    }

    int length(Cursor& c, const ChannelState& st) {
        int len = st.length;
        const std::size_t at = c.pos;
        if (c.readNumber(len) && (len < 1 || len > maxPatternRows)) c.failAt(at, "expected a length in rows");
        if (c.peek() == '.') {
            ++c.pos;
            len += len / 2;
        }
        return len;
    }

    // Places one event (note, rest or hold) of `len` rows with its effect.
    void event(Cursor& c, std::size_t at, int ch, ChannelState& st, int note, int len) {
        int fx = 0, param = 0;
        bool everyRow = false;
        effect(c, fx, param, everyRow);
        Cell& first = cellAt(c, at, ch, st.row);
        if (note >= 0) {
            first.note = note;
            if (note < 120) {
                if (!st.instrument) c.failAt(at, "expected an instrument (@name or inst= on the channel) before the first note");
                first.instrument = st.instrument;
                first.volume = st.volume;
            }
        }
        for (int r = 0; r < len; ++r) {
            Cell& cell = cellAt(c, at, ch, st.row + r);
            if (fx && (r == 0 || everyRow)) {
                cell.effect = fx;
                cell.param = param;
            }
        }
        st.row += len;
    }

    void sequence(Cursor& c, int ch, bool inRepeat, int depth) {
        ChannelState& st = states_[ch];
        for (c.skipSpace(); !c.atEnd(); c.skipSpace()) {
            const std::size_t at = c.pos;
            const char t = c.peek();
            // Repeats of commands that place no rows are not bounded by the
            // pattern's length, so nesting them could run for ever.
            if (++tokensRead_ > maxTokens) c.fail("expected fewer nested repeats (the pattern expands too far)");
            if (t >= 'a' && t <= 'g') {
                static const int semitones[] = {9, 11, 0, 2, 4, 5, 7};
                ++c.pos;
                int note = st.octave * 12 + semitones[t - 'a'] + st.transpose;
                if (c.peek() == '#' || c.peek() == '+') {
                    ++note;
                    ++c.pos;
                } else if (c.peek() == '-') {
                    --note;
                    ++c.pos;
                }
                if (note < 0 || note > 119) c.failAt(at, "expected a note between C-0 and B-9");
                event(c, at, ch, st, note, length(c, st));
            } else if (t == 'r' || t == '~' || t == 'x') {
                ++c.pos;
                event(c, at, ch, st, t == 'r' ? noteOff : t == 'x' ? noteCut : -1, length(c, st));
            } else if (t == 'o') {
                ++c.pos;
                st.octave = number(c, 0, 9, "an octave");
            } else if (t == '>' || t == '<') {
                ++c.pos;
                st.octave += t == '>' ? 1 : -1;
                if (st.octave < 0 || st.octave > 9) c.failAt(at, "expected the octave to stay within 0 to 9");
            } else if (t == 'l') {
                ++c.pos;
                st.length = number(c, 1, maxPatternRows, "a default length in rows");
            } else if (t == 'v') {
                ++c.pos;
                if (c.peek() == '-') {
                    ++c.pos;
                    st.volume = -1;
                } else {
                    st.volume = number(c, 0, 64, "a volume");
                }
            } else if (t == 'k') {
                ++c.pos;
                const bool negative = c.peek() == '-';
                if (negative) ++c.pos;
                st.transpose = number(c, 0, 48, "a transposition in semitones") * (negative ? -1 : 1);
            } else if (t == '@') {
                ++c.pos;
                st.instrument = instrumentRef(c);
            } else if (t == '$') {
                ++c.pos;
                const std::string name(c.readName());
                const auto found = song_.phrases.find(name);
                if (found == song_.phrases.end()) c.failAt(at, "expected a phrase defined with 'phrase'");
                if (depth > 16) c.failAt(at, "expected phrases that do not refer to themselves");
                Cursor inner{found->second.text, 0, found->second.line, found->second.column};
                sequence(inner, ch, false, depth + 1);
            } else if (t == '[') {
                ++c.pos;
                const std::size_t body = c.pos;
                sequence(c, ch, true, depth);
                int count = 2;
                c.readNumber(count);
                if (count < 1 || count > 64) c.fail("expected a repeat count from 1 to 64");
                for (int i = 1; i < count; ++i) {
                    c.pos = body;
                    sequence(c, ch, true, depth);
                    c.readNumber(count);
                }
            } else if (t == ']') {
                if (!inRepeat) c.fail("expected a '[' before this ']'");
                ++c.pos;
                return;
            } else {
                c.fail("expected a note (a to g), r, x, ~, o, <, >, l, v, k, @, $, [ or ]");
            }
        }
        if (inRepeat) c.fail("expected ']' closing the repeat");
    }

    void grid(Cursor& c, int ch) {
        ChannelState& st = states_[ch];
        for (c.skipSpace(); !c.atEnd(); c.skipSpace()) {
            const std::size_t at = c.pos;
            const char t = c.peek();
            ++c.pos;
            if (t == '.') {
                event(c, at, ch, st, -1, 1);
            } else if (t == '=' || t == '^') {
                event(c, at, ch, st, t == '=' ? noteOff : noteCut, 1);
            } else {
                const auto found = song_.drums.find(t);
                if (found == song_.drums.end())
                    c.failAt(at, "expected a drum letter defined with 'drum', '.', '=' or '^'");
                const int saved = st.instrument, savedVolume = st.volume;
                st.instrument = found->second.instrument;
                st.volume = found->second.volume;
                event(c, at, ch, st, found->second.note, 1);
                st.instrument = saved;
                st.volume = savedVolume;
            }
        }
    }

    // An echo channel repeats another channel a few rows later, quieter.
    // Rows the echo channel already has notes on keep their own.
    void applyEchoes(Pattern& p) {
        for (int dst = 0; dst < maxChannels; ++dst) {
            const ChannelDef& def = song_.channels[dst];
            if (def.echoFrom < 0) continue;
            for (int r = p.rows - 1 - def.echoDelay; r >= 0; --r) {
                const Cell& src = p.cells[r][def.echoFrom];
                Cell& out = p.cells[r + def.echoDelay][dst];
                if (out.note >= 0 || out.effect) continue;
                if (src.note >= 0) {
                    out.note = src.note;
                    out.instrument = src.instrument;
                    if (src.note < 120) {
                        const int base = src.volume >= 0 ? src.volume
                                         : src.instrument ? song_.instruments[src.instrument - 1].volume
                                                          : 64;
                        out.volume = base * def.echoLevel / 100;
                    }
                }
                if (echoesEffect(src.effect)) {
                    out.effect = src.effect;
                    out.param = src.param;
                }
            }
        }
    }

    std::string_view text_;
    Song& song_;
    Pattern* current_ = nullptr;
    ChannelState states_[maxChannels];
    static constexpr long maxTokens = 1000000;
    long tokensRead_ = 0;
};

}  // namespace

std::string parseSong(std::string_view text, const std::string& fileName, Song& song) {
    try {
        Parser(text, song).run();
    } catch (const ParseError& e) {
        return fileName + ":" + std::to_string(e.line) + ":" + std::to_string(e.column) + ": " + e.message;
    }
    return {};
}

}  // namespace songc
