// SPDX-License-Identifier: MIT
// golden.cpp -- reading and renewing the expected pictures with libpng.
#include "golden.h"

#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;  // width x height colour indices
};

bool Renewing() {
    const char* renew = std::getenv("FT_RENEW_GOLDEN");
    return renew != nullptr && std::string_view(renew) == "1";
}

// Reads an 8-bit indexed PNG; on failure returns the reason in `why`.
bool ReadIndexed(const std::string& path, Image& image, std::string& why) {
    File file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        why = "cannot be read";
        return false;
    }
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (png == nullptr || info == nullptr) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        why = "out of memory";
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        why = "is not a readable PNG";
        return false;
    }
    png_init_io(png, file.get());
    png_read_info(png, info);
    if (png_get_color_type(png, info) != PNG_COLOR_TYPE_PALETTE ||
        png_get_bit_depth(png, info) != 8 ||
        png_get_interlace_type(png, info) != PNG_INTERLACE_NONE) {
        png_destroy_read_struct(&png, &info, nullptr);
        why = "is not an 8-bit indexed PNG without interlacing";
        return false;
    }
    image.width = static_cast<int>(png_get_image_width(png, info));
    image.height = static_cast<int>(png_get_image_height(png, info));
    image.pixels.assign(static_cast<std::size_t>(image.width) * image.height, 0);
    for (int y = 0; y < image.height; ++y)
        png_read_row(png, image.pixels.data() + static_cast<std::size_t>(y) * image.width, nullptr);
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

bool WriteIndexed(const std::string& path, const Image& image, const platform::Palette& palette) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    File file(std::fopen(path.c_str(), "wb"));
    if (!file) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (png == nullptr || info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file.get());
    png_set_compression_level(png, 9);
    png_set_IHDR(png, info, image.width, image.height, 8, PNG_COLOR_TYPE_PALETTE,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_color colours[256];
    for (int i = 0; i < 256; ++i)
        colours[i] = png_color{palette[i].red, palette[i].green, palette[i].blue};
    png_set_PLTE(png, info, colours, 256);
    png_write_info(png, info);
    for (int y = 0; y < image.height; ++y)
        png_write_row(png, image.pixels.data() + static_cast<std::size_t>(y) * image.width);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    const bool written = std::ferror(file.get()) == 0;
    return std::fclose(file.release()) == 0 && written;
}

}  // namespace

::testing::AssertionResult MatchesGolden(const std::vector<std::uint8_t>& pixels,
                                         const platform::Palette& palette, std::string_view name,
                                         ScreenBox box) {
    const std::string file = "tests/golden/" + std::string(name) + ".png";
    const std::string path = std::string(FT_SOURCE_DIR) + "/" + file;
    Image shown;
    shown.width = box.x1 - box.x0 + 1;
    shown.height = box.y1 - box.y0 + 1;
    for (int y = box.y0; y <= box.y1; ++y)
        for (int x = box.x0; x <= box.x1; ++x) shown.pixels.push_back(pixels.at(y * 320 + x));

    Image golden;
    std::string why;
    const bool read = ReadIndexed(path, golden, why);
    if (Renewing()) {
        // A picture whose indices did not change keeps its file: the same
        // frame may be shown through another palette in another test.
        if (read && golden.width == shown.width && golden.height == shown.height &&
            golden.pixels == shown.pixels)
            return ::testing::AssertionSuccess();
        if (!WriteIndexed(path, shown, palette))
            return ::testing::AssertionFailure() << file << ": cannot write";
        return ::testing::AssertionFailure()
               << file << ": renewed; look at it before committing it";
    }
    if (!read) {
        return ::testing::AssertionFailure()
               << file << " " << why << " (FT_RENEW_GOLDEN=1 makes it from this run)";
    }
    if (golden.width != shown.width || golden.height != shown.height) {
        return ::testing::AssertionFailure()
               << file << " is " << golden.width << "x" << golden.height << ", the box checked is "
               << shown.width << "x" << shown.height;
    }
    for (int y = 0; y < shown.height; ++y) {
        for (int x = 0; x < shown.width; ++x) {
            const std::size_t at = static_cast<std::size_t>(y) * shown.width + x;
            if (shown.pixels[at] != golden.pixels[at]) {
                return ::testing::AssertionFailure()
                       << file << ": first difference at screen (" << box.x0 + x << ", "
                       << box.y0 + y << "): shown " << int{shown.pixels[at]} << ", expected "
                       << int{golden.pixels[at]};
            }
        }
    }
    return ::testing::AssertionSuccess();
}
