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

#include "platform/common/warning.h"
#include "platform/window/comforts.h"
#include "platform/window/wave.h"
#include "resources/wave_resources.h"

namespace platform::win32 {

namespace {

// What waveOut is told of a recording.
WAVEFORMATEX FormatOf(const Wave& wave) {
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = static_cast<WORD>(wave.channels);
    format.nSamplesPerSec = static_cast<DWORD>(wave.rate);
    format.nBlockAlign = static_cast<WORD>(wave.FrameBytes());
    format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
    format.wBitsPerSample = static_cast<WORD>(wave.bitsPerSample);
    return format;
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
        const std::optional<Wave> wave = ReadWave(ft::WaveResource(number));
        if (!wave) {
            WarnSoundUnplayable(number, "its recording cannot be read");
            recordings_[i].samples = {};
            continue;
        }
        recordings_[i].format = FormatOf(*wave);
        recordings_[i].samples = wave->samples;
    }
    open_ = true;
    return {};
}

void Voice::Play(Cue cue, bool loop) {
    if (!tried_) {
        tried_ = true;
        if (const std::string noSound = Open(); !noSound.empty()) WarnNoSound(noSound);
    }
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
                Warn("the sound device refused a sound; some sounds stay silent");
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
