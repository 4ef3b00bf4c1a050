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

#include "platform/web/web_page.h"
#include "resources/wave_resources.h"

namespace platform {

namespace {

constexpr int kScriptStream = 0;
constexpr int kLogStream = 1;

constexpr std::uint8_t kKeyDownFlag = 0x80;  // in the page's key event codes
constexpr int kKeyEventBatch = 64;           // key events taken from the page at a time

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
      framePeriod_(1000.0 / std::max(options.fps, 1)),
      script_(options.record ? std::make_unique<PageStream>(kScriptStream) : nullptr),
      log_(options.record ? std::make_unique<PageStream>(kLogStream) : nullptr),
      journal_(JournalOptions{log_ ? log_->Lines() : nullptr,
                              script_ ? script_->Lines() : nullptr, Script{}}) {
    WebPageOpen(kScreenWidth, kScreenHeight);
    for (Cue cue : kAllCues) {
        const auto wave = ft::WaveResource(CueNumber(cue));
        if (!wave.empty()) {
            WebPageLoadSound(CueNumber(cue), wave.data(), static_cast<int>(wave.size()));
        }
    }
}

WebPlatform::~WebPlatform() = default;

void WebPlatform::ShowPicture(const Picture& picture, const Palette& palette,
                              PictureKind kind) {
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
    std::array<std::uint8_t, kKeyEventBatch> codes{};
    for (;;) {
        const int count = WebPageTakeKeyEvents(codes.data(), static_cast<int>(codes.size()));
        for (int i = 0; i < count; ++i) {
            const std::uint8_t code = codes[static_cast<std::size_t>(i)];
            const auto keyNumber = static_cast<std::uint8_t>(code & ~kKeyDownFlag);
            if (keyNumber >= kKeyCount) continue;
            const bool down = (code & kKeyDownFlag) != 0;
            const auto key = static_cast<Key>(keyNumber);
            // A held key's auto-repeat arrives as another down and sets its
            // pressed flag again.
            journal_.Input().Enqueue(
                InputEvent{time, down ? InputEvent::Kind::KeyDown : InputEvent::Kind::KeyUp, key});
            any = true;
        }
        if (count < static_cast<int>(codes.size())) return any;
    }
}

void WebPlatform::WaitForNextSlot() {
    // A present more than a period late (the page was hidden, the machine
    // busy) starts the schedule anew instead of racing to catch up.
    const double now = emscripten_get_now();
    if (!scheduleStarted_ || now > nextSlot_ + framePeriod_) nextSlot_ = now + framePeriod_;
    scheduleStarted_ = true;
    // Even when the slot has come, the page gets its turn: keys, painting.
    const double left = std::max(nextSlot_ - now, 0.0);
    emscripten_sleep(static_cast<unsigned>(std::lround(left)));
    nextSlot_ += framePeriod_;
}

void WebPlatform::SendText() {
    if (script_) script_->Send();
    if (log_) log_->Send();
}

}  // namespace platform
