// stamp.cpp -- placeholder until it is written.
#include "game/stamp.h"
namespace ft {
CollisionCode StampTile(FrameBuffer&, StampMode, std::int32_t, std::int32_t, std::int32_t, Playfield*) { return CollisionCode::None; }
CollisionCode StampPiece(FrameBuffer&, StampMode, std::int32_t, std::int32_t, std::int32_t, std::int32_t, Playfield*) { return CollisionCode::None; }
}  // namespace ft
