// menu.cpp -- placeholder until it is written.
#include "frontend/menu.h"
namespace ft {
void MenuScreen(Program&) {}
}  // namespace ft
