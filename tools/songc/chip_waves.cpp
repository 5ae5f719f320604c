// Chip waveforms are built here, deterministically, so a module is reproduced
// byte for byte from its source on any machine: only integer arithmetic and
// a fixed-seed noise register are used, never the maths library.
#include "song_compiler.h"

#include <array>
#include <cstdint>

namespace songc {
namespace {

// One cycle of 128 samples: played at C-5 it sounds at middle C (261.63 Hz).
constexpr int cycleLength = 128;
constexpr std::uint32_t cycleC5Speed = 33488;
constexpr std::uint32_t drumRate = 22050;
constexpr int peak = 100;

// The 15-bit noise register of classic sound chips: a fixed seed gives the
// same hiss on every build.
class NoiseRegister {
public:
    int nextBit() {
        const int bit = (state_ ^ (state_ >> 1)) & 1;
        state_ = (state_ >> 1) | (bit << 14);
        return state_ & 1;
    }
    // A value in -127..127 from eight register steps.
    int nextSample() {
        int v = 0;
        for (int i = 0; i < 8; ++i) v = (v << 1) | nextBit();
        return v - 128 < -127 ? -127 : v - 128;
    }

private:
    int state_ = 1;
};

std::int8_t clamp8(long v) {
    if (v > 127) return 127;
    if (v < -127) return -127;
    return static_cast<std::int8_t>(v);
}

Waveform pulse(int highSamples) {
    Waveform w;
    w.c5Speed = cycleC5Speed;
    w.looped = true;
    for (int i = 0; i < cycleLength; ++i) w.data.push_back(static_cast<std::int8_t>(i < highSamples ? peak : -peak));
    return w;
}

// Sixteen steps up and down, as the stepped triangle channel of old consoles.
Waveform triangle() {
    Waveform w;
    w.c5Speed = cycleC5Speed;
    w.looped = true;
    for (int i = 0; i < cycleLength; ++i) {
        const int phase = i * 32 / cycleLength;  // 0..31
        const int step = phase < 16 ? phase : 31 - phase;  // 0..15
        w.data.push_back(static_cast<std::int8_t>((step * 2 - 15) * 8));
    }
    return w;
}

Waveform saw() {
    Waveform w;
    w.c5Speed = cycleC5Speed;
    w.looped = true;
    for (int i = 0; i < cycleLength; ++i) {
        const int step = i * 16 / cycleLength;  // 0..15
        w.data.push_back(static_cast<std::int8_t>((step * 2 - 15) * 6));
    }
    return w;
}

Waveform noiseLoop() {
    Waveform w;
    w.c5Speed = drumRate;
    w.looped = true;
    NoiseRegister noise;
    for (int i = 0; i < 8192; ++i) w.data.push_back(clamp8(noise.nextSample() * 3 / 4));
    return w;
}

// Exponential-ish decay in 1/4096 steps: gain(n+1) = gain(n) * keep / 4096.
struct Decay {
    long gain = 4096 * 256;
    long keep;
    long next() {
        const long g = gain >> 8;
        gain = gain * keep / 4096;
        return g;
    }
};

// A kick: a triangle-like body whose pitch falls quickly, plus a click.
Waveform kick() {
    Waveform w;
    w.c5Speed = drumRate;
    const int length = drumRate * 22 / 100;
    long phase = 0;  // 16.16 fixed point cycles
    long freq = 170 << 8;  // Hz in 8.8
    Decay amp{4096 * 256, 4094};
    for (int i = 0; i < length; ++i) {
        phase += (freq << 8) / drumRate;  // 16.16 increment
        freq = freq * 4092 / 4096 + (44 << 8) * 4 / 4096;  // glides toward 44 Hz
        const long p = (phase >> 6) & 1023;  // 0..1023 over a cycle
        const long tri = p < 512 ? p - 256 : 767 - p;  // -256..255
        const long a = amp.next();
        long v = tri * a / 4096 * 127 / 256;
        if (i < 40) v += (i % 2 == 0 ? 60 : -20) * (40 - i) / 40;
        w.data.push_back(clamp8(v));
    }
    return w;
}

Waveform snare() {
    Waveform w;
    w.c5Speed = drumRate;
    const int length = drumRate * 20 / 100;
    NoiseRegister noise;
    Decay noiseAmp{4096 * 256, 4092};
    Decay toneAmp{4096 * 256, 4090};
    long phase = 0;
    for (int i = 0; i < length; ++i) {
        phase += (190L << 16) / drumRate;
        const long p = (phase >> 6) & 1023;
        const long tri = p < 512 ? p - 256 : 767 - p;
        const long n = noise.nextSample();
        const long v = n * noiseAmp.next() / 4096 * 90 / 127 + tri * toneAmp.next() / 4096 * 80 / 256;
        w.data.push_back(clamp8(v));
    }
    return w;
}

// Hats: noise with its low end removed by taking differences, so it hisses.
Waveform hat(int lengthMs, long keep) {
    Waveform w;
    w.c5Speed = drumRate;
    const int length = drumRate * lengthMs / 1000;
    NoiseRegister noise;
    Decay amp{4096 * 256, keep};
    long previous = 0;
    for (int i = 0; i < length; ++i) {
        const long n = noise.nextSample();
        const long hp = (n - previous) / 2;
        previous = n;
        w.data.push_back(clamp8(hp * amp.next() / 4096));
    }
    return w;
}

}  // namespace

bool makeWaveform(std::string_view name, Waveform& out) {
    if (name == "pulse12") out = pulse(cycleLength / 8);
    else if (name == "pulse25") out = pulse(cycleLength / 4);
    else if (name == "pulse50") out = pulse(cycleLength / 2);
    else if (name == "triangle") out = triangle();
    else if (name == "saw") out = saw();
    else if (name == "noise") out = noiseLoop();
    else if (name == "kick") out = kick();
    else if (name == "snare") out = snare();
    else if (name == "hat") out = hat(60, 4084);
    else if (name == "openhat") out = hat(220, 4093);
    else return false;
    return true;
}

}  // namespace songc
