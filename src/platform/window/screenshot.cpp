// SPDX-License-Identifier: MIT
// screenshot.cpp -- scaling, naming and writing screenshots. The PNG is
// written with zlib and a few chunks of our own, so that every players'
// platform can save one without libpng.
#include "platform/window/screenshot.h"

#include <zlib.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>

#include "platform/window/small_file.h"
#include "platform/window/user_dirs.h"

namespace platform {

namespace {

constexpr int kShotWidth = 640;
constexpr int kShotHeight43 = 480;
constexpr int kShotHeightSquare = 400;

using Bytes = std::vector<std::uint8_t>;

void PutU32(Bytes& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

// One chunk: length, type, data, and the CRC-32 of type and data.
void PutChunk(Bytes& out, std::string_view type, const Bytes& data) {
    PutU32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t typeAt = out.size();
    out.insert(out.end(), type.begin(), type.end());
    out.insert(out.end(), data.begin(), data.end());
    const uLong crc =
        crc32(crc32(0L, Z_NULL, 0), out.data() + typeAt, static_cast<uInt>(out.size() - typeAt));
    PutU32(out, static_cast<std::uint32_t>(crc));
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

std::tm LocalTime(std::time_t when) {
    std::tm local{};
#if defined(_WIN32)
    localtime_s(&local, &when);
#else
    localtime_r(&when, &local);
#endif
    return local;
}

}  // namespace

IndexedImage ScaleForScreenshot(const Picture& picture, bool aspect) {
    IndexedImage image;
    image.width = kShotWidth;
    image.height = aspect ? kShotHeight43 : kShotHeightSquare;
    image.pixels.resize(static_cast<std::size_t>(image.width) * image.height);
    for (int y = 0; y < image.height; ++y) {
        // The picture row nearest to the centre of this one, as the window shows it.
        const int row = (2 * y + 1) * kScreenHeight / (2 * image.height);
        const std::uint8_t* from =
            picture.pixels + static_cast<std::ptrdiff_t>(row) * picture.pitch;
        std::uint8_t* to = image.pixels.data() + static_cast<std::ptrdiff_t>(y) * image.width;
        for (int x = 0; x < image.width; ++x) to[x] = from[x * kScreenWidth / image.width];
    }
    return image;
}

Result<void> WritePng(const std::string& path, const IndexedImage& image, const Palette& palette) {
    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes header;
    PutU32(header, static_cast<std::uint32_t>(image.width));
    PutU32(header, static_cast<std::uint32_t>(image.height));
    // 8 bits a pixel, palette colours; deflate, adaptive filters, no interlace.
    header.insert(header.end(), {8, 3, 0, 0, 0});
    PutChunk(png, "IHDR", header);
    Bytes colours;
    for (const PaletteEntry& entry : palette) {
        colours.insert(colours.end(), {entry.red, entry.green, entry.blue});
    }
    PutChunk(png, "PLTE", colours);
    // Each row after its filter byte, 0: no filter.
    Bytes rows;
    rows.reserve(static_cast<std::size_t>(image.width + 1) * image.height);
    for (int y = 0; y < image.height; ++y) {
        const auto row = image.pixels.begin() + static_cast<std::ptrdiff_t>(y) * image.width;
        rows.push_back(0);
        rows.insert(rows.end(), row, row + image.width);
    }
    uLongf packedSize = compressBound(static_cast<uLong>(rows.size()));
    Bytes packed(packedSize);
    if (compress2(packed.data(), &packedSize, rows.data(), static_cast<uLong>(rows.size()),
                  Z_DEFAULT_COMPRESSION) != Z_OK) {
        return Failure{path + ": out of memory"};
    }
    packed.resize(packedSize);
    PutChunk(png, "IDAT", packed);
    PutChunk(png, "IEND", {});

    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file) return Failure{path + ": " + std::strerror(errno)};
    const bool written = std::fwrite(png.data(), 1, png.size(), file.get()) == png.size();
    if (std::fclose(file.release()) != 0 || !written) {
        const int cause = errno;
        std::remove(path.c_str());
        return Failure{path + ": " + std::strerror(cause)};
    }
    return {};
}

#if !defined(_WIN32)
namespace {

// The text of the desktop's user-dirs.dirs; empty when there is none.
std::string ReadUserDirs(const std::string& home) {
    constexpr std::size_t kMaxUserDirsBytes = 64 * 1024;
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::string path;
    if (config != nullptr && config[0] == '/') {
        path = std::string(config) + "/user-dirs.dirs";
    } else if (!home.empty()) {
        path = home + "/.config/user-dirs.dirs";
    } else {
        return {};
    }
    return ReadSmallFile(path, kMaxUserDirsBytes).text;  // empty unless read
}

}  // namespace
#endif

std::string ScreenshotFolder() {
    const char* pictures = std::getenv("XDG_PICTURES_DIR");
    if (pictures != nullptr && pictures[0] != '\0') return std::string(pictures) + "/fompy-talden";
#if defined(_WIN32)
    const char* home = std::getenv("USERPROFILE");
    if (home == nullptr || home[0] == '\0') return {};
#else
    const char* homeVariable = std::getenv("HOME");
    const std::string home = homeVariable != nullptr ? homeVariable : "";
    // The desktop's own name for the folder (~/Bilder, ~/Images...), which
    // it keeps in user-dirs.dirs rather than in the environment.
    if (const std::optional<std::string> named = PicturesDirOfUserDirs(ReadUserDirs(home), home)) {
        return *named + "/fompy-talden";
    }
    if (home.empty()) return {};
#endif
    return std::string(home) + "/Pictures/fompy-talden";
}

Result<std::string> SaveScreenshot(const std::string& folder, const Picture& picture,
                                   const Palette& palette, bool aspect, std::time_t when) {
    if (folder.empty())
        return Failure{"no folder for pictures: neither XDG_PICTURES_DIR nor HOME is set"};
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) return Failure{folder + ": " + error.message()};
    const std::tm local = LocalTime(when);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    const std::string stem = folder + "/fompy-talden-" + stamp;
    std::string path = stem + ".png";
    for (int suffix = 2; std::filesystem::exists(path, error); ++suffix) {
        path = stem + "-" + std::to_string(suffix) + ".png";
    }
    if (Result<void> written = WritePng(path, ScaleForScreenshot(picture, aspect), palette);
        !written) {
        return Failure{written.reason()};
    }
    return path;
}

void SaveScreenshotAndSay(const std::string& folder, const Picture& picture, const Palette& palette,
                          bool aspect) {
    const Result<std::string> saved =
        SaveScreenshot(folder, picture, palette, aspect, std::time(nullptr));
    if (saved) {
        std::printf("fompy-talden: screenshot saved as %s\n", saved->c_str());
        std::fflush(stdout);
    } else {
        std::fprintf(stderr, "fompy-talden: cannot save the screenshot: %s\n",
                     saved.reason().c_str());
    }
}

}  // namespace platform
