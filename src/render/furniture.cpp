// furniture.cpp -- placeholder until it is written.
#include "render/furniture.h"
namespace ft {
const std::array<std::array<std::uint8_t, 10>, 10> kWellPattern{};
void FillWellBackground(FrameBuffer&) {}
void DrawGameScreen(FrameBuffer&, Palette&) {}
BlitRect WellSourceRect(float) { return {}; }
float AdvanceScroll(float s, std::int32_t) { return s; }
}  // namespace ft
