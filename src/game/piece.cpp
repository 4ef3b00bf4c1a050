// piece.cpp -- placeholder until it is written.
#include "game/piece.h"
#include "shell/random.h"
namespace ft {
FallingPiece StartingPiece(Random& random) { FallingPiece p; p.kind = random.Next() % 7; return p; }
int MovePiece(FrameBuffer&, PieceAction, PieceContext&) { return 0; }
void DrawPreview(FrameBuffer&, std::int32_t) {}
}  // namespace ft
