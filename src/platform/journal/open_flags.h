// SPDX-License-Identifier: MIT
// open_flags.h -- the flags the platforms open their files with, where the
// system has them: bytes as they are (no line-end translation on Windows),
// no handle left to a program started later, and no wait for a FIFO's writer.
#pragma once

#include <fcntl.h>

namespace platform {

#if defined(O_BINARY)
inline constexpr int kOpenBinary = O_BINARY;
#else
inline constexpr int kOpenBinary = 0;
#endif
#if defined(O_CLOEXEC)
inline constexpr int kOpenCloseOnExec = O_CLOEXEC;
#else
inline constexpr int kOpenCloseOnExec = 0;
#endif
#if defined(O_NONBLOCK)
inline constexpr int kOpenNoWait = O_NONBLOCK;
#else
inline constexpr int kOpenNoWait = 0;
#endif

}  // namespace platform
