// sdl_sound.h -- the single voice of the players' platform: the five wave
// recordings played, looped and stopped through SDL_mixer on one channel.
// Used only inside platform/sdl.
#pragma once

#include <SDL_mixer.h>

#include <array>
#include <memory>
#include <string>

namespace platform::sdl {

struct ChunkDeleter {
    void operator()(Mix_Chunk* chunk) const { Mix_FreeChunk(chunk); }
};
using ChunkPtr = std::unique_ptr<Mix_Chunk, ChunkDeleter>;

// The sound device and the five recordings, loaded once. Lives for the run.
// Without a device it stays silent; a recording that is missing or cannot be
// loaded is a silent cue. Never blocks, never fails.
class Voice {
public:
    Voice() = default;
    Voice(const Voice&) = delete;
    Voice& operator=(const Voice&) = delete;
    ~Voice();

    // Opens the sound device. Returns why there is none (the voice then stays
    // silent), or an empty string.
    std::string OpenDevice();
    // Loads the five recordings once; a recording that cannot be loaded is
    // named in one line on standard error and stays silent.
    void LoadRecordings();

    // Starts the recording of a cue from its first sample, silencing whatever
    // plays; loops it until stopped when loop is true.
    void Play(int resource, bool loop);
    void Stop();

private:
    bool open_ = false;
    std::array<ChunkPtr, 5> chunks_;  // in the order of kCues (sdl_sound.cpp)
};

}  // namespace platform::sdl
