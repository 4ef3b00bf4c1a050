// make_icons.cpp -- draws the desktop icon from the game's own tile art: a T
// piece coming down onto a row of settled tiles, pixel-sharp, at every size the
// desktop asks for.
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

#include "game/shapes.h"
#include "render/palette.h"

namespace {

constexpr int kMaxSize = 4096;

// The icon in cells: a digit is a tile pattern (1 bar, 2 T, 3 Z, 4 S,
// 5 square, 6 J, 7 L), '.' is empty: a T resting on three settled tiles.
constexpr int kCells = 3;
constexpr std::array<const char*, kCells> kLayout = {
    ".2.",
    "222",
    "537",
};
constexpr int kArtSide = kCells * ft::kTileSize;  // icon art in tile pixels

struct Rgba {
    std::uint8_t red = 0, green = 0, blue = 0, alpha = 0;
};

// The art at one pixel per tile pixel, row-major, kArtSide by kArtSide.
std::vector<Rgba> DrawArt() {
    ft::Palette palette{};
    ft::SetFixedColours(palette);
    std::vector<Rgba> art(kArtSide * kArtSide);
    for (int cellRow = 0; cellRow < kCells; ++cellRow) {
        for (int cellColumn = 0; cellColumn < kCells; ++cellColumn) {
            const char cell = kLayout[cellRow][cellColumn];
            if (cell == '.') continue;
            const int tile = cell - '0';
            for (int row = 0; row < ft::kTileSize; ++row) {
                for (int column = 0; column < ft::kTileSize; ++column) {
                    const ft::PaletteEntry& c = palette[ft::PatternPixel(tile, column, row)];
                    const int x = cellColumn * ft::kTileSize + column;
                    const int y = cellRow * ft::kTileSize + row;
                    art[y * kArtSide + x] = Rgba{c.red, c.green, c.blue, 255};
                }
            }
        }
    }
    return art;
}

// The art scaled by the largest whole factor that fits into size, centred.
std::vector<Rgba> ScaleArt(const std::vector<Rgba>& art, int size) {
    const int factor = size / kArtSide;
    const int offset = (size - factor * kArtSide) / 2;
    std::vector<Rgba> icon(static_cast<std::size_t>(size) * size);
    for (int y = 0; y < factor * kArtSide; ++y) {
        for (int x = 0; x < factor * kArtSide; ++x) {
            icon[(offset + y) * size + offset + x] = art[(y / factor) * kArtSide + x / factor];
        }
    }
    return icon;
}

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
    const std::vector<Rgba> art = DrawArt();
    for (int k = 2; k < argc; ++k) {
        const std::string sizeText = argv[k];
        const int size = std::atoi(sizeText.c_str());
        if (size < kArtSide || size > kMaxSize || std::to_string(size) != sizeText) {
            std::fprintf(stderr, "make_icons: size '%s' is not a whole number from %d to %d\n",
                         argv[k], kArtSide, kMaxSize);
            return 2;
        }
        const std::string path = std::string(argv[1]) + "/fompy-talden-" + sizeText + ".png";
        const std::string error = WriteRgbaPng(path, ScaleArt(art, size), size);
        if (!error.empty()) {
            std::fprintf(stderr, "make_icons: %s; is the build directory writable?\n",
                         error.c_str());
            return 1;
        }
    }
    return 0;
}
