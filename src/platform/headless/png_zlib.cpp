// SPDX-License-Identifier: MIT
// png_zlib.cpp -- indexed PNG writing for the builds without libpng (Windows):
// the rows deflated by zlib, and the few chunks an 8-bit palette picture
// needs written by hand. The files decode to the same pixels and palette as
// those of png_dump.cpp.
#include <zlib.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/headless/png_dump.h"

namespace platform {

namespace {

using Bytes = std::vector<std::uint8_t>;

void PutU32(Bytes& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value >> 24));
    out.push_back(static_cast<std::uint8_t>(value >> 16));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
    out.push_back(static_cast<std::uint8_t>(value));
}

// One chunk: length, type, data, and the CRC-32 of type and data.
void PutChunk(Bytes& out, std::string_view type, const Bytes& data) {
    PutU32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t typeAt = out.size();
    out.insert(out.end(), type.begin(), type.end());
    out.insert(out.end(), data.begin(), data.end());
    uLong crc = crc32(0L, Z_NULL, 0);
    crc = crc32(crc, out.data() + typeAt, static_cast<uInt>(out.size() - typeAt));
    PutU32(out, static_cast<std::uint32_t>(crc));
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

Result<void> WriteIndexedPng(const std::string& path, const Picture& picture,
                             const Palette& palette) {
    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

    Bytes header;
    PutU32(header, kScreenWidth);
    PutU32(header, kScreenHeight);
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
    rows.reserve(static_cast<std::size_t>(kScreenWidth + 1) * kScreenHeight);
    for (int y = 0; y < kScreenHeight; ++y) {
        const std::uint8_t* row = picture.pixels + static_cast<std::ptrdiff_t>(y) * picture.pitch;
        rows.push_back(0);
        rows.insert(rows.end(), row, row + kScreenWidth);
    }
    uLongf packedSize = compressBound(static_cast<uLong>(rows.size()));
    Bytes packed(packedSize);
    if (compress2(packed.data(), &packedSize, rows.data(), static_cast<uLong>(rows.size()),
                  Z_DEFAULT_COMPRESSION) != Z_OK) {
        return Failure{path + ": cannot write: out of memory"};
    }
    packed.resize(packedSize);
    PutChunk(png, "IDAT", packed);
    PutChunk(png, "IEND", {});

    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file) return Failure{path + ": cannot write: " + std::strerror(errno)};
    const bool written = std::fwrite(png.data(), 1, png.size(), file.get()) == png.size();
    // Whatever is still buffered can fail too, at the close.
    if (std::fclose(file.release()) != 0 || !written) {
        return Failure{path + ": cannot write: " + std::strerror(errno)};
    }
    return {};
}

}  // namespace platform
