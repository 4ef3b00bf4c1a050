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
#include <ctime>
#include <optional>

#include "platform/web/web_page.h"
#include "platform/window/paused_picture.h"
#include "resources/wave_resources.h"

namespace platform {

namespace {

constexpr int kScriptStream = 0;
constexpr int kLogStream = 1;

constexpr int kKeyEventBatch = 64;  // key events taken from the page at a time

}  // namespace

void WebPlatform::PageStream::Send() {
    const std::string& text = lines_.Text();
    if (text.size() > sent_) {
        WebPageAppendText(stream_, text.data() + sent_, static_cast<int>(text.size() - sent_));
        sent_ = text.size();
    }
}

WebPlatform::WebPlatform(const WebOptions& options)
    : rgba_(static_cast<std::size_t>(kScreenWidth) * kScreenHeight * 4, 0),
      ticksPerMillisecond_(1000 * FrameSchedule::Tick{std::max(options.fps, 1)}),
      schedule_(1000 * ticksPerMillisecond_, options.fps),
      script_(options.record ? std::make_unique<PageStream>(kScriptStream) : nullptr),
      log_(options.record ? std::make_unique<PageStream>(kLogStream) : nullptr),
      journal_(JournalOptions{log_ ? log_->Lines() : nullptr, script_ ? script_->Lines() : nullptr,
                              Script{}}) {
    WebPageOpen(kScreenWidth, kScreenHeight);
    // PAUSED as the desktop draws it, at the picture's own size.
    std::vector<std::int32_t> word;
    for (const ScreenRect& block :
         PausedWordBlocks(ScreenRect{0, 0, kScreenWidth, kScreenHeight})) {
        word.insert(word.end(), {block.x, block.y, block.width, block.height});
    }
    WebPageSetPausedWord(word.data(), static_cast<int>(word.size() / 4));
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

void WebPlatform::ShowPicture(const Picture& picture, const Palette& palette, PictureKind kind) {
    assert(picture.pixels != nullptr && picture.pitch >= kScreenWidth);
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
    WebPageShowPicture(rgba_.data(), kind == PictureKind::Present ? 1 : 0);

    journal_.Picture(picture, palette, kind);
    SendText();
    if (kind == PictureKind::Present) WaitForNextSlot();
}

void WebPlatform::DeliverDueInput(KeyState& keys) {
    if (!journal_.Input().IsDeliveryDue()) return;
    AbsorbPageKeys(journal_.Now());
    journal_.Input().DeliverAtPoll(keys);
    SendText();
}

void WebPlatform::WaitForInput(KeyState& keys) {
    if (!journal_.Input().HasPending()) {
        const std::uint64_t time = journal_.BeginLiveWait();
        while (!AbsorbPageKeys(time)) WebPageWaitForKeyEvent();
    }
    journal_.Input().DeliverAtWait(keys);
    SendText();
}

void WebPlatform::PlayCue(Cue cue) {
    WebPagePlaySound(CueNumber(cue), 0);
    journal_.PlayCue(cue);
    SendText();
}

void WebPlatform::LoopCue(Cue cue) {
    WebPagePlaySound(CueNumber(cue), 1);
    journal_.LoopCue(cue);
    SendText();
}

void WebPlatform::StopSound() {
    WebPageStopSound();
    journal_.StopSound();
    SendText();
}

std::uint32_t WebPlatform::CalendarSeconds() {
    const std::uint32_t seconds = journal_.Reseed(static_cast<std::uint32_t>(std::time(nullptr)));
    SendText();
    return seconds;
}

void WebPlatform::Finish(EndReason reason) {
    journal_.Finish(reason);
    SendText();
    WebPageEnded();
}

bool WebPlatform::AbsorbPageKeys(std::uint64_t time) {
    bool any = false;
    const auto enqueue = [&](const std::optional<KeyChange>& change) {
        if (!change) return;
        journal_.Input().Enqueue(InputEvent{
            time, change->down ? InputEvent::Kind::KeyDown : InputEvent::Kind::KeyUp, change->key});
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

void WebPlatform::WaitForNextSlot() {
    // The browser's clock in millionths of a frame. A present more than a
    // period late (the page was hidden, the machine busy) starts the schedule
    // anew instead of racing to catch up.
    const auto perMillisecond = static_cast<double>(ticksPerMillisecond_);
    const FrameSchedule::Tick now = std::llround(emscripten_get_now() * perMillisecond);
    const FrameSchedule::Tick deadline = schedule_.Next(now);
    // Even when the slot has come, the page gets its turn: keys, painting.
    const double left =
        static_cast<double>(std::max<FrameSchedule::Tick>(deadline - now, 0)) / perMillisecond;
    emscripten_sleep(static_cast<unsigned>(std::lround(left)));
    // A pause holds the program here, between two frames: nothing presented,
    // no game time passing. The schedule starts anew after it.
    if (WebPageWaitWhilePaused() != 0) schedule_.Restart();
}

void WebPlatform::SendText() {
    if (script_) script_->Send();
    if (log_) log_->Send();
}

}  // namespace platform
