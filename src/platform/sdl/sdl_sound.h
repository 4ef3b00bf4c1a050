// SPDX-License-Identifier: MIT
// sdl_sound.h -- the single voice of the players' platform: the five wave
// recordings played, looped and stopped on SDL's own audio device. Used only
// inside platform/sdl.
#pragma once

#include <SDL.h>

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <thread>

#include "core/seam/platform.h"
#include "platform/common/result.h"
#include "platform/window/player_backend.h"

namespace platform::sdl {

// The sound device and the five recordings, converted to the device's format
// as they play. Lives for the run. Opening, closing and reopening the device can take
// tens of milliseconds on a desktop sound server, so all of it happens on a
// thread of the voice's own: what the game thread calls only leaves a request
// and returns. Without a device the voice stays silent; a recording that
// cannot be loaded is a silent cue.
class Voice final : public PlayerVoice {
public:
    Voice() = default;
    Voice(const Voice&) = delete;
    Voice& operator=(const Voice&) = delete;
    ~Voice();

    // Starts the voice's thread, which opens the sound device and loads the
    // recordings. Returns at once. When there is no sound, the thread says why
    // in one line on standard error, and so it does for a recording that
    // cannot be loaded.
    void Start();

    // Starts the recording of a cue from its first sample, silencing whatever
    // plays; loops it until stopped when loop is true. Never blocks. A cue
    // asked for while the device is opening starts from its first sample as
    // soon as it is open.
    void Play(Cue cue, bool loop) override;
    void Stop() override;

    // The game waits for a key, or goes on. While it waits, the device is
    // closed once the cue playing has sounded out, so that its thread stops
    // waking up to write silence; the next cue opens it again in the same
    // format. A voice left without any device shuts SDL's audio down, whose
    // device watcher would go on waking up for nothing.
    void SetWaiting(bool waiting) override;

    // A sound device went away (SDL_AUDIODEVICEREMOVED) or came (ADDED). When
    // ours goes, the voice is silent until an output device comes, and then
    // plays on it.
    void OnDeviceRemoved(SDL_AudioDeviceID device, bool isCapture);
    void OnDeviceAdded(bool isCapture);

    // The loudness of what plays, 0 (silent) to 100 (the recordings as they
    // are), applied to the samples as they go to the device: a cue starts
    // and ends when it would at any volume.
    void SetVolume(int percent) override;
    // The game is paused: the device plays silence and the cue playing stays
    // where it is, to go on from there when the game does.
    void SetPaused(bool paused) override;

private:
    // A recording as it was made, and the stream that converts it to the
    // device's format a little at a time as it plays.
    struct Recording {
        std::span<const std::uint8_t> samples;  // in the program's own copy of the file
        int frameBytes = 1;                     // bytes of one sample of every channel
        int bytesPerSecond = 1;
        SDL_AudioStream* stream = nullptr;  // null: a silent cue
    };
    // What the audio thread plays. Written by the voice's thread only with
    // the device locked.
    struct Playing {
        Recording* recording = nullptr;  // null: silence
        std::size_t position = 0;        // bytes of it handed to its stream
        bool loop = false;
        bool flushed = false;      // its last samples are in the stream
        std::uint8_t silence = 0;  // the device's silent byte
    };
    // What the game thread asks for, under mutex_.
    struct Requests {
        bool cue = false;  // a cue (or a stop) not yet carried out
        int slot = -1;     // the cue's recording, -1 to stop
        bool loop = false;
        bool waiting = false;
        bool deviceGone = false;
        bool deviceCame = false;
        bool quit = false;
    };
    static void SDLCALL FillBuffer(void* voice, Uint8* stream, int length);

    void Run();
    // Each on the voice's thread.
    Result<void> Open();
    void LoadRecordings();
    void FreeRecordings();
    bool OpenDevice(const SDL_AudioSpec& wanted, int allowedChanges);
    void CloseDevice();
    void Apply(int slot, bool loop);
    int MillisecondsLeft();

    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable wake_;
    Requests requests_;           // under mutex_
    bool pending_ = false;        // under mutex_: requests_ changed
    SDL_AudioDeviceID ours_ = 0;  // under mutex_: the device, for OnDeviceRemoved

    // The voice's thread's own.
    bool audioStarted_ = false;     // SDL's audio subsystem is initialised
    SDL_AudioDeviceID device_ = 0;  // 0: none
    bool resting_ = false;          // closed while idle; the next cue reopens it
    bool lost_ = false;             // ours went away; waiting for another
    SDL_AudioSpec format_{};        // what the device plays
    Playing playing_;
    // Read by the audio thread as it fills each buffer.
    std::atomic<int> volume_{100};
    std::atomic<bool> paused_{false};
    std::array<Recording, 5> recordings_;  // in the order of kAllCues
};

}  // namespace platform::sdl
