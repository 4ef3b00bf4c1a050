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

namespace platform {

namespace {

constexpr int kPictureWidth = 320;   // pixels
constexpr int kPictureHeight = 200;  // pixels

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

}  // namespace platform
