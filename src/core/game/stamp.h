// SPDX-License-Identifier: MIT
// stamp.h -- drawing, settling and collision-testing one 5x5 tile or a whole
// piece. Collision is decided on the pixels of the frame being composed:
// colours 1 to 21 are solid, everything else free.
#pragma once

#include <cstdint>

#include "core/render/framebuffer.h"

namespace ft {

struct Playfield;

enum class StampMode : std::int32_t {
    Collide = 0,      // test the place; draw and write nothing
    DrawClipped = 1,  // draw, skipping pixel rows above the well top (y 49)
    Settle = 2,       // write the tile number into the playfield cell under it
    Draw = 3,         // draw every pixel
};

enum class CollisionCode : std::int32_t {
    None = 0,
    LeftWall = 1,   // a tile's x is left of 50
    RightWall = 2,  // a tile's right edge passes x 149
    Blocked = 3,    // a solid pixel under the tile at or below row 49, or below row 198
};

// (x, y) is the tile's top-left pixel; tile 1 to 7. Settle needs playfield;
// the other modes ignore it.
CollisionCode StampTile(FrameBuffer& fb, StampMode mode, std::int32_t x, std::int32_t y,
                        std::int32_t tile, Playfield* playfield = nullptr);
// Every filled cell of the shape, column by column; in Collide mode the first
// code that is not None. A kind outside 1 to 7 does nothing.
CollisionCode StampPiece(FrameBuffer& fb, StampMode mode, std::int32_t x, std::int32_t y,
                         std::int32_t kind, std::int32_t rotation, Playfield* playfield = nullptr);

}  // namespace ft
