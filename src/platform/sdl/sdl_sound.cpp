// sdl_sound.cpp -- the single voice: SDL_mixer with one channel.
#include "platform/sdl/sdl_sound.h"

#include <SDL.h>

#include <cstdio>

#include "frontend/sound.h"
#include "frontend/wave_resources.h"

namespace platform::sdl {

namespace {

constexpr std::array<int, 5> kCues = {ft::CueIntro, ft::CueGameStart, ft::CueGameOver,
                                      ft::CueLanding, ft::CueMenuTune};

constexpr int kChannel = 0;                // the one voice
constexpr int kOutputRate = 44100;         // Hz; the mixer converts each recording to it
constexpr int kOutputChannels = 2;         // stereo
constexpr int kOutputBufferFrames = 1024;  // about 23 ms: a cue starts within a frame or two

int CueSlot(int resource) {
    for (std::size_t i = 0; i < kCues.size(); ++i) {
        if (kCues[i] == resource) return static_cast<int>(i);
    }
    return -1;
}

}  // namespace

Voice::~Voice() {
    if (!open_) return;
    Mix_HaltChannel(-1);
    for (ChunkPtr& chunk : chunks_) chunk.reset();  // before the device goes
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

std::string Voice::OpenDevice() {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return SDL_GetError();
    if (Mix_OpenAudio(kOutputRate, AUDIO_S16SYS, kOutputChannels, kOutputBufferFrames) != 0) {
        std::string reason = Mix_GetError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return reason;
    }
    open_ = true;
    Mix_AllocateChannels(1);
    return std::string();
}

void Voice::LoadRecordings() {
    if (!open_) return;
    for (std::size_t i = 0; i < kCues.size(); ++i) {
        const auto wave = ft::WaveResource(kCues[i]);
        if (wave.empty()) continue;  // not built in: a silent cue
        // The loader stops at the data chunk, so the chunks some recordings
        // carry after it (sampler loops among them) play no part.
        SDL_RWops* source = SDL_RWFromConstMem(wave.data(), static_cast<int>(wave.size()));
        chunks_[i].reset(Mix_LoadWAV_RW(source, 1));
        if (!chunks_[i]) {
            std::fprintf(stderr, "fompy-talden: sound %d cannot be played: %s\n", kCues[i],
                         Mix_GetError());
        }
    }
}

void Voice::Play(int resource, bool loop) {
    if (!open_) return;
    Mix_HaltChannel(kChannel);
    const int slot = CueSlot(resource);
    if (slot < 0 || !chunks_[static_cast<std::size_t>(slot)]) return;
    Mix_PlayChannel(kChannel, chunks_[static_cast<std::size_t>(slot)].get(), loop ? -1 : 0);
}

void Voice::Stop() {
    if (open_) Mix_HaltChannel(kChannel);
}

}  // namespace platform::sdl
