// headless_platform.cpp -- scripted input, logged output, no window, no sleep.
#include "platform/headless/headless_platform.h"

#include <cstdio>
#include <utility>

#include "platform/headless/png_dump.h"

namespace platform {

HeadlessPlatform::HeadlessPlatform(HeadlessOptions options)
    : options_(std::move(options)), log_(options_.log) {
    for (const InputEvent& event : options_.script.events) timeline_.Enqueue(event);
}

void HeadlessPlatform::ShowPicture(const Picture& picture, const ft::Palette& palette,
                                   PictureKind kind) {
    if (kind == PictureKind::Present) {
        timeline_.OnPresent();
        ++presents_;
    }
    log_.Picture(timeline_.Now(), kind, picture, palette);
    if (!options_.dumpDir.empty() && dumpError_.empty()) {
        char name[32];
        std::snprintf(name, sizeof name, "/%06llu.png",
                      static_cast<unsigned long long>(pictures_));
        dumpError_ = WriteIndexedPng(options_.dumpDir + name, picture, palette);
        if (!dumpError_.empty()) std::fprintf(stderr, "fompy-talden: %s\n", dumpError_.c_str());
    }
    ++pictures_;
    if (kind == PictureKind::Present && options_.frames && presents_ >= *options_.frames) {
        throw RunEnded{EndReason::Frames};
    }
}

void HeadlessPlatform::DeliverDueInput(KeyState& keys) { timeline_.DeliverAtPoll(keys); }

void HeadlessPlatform::WaitForInput(KeyState& keys) {
    if (!timeline_.HasPending()) throw RunEnded{EndReason::Script};
    timeline_.DeliverAtWait(keys);
}

void HeadlessPlatform::PlayCue(int resource) { log_.PlayCue(timeline_.Now(), resource); }

void HeadlessPlatform::LoopCue(int resource) { log_.LoopCue(timeline_.Now(), resource); }

void HeadlessPlatform::StopSound() { log_.StopSound(timeline_.Now()); }

std::uint32_t HeadlessPlatform::CalendarSeconds() {
    const auto& reseeds = options_.script.reseeds;
    const std::uint32_t seconds =
        nextReseed_ < reseeds.size() ? reseeds[nextReseed_++] : options_.clock;
    log_.Reseed(timeline_.Now(), seconds);
    return seconds;
}

void HeadlessPlatform::Finish(EndReason reason) { log_.End(timeline_.Now(), reason); }

}  // namespace platform
