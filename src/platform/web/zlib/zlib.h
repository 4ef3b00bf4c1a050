// zlib.h -- the one part of zlib that the web build needs, the CRC-32 of the
// run log. Emscripten offers zlib only as a port that is downloaded when first
// used, so the web build carries this function itself (crc32.cpp), with
// zlib's name, types and results.
#pragma once

#include <cstddef>

using uLong = unsigned long;
using uInt = unsigned int;
using Bytef = unsigned char;

inline constexpr std::nullptr_t Z_NULL = nullptr;

// zlib's crc32: the running CRC-32 (reflected polynomial 0xEDB88320) of crc
// extended by len bytes at buf. With buf null it returns the start value, 0.
extern "C" uLong crc32(uLong crc, const Bytef* buf, uInt len);
