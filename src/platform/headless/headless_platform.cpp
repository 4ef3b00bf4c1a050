// SPDX-License-Identifier: MIT
// headless_platform.cpp -- scripted input, logged output, no window, no sleep.
#include "platform/headless/headless_platform.h"

#include <cstdio>
#include <utility>

#include "platform/headless/png_dump.h"

namespace platform {

HeadlessPlatform::HeadlessPlatform(HeadlessOptions options)
    : journal_(JournalOptions{options.log, nullptr, std::move(options.script)}),
      clock_(options.clock),
      frames_(options.frames),
      dumpDir_(std::move(options.dumpDir)) {}

std::string DumpPictureName(std::uint64_t n) {
    char name[32];
    std::snprintf(name, sizeof name, "%06llu.png", static_cast<unsigned long long>(n));
    return name;
}

bool IsDumpPictureName(std::string_view name) {
    constexpr std::string_view kSuffix = ".png";
    if (name.size() < 6 + kSuffix.size() || !name.ends_with(kSuffix)) return false;
    const std::string_view digits = name.substr(0, name.size() - kSuffix.size());
    for (const char c : digits) {
        if (c < '0' || c > '9') return false;
    }
    // Six digits with their leading zeros; beyond a million, no leading zero.
    return digits.size() == 6 || digits.front() != '0';
}

void HeadlessPlatform::ShowPicture(const Picture& picture, const Palette& palette,
                                   PictureKind kind) {
    journal_.Picture(picture, palette, kind);
    if (!dumpDir_.empty() && dumpError_.empty()) {
        if (const Result<void> written =
                WriteIndexedPng(dumpDir_ + "/" + DumpPictureName(pictures_), picture, palette);
            !written) {
            dumpError_ = written.reason();
            std::fprintf(stderr, "fompy-talden: %s\n", dumpError_.c_str());
        }
    }
    ++pictures_;
    if (kind == PictureKind::Present && frames_ && journal_.Presents() >= *frames_) {
        throw RunEnded{EndReason::Frames};
    }
}

void HeadlessPlatform::DeliverDueInput(KeyState& keys) {
    journal_.Input().DeliverAtPoll(keys);
}

void HeadlessPlatform::WaitForInput(KeyState& keys) {
    if (!journal_.Input().HasPending()) throw RunEnded{EndReason::Script};
    journal_.Input().DeliverAtWait(keys);
}

void HeadlessPlatform::PlayCue(Cue cue) {
    journal_.PlayCue(cue);
}

void HeadlessPlatform::LoopCue(Cue cue) {
    journal_.LoopCue(cue);
}

void HeadlessPlatform::StopSound() {
    journal_.StopSound();
}

std::uint32_t HeadlessPlatform::CalendarSeconds() {
    return journal_.Reseed(clock_);
}

}  // namespace platform
