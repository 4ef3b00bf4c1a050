// intro.h -- the opening screen: a mosaic of random tiles, the jingle and the
// title cut into it in black; it waits for Enter.
#pragma once

namespace ft {

struct Program;

// Shown once per run, straight into the visible picture.
void IntroScreen(Program& program);

}  // namespace ft
