// SPDX-License-Identifier: MIT
// small_file.cpp -- a small file read whole, a block at a time.
#include "platform/window/small_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef _WIN32
#include <io.h>
#endif

#include <cerrno>
#include <cstring>

#include "platform/journal/open_flags.h"

namespace platform {

namespace {

// What a name that is not a regular file holds, for the message.
const char* KindOf(unsigned mode) {
    if (S_ISDIR(mode)) return "a folder";
#if defined(S_ISFIFO)
    if (S_ISFIFO(mode)) return "a FIFO";
#endif
#if defined(S_ISSOCK)
    if (S_ISSOCK(mode)) return "a socket";
#endif
    if (S_ISCHR(mode)) return "a device";
#if defined(S_ISBLK)
    if (S_ISBLK(mode)) return "a device";
#endif
    return "not a regular file";
}

SmallFile Refused(std::string reason) {
    return {SmallFile::Status::Refused, {}, std::move(reason)};
}

}  // namespace

SmallFile ReadSmallFile(const std::string& path, std::size_t limit) {
    // Looked at before it is opened, so that no open waits on a FIFO or
    // wakes a device.
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        if (errno == ENOENT) return {};
        return Refused(std::strerror(errno));
    }
    if (!S_ISREG(info.st_mode)) return Refused(std::string(KindOf(info.st_mode)) + ", not a file");
    const int fd = ::open(path.c_str(), O_RDONLY | kOpenBinary | kOpenCloseOnExec | kOpenNoWait);
    if (fd < 0) return errno == ENOENT ? SmallFile{} : Refused(std::strerror(errno));
    // The name may have been given to something else since it was looked at.
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return Refused(std::string(KindOf(info.st_mode)) + ", not a file");
    }
    SmallFile file{SmallFile::Status::Read, {}, {}};
    char buffer[4096];
    while (true) {
        const auto count = ::read(fd, buffer, sizeof buffer);
        if (count < 0) {
            if (errno == EINTR) continue;
            const int error = errno;
            ::close(fd);
            return Refused(std::strerror(error));
        }
        if (count == 0) break;
        file.text.append(buffer, static_cast<std::size_t>(count));
        if (file.text.size() > limit) {
            ::close(fd);
            return Refused("larger than " + std::to_string(limit / 1024) + " KiB");
        }
    }
    ::close(fd);
    return file;
}

}  // namespace platform
