// SPDX-License-Identifier: MIT
// player_platform.cpp -- the players' platform's decisions, once for every
// window system.
#include "platform/window/player_platform.h"

#include <algorithm>
#include <cstddef>
#include <utility>

#include "core/program/program.h"
#include "platform/common/text.h"
#include "platform/common/warning.h"
#include "platform/window/paused_picture.h"
#include "platform/window/screenshot.h"

namespace platform {

namespace {

// Alt+Enter is the platform's own key (fullscreen or window), with either
// Enter.
bool IsAltEnter(const KeyNews& key) {
    return key.down && key.alt && (key.name == "Enter" || key.name == "KeypadEnter");
}

// The keypad's digits 2, 4, 6 and 8 are its arrows while Num Lock is off, as
// the keys' second labels say; with Num Lock on they hold none of the game's
// keys, whatever the settings bind to them.
bool IsKeypadArrow(std::string_view name) {
    return name == "Keypad2" || name == "Keypad4" || name == "Keypad6" || name == "Keypad8";
}

// The keys a playback takes for itself.
bool IsPlaybackKeyName(std::string_view name) {
    return name == "Escape" || name == "Right" || name == "Left" || name == "Space" ||
           name == "Down";
}

}  // namespace

PlayerPlatform::PlayerPlatform(const WindowOptions& options, std::unique_ptr<PlayerBackend> backend)
    : JournalHost(JournalOptions{options.log, options.record, options.playback.value_or(Script{})}),
      backend_(std::move(backend)),
      schedule_(backend_->TicksPerSecond(), options.fps),
      level_(options.volume, options.mute),
      keys_(options.keys),
      autopause_(options.autopause),
      playback_(options.playback.has_value()),
      aspect_(options.fit.aspect),
      screenshotFolder_(options.screenshotFolder),
      windowAtStart_{options.fullscreen, backend_->Screen().WindowedSize()},
      fps_(options.fps),
      watch_(options.playback ? options.watch : std::nullopt),
      frameTimes_(backend_->TicksPerSecond()),
      frameLog_(options.frameLog),
      startTicks_(backend_->Ticks()) {
    if (frameLog_ != nullptr) frameLog_->Write(kFrameLogHeader);
    backend_->Voice().SetVolume(level_.Level());
    if (playback_) backend_->Screen().SetMark(kSpeeds[static_cast<std::size_t>(speed_)].mark);
}

PlayerPlatform::~PlayerPlatform() {
    if (backend_) LogPresented();
}

SettingsChanges PlayerPlatform::Changes() const {
    SettingsChanges changes;
    windowAtStart_.AddChanges(backend_->Screen().IsFullscreen(), backend_->Screen().WindowedSize(),
                              changes);
    level_.AddChanges(changes);
    return changes;
}

void PlayerPlatform::Show(const Picture& picture, const Palette& palette, PictureKind kind) {
    const int times = kSpeeds[static_cast<std::size_t>(speed_)].times;
    // On to the watched game as fast as the machine allows, nothing shown;
    // the window stays live at each frame's poll.
    if (Unseen()) return;
    if (playback_ && kind == PictureKind::Present && times > 1 && ++presented_ % times != 0) {
        heldPicture_.Hold(picture, palette);
    } else {
        ShowOnScreen(picture, palette);
        heldPicture_.Drop();
    }
    if (!pictureShown_) {
        pictureShown_ = true;
        backend_->FirstPictureShown();
    }
    if (kind != PictureKind::Present) return;
    if (best_ && program_ != nullptr) games_.Presented(program_->game, program_->settings);
    frameTimes_.Finished(backend_->Ticks());
    if (readout_) UpdateReadout(backend_->Ticks());
    if (stepping_) {
        // One more frame of a paused playback: paused again.
        stepping_ = false;
        pauseAsked_ = PauseAsk::ByKey;
        PauseIfAsked();
    }
    WaitForFrame();
    if (watch_ && !watch_->toGameOver && Now() >= watch_->until) EndWatch();
}

// The watched game's last picture stays a moment, the window live (Escape
// ends it sooner), and the show ends as a playback that ran its course.
void PlayerPlatform::EndWatch() {
    ShowHeldPicture();
    constexpr std::int64_t kHoldFifths = 10;  // two seconds
    const std::int64_t fifth = backend_->TicksPerSecond() / 5;
    for (std::int64_t i = 0; i < kHoldFifths && !playbackStop_; ++i) {
        Pump(Now());
        backend_->SleepUntil(backend_->Ticks() + fifth);
    }
    EndPlaybackIfStopped();
    throw RunEnded{EndReason::Script};
}

// The frame log takes the picture's frame and the time the game finished it
// now, and the time it reached the display as soon as the screen tells.
void PlayerPlatform::ShowOnScreen(const Picture& picture, const Palette& palette) {
    PlayerScreen& screen = backend_->Screen();
    const std::int64_t finished = backend_->Ticks();
    ++showCalls_;
    screen.Show(picture, palette);
    if (frameLog_ == nullptr) return;
    if (!screen.PresentsLater()) {
        const std::int64_t perSecond = backend_->TicksPerSecond();
        frameLog_->Write(FrameLogLine(Presents(), MicrosecondsOf(finished, startTicks_, perSecond),
                                      MicrosecondsOf(backend_->Ticks(), startTicks_, perSecond)));
        return;
    }
    // A screen that falls behind by more than this keeps its frames unlogged
    // instead of growing the list.
    constexpr std::size_t kMostUnpresented = 256;
    if (unpresented_.size() == kMostUnpresented) unpresented_.pop_front();
    unpresented_.push_back(Unpresented{showCalls_, Presents(), finished});
    LogPresented();
}

// The pictures the screen put on the display since it last told; those a
// newer one overtook are passed over.
void PlayerPlatform::LogPresented() {
    if (frameLog_ == nullptr || !backend_->Screen().PresentsLater()) return;
    const std::int64_t perSecond = backend_->TicksPerSecond();
    for (const PlayerScreen::Presented& presented : backend_->Screen().TakePresented()) {
        while (!unpresented_.empty() && unpresented_.front().shown < presented.shown) {
            unpresented_.pop_front();
        }
        if (unpresented_.empty() || unpresented_.front().shown != presented.shown) continue;
        const Unpresented& picture = unpresented_.front();
        frameLog_->Write(FrameLogLine(picture.frame,
                                      MicrosecondsOf(picture.finished, startTicks_, perSecond),
                                      MicrosecondsOf(presented.tick, startTicks_, perSecond)));
        unpresented_.pop_front();
    }
}

void PlayerPlatform::UpdateReadout(std::int64_t now) {
    std::string line =
        ReadoutLine(frameTimes_.FramesPerSecond(now), backend_->Screen().RefreshRate(),
                    frameTimes_.WorstIntervalMs(now));
    if (line == readoutLine_) return;
    readoutLine_ = std::move(line);
    backend_->Screen().SetReadout(readoutLine_);
}

void PlayerPlatform::ShowHeldPicture() {
    if (!heldPicture_.IsHeld()) return;
    const Picture picture = heldPicture_.Take();
    ShowOnScreen(picture, heldPicture_.HeldPalette());
}

// The cues tell where the game is: a game from its start to its game over or
// the menu's tune.
void PlayerPlatform::Sound(Cue cue, bool loop) {
    if (cue == Cue::GameStart) gameOn_ = true;
    if (cue == Cue::GameOver || cue == Cue::MenuTune) gameOn_ = false;
    backend_->Voice().Play(cue, loop);
    if (!best_ || program_ == nullptr) return;
    if (cue == Cue::GameStart) games_.Started(program_->settings);
    if (cue == Cue::GameOver) Ranked(games_.GameOver(program_->game, program_->settings));
    if (cue == Cue::MenuTune && loop) Ranked(games_.Left());
}

// Every game of the run takes its place among the best as the table will
// hold it; a game over that enters it says so for a few seconds.
void PlayerPlatform::Ranked(const std::optional<GameRecord>& ended) {
    if (!ended) return;
    const std::optional<std::size_t> rank = best_->Enter(ended->score);
    if (rank && ended->end == GameEnd::GameOver) {
        backend_->Screen().ShowNote(RankNote(*rank), kRankNoteMilliseconds);
    }
}

void PlayerPlatform::TakeInput(std::uint64_t time) {
    Pump(time);
    EndPlaybackIfStopped();
}

void PlayerPlatform::AwaitInput() {
    // A game waits only on its game-over screen, after its cue: a wait with
    // the game running is the menu's, after Escape.
    if (best_) Ranked(games_.Left());
    if (!playback_ && Journal().Input().HasPending()) return;
    // A wait can be long: once its cue has sounded out, the sound device
    // may rest instead of writing silence all the while.
    backend_->Voice().SetWaiting(true);
    LogPresented();
    if (watch_ && watch_->toGameOver && Now() >= watch_->until) EndWatch();
    if (!Unseen()) ShowHeldPicture();
    if (playback_) {
        WaitInPlayback();
    } else {
        WaitLive();
    }
    backend_->Voice().SetWaiting(false);
}

// What arrives is stamped with the frames that passed while the game waited
// (one at least), so that a playback of the recording waits as long as the
// player did; a replay delivers it at this same wait all the same. Time spent
// paused is no time in the game. The keys a pause lets go of are input too.
void PlayerPlatform::WaitLive() {
    const std::uint64_t start = Journal().BeginLiveWait();
    const std::int64_t startTicks = backend_->Ticks();
    const std::int64_t pausedBefore = pausedTicks_;
    std::uint64_t time = start;
    for (;;) {
        Pump(time);
        if (Journal().Input().HasPending()) return;
        backend_->Sleep();
        LogPresented();
        const std::int64_t since = startTicks + (pausedTicks_ - pausedBefore);
        time = LiveWaitStamp(start, schedule_.FramesSince(backend_->Ticks(), since));
    }
}

// A wait during a playback: the recorded player took (next event's time -
// now) frames to act, so the wait lasts that long in real time; the window
// stays live and Escape ends the show. With nothing left to play, the show is
// over.
void PlayerPlatform::WaitInPlayback() {
    if (!Journal().Input().HasPending()) throw RunEnded{EndReason::Script};
    const std::uint64_t due = Journal().Input().Pending().front().time;
    if (Unseen()) return;  // no time is waited on the way to a watched game
    for (std::uint64_t t = Now(); t < due; ++t) {
        Pump(Now());
        EndPlaybackIfStopped();
        WaitForFrame();
    }
}

// Frames at a steady rate: after each present, a sleep until the next slot.
void PlayerPlatform::WaitForFrame() {
    backend_->SleepUntil(schedule_.Next(backend_->Ticks()));
}

void PlayerPlatform::Pump(std::uint64_t time) {
    time_ = time;
    backend_->Pump(*this);
}

// A pause asked for among the news is carried out before the news after it
// are looked at.
void PlayerPlatform::PauseIfAsked() {
    if (pauseAsked_ != PauseAsk::None && !paused_) Pause();
}

bool PlayerPlatform::OnKey(const KeyNews& key) {
    const bool taken = paused_ ? KeyWhilePaused(key) : KeyInPlay(key);
    PauseIfAsked();
    return taken;
}

// A key while the game runs. Alt+Enter is the platform's own key: its Enter
// is not the game's, nor are the auto-repeats that go on arriving, without
// Alt, when Alt is let go first (a repeat starts no press), nor its release.
bool PlayerPlatform::KeyInPlay(const KeyNews& key) {
    if (IsAltEnter(key)) {
        if (!key.repeat) backend_->Screen().ToggleFullscreen();
        return true;
    }
    if (const std::optional<Comfort> comfort = ComfortOfKey(key.name)) {
        if (key.down) UseComfort(*comfort, key.repeat);
        return true;
    }
    if (playback_) {
        // The recording is the keyboard; the playback's own keys steer it.
        if (key.down && !key.repeat) PlaybackKey(key.name);
        return IsPlaybackKeyName(key.name) || GameKeyOf(key).has_value();
    }
    const std::optional<Key> bound = GameKeyOf(key);
    if (!bound) return false;
    // Whatever the key stood for when it went down, it lets go of. A held
    // key's auto-repeat sets its pressed flag again, but only for a key the
    // game sees held by it.
    const KeySource source{kKeyboardDevice, key.control};
    if (!key.down) {
        Enqueue(held_.Release(*bound, source));
    } else {
        Enqueue(key.repeat ? held_.Repeat(*bound, source) : held_.Press(*bound, source));
    }
    return true;
}

// The keypad's arrows hold nothing under Num Lock; the rest as bound.
std::optional<Key> PlayerPlatform::GameKeyOf(const KeyNews& key) const {
    if (key.down && key.numLock && IsKeypadArrow(key.name)) return std::nullopt;
    return BoundKey(keys_, key.name);
}

// A key during a pause: Alt+Enter and the comforts work, P and Pause resume,
// and after a pause that began by itself any of the game's keys too; Escape
// ends a playback. Nothing reaches the game, not even the key that resumes:
// it holds nothing (its repeats and its release start nothing).
bool PlayerPlatform::KeyWhilePaused(const KeyNews& key) {
    if (IsAltEnter(key)) {
        if (!key.repeat) backend_->Screen().ToggleFullscreen();
        return true;
    }
    if (const std::optional<Comfort> comfort = ComfortOfKey(key.name)) {
        if (key.down && *comfort == Comfort::Pause) {
            if (!key.repeat) Resume();
        } else if (key.down) {
            UseComfort(*comfort, key.repeat);
        }
        return true;
    }
    if (playback_ && key.down && !key.repeat && PlaybackKeyWhilePaused(key.name)) return true;
    if (!GameKeyOf(key)) return false;
    if (automaticPause_ && key.down && !key.repeat) Resume();
    return true;
}

void PlayerPlatform::OnWindow(WindowNews news) {
    switch (news) {
        case WindowNews::Close:
            // A close request ends a pause too, and is the game's.
            Close();
            Resume();
            break;
        case WindowNews::FocusLost:
            if (paused_) break;
            // The key-ups go to the other window: whatever was held is let go.
            for (const KeyChange& change : held_.ReleaseDevice(kKeyboardDevice)) Enqueue(change);
            [[fallthrough]];
        case WindowNews::Minimised:
            // A player who switches away, or hides the window, finds the game
            // where it was. A focus lost on the way back is not a new pause.
            if (autopause_ && !paused_ && pauseAsked_ == PauseAsk::None) {
                pauseAsked_ = PauseAsk::Automatic;
            }
            break;
        case WindowNews::PadPause:
            if (paused_) {
                Resume();
            } else {
                pauseAsked_ = PauseAsk::ByKey;
            }
            break;
    }
    PauseIfAsked();
}

// The pads are the game's only while it runs and no script plays it. In a
// pause, Start resumes, and after a pause that began by itself any button;
// the button that resumes holds nothing.
void PlayerPlatform::OnPadButton(std::int32_t pad, PadButton button, bool down) {
    if (playback_) {
        if (down) PadInPlayback(button);
        return;
    }
    if (paused_) {
        if (down && (automaticPause_ || button == kPadStart)) Resume();
        return;
    }
    if (playback_) return;
    const Key key = KeyOfPadButton(button);
    const KeySource source{pad, static_cast<std::int32_t>(button)};
    Enqueue(down ? held_.Press(key, source) : held_.Release(key, source));
}

void PlayerPlatform::OnPadStick(std::int32_t pad, bool across, int value) {
    if (paused_ || playback_) return;
    const KeySource source{pad, across ? kPadStickXControl : kPadStickYControl};
    for (const KeyChange& change : held_.MoveAxis(source, value, across ? Key::Left : Key::Up,
                                                  across ? Key::Right : Key::Down)) {
        Enqueue(change);
    }
}

void PlayerPlatform::OnPadRead(std::int32_t pad, const PadReading& before, const PadReading& now) {
    if (playback_) {
        const auto pressed = static_cast<std::uint16_t>(now.buttons & ~before.buttons);
        for (std::uint16_t bit = 1; bit != 0; bit = static_cast<std::uint16_t>(bit << 1)) {
            if ((pressed & bit) != 0) PadInPlayback(static_cast<PadButton>(bit));
        }
        return;
    }
    if (paused_) {
        const auto pressed = static_cast<std::uint16_t>(now.buttons & ~before.buttons);
        if (pressed != 0 && (automaticPause_ || (pressed & kPadStart) != 0)) Resume();
        return;
    }
    if (playback_) return;
    for (const KeyChange& change : held_.MovePad(pad, before, now)) Enqueue(change);
}

// Whatever the pad held is let go.
void PlayerPlatform::OnPadGone(std::int32_t pad) {
    for (const KeyChange& change : held_.ReleaseDevice(pad)) Enqueue(change);
}

// Right faster, Left slower, Space pauses, Escape ends the show.
bool PlayerPlatform::PlaybackKey(std::string_view name) {
    if (name == "Escape") {
        StopPlayback(EndReason::Quit);
    } else if (name == "Right") {
        SetSpeed(speed_ + 1);
    } else if (name == "Left") {
        SetSpeed(speed_ - 1);
    } else if (name == "Space") {
        pauseAsked_ = PauseAsk::ByKey;
    } else {
        return name == "Down";  // steps a paused show; nothing else
    }
    return true;
}

// In a pause: Space goes on, Down shows one more frame, the speed keys and
// Escape as ever.
bool PlayerPlatform::PlaybackKeyWhilePaused(std::string_view name) {
    if (name == "Space" || name == "Escape" || name == "Down") {
        if (name == "Escape") StopPlayback(EndReason::Quit);
        stepping_ = name == "Down";
        Resume();
        return true;
    }
    return (name == "Right" || name == "Left") && PlaybackKey(name);
}

// A pad steers a playback as the keys do: the d-pad and A (as Space); in a
// pause, Start goes on, and after one that began by itself any button.
void PlayerPlatform::PadInPlayback(PadButton button) {
    std::string_view name;
    if (button == kPadRight) name = "Right";
    if (button == kPadLeft) name = "Left";
    if (button == kPadDown) name = "Down";
    if (button == kPadA) name = "Space";
    if (!paused_) {
        PlaybackKey(name);
        PauseIfAsked();
    } else if (!PlaybackKeyWhilePaused(name) && (automaticPause_ || button == kPadStart)) {
        Resume();
    }
}

void PlayerPlatform::SetSpeed(int speed) {
    speed = std::clamp(speed, 0, static_cast<int>(kSpeeds.size()) - 1);
    if (speed == speed_) return;
    speed_ = speed;
    const Speed& now = kSpeeds[static_cast<std::size_t>(speed_)];
    schedule_ = FrameSchedule(backend_->TicksPerSecond() * now.per, fps_ * now.times);
    backend_->Screen().SetMark(now.mark);
    if (now.times == 1) ShowHeldPicture();
}

// A recording dropped onto the window ends the intro, the menu, the game-over
// screen or a playback as a close does (close recorded), to be played next;
// a game in play goes on, and so does everything when the file is not a
// recording: the player is told why.
void PlayerPlatform::OnDrop(std::string path) {
    if (gameOn_ && !playback_) {
        Warn("'" + PrintableText(path) +
             "' is not played during a game: drop it on the intro, the menu or a playback");
        return;
    }
    if (dropped_) return;  // the first one counts
    Result<Script> script = LoadScript(path);
    if (!script) {
        Warn(script.reason() + "; the game goes on");
        return;
    }
    dropped_ = std::move(*script);
    Close();
    Resume();
}

// A comfort key went down (or repeats): a pause asked for, the sound level,
// a screenshot.
void PlayerPlatform::UseComfort(Comfort comfort, bool repeat) {
    const ComfortRequest asked = AskOfComfort(comfort, repeat, level_);
    if (asked.pause) pauseAsked_ = PauseAsk::ByKey;
    if (asked.levelChanged) {
        backend_->Voice().SetVolume(level_.Level());
        backend_->Screen().ShowNote(level_.Note(), kNoteMilliseconds);
    }
    if (asked.screenshot) SaveScreenshotNow();
    if (asked.readout) {
        readout_ = !readout_;
        readoutLine_.clear();
        if (readout_) {
            UpdateReadout(backend_->Ticks());
        } else {
            backend_->Screen().SetReadout({});
        }
    }
}

// F12: the picture on the screen saved as a file, said in one line. The
// folder is looked for at the first screenshot, not at start-up.
void PlayerPlatform::SaveScreenshotNow() {
    if (screenshotFolder_.empty()) screenshotFolder_ = backend_->PicturesFolder();
    if (screenshotFolder_.empty()) screenshotFolder_ = ScreenshotFolder();
    SaveScreenshotAndSay(screenshotFolder_, backend_->Screen().Shown(),
                         backend_->Screen().ShownPalette(), aspect_);
}

// The game stands still until P, Pause, the pad's Guide or Start (after a
// pause that began by itself, any of the game's keys or any pad button): no
// picture is presented, no time passes in the run, the cue playing waits. The keys
// held are let go for the game at once, at the time of the news at hand (the
// input of the delivery point the game is at), so that a recording holds the
// same; everything else pressed meanwhile is not the game's. The pause leaves
// no other trace in the run. A close request ends the pause and is the
// game's.
void PlayerPlatform::Pause() {
    automaticPause_ = pauseAsked_ == PauseAsk::Automatic;
    pauseAsked_ = PauseAsk::None;
    const std::int64_t began = backend_->Ticks();
    ShowHeldPicture();
    for (const KeyChange& change : held_.ReleaseAll()) Enqueue(change);
    backend_->Voice().SetPaused(true);
    backend_->Screen().SetPaused(true,
                                 automaticPause_ ? kHintAfterAutomaticPause : kHintAfterPauseKey);
    paused_ = true;
    for (;;) {
        backend_->Pump(*this);
        if (!paused_) break;
        backend_->Sleep();
    }
    pauseAsked_ = PauseAsk::None;
    backend_->Screen().SetPaused(false, {});
    backend_->Voice().SetPaused(false);
    pausedTicks_ += backend_->Ticks() - began;
    frameTimes_.Restart();  // the pause is no frame interval
}

void PlayerPlatform::Close() {
    if (playback_) {
        StopPlayback(EndReason::Close);
        return;
    }
    JournalHost::Enqueue(InputEvent{time_, InputEvent::Kind::Close, Key::Enter});
}

void PlayerPlatform::StopPlayback(EndReason why) {
    if (!playbackStop_) playbackStop_ = why;
}

void PlayerPlatform::EndPlaybackIfStopped() {
    if (!playbackStop_) return;
    ShowHeldPicture();
    throw RunEnded{*playbackStop_};
}

void PlayerPlatform::Enqueue(const std::optional<KeyChange>& change) {
    if (!change) return;
    const auto kind = change->down ? InputEvent::Kind::KeyDown : InputEvent::Kind::KeyUp;
    JournalHost::Enqueue(InputEvent{time_, kind, change->key});
}

}  // namespace platform
