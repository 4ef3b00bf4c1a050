// sdl_sound.h -- the single voice of the players' platform: the five wave
// recordings played, looped and stopped on SDL's own audio device. Used only
// inside platform/sdl.
#pragma once

#include <SDL.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/result.h"

namespace platform::sdl {

// The sound device and the five recordings, converted to the device's format
// once. Lives for the run. Without a device it stays silent; a recording that
// cannot be loaded is a silent cue.
class Voice {
public:
    Voice() = default;
    Voice(const Voice&) = delete;
    Voice& operator=(const Voice&) = delete;
    ~Voice();

    // Opens the sound device and loads the recordings. A failure says why
    // there is no sound (the voice then stays silent). A recording that
    // cannot be loaded is named in one line on standard error.
    Result<void> Open();
    bool IsOpen() const { return device_ != 0; }

    // Starts the recording of a cue from its first sample, silencing whatever
    // plays; loops it until stopped when loop is true. Never blocks.
    void Play(Cue cue, bool loop);
    void Stop();

    // A sound device went away (SDL_AUDIODEVICEREMOVED). When it is ours the
    // voice closes it and stays silent from then on; returns true then.
    bool OnDeviceRemoved(SDL_AudioDeviceID device, bool isCapture);

    // A voice left without a device shuts SDL's audio down, whose device
    // watcher would go on waking up for nothing. It may take a tenth of a
    // second: called where the game waits for a key anyway.
    void ShutDownIfSilent();

    // Milliseconds until the cue now playing has sounded out; 0 when nothing
    // plays, -1 while a cue loops.
    int MillisecondsLeft();
    // While the game waits for a key with nothing playing, the device is
    // closed so that its thread stops waking up to write silence; the next
    // cue opens it again in the same format. Does nothing while a cue plays.
    void Rest();

private:
    // What the audio thread plays. Written by the game's thread only with
    // the device locked.
    struct Playing {
        const std::vector<std::uint8_t>* recording = nullptr;  // null: silence
        std::size_t position = 0;                              // bytes played of it
        bool loop = false;
        std::uint8_t silence = 0;  // the device's silent byte
    };
    static void SDLCALL FillBuffer(void* playing, Uint8* stream, int length);

    void Close();
    // Opens the device in format_ (the one the recordings were converted to).
    bool OpenDevice(const SDL_AudioSpec& wanted, int allowedChanges);

    bool audioStarted_ = false;     // SDL's audio subsystem is initialised
    SDL_AudioDeviceID device_ = 0;  // 0: none
    bool resting_ = false;          // closed while idle; the next cue reopens it
    SDL_AudioSpec format_{};        // what the device plays
    Playing playing_;
    std::array<std::vector<std::uint8_t>, 5> recordings_;  // in the order of kAllCues, device format
};

}  // namespace platform::sdl
