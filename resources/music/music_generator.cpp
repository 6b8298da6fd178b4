// Writes the program's default music: about a minute of a calm piece in C major (electric
// piano melody over soft pads, a round bass and light percussion), synthesised here from
// sine waves and noise, as a 16-bit stereo WAV file.
//
// Usage: pictavo_music_generator <output.wav>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr double kBeat = 60.0 / 96.0; // 96 beats per minute
constexpr double kBar = 4 * kBeat;
constexpr int kBars = 24;
constexpr double kTail = 1.5; // room for the last chord to ring out
constexpr double kTwoPi = 2 * std::numbers::pi;

double noteFrequency(int midi)
{
    return 440.0 * std::pow(2.0, (midi - 69) / 12.0);
}

struct Stereo {
    std::vector<float> left;
    std::vector<float> right;

    explicit Stereo(size_t frames) : left(frames, 0.0f), right(frames, 0.0f) {}
    size_t frames() const { return left.size(); }

    // Adds a mono signal at a pan position from -1 (left) to 1 (right).
    void add(size_t frame, double value, double pan)
    {
        if (frame >= left.size()) {
            return;
        }
        const double angle = (pan + 1.0) * std::numbers::pi / 4;
        left[frame] += static_cast<float>(value * std::cos(angle));
        right[frame] += static_cast<float>(value * std::sin(angle));
    }
};

// A small deterministic noise source, so that every build makes the same file.
class Noise {
public:
    double next()
    {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return static_cast<double>(state_ >> 11) / static_cast<double>(1ULL << 53) * 2.0 - 1.0;
    }

private:
    uint64_t state_ = 0x9E3779B97F4A7C15ULL;
};

// Attack, exponential decay toward a sustain level, and a release after the note's end.
double envelope(double t, double length, double attack, double decay, double sustain,
                double release)
{
    if (t < 0) {
        return 0;
    }
    auto held = [&](double at) {
        if (at < attack) {
            return at / attack;
        }
        return sustain + (1.0 - sustain) * std::exp(-(at - attack) / decay);
    };
    if (t < length) {
        return held(t);
    }
    const double after = t - length;
    return after >= release ? 0.0 : held(length) * (1.0 - after / release);
}

// Chords of the piece, one per bar, as MIDI notes (pad voicing) and a bass root.
struct Chord {
    std::array<int, 3> notes;
    int bass;
};

const Chord kC{{60, 64, 67}, 36};
const Chord kG{{59, 62, 67}, 43};
const Chord kAm{{57, 60, 64}, 45};
const Chord kF{{57, 60, 65}, 41};
const Chord kEm{{55, 59, 64}, 40};

const std::array<Chord, kBars> kProgression = {
    kC, kG, kAm, kF,                   // intro
    kC, kG, kAm, kF,  kC, kG, kAm, kF, // first tune
    kF, kG, kEm, kAm, kF, kG, kC,  kC, // second tune, with drums
    kF, kG, kC,  kC,                   // ending
};

struct Note {
    double beat;   // from the start of the piece
    double length; // in beats
    int midi;
};

std::vector<Note> melody()
{
    // Bar by bar: (length in beats, note) pairs; 0 is a rest.
    const std::vector<std::vector<std::pair<double, int>>> bars = {
        // first tune, bars 4..11
        {{1, 76}, {1, 79}, {0.5, 76}, {0.5, 74}, {1, 72}},
        {{1.5, 74}, {0.5, 71}, {1, 74}, {1, 79}},
        {{1.5, 76}, {0.5, 72}, {2, 69}},
        {{1, 72}, {1, 69}, {1, 72}, {1, 74}},
        {{1, 76}, {1, 79}, {1, 84}, {1, 79}},
        {{1.5, 81}, {0.5, 79}, {2, 74}},
        {{1, 72}, {1, 76}, {1.5, 81}, {0.5, 79}},
        {{1, 77}, {1, 76}, {2, 72}},
        // second tune, bars 12..19
        {{1, 81}, {0.5, 79}, {0.5, 77}, {2, 81}},
        {{1, 79}, {0.5, 77}, {0.5, 76}, {2, 74}},
        {{1, 76}, {1, 79}, {1, 83}, {1, 79}},
        {{2, 81}, {1, 76}, {1, 72}},
        {{1, 77}, {1, 81}, {1.5, 84}, {0.5, 81}},
        {{2, 83}, {1, 81}, {1, 79}},
        {{1.5, 76}, {0.5, 79}, {2, 84}},
        {{2, 79}, {2, 76}},
        // ending, bars 20..23
        {{2, 81}, {2, 79}},
        {{1, 77}, {1, 74}, {2, 71}},
        {{4, 72}},
        {{4, 0}},
    };
    std::vector<Note> notes;
    double beat = 4 * 4; // the tune starts after four bars of chords
    for (const auto& bar : bars) {
        for (const auto& [length, midi] : bar) {
            if (midi != 0) {
                notes.push_back({beat, length, midi});
            }
            beat += length;
        }
    }
    return notes;
}

// Electric piano: two-operator FM whose brightness fades as the note rings.
void addPiano(Stereo& out, const Note& note, double gain, double pan)
{
    const double start = note.beat * kBeat;
    const double length = note.length * kBeat * 0.95;
    const double frequency = noteFrequency(note.midi);
    const double release = 0.25;
    const auto first = static_cast<size_t>(start * kRate);
    const auto count = static_cast<size_t>((length + release) * kRate);
    for (size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double index = 0.3 + 1.8 * std::exp(-t / 0.35);
        const double modulator = std::sin(kTwoPi * frequency * t);
        const double tine = 0.15 * std::exp(-t / 0.08) * std::sin(kTwoPi * frequency * 7 * t);
        const double value = std::sin(kTwoPi * frequency * t + index * modulator) + tine;
        out.add(first + i, gain * value * envelope(t, length, 0.006, 0.9, 0.25, release), pan);
    }
}

// Pad: a few soft harmonics per chord tone, two slightly detuned voices spread wide.
void addPad(Stereo& out, const Chord& chord, double start, double length, double gain)
{
    const double release = 1.2;
    const auto first = static_cast<size_t>(start * kRate);
    const auto count = static_cast<size_t>((length + release) * kRate);
    for (const int midi : chord.notes) {
        for (const double detune : {-0.004, 0.004}) {
            const double frequency = noteFrequency(midi) * (1.0 + detune);
            const double pan = detune < 0 ? -0.7 : 0.7;
            for (size_t i = 0; i < count; ++i) {
                const double t = static_cast<double>(i) / kRate;
                double value = 0;
                for (int h = 1; h <= 4; ++h) {
                    value += std::sin(kTwoPi * frequency * h * t) / (h * h);
                }
                const double swell = 1.0 + 0.15 * std::sin(kTwoPi * 0.25 * (start + t));
                out.add(first + i,
                        gain * swell * value * envelope(t, length, 0.7, 2.0, 0.7, release), pan);
            }
        }
    }
}

void addBass(Stereo& out, int midi, double start, double length, double gain)
{
    const double frequency = noteFrequency(midi);
    const double release = 0.08;
    const auto first = static_cast<size_t>(start * kRate);
    const auto count = static_cast<size_t>((length + release) * kRate);
    for (size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double value = std::sin(kTwoPi * frequency * t) +
                             0.25 * std::sin(kTwoPi * 2 * frequency * t) * std::exp(-t / 0.2);
        out.add(first + i, gain * value * envelope(t, length, 0.01, 0.5, 0.6, release), 0.0);
    }
}

void addKick(Stereo& out, double start, double gain)
{
    const auto first = static_cast<size_t>(start * kRate);
    double phase = 0;
    for (size_t i = 0; i < static_cast<size_t>(0.35 * kRate); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double frequency = 45 + 75 * std::exp(-t / 0.04);
        phase += kTwoPi * frequency / kRate;
        out.add(first + i, gain * std::sin(phase) * std::exp(-t / 0.12), 0.0);
    }
}

void addHat(Stereo& out, Noise& noise, double start, double gain, double pan)
{
    const auto first = static_cast<size_t>(start * kRate);
    double previous = 0;
    for (size_t i = 0; i < static_cast<size_t>(0.12 * kRate); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double white = noise.next();
        const double bright = white - previous; // keeps the hiss, drops the rumble
        previous = white;
        out.add(first + i, gain * bright * std::exp(-t / 0.025), pan);
    }
}

void addSnare(Stereo& out, Noise& noise, double start, double gain)
{
    const auto first = static_cast<size_t>(start * kRate);
    double smooth = 0;
    for (size_t i = 0; i < static_cast<size_t>(0.3 * kRate); ++i) {
        const double t = static_cast<double>(i) / kRate;
        smooth += 0.35 * (noise.next() - smooth);
        const double body = std::sin(kTwoPi * 185 * t) * std::exp(-t / 0.05);
        out.add(first + i, gain * (0.8 * smooth * std::exp(-t / 0.09) + 0.5 * body), 0.1);
    }
}

// A dotted-eighth echo bouncing between the sides.
void addEcho(Stereo& out, const Stereo& dry, double mix)
{
    const auto delay = static_cast<size_t>(0.75 * kBeat * kRate);
    std::vector<float> left(out.frames(), 0.0f);
    std::vector<float> right(out.frames(), 0.0f);
    for (size_t i = delay; i < out.frames(); ++i) {
        left[i] = static_cast<float>(dry.right[i - delay] + 0.35 * right[i - delay]);
        right[i] = static_cast<float>(dry.left[i - delay] + 0.35 * left[i - delay]);
    }
    for (size_t i = 0; i < out.frames(); ++i) {
        out.left[i] += static_cast<float>(mix * left[i]);
        out.right[i] += static_cast<float>(mix * right[i]);
    }
}

// A small room: parallel feedback combs followed by two all-pass filters, per side.
std::vector<float> reverberate(const std::vector<float>& in, int spread)
{
    const std::array<int, 4> combs = {1557, 1617, 1491, 1422};
    const std::array<int, 2> allPasses = {225, 556};
    std::vector<float> wet(in.size(), 0.0f);
    for (const int base : combs) {
        const auto length = static_cast<size_t>(base + spread);
        std::vector<float> buffer(length, 0.0f);
        float damped = 0;
        for (size_t i = 0; i < in.size(); ++i) {
            const float delayed = buffer[i % length];
            damped = 0.7f * delayed + 0.3f * damped;
            buffer[i % length] = in[i] + 0.8f * damped;
            wet[i] += delayed * 0.25f;
        }
    }
    for (const int base : allPasses) {
        const auto length = static_cast<size_t>(base + spread);
        std::vector<float> buffer(length, 0.0f);
        for (size_t i = 0; i < wet.size(); ++i) {
            const float delayed = buffer[i % length];
            const float input = wet[i];
            buffer[i % length] = input + 0.5f * delayed;
            wet[i] = delayed - input;
        }
    }
    return wet;
}

void putLe(std::string& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

bool writeWav(const std::string& path, const Stereo& sound)
{
    const auto dataBytes = static_cast<uint32_t>(sound.frames() * 4);
    std::string out;
    out.reserve(44 + dataBytes);
    out += "RIFF";
    putLe(out, 36 + dataBytes, 4);
    out += "WAVEfmt ";
    putLe(out, 16, 4);
    putLe(out, 1, 2);
    putLe(out, 2, 2);
    putLe(out, kRate, 4);
    putLe(out, kRate * 4, 4);
    putLe(out, 4, 2);
    putLe(out, 16, 2);
    out += "data";
    putLe(out, dataBytes, 4);
    for (size_t i = 0; i < sound.frames(); ++i) {
        for (const float value : {sound.left[i], sound.right[i]}) {
            const long sample = std::lround(std::clamp(value, -1.0f, 1.0f) * 32767.0f);
            putLe(out, static_cast<uint16_t>(static_cast<int16_t>(sample)), 2);
        }
    }
    std::ofstream file(path, std::ios::binary);
    file.write(out.data(), static_cast<std::streamsize>(out.size()));
    return static_cast<bool>(file);
}

Stereo compose()
{
    const auto frames = static_cast<size_t>((kBars * kBar + kTail) * kRate);
    Stereo mix(frames);
    Stereo lead(frames);
    Noise noise;

    for (int bar = 0; bar < kBars; ++bar) {
        const Chord& chord = kProgression[static_cast<size_t>(bar)];
        const double start = bar * kBar;
        const bool last = bar == kBars - 1;
        addPad(mix, chord, start, last ? kBar + kTail * 0.5 : kBar, 0.035);
        if (bar >= 4 && bar < kBars - 1) {
            addBass(mix, chord.bass, start, 1.5 * kBeat, 0.22);
            addBass(mix, chord.bass, start + 2 * kBeat, kBeat, 0.2);
            addBass(mix, chord.bass + 7, start + 3.5 * kBeat, 0.5 * kBeat, 0.16);
        } else if (last) {
            addBass(mix, chord.bass, start, 3 * kBeat, 0.2);
        }
        if (bar >= 12 && bar < 22) {
            addKick(mix, start, 0.5);
            addKick(mix, start + 2 * kBeat, 0.45);
            addSnare(mix, noise, start + kBeat, 0.12);
            addSnare(mix, noise, start + 3 * kBeat, 0.12);
            for (int eighth = 0; eighth < 8; ++eighth) {
                const double accent = eighth % 2 == 1 ? 0.05 : 0.03;
                addHat(mix, noise, start + eighth * kBeat / 2, accent, 0.4);
            }
        }
    }
    for (const Note& note : melody()) {
        addPiano(lead, note, 0.16, -0.15);
    }
    for (size_t i = 0; i < frames; ++i) {
        mix.left[i] += lead.left[i];
        mix.right[i] += lead.right[i];
    }
    addEcho(mix, lead, 0.3);

    const std::vector<float> roomLeft = reverberate(mix.left, 0);
    const std::vector<float> roomRight = reverberate(mix.right, 23);
    for (size_t i = 0; i < frames; ++i) {
        mix.left[i] += 0.22f * roomLeft[i];
        mix.right[i] += 0.22f * roomRight[i];
    }

    // Fades, then the level brought to a little under full scale.
    const double fadeOut = 4.0;
    const double end = static_cast<double>(frames) / kRate;
    float peak = 0;
    for (size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double gain = std::min({1.0, t / 0.3, (end - t) / fadeOut});
        mix.left[i] = static_cast<float>(mix.left[i] * gain);
        mix.right[i] = static_cast<float>(mix.right[i] * gain);
        peak = std::max({peak, std::fabs(mix.left[i]), std::fabs(mix.right[i])});
    }
    const float scale = peak > 0 ? 0.89f / peak : 1.0f;
    for (size_t i = 0; i < frames; ++i) {
        mix.left[i] *= scale;
        mix.right[i] *= scale;
    }
    return mix;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output.wav>\n", argv[0]);
        return 2;
    }
    if (!writeWav(argv[1], compose())) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
