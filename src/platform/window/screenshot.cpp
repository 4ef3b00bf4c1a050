// SPDX-License-Identifier: MIT
// screenshot.cpp -- scaling, naming and writing screenshots. The PNG is
// written with zlib and a few chunks of our own, so that every players'
// platform can save one without libpng. A screenshot is always a file of its
// own, made by the save itself: never one that was there, nor what a link in
// its place points to.
#include "platform/window/screenshot.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <zlib.h>
#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>

#include "platform/common/local_time.h"
#include "platform/common/text.h"
#include "platform/common/warning.h"
#include "platform/journal/open_flags.h"
#include "platform/window/small_file.h"
#include "platform/window/user_dirs.h"

namespace platform {

namespace {

constexpr int kShotWidth = 640;
constexpr int kShotHeight43 = 480;
constexpr int kShotHeightSquare = 400;
// Between a folder and a file's name, as the system writes its own paths:
// a name the player is shown reads as one path, with one kind of separator.
#if defined(_WIN32)
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif
// The names tried in one second: fompy-talden-STAMP.png, then -2 to -1000.
constexpr int kMostNamesInASecond = 1000;

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

namespace {

// The PNG file of the image, or nothing when zlib had no memory for it.
std::optional<Bytes> EncodePng(const IndexedImage& image, const Palette& palette) {
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
        return std::nullopt;
    }
    packed.resize(packedSize);
    PutChunk(png, "IDAT", packed);
    PutChunk(png, "IEND", {});
    return png;
}

enum class Made : std::uint8_t { Written, Taken, Failed };

// Writes bytes as a new file at path, one that this call makes: a name that
// is there already, as a file, a folder or a symbolic link (even one that
// leads nowhere), is Taken and nothing is opened or followed. On a failure
// cause holds the errno and the file begun is removed.
Made WriteNewFile(const std::string& path, const Bytes& bytes, int& cause) {
    const int fd = OpenNewFile(path);
    if (fd < 0) {
        cause = errno;
        return cause == EEXIST ? Made::Taken : Made::Failed;
    }
    cause = 0;
    for (std::size_t done = 0; done < bytes.size();) {
        constexpr std::size_t kMostAtOnce = 1 << 20;
        const std::size_t size = std::min(bytes.size() - done, kMostAtOnce);
#if defined(_WIN32)
        const int wrote = _write(fd, bytes.data() + done, static_cast<unsigned>(size));
#else
        const ssize_t wrote = write(fd, bytes.data() + done, size);
#endif
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) {
            cause = wrote < 0 ? errno : EIO;
            break;
        }
        done += static_cast<std::size_t>(wrote);
    }
#if defined(_WIN32)
    const int closed = _close(fd);
#else
    const int closed = close(fd);
#endif
    if (closed != 0 && cause == 0) cause = errno;
    if (cause == 0) return Made::Written;
    std::remove(path.c_str());
    return Made::Failed;
}

}  // namespace

Result<void> WritePng(const std::string& path, const IndexedImage& image, const Palette& palette) {
    const std::optional<Bytes> png = EncodePng(image, palette);
    if (!png) return Failure{path + ": out of memory"};
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file) return Failure{path + ": " + std::strerror(errno)};
    const bool written = std::fwrite(png->data(), 1, png->size(), file.get()) == png->size();
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
#if defined(_WIN32)
    // Where the system names no Pictures folder: the usual one in the profile.
    const char* home = std::getenv("USERPROFILE");
    if (home == nullptr || home[0] == '\0') return {};
    return std::string(home) + "\\Pictures\\fompy-talden";
#else
    // Only a folder from the root, as for XDG_CONFIG_HOME: a relative one
    // would be wherever the game happened to be started.
    const char* pictures = std::getenv("XDG_PICTURES_DIR");
    if (pictures != nullptr && std::filesystem::path(pictures).is_absolute()) {
        return std::string(pictures) + "/fompy-talden";
    }
    const char* homeVariable = std::getenv("HOME");
    const std::string home = homeVariable != nullptr ? homeVariable : "";
    // The desktop's own name for the folder (~/Bilder, ~/Images...), which
    // it keeps in user-dirs.dirs rather than in the environment.
    if (const std::optional<std::string> named = PicturesDirOfUserDirs(ReadUserDirs(home), home)) {
        return *named + "/fompy-talden";
    }
    if (home.empty()) return {};
    return home + "/Pictures/fompy-talden";
#endif
}

Result<std::string> SaveScreenshot(const std::string& folder, const Picture& picture,
                                   const Palette& palette, bool aspect, std::time_t when) {
    if (folder.empty()) {
#if defined(_WIN32)
        return Failure{"no folder for pictures: Windows names no Pictures folder for this user"};
#else
        return Failure{
            "no folder for pictures: neither HOME nor an absolute XDG_PICTURES_DIR is set"};
#endif
    }
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) return Failure{PrintableText(folder) + ": " + error.message()};
    const std::tm local = LocalTime(when);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    const std::string stem = folder + kSeparator + "fompy-talden-" + stamp;
    const std::optional<Bytes> png = EncodePng(ScaleForScreenshot(picture, aspect), palette);
    if (!png) return Failure{PrintableText(stem) + ".png: out of memory"};
    // Each name is made by the one call that writes it, so two saves in the
    // same second, of this game or another, never share a file.
    for (int n = 1; n <= kMostNamesInASecond; ++n) {
        const std::string path = stem + (n == 1 ? "" : "-" + std::to_string(n)) + ".png";
        int cause = 0;
        const Made made = WriteNewFile(path, *png, cause);
        if (made == Made::Written) return path;
        if (made == Made::Failed) return Failure{PrintableText(path) + ": " + std::strerror(cause)};
    }
    return Failure{PrintableText(stem) + ".png and -2 to -" + std::to_string(kMostNamesInASecond) +
                   " are all taken; move the screenshots of that second elsewhere"};
}

void SaveScreenshotAndSay(const std::string& folder, const Picture& picture, const Palette& palette,
                          bool aspect) {
    const Result<std::string> saved =
        SaveScreenshot(folder, picture, palette, aspect, std::time(nullptr));
    if (saved) {
        std::printf("fompy-talden: screenshot saved as %s\n", PrintableText(*saved).c_str());
        std::fflush(stdout);
    } else {
        Warn("cannot save the screenshot: " + saved.reason());
    }
}

}  // namespace platform
