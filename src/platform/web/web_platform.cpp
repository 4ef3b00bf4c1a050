// web_platform.cpp -- the browser's platform: the page's key events turned
// into the seven keys and delivered at the delivery points, the picture
// converted through its palette for the canvas, frames paced by sleeping in
// the browser's event loop, the single voice handed to the page.
#include "platform/web/web_platform.h"

#include <emscripten.h>

#include <algorithm>
#include <cassert>
#include <cinttypes>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "frontend/sound.h"
#include "frontend/wave_resources.h"
#include "platform/headless/script.h"
#include "platform/web/web_page.h"
#include "render/framebuffer.h"

namespace platform {

namespace {

constexpr int kScriptStream = 0;
constexpr int kLogStream = 1;

constexpr std::uint8_t kKeyDownFlag = 0x80;  // in the page's key event codes
constexpr int kKeyEventBatch = 64;           // key events taken from the page at a time

}  // namespace

WebPlatform::WebPlatform(const WebOptions& options)
    : rgba_(static_cast<std::size_t>(ft::kScreenWidth) * ft::kScreenHeight * 4, 0),
      framePeriod_(1000.0 / std::max(options.fps, 1)),
      record_(options.record) {
    WebPageOpen(ft::kScreenWidth, ft::kScreenHeight);
    for (int cue : ft::kAllCues) {
        const auto wave = ft::WaveResource(cue);
        if (!wave.empty()) WebPageLoadSound(cue, wave.data(), static_cast<int>(wave.size()));
    }
    if (record_) {
        logStream_ = open_memstream(&logBuffer_, &logSize_);
        log_ = RunLog(logStream_);
    }
}

WebPlatform::~WebPlatform() {
    if (logStream_ != nullptr) std::fclose(logStream_);
    std::free(logBuffer_);  // open_memstream's buffer, released after the stream
}

void WebPlatform::ShowPicture(const Picture& picture, const ft::Palette& palette,
                              PictureKind kind) {
    assert(picture.pixels != nullptr && picture.pitch >= ft::kScreenWidth);
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
    for (int y = 0; y < ft::kScreenHeight; ++y) {
        const std::uint8_t* row = picture.pixels + static_cast<std::ptrdiff_t>(y) * picture.pitch;
        for (int x = 0; x < ft::kScreenWidth; ++x, out += 4) {
            const std::uint32_t colour = colours_[row[x]];
            std::memcpy(out, &colour, 4);
        }
    }
    WebPageShowPicture(rgba_.data(), kind == PictureKind::Present ? 1 : 0);

    if (kind == PictureKind::Present) timeline_.OnPresent();
    log_.Picture(timeline_.Now(), kind, picture, palette);
    SendLog();
    if (kind == PictureKind::Present) WaitForNextSlot();
}

void WebPlatform::DeliverDueInput(KeyState& keys) {
    if (!timeline_.IsDeliveryDue()) return;
    AbsorbPageKeys(timeline_.Now());
    timeline_.DeliverAtPoll(keys);
}

void WebPlatform::WaitForInput(KeyState& keys) {
    if (!timeline_.HasPending()) {
        // What arrives while a wait loop waits belongs after every poll made
        // so far, so that a replay delivers it at this same wait.
        timeline_.AdvanceTo(timeline_.Now() + 1);
        const std::uint64_t time = timeline_.Now();
        while (!AbsorbPageKeys(time)) WebPageWaitForKeyEvent();
    }
    timeline_.DeliverAtWait(keys);
}

void WebPlatform::PlayCue(int resource) {
    WebPagePlaySound(resource, 0);
    log_.PlayCue(timeline_.Now(), resource);
    SendLog();
}

void WebPlatform::LoopCue(int resource) {
    WebPagePlaySound(resource, 1);
    log_.LoopCue(timeline_.Now(), resource);
    SendLog();
}

void WebPlatform::StopSound() {
    WebPageStopSound();
    log_.StopSound(timeline_.Now());
    SendLog();
}

std::uint32_t WebPlatform::CalendarSeconds() {
    const auto seconds = static_cast<std::uint32_t>(std::time(nullptr));
    if (record_) {
        char line[32];
        const int length = std::snprintf(line, sizeof line, "reseed %" PRIu32 "\n", seconds);
        Record(line, length);
    }
    log_.Reseed(timeline_.Now(), seconds);
    SendLog();
    return seconds;
}

void WebPlatform::Finish(EndReason reason) {
    log_.End(timeline_.Now(), reason);
    SendLog();
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
            timeline_.Enqueue(
                InputEvent{time, down ? InputEvent::Kind::KeyDown : InputEvent::Kind::KeyUp, key});
            if (record_) {
                char line[48];
                const int length = std::snprintf(line, sizeof line, "%" PRIu64 " %s %s\n", time,
                                                 KeyName(key), down ? "down" : "up");
                Record(line, length);
            }
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

void WebPlatform::SendLog() {
    if (logStream_ == nullptr) return;
    std::fflush(logStream_);  // brings logBuffer_ and logSize_ up to date
    if (logSize_ > logSent_) {
        WebPageAppendText(kLogStream, logBuffer_ + logSent_, static_cast<int>(logSize_ - logSent_));
        logSent_ = logSize_;
    }
}

void WebPlatform::Record(const char* line, int length) {
    if (length > 0) WebPageAppendText(kScriptStream, line, length);
}

}  // namespace platform
