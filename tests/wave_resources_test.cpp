// SPDX-License-Identifier: MIT
// wave_resources_test.cpp -- the recordings built into the program: their
// RIFF structure, formats and sizes, and that each sounds without clipping;
// and the platforms' reader of such files.
#include "resources/wave_resources.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "platform/window/wave.h"

namespace {

using Bytes = std::span<const std::uint8_t>;

std::uint32_t ReadU16(Bytes bytes, std::size_t at) {
    return static_cast<std::uint32_t>(bytes[at] | (bytes[at + 1] << 8));
}

std::uint32_t ReadU32(Bytes bytes, std::size_t at) {
    return ReadU16(bytes, at) | (ReadU16(bytes, at + 2) << 16);
}

std::string ReadTag(Bytes bytes, std::size_t at) {
    return std::string(reinterpret_cast<const char*>(bytes.data() + at), 4);
}

struct Chunk {
    std::string id;
    Bytes body;
};

// A RIFF file read by walking its chunks; error says what was wrong, if anything.
struct RiffFile {
    std::string error;
    std::uint32_t riffSize = 0;
    std::string form;
    std::vector<Chunk> chunks;  // in file order
};

RiffFile ReadRiff(Bytes file) {
    RiffFile riff;
    if (file.size() < 12 || ReadTag(file, 0) != "RIFF") {
        riff.error = "no RIFF header";
        return riff;
    }
    riff.riffSize = ReadU32(file, 4);
    riff.form = ReadTag(file, 8);
    const std::size_t end = std::min<std::size_t>(file.size(), 8 + std::size_t{riff.riffSize});
    std::size_t at = 12;
    while (at + 8 <= end) {
        const std::uint32_t size = ReadU32(file, at + 4);
        if (at + 8 + size > end) {
            riff.error = "chunk " + ReadTag(file, at) + " runs past the end";
            return riff;
        }
        riff.chunks.push_back({ReadTag(file, at), file.subspan(at + 8, size)});
        at += 8 + size + (size % 2);  // odd chunks carry a pad byte
    }
    if (at != end) riff.error = "the chunks do not fill the RIFF form exactly";
    return riff;
}

// Index of the first chunk named id, or -1.
int FindChunk(const RiffFile& riff, const std::string& id) {
    for (std::size_t k = 0; k < riff.chunks.size(); ++k) {
        if (riff.chunks[k].id == id) return static_cast<int>(k);
    }
    return -1;
}

struct Expected {
    int number;
    std::uint32_t channels;
    std::uint32_t sampleRate;
    std::uint32_t bitsPerSample;
    std::size_t dataBytes;
    bool chunksAfterData;
};

constexpr Expected kRecordings[] = {
    {106, 2, 22050, 8, 191470, false}, {107, 1, 44100, 16, 112014, true},
    {111, 1, 22255, 8, 39942, false},  {116, 1, 44100, 16, 139520, true},
    {117, 1, 44100, 16, 65420, true},
};

// The samples of one recording, per channel, as fractions of full scale.
struct Samples {
    std::vector<std::vector<double>> channels;
    bool atExtreme = false;  // some sample holds the lowest or highest code
};

// No channels at all if the format or the samples are missing.
Samples Decode(const RiffFile& riff) {
    Samples samples;
    const int formatAt = FindChunk(riff, "fmt ");
    const int dataAt = FindChunk(riff, "data");
    if (formatAt < 0 || dataAt < 0) return samples;
    const Bytes format = riff.chunks[static_cast<std::size_t>(formatAt)].body;
    const Bytes data = riff.chunks[static_cast<std::size_t>(dataAt)].body;
    if (format.size() < 16) return samples;
    const std::size_t channels = ReadU16(format, 2);
    const std::size_t bytesPerSample = ReadU16(format, 14) / 8;
    if (channels == 0 || (bytesPerSample != 1 && bytesPerSample != 2)) return samples;
    samples.channels.resize(channels);
    for (std::size_t at = 0; at + bytesPerSample <= data.size(); at += bytesPerSample) {
        const std::size_t channel = (at / bytesPerSample) % channels;
        double value = 0.0;
        if (bytesPerSample == 1) {
            samples.atExtreme |= data[at] == 0 || data[at] == 255;
            value = (data[at] - 128) / 128.0;
        } else {
            const auto code = static_cast<std::int16_t>(ReadU16(data, at));
            samples.atExtreme |= code == -32768 || code == 32767;
            value = code / 32768.0;
        }
        samples.channels[channel].push_back(value);
    }
    return samples;
}

double Rms(const std::vector<double>& v, std::size_t first, std::size_t count) {
    double sum = 0.0;
    for (std::size_t i = first; i < first + count; ++i) sum += v[i] * v[i];
    return std::sqrt(sum / static_cast<double>(count));
}

// The mean size of the step from one sample to the next.
double TypicalStep(const std::vector<double>& v) {
    double sum = 0.0;
    for (std::size_t i = 1; i < v.size(); ++i) sum += std::abs(v[i] - v[i - 1]);
    return sum / static_cast<double>(v.size() - 1);
}

TEST(WaveResources, EachRecordingIsAWellFormedPcmFileOfItsFormat) {
    for (const Expected& e : kRecordings) {
        SCOPED_TRACE("recording " + std::to_string(e.number));
        const Bytes file = ft::WaveResource(e.number);
        const RiffFile riff = ReadRiff(file);
        ASSERT_EQ(riff.error, "");
        EXPECT_EQ(riff.riffSize, file.size() - 8);
        EXPECT_EQ(riff.form, "WAVE");

        const int formatAt = FindChunk(riff, "fmt ");
        const int dataAt = FindChunk(riff, "data");
        ASSERT_GE(formatAt, 0);
        ASSERT_GT(dataAt, formatAt);  // the format comes before the samples
        const Bytes format = riff.chunks[static_cast<std::size_t>(formatAt)].body;
        ASSERT_EQ(format.size(), 16u);
        EXPECT_EQ(ReadU16(format, 0), 1u);  // uncompressed PCM
        EXPECT_EQ(ReadU16(format, 2), e.channels);
        EXPECT_EQ(ReadU32(format, 4), e.sampleRate);
        const std::uint32_t blockAlign = e.channels * e.bitsPerSample / 8;
        EXPECT_EQ(ReadU32(format, 8), e.sampleRate * blockAlign);  // bytes a second
        EXPECT_EQ(ReadU16(format, 12), blockAlign);
        EXPECT_EQ(ReadU16(format, 14), e.bitsPerSample);
        EXPECT_EQ(riff.chunks[static_cast<std::size_t>(dataAt)].body.size(), e.dataBytes);

        const bool chunksAfterData = static_cast<std::size_t>(dataAt) + 1 < riff.chunks.size();
        if (e.chunksAfterData) {
            EXPECT_TRUE(chunksAfterData);
        }
    }
}

TEST(WaveResources, EachRecordingSoundsUnclippedAndStartsAndEndsQuietly) {
    for (const Expected& e : kRecordings) {
        SCOPED_TRACE("recording " + std::to_string(e.number));
        const RiffFile riff = ReadRiff(ft::WaveResource(e.number));
        ASSERT_EQ(riff.error, "");
        const Samples samples = Decode(riff);
        ASSERT_EQ(samples.channels.size(), e.channels);
        EXPECT_FALSE(samples.atExtreme);
        for (const std::vector<double>& channel : samples.channels) {
            ASSERT_GT(channel.size(), 1u);
            // Every channel is audible: above -40 dBFS over the whole recording.
            EXPECT_GT(Rms(channel, 0, channel.size()), 0.01);
            // Headroom: the loudest sample stays below -1 dBFS.
            double peak = 0.0;
            double mean = 0.0;
            for (double v : channel) {
                peak = std::max(peak, std::abs(v));
                mean += v / static_cast<double>(channel.size());
            }
            EXPECT_LT(peak, 0.89);
            // Centred on silence (8-bit samples are unsigned around 128): an
            // offset would thump whenever a cue starts or is cut off.
            EXPECT_LT(std::abs(mean), 0.02);
            // Starting from silence and ending in it make no click.
            const double step = TypicalStep(channel);
            EXPECT_LE(std::abs(channel.front()), step);
            EXPECT_LE(std::abs(channel.back()), step);
        }
    }
}

TEST(WaveResources, MenuTuneLoopJoinsWithoutAClick) {
    const RiffFile riff = ReadRiff(ft::WaveResource(117));
    ASSERT_EQ(riff.error, "");
    const std::vector<double> tune = Decode(riff).channels.at(0);
    // The player repeats the whole data chunk: after the last sample comes the first.
    EXPECT_LE(std::abs(tune.front() - tune.back()), TypicalStep(tune));
}

TEST(WaveResources, LandingThudDiesAway) {
    const RiffFile riff = ReadRiff(ft::WaveResource(116));
    ASSERT_EQ(riff.error, "");
    const std::vector<double> thud = Decode(riff).channels.at(0);
    const std::size_t tenth = thud.size() / 10;
    // The last tenth is more than 26 dB below the first.
    EXPECT_LT(Rms(thud, thud.size() - tenth, tenth), Rms(thud, 0, tenth) / 20.0);
}

TEST(WaveResources, OtherNumbersHaveNoRecording) {
    for (int number : {-1, 0, 1, 105, 108, 110, 112, 115, 118, 1000}) {
        EXPECT_TRUE(ft::WaveResource(number).empty()) << "number " << number;
    }
}

// The platforms play what ReadWave finds: the same format and the very bytes
// of the data chunk, in place.
TEST(WaveResources, TheReaderFindsEachRecordingsFormatAndSamplesInPlace) {
    for (const Expected& e : kRecordings) {
        SCOPED_TRACE("recording " + std::to_string(e.number));
        const Bytes file = ft::WaveResource(e.number);
        const std::optional<platform::Wave> wave = platform::ReadWave(file);
        ASSERT_TRUE(wave.has_value());
        EXPECT_EQ(static_cast<std::uint32_t>(wave->channels), e.channels);
        EXPECT_EQ(static_cast<std::uint32_t>(wave->rate), e.sampleRate);
        EXPECT_EQ(static_cast<std::uint32_t>(wave->bitsPerSample), e.bitsPerSample);
        const RiffFile riff = ReadRiff(file);
        const Bytes data = riff.chunks[static_cast<std::size_t>(FindChunk(riff, "data"))].body;
        EXPECT_EQ(wave->samples.data(), data.data());
        EXPECT_EQ(wave->samples.size(), e.dataBytes);
    }
}

// A file made of a header and the chunks given, each padded as RIFF pads.
std::vector<std::uint8_t> MakeRiff(
    const std::vector<std::pair<std::string, std::vector<std::uint8_t>>>& chunks) {
    std::vector<std::uint8_t> file = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
    for (const auto& [id, body] : chunks) {
        file.insert(file.end(), id.begin(), id.end());
        const auto size = static_cast<std::uint32_t>(body.size());
        for (int shift = 0; shift < 32; shift += 8)
            file.push_back(static_cast<std::uint8_t>(size >> shift));
        file.insert(file.end(), body.begin(), body.end());
        if (size % 2 != 0) file.push_back(0);
    }
    return file;
}

std::vector<std::uint8_t> Format(int tag, int channels, int bits) {
    const int rate = 11025;
    const int align = channels * bits / 8;
    std::vector<std::uint8_t> body;
    for (const auto& [value, bytes] :
         {std::pair{tag, 2}, {channels, 2}, {rate, 4}, {rate * align, 4}, {align, 2}, {bits, 2}}) {
        for (int i = 0; i < bytes; ++i) body.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
    return body;
}

TEST(WaveReader, TakesOnlyWhatCanBePlayedAndNeverReadsPastTheFile) {
    const std::vector<std::uint8_t> samples = {1, 2, 3, 4, 5, 6, 7};
    // An odd chunk before the format is skipped with its pad byte; the data
    // keep whole frames only (three of 16-bit mono, the odd byte left out).
    auto file = MakeRiff({{"LIST", {9, 9, 9}}, {"fmt ", Format(1, 1, 16)}, {"data", samples}});
    auto wave = platform::ReadWave(file);
    ASSERT_TRUE(wave.has_value());
    EXPECT_EQ(wave->samples.size(), 6u);
    EXPECT_EQ(wave->samples[0], 1);

    EXPECT_FALSE(platform::ReadWave(MakeRiff({{"data", samples}, {"fmt ", Format(1, 1, 8)}})))
        << "samples before their format";
    EXPECT_FALSE(platform::ReadWave(MakeRiff({{"fmt ", Format(3, 1, 32)}, {"data", samples}})))
        << "floating-point samples";
    EXPECT_FALSE(platform::ReadWave(MakeRiff({{"fmt ", Format(1, 2, 24)}, {"data", samples}})))
        << "24-bit samples";
    EXPECT_FALSE(platform::ReadWave(MakeRiff({{"fmt ", Format(1, 0, 8)}, {"data", samples}})))
        << "no channels";
    // A file cut anywhere before its data chunk ends (its pad byte is not
    // needed) tells of more than there is.
    file = MakeRiff({{"fmt ", Format(1, 1, 8)}, {"data", samples}});
    for (std::size_t size = 0; size + 1 < file.size(); ++size) {
        EXPECT_FALSE(platform::ReadWave(std::span(file).first(size))) << "cut at " << size;
    }
    EXPECT_TRUE(platform::ReadWave(std::span(file).first(file.size() - 1)));
}

}  // namespace
