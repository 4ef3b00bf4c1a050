// SPDX-License-Identifier: MIT
// open_flags.h -- the flags the platforms open their files with, where the
// system has them: bytes as they are (no line-end translation on Windows),
// no handle left to a program started later, and no wait for a FIFO's writer;
// and how a file that must be new is made.
#pragma once

#include <fcntl.h>

#include <string>

#if defined(_WIN32)
#include <io.h>
#include <sys/stat.h>
#endif

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

// Opens path for writing as a file this call makes: a name that is there
// already, as a file, a folder or a symbolic link (even one that leads
// nowhere), fails with EEXIST and nothing is opened or followed. On Windows
// _O_EXCL makes the C library create with CREATE_NEW, which refuses any name
// that is there, a link's too. The descriptor, or -1 with errno set.
inline int OpenNewFile(const std::string& path) {
#if defined(_WIN32)
    return ::_open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                   _S_IREAD | _S_IWRITE);
#else
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
#endif
}

}  // namespace platform
