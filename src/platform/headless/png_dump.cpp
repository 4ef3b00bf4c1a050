// SPDX-License-Identifier: MIT
// png_dump.cpp -- indexed PNG writing through libpng.
#include "platform/headless/png_dump.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace platform {

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

Result<void> WriteIndexedPng(const std::string& path, const Picture& picture,
                             const Palette& palette) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file) return Failure{path + ": cannot write: " + std::strerror(errno)};

    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (png == nullptr || info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        return Failure{path + ": cannot write: out of memory"};
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return Failure{path + ": cannot write: the PNG could not be made"};
    }
    png_init_io(png, file.get());
    png_set_IHDR(png, info, kScreenWidth, kScreenHeight, 8, PNG_COLOR_TYPE_PALETTE,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_color colours[256];
    for (int i = 0; i < 256; ++i) {
        colours[i] = png_color{palette[i].red, palette[i].green, palette[i].blue};
    }
    png_set_PLTE(png, info, colours, 256);
    png_write_info(png, info);
    for (int y = 0; y < kScreenHeight; ++y) {
        png_write_row(png, picture.pixels + static_cast<std::ptrdiff_t>(y) * picture.pitch);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    // Whatever is still buffered can fail too, at the close.
    const bool written = std::ferror(file.get()) == 0;
    if (std::fclose(file.release()) != 0 || !written) {
        return Failure{path + ": cannot write: " + std::strerror(errno)};
    }
    return {};
}

}  // namespace platform
