// SPDX-License-Identifier: MIT
// make_icons.cpp -- draws the desktop icon from the game's own tile art: a T
// piece coming down onto a row of settled tiles, pixel-sharp, at every size the
// desktop asks for. The art is the window's icon's (platform/window/window_icon.h).
//
// Usage: make_icons OUTPUT_DIR SIZE...
// Writes OUTPUT_DIR/fompy-talden-N.png for each SIZE N (15 to 4096 pixels):
// 8-bit RGBA, transparent around the tiles. Each tile pixel becomes a square
// of a whole number of icon pixels, the largest that fits, and the picture is
// centred. No clock, no outside input: every build writes the same bytes.
#include <png.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/window/window_icon.h"

namespace {

constexpr int kMaxSize = 4096;
constexpr int kArtSide = platform::kIconArtSide;  // icon art in tile pixels
using Rgba = platform::IconPixel;

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

// Returns an empty string, or a one-line reason on failure.
std::string WriteRgbaPng(const std::string& path, const std::vector<Rgba>& pixels, int size) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file) return path + ": cannot write";
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (png == nullptr || info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        return path + ": out of memory";
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return path + ": cannot write the PNG";
    }
    png_init_io(png, file.get());
    png_set_IHDR(png, info, static_cast<png_uint_32>(size), static_cast<png_uint_32>(size), 8,
                 PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 9);
    png_write_info(png, info);
    static_assert(sizeof(Rgba) == 4);
    for (int y = 0; y < size; ++y) {
        png_write_row(
            png, reinterpret_cast<png_const_bytep>(&pixels[static_cast<std::size_t>(y) * size]));
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    if (std::fflush(file.get()) != 0) return path + ": cannot write";
    return {};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: make_icons OUTPUT_DIR SIZE...\n");
        return 2;
    }
    for (int k = 2; k < argc; ++k) {
        const std::string sizeText = argv[k];
        const int size = std::atoi(sizeText.c_str());
        if (size < kArtSide || size > kMaxSize || std::to_string(size) != sizeText) {
            std::fprintf(stderr, "make_icons: size '%s' is not a whole number from %d to %d\n",
                         argv[k], kArtSide, kMaxSize);
            return 2;
        }
        const std::string path = std::string(argv[1]) + "/fompy-talden-" + sizeText + ".png";
        const std::string error = WriteRgbaPng(path, platform::DrawIcon(size), size);
        if (!error.empty()) {
            std::fprintf(stderr, "make_icons: %s; is the build directory writable?\n",
                         error.c_str());
            return 1;
        }
    }
    return 0;
}
