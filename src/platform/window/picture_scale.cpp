// SPDX-License-Identifier: MIT
// picture_scale.cpp -- palette conversion, nearest-neighbour scaling and the
// changed part of the picture.
//
// Each picture row is converted once, into the first window row that shows
// it; the other window rows that show it (2 or 3 of them at 2.4 times) are
// copies of that one. A frame that changes only the well converts only the well.
#include "platform/window/picture_scale.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <cstddef>
#include <cstring>
#include <utility>

namespace platform {

namespace {

constexpr int kPictureWidth = 320;   // pixels
constexpr int kPictureHeight = 200;  // pixels

// a and b mixed, weight 256ths of b, each 8-bit channel apart: two channels
// at a time in the halves of a 32-bit word.
std::uint32_t Blend(std::uint32_t a, std::uint32_t b, std::uint32_t weight) {
    const std::uint32_t keep = 256 - weight;
    const std::uint32_t evens =
        (((a & 0x00FF00FFU) * keep + (b & 0x00FF00FFU) * weight) >> 8) & 0x00FF00FFU;
    const std::uint32_t odds =
        (((a >> 8) & 0x00FF00FFU) * keep + ((b >> 8) & 0x00FF00FFU) * weight) & 0xFF00FF00U;
    return evens | odds;
}

std::uint32_t ScaleChannel(std::uint8_t value, std::uint32_t mask) {
    if (mask == 0) return 0;
    const int shift = std::countr_zero(mask);
    const std::uint32_t top = mask >> shift;  // all ones, as wide as the channel
    return ((value * top + 127) / 255) << shift;
}

// The first target position of each picture position: target position i
// shows picture position (2i + 1) * pictureSize / (2 * targetSize).
template <std::size_t N>
void FillStarts(std::array<int, N>& starts, int targetSize) {
    constexpr int pictureSize = static_cast<int>(N) - 1;
    std::size_t next = 0;
    for (int i = 0; i < targetSize; ++i) {
        const auto shown = static_cast<std::size_t>((2 * static_cast<std::int64_t>(i) + 1) *
                                                    pictureSize / (2 * targetSize));
        while (next <= shown) starts[next++] = i;
    }
    while (next < N) starts[next++] = targetSize;
}

}  // namespace

std::uint32_t PackColour(const PaletteEntry& colour, const PixelLayout& layout) {
    return ScaleChannel(colour.red, layout.redMask) | ScaleChannel(colour.green, layout.greenMask) |
           ScaleChannel(colour.blue, layout.blueMask) | layout.opaqueMask;
}

PackedPalette PackPalette(const Palette& palette, const PixelLayout& layout) {
    PackedPalette packed{};
    for (std::size_t i = 0; i < palette.size(); ++i) packed[i] = PackColour(palette[i], layout);
    return packed;
}

ScreenRect ChangedArea(const Picture& before, const Picture& after) {
    int left = kPictureWidth;
    int right = -1;
    int top = kPictureHeight;
    int bottom = -1;
    for (int y = 0; y < kPictureHeight; ++y) {
        const std::uint8_t* a = before.pixels + static_cast<std::ptrdiff_t>(y) * before.pitch;
        const std::uint8_t* b = after.pixels + static_cast<std::ptrdiff_t>(y) * after.pitch;
        if (std::memcmp(a, b, kPictureWidth) == 0) continue;
        int first = 0;
        while (a[first] == b[first]) ++first;
        int last = kPictureWidth - 1;
        while (a[last] == b[last]) --last;
        left = std::min(left, first);
        right = std::max(right, last);
        top = std::min(top, y);
        bottom = y;
    }
    if (bottom < 0) return ScreenRect{};
    return ScreenRect{left, top, right - left + 1, bottom - top + 1};
}

void PictureScaler::SetTarget(const ScreenRect& target) {
    target_ = target;
    const int width = std::max(target.width, 0);
    const int height = std::max(target.height, 0);
    FillStarts(columnStart_, width);
    FillStarts(rowStart_, height);
}

ScreenRect PictureScaler::TargetArea(const ScreenRect& area) const {
    if (area.IsEmpty()) return ScreenRect{};
    assert(area.x >= 0 && area.y >= 0 && area.x + area.width <= kPictureWidth &&
           area.y + area.height <= kPictureHeight);
    const int left = columnStart_[static_cast<std::size_t>(area.x)];
    const int right = columnStart_[static_cast<std::size_t>(area.x + area.width)];
    const int top = rowStart_[static_cast<std::size_t>(area.y)];
    const int bottom = rowStart_[static_cast<std::size_t>(area.y + area.height)];
    if (right <= left || bottom <= top) return ScreenRect{};
    return ScreenRect{target_.x + left, target_.y + top, right - left, bottom - top};
}

void PictureScaler::Draw(const Picture& picture, const PackedPalette& palette,
                         const ScreenRect& area, std::uint32_t* pixels, int pitch) const {
    DrawPixels(picture, palette, area, pixels, pitch);
}

void PictureScaler::Draw(const Picture& picture, const PackedPalette& palette,
                         const ScreenRect& area, std::uint16_t* pixels, int pitch) const {
    DrawPixels(picture, palette, area, pixels, pitch);
}

template <typename Pixel>
void PictureScaler::DrawPixels(const Picture& picture, const PackedPalette& palette,
                               const ScreenRect& area, Pixel* pixels, int pitch) const {
    const ScreenRect changed = TargetArea(area);
    if (changed.IsEmpty()) return;
    auto* bytes = reinterpret_cast<std::uint8_t*>(pixels);
    const auto rowOf = [&](int targetRow) {
        return reinterpret_cast<Pixel*>(bytes + static_cast<std::ptrdiff_t>(target_.y + targetRow) *
                                                    pitch) +
               target_.x;
    };
    const int left = changed.x - target_.x;
    const std::size_t rowBytes = static_cast<std::size_t>(changed.width) * sizeof(Pixel);
    for (int y = area.y; y < area.y + area.height; ++y) {
        const int first = rowStart_[static_cast<std::size_t>(y)];
        const int end = rowStart_[static_cast<std::size_t>(y) + 1];
        if (first == end) continue;  // a shrunk picture leaves this row out
        const std::uint8_t* source =
            picture.pixels + static_cast<std::ptrdiff_t>(y) * picture.pitch;
        Pixel* row = rowOf(first);
        // Picture pixel by picture pixel: one look-up, then as many window
        // pixels as show it (none for a column a shrunk picture leaves out).
        for (int x = area.x; x < area.x + area.width; ++x) {
            const auto value = static_cast<Pixel>(palette[source[x]]);
            const int stop = columnStart_[static_cast<std::size_t>(x) + 1];
            for (int i = columnStart_[static_cast<std::size_t>(x)]; i < stop; ++i) row[i] = value;
        }
        for (int r = first + 1; r < end; ++r) std::memcpy(rowOf(r) + left, row + left, rowBytes);
    }
}

void SharpScaler::SetTarget(const ScreenRect& target) {
    target_ = target;
    const Prescale prescale = SharpPrescale(target);
    columns_ = Taps(kPictureWidth, prescale.across, std::max(target.width, 0));
    rows_ = Taps(kPictureHeight, prescale.down, std::max(target.height, 0));
    upper_.assign(columns_.size(), 0);
    lower_.assign(columns_.size(), 0);
}

std::vector<SharpScaler::Tap> SharpScaler::Taps(int pictureSize, int factor, int targetSize) {
    // Window position t samples the enlarged picture (size factor times
    // pictureSize) at (t + 1/2) * enlarged / targetSize - 1/2 of its
    // positions, between the two nearest; in halves of a window pixel,
    // to stay in whole numbers.
    const std::int64_t enlarged = static_cast<std::int64_t>(pictureSize) * factor;
    const std::int64_t span = 2 * static_cast<std::int64_t>(targetSize);
    std::vector<Tap> taps(static_cast<std::size_t>(targetSize));
    for (int t = 0; t < targetSize; ++t) {
        const std::int64_t at = std::max<std::int64_t>((2 * t + 1) * enlarged - targetSize, 0);
        std::int64_t near = at / span;
        std::int64_t weight = ((at % span) * 256 + targetSize) / span;  // rounded
        if (near >= enlarged - 1) {
            near = enlarged - 1;  // the last one, held to the edge
            weight = 0;
        } else if (weight == 256) {
            ++near;
            weight = 0;
        }
        Tap& tap = taps[static_cast<std::size_t>(t)];
        tap.first = static_cast<int>(near / factor);
        tap.second = static_cast<int>((near + (weight > 0 ? 1 : 0)) / factor);
        tap.weight = tap.second == tap.first ? 0 : static_cast<std::uint32_t>(weight);
    }
    return taps;
}

ScreenRect SharpScaler::TargetArea(const ScreenRect& area) const {
    if (area.IsEmpty()) return ScreenRect{};
    // first and second only grow along the taps: the window positions that
    // show anything of [from, to) lie together.
    const auto span = [](const std::vector<Tap>& taps, int from, int to) {
        const auto begin = std::partition_point(taps.begin(), taps.end(),
                                                [&](const Tap& tap) { return tap.second < from; });
        const auto end =
            std::partition_point(begin, taps.end(), [&](const Tap& tap) { return tap.first < to; });
        return std::pair<int, int>{static_cast<int>(begin - taps.begin()),
                                   static_cast<int>(end - taps.begin())};
    };
    const auto [left, right] = span(columns_, area.x, area.x + area.width);
    const auto [top, bottom] = span(rows_, area.y, area.y + area.height);
    if (right <= left || bottom <= top) return ScreenRect{};
    return ScreenRect{target_.x + left, target_.y + top, right - left, bottom - top};
}

void SharpScaler::DrawRow(const Picture& picture, const PackedPalette& palette, int y, int left,
                          int right, std::uint32_t* out) const {
    const std::uint8_t* source = picture.pixels + static_cast<std::ptrdiff_t>(y) * picture.pitch;
    for (int x = left; x < right; ++x) {
        const Tap& tap = columns_[static_cast<std::size_t>(x)];
        const std::uint32_t colour = palette[source[tap.first]];
        out[x] = tap.weight == 0 ? colour : Blend(colour, palette[source[tap.second]], tap.weight);
    }
}

void SharpScaler::Draw(const Picture& picture, const PackedPalette& palette, const ScreenRect& area,
                       std::uint32_t* pixels, int pitch) {
    const ScreenRect changed = TargetArea(area);
    if (changed.IsEmpty()) return;
    auto* bytes = reinterpret_cast<std::uint8_t*>(pixels);
    const auto rowAt = [&](int r) {
        return reinterpret_cast<std::uint32_t*>(bytes + static_cast<std::ptrdiff_t>(target_.y + r) *
                                                            pitch) +
               target_.x;
    };
    const int left = changed.x - target_.x;
    const int right = left + changed.width;
    const int top = changed.y - target_.y;
    const int bottom = top + changed.height;
    const std::size_t rowBytes = static_cast<std::size_t>(changed.width) * sizeof(std::uint32_t);
    // First the window rows that show one picture row alone: each picture
    // row converted once, into the first of them, the others copies.
    std::array<int, kPictureHeight> alone;  // the window row of this draw showing it alone
    alone.fill(-1);
    for (int r = top; r < bottom; ++r) {
        const Tap& tap = rows_[static_cast<std::size_t>(r)];
        if (tap.weight != 0) continue;
        int& first = alone[static_cast<std::size_t>(tap.first)];
        if (first >= 0) {
            std::memcpy(rowAt(r) + left, rowAt(first) + left, rowBytes);
        } else {
            DrawRow(picture, palette, tap.first, left, right, rowAt(r));
            first = r;
        }
    }
    // Then the blended ones, from those rows where this draw made them
    // (a picture shrunk to fewer window rows may have none).
    for (int r = top; r < bottom; ++r) {
        const Tap& tap = rows_[static_cast<std::size_t>(r)];
        if (tap.weight == 0) continue;
        const auto converted = [&](int y, std::vector<std::uint32_t>& scratch) {
            const int shown = alone[static_cast<std::size_t>(y)];
            if (shown >= 0) return static_cast<const std::uint32_t*>(rowAt(shown));
            DrawRow(picture, palette, y, left, right, scratch.data());
            return static_cast<const std::uint32_t*>(scratch.data());
        };
        const std::uint32_t* upper = converted(tap.first, upper_);
        const std::uint32_t* lower = converted(tap.second, lower_);
        std::uint32_t* row = rowAt(r);
        for (int x = left; x < right; ++x) row[x] = Blend(upper[x], lower[x], tap.weight);
    }
}

}  // namespace platform
