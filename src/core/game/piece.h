// SPDX-License-Identifier: MIT
// piece.h -- the falling piece: moving, rotating and dropping it, its landing
// (settling, clearing rows, scoring, spawning the next piece) and the preview.
#pragma once

#include <cstdint>

#include "core/game/playfield.h"
#include "core/render/framebuffer.h"

namespace platform {
class Platform;
}

namespace ft {

struct Random;
struct GameSettings;

inline constexpr std::int32_t kSpawnX = 90;  // grid column 0 on well column 8
inline constexpr std::int32_t kSpawnY = 29;  // four cells above the well top
inline constexpr std::int32_t kPreviewX = 175;
inline constexpr std::int32_t kPreviewY = 50;

// Lives for the run; kind and rotation carry over from one game to the next.
struct FallingPiece {
    std::int32_t x = kSpawnX;  // screen position of grid cell (0, 0); steps of 5
    std::int32_t y = kSpawnY;
    std::int32_t kind = 0;      // 1 to 7
    std::int32_t rotation = 0;  // 0 to 3
    std::int32_t nextKind = 0;  // shown in the preview; 0 until the first game
};

enum class PieceAction : std::int32_t { MoveLeft = 0, MoveRight = 1, Drop = 2, Rotate = 3 };

// The piece of program start: its kind is the run's very first draw modulo 7
// (no +1, unlike every later draw), which makes it kind 6 on every run.
FallingPiece StartingPiece(Random& random);

// Everything a piece action touches besides the frame being composed.
struct PieceContext {
    FallingPiece& piece;
    Playfield& playfield;
    Score& score;
    Random& random;
    const GameSettings& settings;
    platform::Platform& platform;  // the landing cue
};

// One action on the falling piece, tested against the pixels of fb (the locked
// back buffer). Returns whether the action ended the game: a Drop that lands
// the piece with its position still above the well top.
bool MovePiece(FrameBuffer& fb, PieceAction action, PieceContext& context);

// Draws kind in rotation 0 at the preview place, unclipped.
void DrawPreview(FrameBuffer& fb, std::int32_t kind);

}  // namespace ft
