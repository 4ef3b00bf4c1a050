// SPDX-License-Identifier: MIT
// piece.cpp -- the falling piece: its moves, its landing (settle, game-over
// check, spawn, row clearing, score) and the next-piece preview.
#include "core/game/piece.h"

#include <cassert>

#include "core/game/shapes.h"
#include "core/game/stamp.h"
#include "core/seam/platform.h"
#include "core/state/random.h"
#include "core/state/settings.h"

namespace ft {

namespace {

constexpr Score kLandingScore = 5;
constexpr std::uint8_t kBoxInterior = 42;
// The part of the preview box refilled before each new preview.
constexpr std::int32_t kPreviewAreaLeft = 169;
constexpr std::int32_t kPreviewAreaTop = 48;
constexpr std::int32_t kPreviewAreaRight = 196;
constexpr std::int32_t kPreviewAreaBottom = 70;

bool Collides(FrameBuffer& fb, const FallingPiece& piece) {
    return StampPiece(fb, StampMode::Collide, piece.x, piece.y, piece.kind, piece.rotation) !=
           CollisionCode::None;
}

// A blocked drop: the piece settles where it stood. True when it ends the game.
bool Land(FrameBuffer& fb, PieceContext& context) {
    FallingPiece& piece = context.piece;
    context.platform.PlayCue(platform::Cue::Landing);
    piece.y -= kTileSize;
    StampPiece(fb, StampMode::Settle, piece.x, piece.y, piece.kind, piece.rotation,
               &context.playfield);
    // Drawn into this frame at once, so that later tests of the same frame
    // see the landed piece.
    StampPiece(fb, StampMode::DrawClipped, piece.x, piece.y, piece.kind, piece.rotation);

    // Decided on the piece's position, not on its cells: a piece still placed
    // above the well top ends the game even if all its cells are inside.
    if (piece.y < kWellTop) return true;

    piece.rotation = 0;
    piece.kind = piece.nextKind;
    piece.nextKind = context.random.Next() % 7 + 1;
    piece.x = kSpawnX;
    piece.y = kSpawnY;

    ClearFullRows(context.playfield, context.score);
    context.score += kLandingScore;

    if (context.settings.showNext) {
        FillBox(fb, kPreviewAreaLeft, kPreviewAreaTop, kPreviewAreaRight, kPreviewAreaBottom,
                kBoxInterior);
        DrawPreview(fb, piece.nextKind);
    }
    return false;
}

}  // namespace

FallingPiece StartingPiece(Random& random) {
    FallingPiece piece;
    piece.kind = random.Next() % 7;  // no +1 here, unlike every later draw
    return piece;
}

bool MovePiece(FrameBuffer& fb, PieceAction action, PieceContext& context) {
    FallingPiece& piece = context.piece;
    switch (action) {
        case PieceAction::MoveLeft:
            piece.x -= kTileSize;
            if (Collides(fb, piece)) piece.x += kTileSize;
            return false;
        case PieceAction::MoveRight:
            piece.x += kTileSize;
            if (Collides(fb, piece)) piece.x -= kTileSize;
            return false;
        case PieceAction::Rotate: {
            const std::int32_t old = piece.rotation;
            piece.rotation = piece.rotation == 3 ? 0 : piece.rotation + 1;
            // Refused where it does not fit; there is no sideways nudge.
            if (Collides(fb, piece)) piece.rotation = old;
            return false;
        }
        case PieceAction::Drop:
            piece.y += kTileSize;
            // Only a block below lands the piece; the walls cannot change on a drop.
            if (StampPiece(fb, StampMode::Collide, piece.x, piece.y, piece.kind, piece.rotation) !=
                CollisionCode::Blocked)
                return false;
            return Land(fb, context);
    }
    return false;
}

void DrawPreview(FrameBuffer& fb, std::int32_t kind) {
    StampPiece(fb, StampMode::Draw, kPreviewX, kPreviewY, kind, 0);
}

}  // namespace ft
