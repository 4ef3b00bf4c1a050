// sound.h -- the five sound cues, each the number of a wave recording built
// into the program. One voice: starting a cue silences the one playing.
#pragma once

#include <array>

namespace ft {

enum SoundCue : int {
    CueIntro = 106,      // once per run, after the intro mosaic
    CueGameStart = 107,  // at the start of every game
    CueGameOver = 111,   // when a game ends
    CueLanding = 116,    // every landing of a piece
    CueMenuTune = 117,   // looped while the menu is shown
};

// Every cue, for the sound services that load them all up front.
inline constexpr std::array<int, 5> kAllCues = {CueIntro, CueGameStart, CueGameOver, CueLanding,
                                                CueMenuTune};

}  // namespace ft
