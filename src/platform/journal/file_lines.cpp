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

#include "platform/common/text.h"
#include "platform/common/warning.h"
#include "platform/journal/open_flags.h"

namespace platform {

namespace {

// What a headless run gathers before it writes.
constexpr std::size_t kGatherBytes = 64 * 1024;

#if defined(_WIN32)
constexpr const char* kSeparators = "/\\";
#else
constexpr const char* kSeparators = "/";
#endif
#if defined(X_OK)
constexpr int kCanEnter = X_OK;
#else
constexpr int kCanEnter = 0;  // Windows has no such right to check
#endif

}  // namespace

Result<std::unique_ptr<FileLines>> FileLines::Prepare(const std::string& path, std::string what,
                                                      bool allowStandardOutput, Mode mode) {
    const bool standardOutput = allowStandardOutput && path == "-";
    const auto refused = [&](int error) {
        return Failure{"cannot write the " + what + " '" + PrintableText(path) +
                       "': " + std::strerror(error)};
    };
    if (!standardOutput) {
        struct stat info {};
        if (::stat(path.c_str(), &info) == 0) {
            if (S_ISDIR(info.st_mode)) return refused(EISDIR);
            if (::access(path.c_str(), W_OK) != 0) return refused(errno);
        } else if (errno != ENOENT) {
            return refused(errno);
        } else {
            // A file still to be made: its folder must take it.
            const std::size_t slash = path.find_last_of(kSeparators);
            const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
            if (::stat(folder.c_str(), &info) != 0) return refused(errno);
            if (!S_ISDIR(info.st_mode)) return refused(ENOTDIR);
            if (::access(folder.c_str(), W_OK | kCanEnter) != 0) return refused(errno);
        }
    }
    return std::unique_ptr<FileLines>(new FileLines(standardOutput, path, std::move(what), mode));
}

Result<void> FileLines::Open() {
    if (fd_ >= 0 || closed_) return {};
    if (standardOutput_) {
        fd_ = STDOUT_FILENO;
    } else {
        fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | kOpenBinary | kOpenCloseOnExec,
                     0666);
        if (fd_ < 0) {
            failure_ = "cannot write the " + what_ + " '" + PrintableText(path_) +
                       "': " + std::strerror(errno);
            closed_ = true;
            return Failure{failure_};
        }
    }
    if (mode_ == Mode::KeepPlayingOnFailure && !pending_.empty()) Flush();
    return {};
}

FileLines::FileLines(bool standardOutput, std::string path, std::string what, Mode mode)
    : standardOutput_(standardOutput),
      path_(std::move(path)),
      what_(std::move(what)),
      mode_(mode) {}

FileLines::~FileLines() {
    if (!standardOutput_ && fd_ >= 0) ::close(fd_);
}

void FileLines::Write(std::string_view line) {
    if (!failure_.empty() || closed_) return;
    pending_ += line;
    if (fd_ < 0) return;  // not open yet: the line waits
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
    Warn(failure_ + "; the game goes on without it");
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
    if (!standardOutput_ && fd_ >= 0) {
        if (::close(fd_) != 0 && failure_.empty()) {
            failure_ = "cannot write the " + what_ + " '" + PrintableText(path_) +
                       "': " + std::strerror(errno);
        }
    }
    fd_ = -1;
    closed_ = true;
    if (!failure_.empty()) return Failure{failure_};
    return {};
}

}  // namespace platform
