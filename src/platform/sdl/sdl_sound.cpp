// SPDX-License-Identifier: MIT
// sdl_sound.cpp -- the single voice on SDL's own audio device.
//
// Why not SDL_mixer: one voice needs no mixer, only a callback that copies the
// current recording and otherwise writes silence. SDL_mixer would bring its
// codec libraries (FluidSynth with GLib, libsndfile, Opus, Vorbis, FLAC,
// mpg123...) into the process for five PCM recordings, and it keeps the device
// it opens to itself, where the voice must know its device to notice it going
// away. The recordings are read where they lie in the program, as they were
// made (a third of a megabyte in all); each is converted to the device's
// format by a stream of SDL's as it plays, a few milliseconds ahead of the
// device. Converted once and kept, they would take sixteen times that for the
// whole run.
#include "platform/sdl/sdl_sound.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <span>

#include "platform/common/warning.h"
#include "platform/sdl/sdl_quiet.h"
#include "platform/window/wave.h"
#include "resources/wave_resources.h"

namespace platform::sdl {

namespace {

// What the device is asked for; it may choose another rate, sample format or
// number of channels, and the recordings are converted to what it chose.
constexpr int kOutputRate = 44100;         // Hz
constexpr int kOutputChannels = 2;         // stereo: the intro's recording is
constexpr int kOutputBufferFrames = 1024;  // about 23 ms: a cue starts within a frame or two
// How long after a cue's last sample the device is rested (milliseconds).
constexpr int kSoundOutMilliseconds = 20;

int CueSlot(Cue cue) {
    for (std::size_t i = 0; i < kAllCues.size(); ++i) {
        if (kAllCues[i] == cue) return static_cast<int>(i);
    }
    return -1;
}

// How much of a recording is handed to its stream at a time: a few
// milliseconds of sound, so that the stream holds little more than the
// buffer being filled.
constexpr std::size_t kFeedBytes = 1024;

}  // namespace

Voice::~Voice() {
    if (!thread_.joinable()) return;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        requests_.quit = true;
        pending_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void Voice::Start() {
    if (!thread_.joinable()) thread_ = std::thread([this] { Run(); });
}

void Voice::Play(Cue cue, bool loop) {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        requests_.cue = true;
        requests_.slot = CueSlot(cue);
        requests_.loop = loop;
        pending_ = true;
    }
    wake_.notify_one();
}

void Voice::Stop() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        requests_.cue = true;
        requests_.slot = -1;
        pending_ = true;
    }
    wake_.notify_one();
}

void Voice::SetWaiting(bool waiting) {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (requests_.waiting == waiting) return;
        requests_.waiting = waiting;
        if (!waiting) return;  // nothing to do until the next cue
        pending_ = true;
    }
    wake_.notify_one();
}

void Voice::OnDeviceRemoved(SDL_AudioDeviceID device, bool isCapture) {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (isCapture || ours_ == 0 || device != ours_) return;
        requests_.deviceGone = true;
        pending_ = true;
    }
    wake_.notify_one();
}

void Voice::OnDeviceAdded(bool isCapture) {
    if (isCapture) return;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        requests_.deviceCame = true;
        pending_ = true;
    }
    wake_.notify_one();
}

void Voice::SetVolume(int percent) {
    volume_ = std::clamp(percent, 0, 100);
}

void Voice::SetPaused(bool paused) {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (paused_ == paused) return;
        paused_ = paused;
        // The voice's thread looks again whether the device may rest.
        pending_ = true;
    }
    wake_.notify_one();
}

void Voice::Run() {
    // The voice's thread: everything that may take time.
    {
        Result<void> opened;
        {
            QuietStandardError quiet;
            opened = Open();
        }
        if (!opened) {
            WarnNoSound(opened.reason());
            // Without a device SDL's device watcher would wake up for nothing.
            const std::lock_guard<std::mutex> subsystems(SubsystemLock());
            if (audioStarted_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
            audioStarted_ = false;
        }
    }
    std::unique_lock<std::mutex> lock(mutex_);
    ours_ = device_;
    int restIn = -1;  // milliseconds until the cue playing in a wait has sounded out
    for (;;) {
        if (restIn >= 0) {
            wake_.wait_for(lock, std::chrono::milliseconds(restIn), [this] { return pending_; });
        } else {
            wake_.wait(lock, [this] { return pending_; });
        }
        pending_ = false;
        const Requests now = requests_;
        requests_.cue = false;
        requests_.deviceGone = false;
        requests_.deviceCame = false;
        if (now.quit) break;
        lock.unlock();

        if (now.deviceGone && device_ != 0) {
            CloseDevice();
            resting_ = false;
            lost_ = true;
            Warn("the sound device is gone; silent until another comes");
        }
        if (now.deviceCame && lost_) {
            // Again in the format the recordings were converted to.
            const SDL_AudioSpec format = format_;
            if (OpenDevice(format, 0)) {
                lost_ = false;
                Warn("a sound device came; playing sound again");
            }
        }
        if (now.cue) {
            if (resting_) {
                resting_ = false;
                const SDL_AudioSpec format = format_;
                if (!OpenDevice(format, 0)) {
                    WarnNoSound(SDL_GetError());
                }
            }
            Apply(now.slot, now.loop);
        }
        restIn = -1;
        if (device_ != 0) {
            lock.lock();
            const bool waiting = requests_.waiting;
            lock.unlock();
            const int left = waiting ? MillisecondsLeft() : -1;
            if (left == 0) {
                // A wait can be long: once its cue has sounded out, the device
                // rests instead of writing silence all the while.
                CloseDevice();
                resting_ = true;
            } else if (left > 0) {
                restIn = left + kSoundOutMilliseconds;
            }
        }
        lock.lock();
        ours_ = device_;
    }
    lock.unlock();
    CloseDevice();
    FreeRecordings();
    SDL_TLSCleanup();  // SDL's error text of this thread, which SDL did not start
}

Result<void> Voice::Open() {
    {
        const std::lock_guard<std::mutex> subsystems(SubsystemLock());
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return Failure{SDL_GetError()};
        audioStarted_ = true;
    }
    SDL_AudioSpec wanted{};
    wanted.freq = kOutputRate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = kOutputChannels;
    wanted.samples = kOutputBufferFrames;
    // Always 16-bit samples, which the volume scales; SDL converts them for
    // a device that wants another format.
    if (!OpenDevice(wanted, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE)) {
        return Failure{SDL_GetError()};
    }
    LoadRecordings();
    return {};
}

void Voice::LoadRecordings() {
    for (std::size_t i = 0; i < kAllCues.size(); ++i) {
        const auto file = ft::WaveResource(CueNumber(kAllCues[i]));
        if (file.empty()) continue;  // not built in: a silent cue
        const std::optional<Wave> wave = ReadWave(file);
        SDL_AudioStream* stream = nullptr;
        if (!wave) {
            SDL_SetError("not a wave recording of 8- or 16-bit PCM");
        } else {
            stream = SDL_NewAudioStream(wave->bitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16LSB,
                                        static_cast<Uint8>(wave->channels), wave->rate,
                                        format_.format, format_.channels, format_.freq);
        }
        if (stream == nullptr) {
            WarnSoundUnplayable(CueNumber(kAllCues[i]), SDL_GetError());
            continue;
        }
        Recording& recording = recordings_[i];
        recording.samples = wave->samples;
        recording.frameBytes = wave->FrameBytes();
        recording.bytesPerSecond = wave->FrameBytes() * wave->rate;
        recording.stream = stream;
    }
}

void Voice::FreeRecordings() {
    for (Recording& recording : recordings_) {
        if (recording.stream != nullptr) SDL_FreeAudioStream(recording.stream);
        recording = Recording{};
    }
}

bool Voice::OpenDevice(const SDL_AudioSpec& wanted, int allowedChanges) {
    SDL_AudioSpec asked = wanted;
    asked.callback = FillBuffer;
    asked.userdata = this;
    device_ = SDL_OpenAudioDevice(nullptr, 0, &asked, &format_, allowedChanges);
    if (device_ == 0) return false;
    playing_ = Playing{};
    playing_.silence = format_.silence;
    SDL_PauseAudioDevice(device_, 0);  // silence until a cue
    return true;
}

void Voice::CloseDevice() {
    if (device_ == 0) return;
    SDL_CloseAudioDevice(device_);  // the audio thread has ended when this returns
    device_ = 0;
    playing_.recording = nullptr;
}

void Voice::Apply(int slot, bool loop) {
    if (device_ == 0) return;
    Recording* recording = nullptr;
    if (slot >= 0 && recordings_[static_cast<std::size_t>(slot)].stream != nullptr) {
        recording = &recordings_[static_cast<std::size_t>(slot)];
    }
    SDL_LockAudioDevice(device_);
    // Whatever the streams still held is not heard: a cue starts from its
    // first sample, the stream's converter as new.
    if (playing_.recording != nullptr) SDL_AudioStreamClear(playing_.recording->stream);
    if (recording != nullptr) SDL_AudioStreamClear(recording->stream);
    playing_.recording = recording;
    playing_.position = 0;
    playing_.loop = loop;
    playing_.flushed = false;
    SDL_UnlockAudioDevice(device_);
}

int Voice::MillisecondsLeft() {
    if (device_ == 0) return 0;
    if (paused_) return -1;  // a paused cue is not over
    SDL_LockAudioDevice(device_);
    const Playing now = playing_;
    const int converted =
        now.recording != nullptr ? SDL_AudioStreamAvailable(now.recording->stream) : 0;
    SDL_UnlockAudioDevice(device_);
    if (now.recording == nullptr) return 0;
    if (now.loop) return -1;
    const std::size_t bytesPerSecond = static_cast<std::size_t>(format_.freq) * format_.channels *
                                       (SDL_AUDIO_BITSIZE(format_.format) / 8);
    const std::size_t left =
        now.recording->samples.size() - std::min(now.position, now.recording->samples.size());
    // What is still to be converted, what the stream holds converted, and the
    // buffer the device is sounding out.
    return static_cast<int>(left * 1000 / static_cast<std::size_t>(now.recording->bytesPerSecond)) +
           static_cast<int>(static_cast<std::size_t>(std::max(converted, 0)) * 1000 /
                            std::max<std::size_t>(bytesPerSecond, 1)) +
           static_cast<int>(format_.samples) * 1000 / std::max(format_.freq, 1);
}

void SDLCALL Voice::FillBuffer(void* voice, Uint8* stream, int length) {
    // The audio thread, with the device locked.
    auto& self = *static_cast<Voice*>(voice);
    auto& now = self.playing_;
    auto left = static_cast<std::size_t>(length);
    if (self.paused_) {
        std::memset(stream, now.silence, left);
        return;
    }
    Uint8* const start = stream;
    while (left > 0 && now.recording != nullptr) {
        Recording& recording = *now.recording;
        const int got = SDL_AudioStreamGet(recording.stream, stream, static_cast<int>(left));
        if (got > 0) {
            stream += got;
            left -= static_cast<std::size_t>(got);
            continue;
        }
        if (got < 0) {
            now.recording = nullptr;  // the stream failed: silence, not a stuck voice
            break;
        }
        // The stream has nothing converted: hand it more of the recording.
        const std::size_t size = recording.samples.size();
        if (now.position < size) {
            std::size_t count = std::min(kFeedBytes, size - now.position);
            count -= count % static_cast<std::size_t>(recording.frameBytes);
            if (count == 0 ||
                SDL_AudioStreamPut(recording.stream, recording.samples.data() + now.position,
                                   static_cast<int>(count)) != 0) {
                now.recording = nullptr;
                break;
            }
            now.position += count;
        } else if (now.loop && size > 0) {
            now.position = 0;  // on from the first sample, without a seam
        } else if (!now.flushed) {
            SDL_AudioStreamFlush(recording.stream);  // the converter's last samples
            now.flushed = true;
        } else {
            now.recording = nullptr;
        }
    }
    if (left > 0) std::memset(stream, now.silence, left);
    // The device takes 16-bit samples of the machine's own byte order (Open).
    const int volume = self.volume_;
    if (volume < 100) {
        const std::size_t count = static_cast<std::size_t>(length) / sizeof(Sint16);
        for (std::size_t i = 0; i < count; ++i) {
            Sint16 sample = 0;
            std::memcpy(&sample, start + i * sizeof sample, sizeof sample);
            sample = static_cast<Sint16>(sample * volume / 100);
            std::memcpy(start + i * sizeof sample, &sample, sizeof sample);
        }
    }
}

}  // namespace platform::sdl
