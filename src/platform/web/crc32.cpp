// SPDX-License-Identifier: MIT
// crc32.cpp -- zlib's CRC-32 for the web build's run log (see zlib/zlib.h).
#include <array>
#include <cstdint>

#include "platform/web/zlib/zlib.h"

namespace {

constexpr std::array<std::uint32_t, 256> MakeCrcTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}

constexpr std::array<std::uint32_t, 256> kCrcTable = MakeCrcTable();

}  // namespace

extern "C" uLong crc32(uLong crc, const Bytef* buf, uInt len) {
    if (buf == nullptr) return 0;
    auto c = static_cast<std::uint32_t>(crc) ^ 0xFFFFFFFFu;
    for (uInt i = 0; i < len; ++i) c = kCrcTable[(c ^ buf[i]) & 0xFFu] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}
