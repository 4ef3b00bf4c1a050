// SPDX-License-Identifier: MIT
// headless_platform.cpp -- scripted input, logged output, no window, no sleep.
#include "platform/headless/headless_platform.h"

#include <cstdio>
#include <utility>

#include "platform/common/warning.h"
#include "platform/headless/png_dump.h"

namespace platform {

HeadlessPlatform::HeadlessPlatform(HeadlessOptions options)
    : JournalHost(JournalOptions{options.log, nullptr, std::move(options.script)}),
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

void HeadlessPlatform::Show(const Picture& picture, const Palette& palette, PictureKind kind) {
    if (!dumpDir_.empty() && dumpError_.empty()) {
        if (const Result<void> written =
                WriteIndexedPng(dumpDir_ + "/" + DumpPictureName(pictures_), picture, palette);
            !written) {
            dumpError_ = written.reason();
            Warn(dumpError_);
        }
    }
    ++pictures_;
    if (kind == PictureKind::Present && frames_ && Presents() >= *frames_) {
        throw RunEnded{EndReason::Frames};
    }
}

void HeadlessPlatform::AwaitInput() {
    if (!InputPending()) throw RunEnded{EndReason::Script};
}

}  // namespace platform
