// SPDX-License-Identifier: MIT
// player_platform.h -- the players' platform: what the desktop and Windows
// decide alike, written once over a backend that only translates its
// window system's news. Where a key goes (the game, the comforts, Alt+Enter,
// the end of a playback), the pause, the live wait and its stamps, the
// frames' schedule, a playback shown at the player's pace, a close request,
// and what the player changed for the settings file.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/common/result.h"
#include "platform/journal/game_watch.h"
#include "platform/journal/journal_host.h"
#include "platform/window/best_scores.h"
#include "platform/window/comforts.h"
#include "platform/window/frame_readout.h"
#include "platform/window/frame_schedule.h"
#include "platform/window/held_picture.h"
#include "platform/window/pad_keys.h"
#include "platform/window/player_backend.h"
#include "platform/window/settings.h"
#include "platform/window/window_platform.h"

namespace ft {
struct Program;
}

namespace platform {

class PlayerPlatform final : public JournalHost, private NewsSink {
public:
    // Over a backend whose window is open.
    PlayerPlatform(const WindowOptions& options, std::unique_ptr<PlayerBackend> backend);
    // The frame log takes the last pictures the screen has told of.
    ~PlayerPlatform() override;

    // What the player changed during the run (Alt+Enter, the window's size,
    // the volume keys), to be remembered in the settings file.
    SettingsChanges Changes() const;
    bool IsPaused() const { return paused_; }
    // The program made on this platform, whose games are followed from its
    // start for their rank in the table of the best; not owned.
    void WatchGames(const ft::Program& program) { program_ = &program; }
    // The scores of the table of the best kept games, when the run's games
    // are kept: a game over that enters the table says its rank over the
    // picture. A playback plays no new game.
    void SetBestScores(std::vector<std::uint64_t> scores) {
        if (!playback_) best_.emplace(std::move(scores));
    }
    // A recording dropped onto the window, which ended the run as a close
    // does, to be played next.
    bool HasDropped() const { return dropped_.has_value(); }
    std::optional<Script> TakeDropped() { return std::exchange(dropped_, std::nullopt); }
    // The backend, to go on with the same window after the run.
    std::unique_ptr<PlayerBackend> TakeBackend() && { return std::move(backend_); }

    // A playback's speeds, slowest first, and what its mark says at each.
    struct Speed {
        int times = 1;  // frames of the recording a frame period ...
        int per = 1;    // ... of this many
        std::string_view mark;
    };
    static constexpr std::array<Speed, 6> kSpeeds = {{{1, 4, "REPLAY X1/4"},
                                                      {1, 2, "REPLAY X1/2"},
                                                      {1, 1, "REPLAY"},
                                                      {2, 1, "REPLAY X2"},
                                                      {4, 1, "REPLAY X4"},
                                                      {8, 1, "REPLAY X8"}}};
    static constexpr int kNormalSpeed = 2;

private:
    // The journal's hooks.
    void Show(const Picture& picture, const Palette& palette, PictureKind kind) override;
    void TakeInput(std::uint64_t time) override;
    void AwaitInput() override;
    void Sound(Cue cue, bool loop) override;
    void Silence() override { backend_->Voice().Stop(); }

    // The backend's news.
    bool OnKey(const KeyNews& key) override;
    void OnWindow(WindowNews news) override;
    void OnPadButton(std::int32_t pad, PadButton button, bool down) override;
    void OnPadStick(std::int32_t pad, bool across, int value) override;
    void OnPadRead(std::int32_t pad, const PadReading& before, const PadReading& now) override;
    void OnPadGone(std::int32_t pad) override;
    void OnDrop(std::string path) override;

    bool KeyInPlay(const KeyNews& key);
    bool KeyWhilePaused(const KeyNews& key);
    // The game's key a key message holds, if any.
    std::optional<Key> GameKeyOf(const KeyNews& key) const;
    void Resume() { paused_ = false; }
    // A playback's own keys, whatever the bindings (the game's keys come from
    // the recording); true when the key was one.
    bool PlaybackKey(std::string_view name);
    bool PlaybackKeyWhilePaused(std::string_view name);
    void PadInPlayback(PadButton button);
    void SetSpeed(int speed);
    // Above the normal speed pictures go unshown; the last one is kept
    // (heldPicture_) to be shown when the playback stands still or slows down.
    void ShowHeldPicture();
    // A watched game: before it, the recording plays unseen; at its end the
    // last picture stays a moment and the show ends.
    bool Unseen() const { return watch_ && Now() < watch_->from; }
    [[noreturn]] void EndWatch();
    void UseComfort(Comfort comfort, bool repeat);
    void SaveScreenshotNow();
    // The picture handed to the screen: the frame log's line once it is on
    // the display, the readout's figures for a frame of the game.
    void ShowOnScreen(const Picture& picture, const Palette& palette);
    void LogPresented();
    void UpdateReadout(std::int64_t now);
    // Takes every piece of news waiting, as input due at time.
    void Pump(std::uint64_t time);
    void PauseIfAsked();
    void Pause();
    void WaitLive();
    void WaitInPlayback();
    void WaitForFrame();
    // A close request: the game's input, or the end of a playback.
    void Close();
    // Escape (Quit) or a close request (Close) during a playback ends the
    // show at the next delivery point; the first reason counts.
    void StopPlayback(EndReason why);
    void EndPlaybackIfStopped();
    void Enqueue(const std::optional<KeyChange>& change);
    // A game of the run has ended; after a game over, its rank is told
    // when it enters the table of the best.
    void Ranked(const std::optional<GameRecord>& ended);

    std::unique_ptr<PlayerBackend> backend_;
    FrameSchedule schedule_;
    SoundLevel level_;
    KeyBindings keys_;
    HeldKeys held_;
    bool autopause_;                // the window losing the keyboard pauses the game
    bool playback_;                 // a recorded script stands in for the player
    bool aspect_;                   // screenshots at 4:3, not in square pixels
    std::string screenshotFolder_;  // the options', else the backend's at the first screenshot
    WindowAtStart windowAtStart_;

    std::optional<EndReason> playbackStop_;
    std::uint64_t time_ = 0;  // the run's time the news at hand are due at
    // A pause asked for, to begin as soon as the news at hand are taken: by
    // itself (the window left) or by a key (P, Pause, the pad's Guide).
    enum class PauseAsk : std::uint8_t { None, Automatic, ByKey };
    PauseAsk pauseAsked_ = PauseAsk::None;
    bool paused_ = false;
    bool automaticPause_ = false;  // the pause in force began by itself

    // A playback's speed (index into kSpeeds) and its way through.
    int fps_;
    int speed_ = kNormalSpeed;
    bool stepping_ = false;        // one more frame, then paused again
    std::uint64_t presented_ = 0;  // presents of the playback so far
    std::optional<WindowOptions::WatchSpan> watch_;
    HeldPicture heldPicture_;

    bool gameOn_ = false;  // between a game's start and its end, as its cues tell
    const ft::Program* program_ = nullptr;
    std::optional<BestScores> best_;  // when the run's games are kept
    GameWatch games_;
    std::optional<Script> dropped_;
    bool pictureShown_ = false;
    std::int64_t pausedTicks_ = 0;  // the backend's clock ticks spent paused in the run

    // The frame-time readout (F10) and the frame log.
    FrameTimes frameTimes_;
    bool readout_ = false;
    std::string readoutLine_;
    LineSink* frameLog_;
    std::int64_t startTicks_;  // the frame log's zero
    std::uint64_t showCalls_ = 0;
    // Pictures handed to a screen that presents later, not yet there.
    struct Unpresented {
        std::uint64_t shown = 0;
        std::uint64_t frame = 0;
        std::int64_t finished = 0;
    };
    std::deque<Unpresented> unpresented_;
};

// A player platform over a backend made from the options and opened with
// them (its Open returns Result<void>); the backend's failure to open is the
// platform's.
template <typename Backend, typename Options>
Result<std::unique_ptr<PlayerPlatform>> OpenPlayerPlatform(const Options& options) {
    auto backend = std::make_unique<Backend>(options);
    if (Result<void> opened = backend->Open(options); !opened) return Failure{opened.reason()};
    return std::make_unique<PlayerPlatform>(options, std::move(backend));
}

}  // namespace platform
