// SPDX-License-Identifier: MIT
// make_sounds.cpp -- synthesises the game's five wave recordings and writes
// them out as a C++ source that builds them into the program.
//
// Usage: make_sounds OUTPUT.cpp [WAV_DIR]
// With WAV_DIR it also writes 106.wav ... 117.wav there, for listening.
//
// Everything is computed from the scores below: no clock, no outside input,
// so every build produces the same bytes. The voices are additive (sums of
// sine harmonics kept below the Nyquist limit), shaped by ADSR envelopes,
// in the manner of the chip music of the time.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;
// Every recording is scaled so its loudest sample stands at this level
// (about -3 dBFS): loud enough, never at the extremes of the sample range.
constexpr double kPeakLevel = 0.7;

// ---------------------------------------------------------------------------
// Voices and scores

enum class Wave { Sine, Triangle, Square, Pulse25, Pulse12, Noise };

// Times in seconds; sustain is a level from 0 to 1. After the attack the level
// falls from 1 towards sustain with time constant decay; after key-up it
// falls in a straight line to zero over release.
struct Envelope {
    double attack = 0.004;
    double decay = 0.2;
    double sustain = 0.6;
    double release = 0.05;
};

// How every note of one part sounds; the part's text gives times and pitches.
struct Voice {
    Wave wave = Wave::Square;
    double level = 0.5;  // amplitude before the recording is scaled to its peak
    Envelope envelope{};
    double pan = 0.0;      // -1 left to +1 right; mono recordings ignore it
    double gate = 0.85;    // share of a note's steps held down before the release
    double vibrato = 0.0;  // depth in semitones, at 5.5 Hz, after the first 0.12 s
};

struct Note {
    Voice voice;
    double start = 0.0;     // seconds from the start of the recording
    double length = 0.0;    // seconds held down; the release follows
    double pitch = 0.0;     // Hz at key-down (for noise: how often the value changes)
    double endPitch = 0.0;  // Hz reached after glide seconds
    double glide = 0.0;     // 0: the pitch holds
};

using Score = std::vector<Note>;

// A fault in the scores below: says which and ends the build step.
[[noreturn]] void Fail(std::string_view what, std::string_view detail) {
    std::fprintf(stderr, "make_sounds: %.*s: %.*s\n", static_cast<int>(what.size()), what.data(),
                 static_cast<int>(detail.size()), detail.data());
    std::exit(1);
}

double MidiHz(int midi) {
    return 440.0 * std::pow(2.0, (midi - 69) / 12.0);
}

// "C5", "F#3", "Bb4" to Hz; 0 for anything else.
double NoteHz(std::string_view name) {
    static constexpr std::array<int, 7> kSemitone = {9, 11, 0, 2, 4, 5, 7};  // A..G
    if (name.size() < 2 || name[0] < 'A' || name[0] > 'G') return 0.0;
    int semitone = kSemitone[static_cast<std::size_t>(name[0] - 'A')];
    std::size_t at = 1;
    if (name[at] == '#' || name[at] == 'b') {
        semitone += name[at] == '#' ? 1 : -1;
        ++at;
    }
    if (at + 1 != name.size() || name[at] < '0' || name[at] > '9') return 0.0;
    return MidiHz(12 * (name[at] - '0' + 1) + semitone);
}

// Adds one part to score. Each word of text takes one step of step seconds:
// a note name starts a note, "-" holds the note before one step longer, "."
// is a rest.
void AddPart(Score& score, const Voice& voice, double start, double step, std::string_view text) {
    bool open = false;  // the last note of score may still be held
    double at = start;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = std::min(text.find(' ', pos), text.size());
        const std::string_view word = text.substr(pos, end - pos);
        pos = end + 1;
        if (word.empty()) continue;
        if (word == "-") {
            if (!open) Fail("a hold follows no note", text);
            score.back().length += step;
        } else if (word == ".") {
            open = false;
        } else {
            const double hz = NoteHz(word);
            if (hz == 0.0) Fail("not a note name", word);
            score.push_back(Note{voice, at, step * voice.gate, hz, hz, 0.0});
            open = true;
        }
        at += step;
    }
}

// ---------------------------------------------------------------------------
// Synthesis

double EnvelopeAt(const Envelope& e, double t, double keyUp) {
    const auto held = [&e](double time) {
        if (time < e.attack) return time / e.attack;
        return e.sustain + (1.0 - e.sustain) * std::exp(-(time - e.attack) / e.decay);
    };
    if (t < keyUp) return held(t);
    return held(keyUp) * std::max(0.0, 1.0 - (t - keyUp) / e.release);
}

// Harmonic weights of one period, softened by Lanczos sigma factors so that
// the cut at the top harmonic does not ring.
std::vector<double> HarmonicWeights(Wave wave, int count) {
    std::vector<double> weights(static_cast<std::size_t>(count) + 1, 0.0);
    switch (wave) {
        case Wave::Sine:
            weights[1] = 1.0;
            break;
        case Wave::Triangle:
            for (int n = 1; n <= count; n += 2) {
                const double sign = ((n - 1) / 2) % 2 == 0 ? 1.0 : -1.0;
                weights[static_cast<std::size_t>(n)] = sign * 8.0 / (kPi * kPi * n * n);
            }
            break;
        case Wave::Square:
        case Wave::Pulse25:
        case Wave::Pulse12:
            // Sawtooth weights; SampleWave makes the pulse of two sawtooths.
            for (int n = 1; n <= count; ++n) weights[static_cast<std::size_t>(n)] = 2.0 / (kPi * n);
            break;
        case Wave::Noise:
            break;
    }
    for (int n = 1; n <= count && wave != Wave::Sine; ++n) {
        const double x = kPi * n / (count + 1);
        weights[static_cast<std::size_t>(n)] *= std::sin(x) / x;
    }
    return weights;
}

// The sum of weights[n] sin(n theta), by the recurrence
// sin((n+1) t) = 2 cos t sin(n t) - sin((n-1) t).
double SumHarmonics(const std::vector<double>& weights, double theta) {
    const double twoCos = 2.0 * std::cos(theta);
    double previous = 0.0;
    double current = std::sin(theta);
    double sum = 0.0;
    for (std::size_t n = 1; n < weights.size(); ++n) {
        sum += weights[n] * current;
        const double next = twoCos * current - previous;
        previous = current;
        current = next;
    }
    return sum;
}

double Duty(Wave wave) {
    switch (wave) {
        case Wave::Pulse25:
            return 0.25;
        case Wave::Pulse12:
            return 0.125;
        default:
            return 0.5;
    }
}

// One sample of a periodic wave at phase (in cycles, 0 to 1).
double SampleWave(Wave wave, const std::vector<double>& weights, double phase) {
    const double theta = 2.0 * kPi * phase;
    if (wave == Wave::Sine || wave == Wave::Triangle) return SumHarmonics(weights, theta);
    // The sawtooth 1 - theta/pi minus itself delayed by the duty: a pulse that
    // stands at 2 - 2 duty for that share of the period and at -2 duty after.
    const double shifted = theta - 2.0 * kPi * Duty(wave);
    return SumHarmonics(weights, theta) - SumHarmonics(weights, shifted);
}

// Mixes note into channels (each sampleRate samples a second).
void RenderNote(const Note& note, std::uint32_t seed, int sampleRate,
                std::vector<std::vector<double>>& channels) {
    const Voice& voice = note.voice;
    const double rate = sampleRate;
    const double vibratoTop = std::pow(2.0, voice.vibrato / 12.0);
    const double topHz = std::max(note.pitch, note.endPitch) * vibratoTop;
    const double limitHz = std::min(0.42 * rate, 9000.0);
    const int harmonics =
        voice.wave == Wave::Sine ? 1 : std::clamp(static_cast<int>(limitHz / topHz), 1, 60);
    const std::vector<double> weights = HarmonicWeights(voice.wave, harmonics);

    std::array<double, 2> gains = {1.0, 1.0};
    if (channels.size() == 2) {
        const double angle = (voice.pan + 1.0) * kPi / 4.0;  // equal power
        gains = {std::cos(angle) * std::sqrt(2.0), std::sin(angle) * std::sqrt(2.0)};
    }

    const std::size_t frames = channels[0].size();
    const std::size_t first = static_cast<std::size_t>(std::lround(note.start * rate));
    const double seconds = note.length + voice.envelope.release;
    const std::size_t last =
        std::min(frames, first + static_cast<std::size_t>(std::ceil(seconds * rate)));

    double phase = 0.0;
    std::uint32_t noiseState = seed;
    double noiseValue = 0.0;
    for (std::size_t i = first; i < last; ++i) {
        const double t = static_cast<double>(i - first) / rate;
        double hz = note.pitch;
        if (note.glide > 0.0) {
            hz = t < note.glide ? note.pitch * std::pow(note.endPitch / note.pitch, t / note.glide)
                                : note.endPitch;
        }
        if (voice.vibrato > 0.0 && t > 0.12) {
            const double depth = voice.vibrato * std::min(1.0, (t - 0.12) / 0.1);
            hz *= std::pow(2.0, depth / 12.0 * std::sin(2.0 * kPi * 5.5 * (t - 0.12)));
        }

        double value = 0.0;
        if (voice.wave == Wave::Noise) {
            if (i == first || phase + hz / rate >= 1.0) {
                // Sample and hold of a small linear congruential generator.
                noiseState = noiseState * 214013u + 2531011u;
                noiseValue = static_cast<double>((noiseState >> 16) & 0x7FFF) / 16383.5 - 1.0;
            }
            value = noiseValue;
        } else {
            value = SampleWave(voice.wave, weights, phase);
        }
        phase += hz / rate;
        phase -= std::floor(phase);

        const double amplitude = voice.level * EnvelopeAt(voice.envelope, t, note.length);
        for (std::size_t c = 0; c < channels.size(); ++c) {
            channels[c][i] += value * amplitude * gains[c];
        }
    }
}

// Renders score into channels (each sampleRate samples a second) and scales
// the loudest sample to kPeakLevel. Every note must have died away before the
// recording ends, so each recording ends in silence and none is cut short.
void RenderScore(const Score& score, int sampleRate, std::vector<std::vector<double>>& channels,
                 std::string_view name) {
    const double seconds = static_cast<double>(channels[0].size()) / sampleRate;
    for (std::size_t k = 0; k < score.size(); ++k) {
        const Note& note = score[k];
        if (note.start + note.length + note.voice.envelope.release > seconds) {
            Fail(name, "a note still sounds when the recording ends");
        }
        RenderNote(note, 0x2545F491u + 7919u * static_cast<std::uint32_t>(k), sampleRate, channels);
    }
    double peak = 0.0;
    for (const auto& channel : channels) {
        for (double v : channel) peak = std::max(peak, std::abs(v));
    }
    if (peak < 1e-3) Fail(name, "the score makes no sound");
    for (auto& channel : channels) {
        for (double& v : channel) v *= kPeakLevel / peak;
    }
}

// ---------------------------------------------------------------------------
// The five recordings

Envelope Adsr(double attack, double decay, double sustain, double release) {
    return Envelope{attack, decay, sustain, release};
}

// A drum hit: noise, or a sine falling from hz to endHz; short and percussive.
void AddHit(Score& score, Wave wave, double at, double level, double hz, double endHz, double decay,
            double pan = 0.0) {
    const Voice v{wave, level, Adsr(0.001, decay, 0.0, 0.02), pan, 1.0, 0.0};
    score.push_back(Note{v, at, decay * 3.0, hz, endHz, decay * 0.8});
}

// 106: the intro jingle, in C major at about 150 beats a minute. A bright
// rising figure over C, an answer over F and G with a running arpeggio and
// drums, then a C chord with a cymbal, held with vibrato and fading out.
Score IntroJingle() {
    constexpr double kStep = 0.1965;     // one eighth
    constexpr double kEnd = 16 * kStep;  // where the final chord strikes
    Score score;
    const Voice lead{Wave::Pulse25, 0.42, Adsr(0.004, 0.25, 0.65, 0.06), -0.3, 0.92, 0.0};
    AddPart(score, lead, 0.0, kStep, "G4 C5 E5 G5 - E5 G5 C6 - A5 C6 A5 B5 G5 D6 B5");
    const Voice arpeggio{Wave::Pulse12, 0.16, Adsr(0.002, 0.05, 0.3, 0.02), 0.45, 0.8, 0.0};
    AddPart(score, arpeggio, 0.0, kStep / 2,
            "C5 E5 G5 E5 C5 E5 G5 E5 C5 E5 G5 E5 C5 E5 G5 E5 "
            "F5 A5 C6 A5 F5 A5 C6 A5 G5 B5 D6 B5 G5 B5 D6 B5");
    const Voice bass{Wave::Triangle, 0.55, Adsr(0.003, 0.15, 0.7, 0.03), 0.0, 0.8, 0.0};
    AddPart(score, bass, 0.0, kStep, "C3 C4 C3 C4 C3 C4 C3 C4 F2 F3 F2 F3 G2 G3 G2 G3");
    for (int step = 0; step < 16; ++step) {
        const double at = step * kStep;
        if (step % 4 == 0) AddHit(score, Wave::Sine, at, 0.6, 160.0, 50.0, 0.07);
        if (step % 4 == 2) AddHit(score, Wave::Noise, at, 0.22, 6000.0, 6000.0, 0.06, -0.1);
        AddHit(score, Wave::Noise, at + kStep / 2, 0.08, 15000.0, 15000.0, 0.015, 0.3);
    }

    const Voice chordLead{Wave::Pulse25, 0.42, Adsr(0.004, 0.5, 0.45, 0.6), -0.3, 1.0, 0.25};
    score.push_back(Note{chordLead, kEnd, 0.5, NoteHz("C6"), NoteHz("C6"), 0.0});
    const Voice chord{Wave::Square, 0.13, Adsr(0.01, 0.5, 0.5, 0.6), 0.45, 1.0, 0.15};
    for (std::string_view name : {"E5", "G5"}) {
        score.push_back(Note{chord, kEnd, 0.5, NoteHz(name), NoteHz(name), 0.0});
    }
    const Voice chordBass{Wave::Triangle, 0.55, Adsr(0.003, 0.5, 0.5, 0.6), 0.0, 1.0, 0.0};
    score.push_back(Note{chordBass, kEnd, 0.5, NoteHz("C3"), NoteHz("C3"), 0.0});
    AddHit(score, Wave::Sine, kEnd, 0.6, 160.0, 50.0, 0.08);
    AddHit(score, Wave::Noise, kEnd, 0.14, 12000.0, 12000.0, 0.35, 0.2);
    return score;
}

// 107: the start fanfare. A quick C-E-G pickup, then a held C over a C chord.
Score StartFanfare() {
    constexpr double kPickup = 0.075;
    Score score;
    const Voice pickup{Wave::Pulse25, 0.45, Adsr(0.003, 0.1, 0.7, 0.02), 0.0, 0.8, 0.0};
    AddPart(score, pickup, 0.0, kPickup, "C5 E5 G5");
    const Voice held{Wave::Pulse25, 0.45, Adsr(0.004, 0.35, 0.55, 0.3), 0.0, 1.0, 0.2};
    AddPart(score, held, 3 * kPickup, 0.72, "C6");
    const Voice chord{Wave::Square, 0.14, Adsr(0.006, 0.35, 0.45, 0.3), 0.0, 1.0, 0.0};
    AddPart(score, chord, 3 * kPickup, 0.72, "E5");
    AddPart(score, chord, 3 * kPickup, 0.72, "G5");
    const Voice bass{Wave::Triangle, 0.5, Adsr(0.003, 0.3, 0.5, 0.3), 0.0, 1.0, 0.0};
    AddPart(score, bass, 0.0, kPickup, "G2 . . C3 - - - - - - - -");
    AddHit(score, Wave::Sine, 3 * kPickup, 0.6, 170.0, 50.0, 0.08);
    AddHit(score, Wave::Noise, 3 * kPickup, 0.12, 11000.0, 11000.0, 0.25);
    return score;
}

// 111: game over. Three notes falling by semitones over the same line an
// octave below, then a long low note that sags and wavers as it fades.
Score GameOverMotif() {
    Score score;
    const Voice lead{Wave::Square, 0.4, Adsr(0.006, 0.2, 0.6, 0.05), 0.0, 0.85, 0.0};
    AddPart(score, lead, 0.0, 0.3, "G4 F#4 F4");
    const Voice low{Wave::Triangle, 0.5, Adsr(0.006, 0.2, 0.7, 0.05), 0.0, 0.85, 0.0};
    AddPart(score, low, 0.0, 0.3, "G3 F#3 F3");

    const Voice leadLast{Wave::Square, 0.4, Adsr(0.006, 0.35, 0.5, 0.3), 0.0, 1.0, 0.35};
    score.push_back(Note{leadLast, 0.9, 0.52, NoteHz("E4"), NoteHz("D#4"), 0.52});
    const Voice lowLast{Wave::Triangle, 0.5, Adsr(0.006, 0.35, 0.5, 0.3), 0.0, 1.0, 0.0};
    score.push_back(Note{lowLast, 0.9, 0.52, NoteHz("E3"), NoteHz("D#3"), 0.52});
    return score;
}

// 116: a piece lands. A knock and a short burst of noise on a low body whose
// pitch drops at once; then the body dies away.
Score LandingThud() {
    Score score;
    const Voice body{Wave::Sine, 0.8, Adsr(0.002, 0.22, 0.0, 0.25), 0.0, 1.0, 0.0};
    score.push_back(Note{body, 0.0, 1.3, 150.0, 48.0, 0.09});
    const Voice under{Wave::Triangle, 0.35, Adsr(0.003, 0.3, 0.0, 0.25), 0.0, 1.0, 0.0};
    score.push_back(Note{under, 0.0, 1.3, 95.0, 40.0, 0.12});
    // An overtone that small loudspeakers can still give back.
    const Voice overtone{Wave::Sine, 0.25, Adsr(0.002, 0.12, 0.0, 0.25), 0.0, 1.0, 0.0};
    score.push_back(Note{overtone, 0.0, 1.3, 300.0, 110.0, 0.09});
    AddHit(score, Wave::Sine, 0.0, 0.3, 420.0, 300.0, 0.035);
    AddHit(score, Wave::Noise, 0.0, 0.35, 3000.0, 1500.0, 0.018);
    return score;
}

// 117: the menu tune, looped by the player. Eight bubbly steps over C and F
// with a quiet echo half a step behind. Every note dies within its steps, so
// the last sample and the first both stand at silence and the loop joins
// without a click.
Score MenuTune(double seconds) {
    const double step = seconds / 8.0;
    Score score;
    const Voice lead{Wave::Pulse25, 0.42, Adsr(0.003, 0.08, 0.5, 0.02), 0.0, 0.7, 0.0};
    AddPart(score, lead, 0.0, step, "E5 G5 C6 G5 F5 A5 C6 A5");
    const Voice echo{Wave::Pulse12, 0.12, Adsr(0.003, 0.05, 0.3, 0.015), 0.0, 0.3, 0.0};
    AddPart(score, echo, step / 2, step, "E5 G5 C6 G5 F5 A5 C6 A5");
    const Voice bass{Wave::Triangle, 0.55, Adsr(0.003, 0.12, 0.6, 0.02), 0.0, 0.7, 0.0};
    AddPart(score, bass, 0.0, step, "C3 C4 G2 C4 F2 F3 C3 F3");
    return score;
}

// ---------------------------------------------------------------------------
// RIFF WAVE files

struct Recording {
    int number;
    int channels;
    int sampleRate;
    int bitsPerSample;
    std::uint32_t dataBytes;
    bool extraChunks;  // sampler, information and display chunks after the data
    const char* name;  // for the information and display chunks
};

constexpr std::array<Recording, 5> kRecordings = {{
    {106, 2, 22050, 8, 191470, false, "Intro jingle"},
    {107, 1, 44100, 16, 112014, true, "Game start"},
    {111, 1, 22255, 8, 39942, false, "Game over"},
    {116, 1, 44100, 16, 139520, true, "Landing"},
    {117, 1, 44100, 16, 65420, true, "Menu tune"},
}};

using Bytes = std::vector<std::uint8_t>;

void PutU16(Bytes& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

void PutU32(Bytes& out, std::uint32_t v) {
    PutU16(out, v & 0xFFFF);
    PutU16(out, v >> 16);
}

void PutTag(Bytes& out, std::string_view tag) {
    // Byte by byte: GCC 12 at -O3 misreads a range insert into an empty
    // vector as an overflow.
    for (char c : tag) out.push_back(static_cast<std::uint8_t>(c));
}

// Appends a chunk: tag, size, body, and the pad byte an odd size needs.
void PutChunk(Bytes& out, std::string_view tag, const Bytes& body) {
    PutTag(out, tag);
    PutU32(out, static_cast<std::uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    if (body.size() % 2 != 0) out.push_back(0);
}

Bytes Text(std::string_view text) {
    Bytes bytes(text.begin(), text.end());
    bytes.push_back(0);
    return bytes;
}

// The sampler chunk. The player ignores it; for the menu tune it names the
// same loop the player makes, the whole recording.
Bytes SamplerChunk(const Recording& r, std::uint32_t frames, bool looped) {
    const auto samplePeriod = static_cast<std::uint32_t>(std::lround(1e9 / r.sampleRate));
    Bytes body;
    PutU32(body, 0);             // manufacturer
    PutU32(body, 0);             // product
    PutU32(body, samplePeriod);  // nanoseconds a sample
    PutU32(body, 60);            // unity note: middle C
    PutU32(body, 0);             // pitch fraction
    PutU32(body, 0);             // SMPTE format
    PutU32(body, 0);             // SMPTE offset
    PutU32(body, looped ? 1 : 0);
    PutU32(body, 0);  // sampler data bytes
    if (looped) {
        PutU32(body, 0);           // cue point
        PutU32(body, 0);           // forward loop
        PutU32(body, 0);           // first sample
        PutU32(body, frames - 1);  // last sample
        PutU32(body, 0);           // fraction
        PutU32(body, 0);           // endless
    }
    return body;
}

Bytes InfoList(const Recording& r) {
    Bytes body;
    PutTag(body, "INFO");
    PutChunk(body, "INAM", Text(r.name));
    PutChunk(body, "ISFT", Text("fompy-talden"));
    return body;
}

Bytes DisplayChunk(const Recording& r) {
    Bytes body;
    PutU32(body, 1);  // clipboard format: plain text
    const Bytes text = Text(r.name);
    body.insert(body.end(), text.begin(), text.end());
    return body;
}

// The complete file of recording r from channels already scaled to +-1.
Bytes WaveFile(const Recording& r, const std::vector<std::vector<double>>& channels) {
    const std::uint32_t blockAlign = static_cast<std::uint32_t>(r.channels * r.bitsPerSample / 8);
    const std::uint32_t frames = r.dataBytes / blockAlign;

    Bytes format;
    PutU16(format, 1);  // PCM
    PutU16(format, static_cast<std::uint32_t>(r.channels));
    PutU32(format, static_cast<std::uint32_t>(r.sampleRate));
    PutU32(format, static_cast<std::uint32_t>(r.sampleRate) * blockAlign);
    PutU16(format, blockAlign);
    PutU16(format, static_cast<std::uint32_t>(r.bitsPerSample));

    Bytes data;
    data.reserve(r.dataBytes);
    for (std::uint32_t i = 0; i < frames; ++i) {
        for (const auto& channel : channels) {
            const double v = channel[i];
            if (r.bitsPerSample == 8) {
                // Unsigned, 128 is silence.
                data.push_back(static_cast<std::uint8_t>(
                    std::clamp(std::lround(128.0 + 127.0 * v), 1L, 254L)));
            } else {
                const long s = std::clamp(std::lround(32767.0 * v), -32766L, 32766L);
                PutU16(data, static_cast<std::uint32_t>(s) & 0xFFFF);
            }
        }
    }

    Bytes chunks;
    PutTag(chunks, "WAVE");
    PutChunk(chunks, "fmt ", format);
    PutChunk(chunks, "data", data);
    if (r.extraChunks) {
        PutChunk(chunks, "smpl", SamplerChunk(r, frames, r.number == 117));
        PutChunk(chunks, "LIST", InfoList(r));
        PutChunk(chunks, "DISP", DisplayChunk(r));
    }
    Bytes file;
    PutTag(file, "RIFF");
    PutU32(file, static_cast<std::uint32_t>(chunks.size()));
    file.insert(file.end(), chunks.begin(), chunks.end());
    return file;
}

// Synthesises recording r into its complete file.
Bytes MakeRecording(const Recording& r) {
    const auto frames = r.dataBytes / static_cast<std::uint32_t>(r.channels * r.bitsPerSample / 8);
    const double seconds = static_cast<double>(frames) / r.sampleRate;
    Score score;
    switch (r.number) {
        case 106:
            score = IntroJingle();
            break;
        case 107:
            score = StartFanfare();
            break;
        case 111:
            score = GameOverMotif();
            break;
        case 116:
            score = LandingThud();
            break;
        case 117:
            score = MenuTune(seconds);
            break;
        default:
            Fail(r.name, "no score for this recording");
    }
    std::vector<std::vector<double>> channels(static_cast<std::size_t>(r.channels),
                                              std::vector<double>(frames, 0.0));
    RenderScore(score, r.sampleRate, channels, r.name);
    return WaveFile(r, channels);
}

// The generated source: one constant array per recording and WaveResource.
std::string GeneratedSource(const std::vector<Bytes>& files) {
    std::string out =
        "// wave_data.cpp -- the five wave recordings, generated by make_sounds at build\n"
        "// time. Do not edit; change resources/make_sounds.cpp instead.\n"
        "#include \"resources/wave_resources.h\"\n\n"
        "namespace ft {\n\nnamespace {\n";
    for (std::size_t k = 0; k < files.size(); ++k) {
        out += "\nconstexpr std::uint8_t kWave" + std::to_string(kRecordings[k].number) + "[] = {";
        for (std::size_t i = 0; i < files[k].size(); ++i) {
            out += (i % 32 == 0) ? "\n" : "";
            out += std::to_string(files[k][i]);
            out += ',';
        }
        out += "\n};\n";
    }
    out +=
        "\n}  // namespace\n\nstd::span<const std::uint8_t> WaveResource(int number) {\n"
        "    switch (number) {\n";
    for (const Recording& r : kRecordings) {
        const std::string n = std::to_string(r.number);
        out += "        case " + n + ": return kWave" + n + ";\n";
    }
    out += "        default: return {};\n    }\n}\n\n}  // namespace ft\n";
    return out;
}

// Writes bytes to path through a temporary file, so a failed run leaves no
// half-written source behind.
bool WriteFile(const std::filesystem::path& path, std::string_view bytes) {
    const std::filesystem::path temporary = path.string() + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out) return false;
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    return !error;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: make_sounds OUTPUT.cpp [WAV_DIR]\n");
        return 2;
    }
    std::vector<Bytes> files;
    for (const Recording& r : kRecordings) files.push_back(MakeRecording(r));
    if (!WriteFile(argv[1], GeneratedSource(files))) {
        std::fprintf(stderr, "make_sounds: cannot write %s; is the build directory writable?\n",
                     argv[1]);
        return 1;
    }
    if (argc == 3) {
        for (std::size_t k = 0; k < kRecordings.size(); ++k) {
            const std::filesystem::path path =
                std::filesystem::path(argv[2]) / (std::to_string(kRecordings[k].number) + ".wav");
            const std::string_view bytes(reinterpret_cast<const char*>(files[k].data()),
                                         files[k].size());
            if (!WriteFile(path, bytes)) {
                std::fprintf(stderr, "make_sounds: cannot write %s\n", path.string().c_str());
                return 1;
            }
        }
    }
    return 0;
}
