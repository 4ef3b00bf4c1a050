// SPDX-License-Identifier: MIT
// png_zlib.cpp -- indexed PNG writing for the builds without libpng
// (Windows), through the zlib chunk writer the screenshots use. The files
// decode to the same pixels and palette as those of png_dump.cpp.
#include <cstddef>
#include <cstring>

#include "platform/headless/png_dump.h"
#include "platform/window/screenshot.h"

namespace platform {

Result<void> WriteIndexedPng(const std::string& path, const Picture& picture,
                             const Palette& palette) {
    IndexedImage image;
    image.width = kScreenWidth;
    image.height = kScreenHeight;
    image.pixels.resize(static_cast<std::size_t>(kScreenWidth) * kScreenHeight);
    for (int y = 0; y < kScreenHeight; ++y) {
        std::memcpy(image.pixels.data() + static_cast<std::ptrdiff_t>(y) * kScreenWidth,
                    picture.pixels + static_cast<std::ptrdiff_t>(y) * picture.pitch, kScreenWidth);
    }
    Result<void> written = WritePng(path, image, palette);
    if (!written) {
        // "PATH: cause", as every picture file's failure reads here.
        return Failure{path + ": cannot write:" + written.reason().substr(path.size() + 1)};
    }
    return {};
}

}  // namespace platform
