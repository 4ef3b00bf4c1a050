#include "frontend/wave_resources.h"

namespace ft {
std::span<const std::uint8_t> WaveResource(int) { return {}; }
}  // namespace ft
