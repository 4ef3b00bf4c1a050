// SPDX-License-Identifier: MIT
// file_lines.cpp -- whole lines to a file descriptor, failures kept.
#include "platform/journal/file_lines.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef _WIN32
#include <io.h>
#endif

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include "platform/text.h"

namespace platform {

namespace {

// What a headless run gathers before it writes.
constexpr std::size_t kGatherBytes = 64 * 1024;

// Bytes as they are: no line-end translation where the system has one.
#if defined(O_BINARY)
constexpr int kBinary = O_BINARY;
#else
constexpr int kBinary = 0;
#endif
#if defined(O_CLOEXEC)
constexpr int kCloseOnExec = O_CLOEXEC;
#else
constexpr int kCloseOnExec = 0;
#endif

}  // namespace

Result<std::unique_ptr<FileLines>> FileLines::Open(const std::string& path, std::string what,
                                                   bool allowStandardOutput, Mode mode) {
    if (allowStandardOutput && path == "-") {
        return std::unique_ptr<FileLines>(
            new FileLines(STDOUT_FILENO, false, path, std::move(what), mode));
    }
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | kBinary | kCloseOnExec, 0666);
    if (fd < 0) {
        return Failure{"cannot write the " + what + " '" + PrintableText(path) +
                       "': " + std::strerror(errno)};
    }
    return std::unique_ptr<FileLines>(new FileLines(fd, true, path, std::move(what), mode));
}

FileLines::FileLines(int fd, bool ownsFd, std::string path, std::string what, Mode mode)
    : fd_(fd), ownsFd_(ownsFd), path_(std::move(path)), what_(std::move(what)), mode_(mode) {}

FileLines::~FileLines() {
    if (ownsFd_ && fd_ >= 0) ::close(fd_);
}

void FileLines::Write(std::string_view line) {
    if (!failure_.empty() || fd_ < 0) return;
    pending_ += line;
    if (mode_ == Mode::KeepPlayingOnFailure || pending_.size() >= kGatherBytes) Flush();
}

void FileLines::Flush() {
    std::size_t done = 0;
    while (done < pending_.size()) {
        const ssize_t n = ::write(fd_, pending_.data() + done, pending_.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            const int error = errno;
            // Whatever of the last write reached the file beyond its last
            // whole line is cut off again; a replay refuses a torn line.
            const std::string_view reached(pending_.data(), done);
            const std::size_t whole = reached.rfind('\n') + 1;  // 0 when none
            if (whole < done) {
                struct stat info {};
                if (::fstat(fd_, &info) == 0 && S_ISREG(info.st_mode)) {
                    if (::ftruncate(fd_, static_cast<off_t>(written_ + whole)) == 0) {
                        ::lseek(fd_, static_cast<off_t>(written_ + whole), SEEK_SET);
                    }
                }
            }
            written_ += whole;
            pending_.clear();
            Fail(error);
            return;
        }
        done += static_cast<std::size_t>(n);
    }
    written_ += done;
    pending_.clear();
}

void FileLines::Fail(int error) {
    failure_ =
        "cannot write the " + what_ + " '" + PrintableText(path_) + "': " + std::strerror(error);
    if (mode_ == Mode::StopRunOnFailure) throw OutputFailed{failure_};
    std::fprintf(stderr, "fompy-talden: %s; the game goes on without it\n", failure_.c_str());
}

Result<void> FileLines::Close() {
    if (failure_.empty() && fd_ >= 0) {
        if (mode_ == Mode::StopRunOnFailure) {
            try {
                Flush();
            } catch (const OutputFailed&) {
                // kept in failure_
            }
        } else {
            Flush();
        }
    }
    if (ownsFd_ && fd_ >= 0) {
        if (::close(fd_) != 0 && failure_.empty()) {
            failure_ = "cannot write the " + what_ + " '" + PrintableText(path_) +
                       "': " + std::strerror(errno);
        }
    }
    fd_ = -1;
    if (!failure_.empty()) return Failure{failure_};
    return {};
}

}  // namespace platform
