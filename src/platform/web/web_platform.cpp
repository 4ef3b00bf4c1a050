// SPDX-License-Identifier: MIT
// web_platform.cpp -- the browser's platform: the page's key events turned
// into the seven keys and delivered at the delivery points, the picture
// converted through its palette for the canvas, frames paced by sleeping in
// the browser's event loop, the single voice handed to the page.
#include "platform/web/web_platform.h"

#include <emscripten.h>

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string_view>

#include "platform/common/line_sink.h"
#include "platform/web/web_page.h"
#include "platform/window/comforts.h"
#include "platform/window/paused_picture.h"
#include "platform/window/player_platform.h"
#include "resources/wave_resources.h"

namespace platform {

namespace {

constexpr int kScriptStream = 0;
constexpr int kLogStream = 1;

constexpr int kKeyEventBatch = 64;  // key events taken from the page at a time

// The recorded script or the run log, each whole line handed to the page as
// it is written.
class PageLines final : public LineSink {
public:
    explicit PageLines(int stream) : stream_(stream) {}
    void Write(std::string_view line) override {
        WebPageAppendText(stream_, line.data(), static_cast<int>(line.size()));
    }

private:
    int stream_;
};

// They hold no more than their stream's number, and the journal writes its
// first line while it is made, so they stand outside the platform.
LineSink* PageStream(bool wanted, int stream) {
    static PageLines script(kScriptStream);
    static PageLines log(kLogStream);
    if (!wanted) return nullptr;
    return stream == kScriptStream ? &script : &log;
}

using Speeds = decltype(PlayerPlatform::kSpeeds);
constexpr const Speeds& kSpeeds = PlayerPlatform::kSpeeds;

// Unseen frames on the way to a watched game run as fast as they can; the
// page has its turn after this many.
constexpr std::uint32_t kUnseenFramesATurn = 500;
// The watched game's last picture stays this long, in steps that look for
// Escape.
constexpr int kHoldSteps = 10;
constexpr unsigned kHoldStepMilliseconds = 200;
// Above the normal speed a frame whose picture goes unshown sleeps only when
// its slot is at least this far off: the browser's timers wake no sooner,
// so a sleep a frame would slow x8 to half of it.
constexpr double kShortestSleepMilliseconds = 4;

}  // namespace

// A live run's recording goes to the page, which keeps every game; a
// playback records nothing.
WebPlatform::WebPlatform(const WebOptions& options)
    : JournalHost(JournalOptions{PageStream(options.log, kLogStream),
                                 PageStream(!options.playback, kScriptStream),
                                 options.playback.value_or(Script{})}),
      rgba_(static_cast<std::size_t>(kScreenWidth) * kScreenHeight * 4, 0),
      ticksPerMillisecond_(1000 * FrameSchedule::Tick{std::max(options.fps, 1)}),
      schedule_(1000 * ticksPerMillisecond_, options.fps),
      playback_(options.playback.has_value()),
      fps_(std::max(options.fps, 1)),
      watch_(options.playback ? options.watch : std::nullopt),
      speed_(PlayerPlatform::kNormalSpeed) {
    WebPageOpen(kScreenWidth, kScreenHeight);
    // PAUSED and the hints, and the volume notes, as the desktop draws them,
    // at the picture's own size.
    const ScreenRect picture{0, 0, kScreenWidth, kScreenHeight};
    const auto numbers = [](const std::vector<ScreenRect>& blocks) {
        std::vector<std::int32_t> out;
        for (const ScreenRect& block : blocks) {
            out.insert(out.end(), {block.x, block.y, block.width, block.height});
        }
        return out;
    };
    int hint = 0;
    for (const std::string_view words :
         {kHintAfterAutomaticPause, kHintAfterPauseKey, kHintOnTouchScreen}) {
        const std::vector<std::int32_t> blocks = numbers(PausedBlocks(words, picture));
        WebPageSetPausedHint(hint++, blocks.data(), static_cast<int>(blocks.size() / 4));
    }
    for (int volume = -1; volume <= 100; ++volume) {
        const std::string note = SoundLevel(std::max(volume, 0), volume < 0).Note();
        const std::vector<std::int32_t> box = numbers({NoteBox(note, picture)});
        const std::vector<std::int32_t> blocks = numbers(NoteBlocks(note, picture));
        WebPageSetNote(volume, box.data(), blocks.data(), static_cast<int>(blocks.size() / 4));
    }
    for (std::size_t speed = 0; playback_ && speed < kSpeeds.size(); ++speed) {
        const std::string_view mark = kSpeeds[speed].mark;
        const std::vector<std::int32_t> box = numbers({MarkBox(mark, picture)});
        const std::vector<std::int32_t> blocks = numbers(MarkBlocks(mark, picture));
        WebPageSetMark(static_cast<int>(speed), box.data(), blocks.data(),
                       static_cast<int>(blocks.size() / 4));
    }
    for (Cue cue : kAllCues) {
        const auto wave = ft::WaveResource(CueNumber(cue));
        if (!wave.empty()) {
            WebPageLoadSound(CueNumber(cue), wave.data(), static_cast<int>(wave.size()));
        }
    }
    // Before the first frame, so the intro's jingle is heard from its start.
    WebPageWaitForSounds();
}

WebPlatform::~WebPlatform() = default;

void WebPlatform::Show(const Picture& picture, const Palette& palette, PictureKind kind) {
    assert(picture.pixels != nullptr && picture.pitch >= kScreenWidth);
    const bool present = kind == PictureKind::Present;
    if (Unseen()) {
        // On to the watched game as fast as the machine allows, nothing
        // shown; the page has its turn now and then (Escape, a pause).
        if (++unseenFrames_ % kUnseenFramesATurn == 0) {
            emscripten_sleep(0);
            if (WebPagePlaybackStopped() != 0) EndPlayback(EndReason::Quit);
        }
        return;
    }
    if (playback_) FollowSpeed();
    const int times = kSpeeds[static_cast<std::size_t>(speed_)].times;
    const bool unshown =
        playback_ && present && times > 1 && ++presented_ % static_cast<unsigned>(times) != 0;
    if (unshown) {
        heldPicture_.Hold(picture, palette);
    } else {
        Draw(picture, palette, present);
    }
    if (!present) return;
    WaitForNextSlot(unshown);
    if (watch_ && !watch_->toGameOver && Now() >= watch_->until) EndWatch();
}

void WebPlatform::Draw(const Picture& picture, const Palette& palette, bool present) {
    if (!coloursMade_ || palette != palette_) {
        palette_ = palette;
        for (std::size_t i = 0; i < colours_.size(); ++i) {
            const std::array<std::uint8_t, 4> bytes = {palette[i].red, palette[i].green,
                                                       palette[i].blue, 255};
            std::memcpy(&colours_[i], bytes.data(), bytes.size());
        }
        coloursMade_ = true;
    }
    std::uint8_t* out = rgba_.data();
    for (int y = 0; y < kScreenHeight; ++y) {
        const std::uint8_t* row = picture.pixels + static_cast<std::ptrdiff_t>(y) * picture.pitch;
        for (int x = 0; x < kScreenWidth; ++x, out += 4) {
            const std::uint32_t colour = colours_[row[x]];
            std::memcpy(out, &colour, 4);
        }
    }
    heldPicture_.Drop();
    WebPageShowPicture(rgba_.data(), present ? 1 : 0);
}

void WebPlatform::ShowHeldPicture() {
    if (!heldPicture_.IsHeld()) return;
    const Picture picture = heldPicture_.Take();
    Draw(picture, heldPicture_.HeldPalette(), true);
}

// The speed keys are the page's (as the pause is): the schedule follows.
void WebPlatform::FollowSpeed() {
    const int speed = std::clamp(WebPagePlaybackSpeed(), 0, static_cast<int>(kSpeeds.size()) - 1);
    if (speed == speed_) return;
    speed_ = speed;
    const PlayerPlatform::Speed& now = kSpeeds[static_cast<std::size_t>(speed_)];
    schedule_ = FrameSchedule(1000 * ticksPerMillisecond_ * now.per, fps_ * now.times);
    if (now.times == 1) ShowHeldPicture();
}

// The watched game's last picture stays a moment (Escape ends it sooner),
// and the show ends as a playback that ran its course.
void WebPlatform::EndWatch() {
    ShowHeldPicture();
    for (int i = 0; i < kHoldSteps && WebPagePlaybackStopped() == 0; ++i) {
        emscripten_sleep(kHoldStepMilliseconds);
    }
    EndPlayback(WebPagePlaybackStopped() != 0 ? EndReason::Quit : EndReason::Script);
}

void WebPlatform::EndPlayback(EndReason reason) {
    ShowHeldPicture();
    Finish(reason);
    for (;;) WebPageHalt();
}

// A wait during a playback: the recorded player took (next event's time -
// now) frames to act, so the wait lasts that long at the playback's speed.
// With nothing left to play, the show is over.
void WebPlatform::WaitInPlayback() {
    if (watch_ && watch_->toGameOver && Now() >= watch_->until) EndWatch();
    if (!InputPending()) EndPlayback(EndReason::Script);
    if (Unseen()) return;  // no time is waited on the way to a watched game
    ShowHeldPicture();
    const std::uint64_t due = Journal().Input().Pending().front().time;
    for (std::uint64_t t = Now(); t < due; ++t) {
        FollowSpeed();
        const auto times = static_cast<unsigned>(kSpeeds[static_cast<std::size_t>(speed_)].times);
        WaitForNextSlot(times > 1 && ++presented_ % times != 0);
    }
}

// What arrives while the wait waits belongs after every poll made so far, so
// that a replay delivers it at this same wait.
void WebPlatform::AwaitInput() {
    if (playback_) {
        WaitInPlayback();
        return;
    }
    if (InputPending()) return;
    const std::uint64_t time = Journal().BeginLiveWait();
    while (!AbsorbPageKeys(time)) WebPageWaitForKeyEvent();
}

void WebPlatform::Sound(Cue cue, bool loop) {
    WebPagePlaySound(CueNumber(cue), loop ? 1 : 0);
}

void WebPlatform::Silence() {
    WebPageStopSound();
}

void WebPlatform::Finish(EndReason reason) {
    Journal().Finish(reason);
    WebPageEnded();
}

bool WebPlatform::AbsorbPageKeys(std::uint64_t time) {
    bool any = false;
    const auto enqueue = [&](const std::optional<KeyChange>& change) {
        if (!change) return;
        Enqueue(InputEvent{time, change->down ? InputEvent::Kind::KeyDown : InputEvent::Kind::KeyUp,
                           change->key});
        any = true;
    };
    std::array<std::int32_t, kKeyEventBatch * kWebKeyEventSize> events{};
    for (;;) {
        const int count = WebPageTakeKeyEvents(events.data(), kKeyEventBatch);
        for (int i = 0; i < count; ++i) {
            const std::int32_t* event = &events[static_cast<std::size_t>(i) * kWebKeyEventSize];
            const std::int32_t kind = event[0];
            const KeySource source{event[2], event[3]};
            if (kind == kWebKeyAxis) {
                const bool across = source.control == 0;
                for (const KeyChange& change : held_.MoveAxis(
                         source, std::clamp(event[1], -32768, 32767), across ? Key::Left : Key::Up,
                         across ? Key::Right : Key::Down)) {
                    enqueue(change);
                }
                continue;
            }
            if (kind == kWebKeyDeviceGone) {
                for (const KeyChange& change : held_.ReleaseDevice(source.device)) enqueue(change);
                continue;
            }
            if (event[1] < 0 || event[1] >= kKeyCount) continue;
            const auto key = static_cast<Key>(event[1]);
            // A held key's auto-repeat sets its pressed flag again, but only
            // for a key the game sees held by that very key: the repeats of
            // an Enter the page kept for Alt+Enter, or of a key held down
            // through a pause, start nothing.
            if (kind == kWebKeyPress) enqueue(held_.Press(key, source));
            if (kind == kWebKeyRepeat) enqueue(held_.Repeat(key, source));
            if (kind == kWebKeyRelease) enqueue(held_.Release(key, source));
        }
        if (count < kKeyEventBatch) return any;
    }
}

void WebPlatform::WaitForNextSlot(bool unshown) {
    // The browser's clock in millionths of a frame. A present more than a
    // period late (the page was hidden, the machine busy) starts the schedule
    // anew instead of racing to catch up.
    const auto perMillisecond = static_cast<double>(ticksPerMillisecond_);
    const FrameSchedule::Tick now = std::llround(emscripten_get_now() * perMillisecond);
    const FrameSchedule::Tick deadline = schedule_.Next(now);
    // Even when the slot has come, the page gets its turn after a picture
    // shown: keys, painting. The browser's timers count whole milliseconds
    // and wake no sooner than asked, so the wait is rounded up: the next
    // frame never starts before its slot, and the slots, not the timers,
    // keep the rate.
    const double left =
        static_cast<double>(std::max<FrameSchedule::Tick>(deadline - now, 0)) / perMillisecond;
    if (!unshown || left >= kShortestSleepMilliseconds) {
        emscripten_sleep(static_cast<unsigned>(std::ceil(left)));
    }
    if (playback_ && WebPagePlaybackStopped() != 0) EndPlayback(EndReason::Quit);
    // A pause holds the program here, between two frames: nothing presented,
    // no game time passing. The schedule starts anew after it. A playback
    // paused above the normal speed shows the picture it stands at.
    if (WebPagePaused() != 0) ShowHeldPicture();
    if (WebPageWaitWhilePaused() != 0) schedule_.Restart();
    if (playback_ && WebPagePlaybackStopped() != 0) EndPlayback(EndReason::Quit);
}

}  // namespace platform
