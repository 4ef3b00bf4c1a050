// SPDX-License-Identifier: MIT
// stamp.cpp -- one routine for everything done with a 5x5 cell (draw it, settle
// it into the playfield, test its place against the frame's pixels), and its
// application to every filled cell of a piece.
#include "core/game/stamp.h"

#include <cassert>
#include <cstring>

#include "core/game/playfield.h"
#include "core/game/shapes.h"

namespace ft {

namespace {

constexpr std::int32_t kWellRight =
    kWellLeft + kWellColumns * kTileSize;  // 150, first x past the well
constexpr std::int32_t kWellBottom =
    kWellTop + kWellRows * kTileSize;  // 199, first y below the well
constexpr std::uint8_t kFirstSolidColour = 1;
constexpr std::uint8_t kLastSolidColour = 21;

bool IsSolid(std::uint8_t colour) {
    return colour >= kFirstSolidColour && colour <= kLastSolidColour;
}

// The playfield cell under a tile; a place above or left of the well counts as
// row or column 0, one right of or below it is not written.
void SettleTile(Playfield& playfield, std::int32_t x, std::int32_t y, std::int32_t tile) {
    std::int32_t column = (x - kWellLeft) / kTileSize;  // truncates toward zero
    std::int32_t row = (y - kWellTop) / kTileSize;
    if (column < 0) column = 0;
    if (row < 0) row = 0;
    if (column < kWellColumns && row < kWellRows)
        playfield.At(column, row) = static_cast<std::uint8_t>(tile);
}

// One row of a tile's pattern: five pixels side by side.
void DrawPatternRow(FrameBuffer& fb, std::int32_t x, std::int32_t y, const std::uint8_t* colours) {
    PixelAddress(fb, x + kTileSize - 1, y);  // checks the row's far end in debug builds
    std::memcpy(PixelAddress(fb, x, y), colours, kTileSize);
}

}  // namespace

CollisionCode StampTile(FrameBuffer& fb, StampMode mode, std::int32_t x, std::int32_t y,
                        std::int32_t tile, Playfield* playfield) {
    assert(tile >= 1 && tile <= 7);
    switch (mode) {
        case StampMode::Collide:
            // The walls are decided on the tile's x and the bottom on its y, so
            // they answer at the first pixel. Pixels above the well top never
            // block, whatever colour they hold.
            if (x < kWellLeft) return CollisionCode::LeftWall;
            if (x + kTileSize > kWellRight) return CollisionCode::RightWall;
            for (std::int32_t i = 0; i < kTileSize; ++i) {
                if (y + i < kWellTop) continue;
                if (y + kTileSize > kWellBottom) return CollisionCode::Blocked;
                for (std::int32_t j = 0; j < kTileSize; ++j)
                    if (IsSolid(ReadPixel(fb, x + j, y + i))) return CollisionCode::Blocked;
            }
            return CollisionCode::None;
        case StampMode::DrawClipped:
            for (std::int32_t i = 0; i < kTileSize; ++i) {
                if (y + i < kWellTop) continue;  // hidden above the well top
                DrawPatternRow(fb, x, y + i, TilePattern(tile) + i * kTileSize);
            }
            return CollisionCode::None;
        case StampMode::Settle:
            assert(playfield != nullptr && "settling needs the playfield");
            SettleTile(*playfield, x, y, tile);
            return CollisionCode::None;
        case StampMode::Draw:
            for (std::int32_t i = 0; i < kTileSize; ++i)
                DrawPatternRow(fb, x, y + i, TilePattern(tile) + i * kTileSize);
            return CollisionCode::None;
    }
    return CollisionCode::None;
}

CollisionCode StampPiece(FrameBuffer& fb, StampMode mode, std::int32_t x, std::int32_t y,
                         std::int32_t kind, std::int32_t rotation, Playfield* playfield) {
    if (kind < 1 || kind > 7) return CollisionCode::None;
    const int side = GridSide(kind);
    // Column by column, each top to bottom: in Collide mode the first cell in
    // this order to report decides the code, so a wall can hide a block and a
    // block a wall.
    for (int c = 0; c < side; ++c) {
        for (int r = 0; r < side; ++r) {
            const std::uint8_t tile = ShapeCell(kind, rotation, c, r);
            if (tile == 0) continue;
            const CollisionCode code =
                StampTile(fb, mode, x + kTileSize * c, y + kTileSize * r, tile, playfield);
            if (code != CollisionCode::None) return code;
        }
    }
    return CollisionCode::None;
}

}  // namespace ft
