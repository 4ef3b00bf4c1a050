// SPDX-License-Identifier: MIT
// win32_sound.cpp -- the single voice on the wave-out device.
//
// The recordings come in three formats; the device is opened in the format
// of the cue to play, and opened again only when the next cue's differs. The
// device reads the samples from the program's copy of the recording, made at
// the volume, and a looped cue is one buffer marked as its own loop.
#include "platform/win32/win32_sound.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>

#include "platform/window/comforts.h"
#include "resources/wave_resources.h"

namespace platform::win32 {

namespace {

std::uint32_t Read32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::uint16_t Read16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

// The format and the samples of a RIFF WAVE file holding PCM; the chunks
// after the samples play no part. False when the file is not one.
bool ParseWave(std::span<const std::uint8_t> wave, WAVEFORMATEX& format,
               std::span<const std::uint8_t>& samples) {
    if (wave.size() < 12 || std::memcmp(wave.data(), "RIFF", 4) != 0 ||
        std::memcmp(wave.data() + 8, "WAVE", 4) != 0) {
        return false;
    }
    bool haveFormat = false;
    std::size_t at = 12;
    while (at + 8 <= wave.size()) {
        const std::uint8_t* chunk = wave.data() + at;
        const std::size_t size = Read32(chunk + 4);
        if (size > wave.size() - at - 8) return false;
        if (std::memcmp(chunk, "fmt ", 4) == 0 && size >= 16) {
            format = WAVEFORMATEX{};
            format.wFormatTag = Read16(chunk + 8);
            format.nChannels = Read16(chunk + 10);
            format.nSamplesPerSec = Read32(chunk + 12);
            format.nAvgBytesPerSec = Read32(chunk + 16);
            format.nBlockAlign = Read16(chunk + 20);
            format.wBitsPerSample = Read16(chunk + 22);
            haveFormat = format.wFormatTag == WAVE_FORMAT_PCM;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            samples = wave.subspan(at + 8, size);
            return haveFormat;
        }
        at += 8 + size + (size & 1);
    }
    return false;
}

bool SameFormat(const WAVEFORMATEX& a, const WAVEFORMATEX& b) {
    return a.nChannels == b.nChannels && a.nSamplesPerSec == b.nSamplesPerSec &&
           a.wBitsPerSample == b.wBitsPerSample;
}

}  // namespace

Voice::~Voice() {
    Close();
}

std::string Voice::Open() {
    if (waveOutGetNumDevs() == 0) return "no sound device";
    for (std::size_t i = 0; i < kAllCues.size(); ++i) {
        const int number = CueNumber(kAllCues[i]);
        if (!ParseWave(ft::WaveResource(number), recordings_[i].format, recordings_[i].samples)) {
            std::fprintf(stderr, "fompy-talden: the sound %d cannot be played; it stays silent\n",
                         number);
            recordings_[i].samples = {};
        }
    }
    open_ = true;
    return {};
}

void Voice::Play(Cue cue, bool loop) {
    Stop();
    if (!open_) return;
    const Recording* recording = nullptr;
    for (std::size_t i = 0; i < kAllCues.size(); ++i) {
        if (kAllCues[i] == cue) recording = &recordings_[i];
    }
    if (recording == nullptr || recording->samples.empty()) return;

    if (device_ != nullptr && !SameFormat(deviceFormat_, recording->format)) Close();
    if (device_ == nullptr) {
        if (waveOutOpen(&device_, WAVE_MAPPER, &recording->format, 0, 0, CALLBACK_NULL) !=
            MMSYSERR_NOERROR) {
            device_ = nullptr;
            if (!deviceFailed_) {
                std::fprintf(stderr,
                             "fompy-talden: the sound device refused a sound; "
                             "some sounds stay silent\n");
            }
            deviceFailed_ = true;
            return;
        }
        deviceFormat_ = recording->format;
    }
    playing_ = recording;
    levelled_.resize(recording->samples.size());
    Level();
    header_ = WAVEHDR{};
    header_.lpData = reinterpret_cast<LPSTR>(levelled_.data());
    header_.dwBufferLength = static_cast<DWORD>(levelled_.size());
    if (loop) {
        header_.dwFlags = WHDR_BEGINLOOP | WHDR_ENDLOOP;
        header_.dwLoops = std::numeric_limits<DWORD>::max();
    }
    if (waveOutPrepareHeader(device_, &header_, sizeof header_) != MMSYSERR_NOERROR) return;
    if (waveOutWrite(device_, &header_, sizeof header_) != MMSYSERR_NOERROR) {
        waveOutUnprepareHeader(device_, &header_, sizeof header_);
        return;
    }
    queued_ = true;
}

void Voice::SetVolume(int percent) {
    volume_ = std::clamp(percent, 0, 100);
    if (queued_) Level();
}

void Voice::SetPaused(bool paused) {
    paused_ = paused;
    if (!queued_) return;
    if (paused) {
        waveOutPause(device_);
    } else {
        waveOutRestart(device_);
    }
}

void Voice::Level() {
    if (playing_ == nullptr || levelled_.size() != playing_->samples.size()) return;
    LevelSamples(playing_->samples, playing_->format.wBitsPerSample, volume_, levelled_);
}

void Voice::Stop() {
    if (!queued_) return;
    waveOutReset(device_);
    waveOutUnprepareHeader(device_, &header_, sizeof header_);
    queued_ = false;
    playing_ = nullptr;
}

void Voice::Close() {
    Stop();
    if (device_ != nullptr) waveOutClose(device_);
    device_ = nullptr;
}

}  // namespace platform::win32
