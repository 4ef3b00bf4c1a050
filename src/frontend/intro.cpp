// intro.cpp -- placeholder until it is written.
#include "frontend/intro.h"
namespace ft {
void IntroScreen(Program&) {}
}  // namespace ft
