// SPDX-License-Identifier: MIT
// platform.h -- everything the game needs of the machine it runs on, and
// nothing more. The players' platform (SDL2) and the headless platform (tests,
// replays, benchmarks) implement it; no library type crosses this seam.
//
// Input reaches the game only at two delivery points, the same on every
// platform, so that a run can be scripted, recorded and replayed exactly:
//  1. the first key poll of the run, and the first key poll after each present;
//  2. each time a wait loop has polled without success and waits for input.
#pragma once

#include <array>
#include <cstdint>

namespace platform {

// The visible picture's size in pixels.
inline constexpr int kScreenWidth = 320;
inline constexpr int kScreenHeight = 200;

// One entry of the 256-colour palette, 8 bits a channel.
struct PaletteEntry {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    friend bool operator==(const PaletteEntry&, const PaletteEntry&) = default;
};
using Palette = std::array<PaletteEntry, 256>;

// The five sound cues, each the number of a wave recording built into the
// program. One voice: starting a cue silences the one playing.
enum class Cue : std::int32_t {
    Intro = 106,      // once per run, after the intro mosaic
    GameStart = 107,  // at the start of every game
    GameOver = 111,   // when a game ends
    Landing = 116,    // every landing of a piece
    MenuTune = 117,   // looped while the menu is shown
};

// Every cue, for the sound services that load them all up front.
inline constexpr std::array<Cue, 5> kAllCues = {Cue::Intro, Cue::GameStart, Cue::GameOver,
                                                Cue::Landing, Cue::MenuTune};

// The wave recording's number of a cue, as the run log names it.
constexpr int CueNumber(Cue cue) {
    return static_cast<int>(cue);
}

// The seven keys the game reads, in the order of their Windows key codes.
enum class Key : std::uint8_t { Enter, Escape, Space, Left, Up, Right, Down };
inline constexpr int kKeyCount = 7;

// The keyboard as the game polls it. Written by the platform only at the
// delivery points; lives for the run.
struct KeyState {
    std::array<bool, kKeyCount> held{};     // the key is down now
    std::array<bool, kKeyCount> pressed{};  // went down since its last poll
    bool closePending = false;              // a request to close the window was delivered
    bool anyDownDelivered = false;          // some key-down was ever delivered in this run
};

// The visible 320 by 200 picture: pixel (x, y) is pixels[y * pitch + x].
struct Picture {
    const std::uint8_t* pixels = nullptr;
    std::int32_t pitch = 0;  // bytes per row, at least 320
};

enum class PictureKind : std::uint8_t {
    Present,  // a frame presented by PresentFrame: one frame period of the run's clock
    Primary,  // drawing straight into the visible picture, shown at once
};

// Why a run ended; the last line of a headless log names it.
enum class EndReason : std::uint8_t {
    Quit,    // "QUIT" chosen and the closing key pressed, or a close request after it
    Script,  // the script ran out while the game waited for a key
    Frames,  // the frame limit was reached
    Close,   // a request to close the window, delivered before "QUIT"
};

// Thrown by a platform from ShowPicture or WaitForInput to end the run there
// (the script ran out while waiting, or the frame limit was reached), and by
// the game's key polling when a close request is delivered. The game core
// holds no resource that needs more than its destructors.
struct RunEnded {
    EndReason reason;
};

class Platform {
public:
    virtual ~Platform() = default;

    // Shows the visible picture through the 256-entry palette. Called by the
    // display after each PresentFrame (Present) and each UnlockPrimary (Primary).
    // A Present advances the run's virtual time by one and makes the next key
    // poll a delivery point; it may block to pace frames. Borrowed for the call.
    virtual void ShowPicture(const Picture& picture, const Palette& palette, PictureKind kind) = 0;

    // Called at every key poll. At delivery point 1 it delivers every event that
    // is due into keys; at any other poll it does nothing. Never blocks.
    virtual void DeliverDueInput(KeyState& keys) = 0;

    // Delivery point 2: a wait loop found nothing. Blocks (without spinning)
    // until input arrives, then delivers it into keys. May throw RunEnded.
    virtual void WaitForInput(KeyState& keys) = 0;

    // The single voice: starting a cue silences the one playing. Never
    // blocks, never fails.
    virtual void PlayCue(Cue cue) = 0;
    virtual void LoopCue(Cue cue) = 0;
    virtual void StopSound() = 0;

    // The calendar time in whole seconds, read once by each reseed of the
    // random generator.
    virtual std::uint32_t CalendarSeconds() = 0;
};

}  // namespace platform
