// game.cpp -- placeholder until it is written.
#include "game/game.h"
namespace ft {
void PlayGame(Program&) {}
}  // namespace ft
