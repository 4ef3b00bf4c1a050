// playfield.cpp -- placeholder until it is written.
#include "game/playfield.h"
namespace ft {
void ClearPlayfield(Playfield&) {}
void DrawPlayfield(FrameBuffer&, const Playfield&) {}
int ClearFullRows(Playfield&, Score&) { return 0; }
int FillRubbleRows(Playfield&, Score&, Random&, platform::Platform&, std::int32_t) { return 0; }
}  // namespace ft
