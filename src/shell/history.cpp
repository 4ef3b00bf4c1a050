// SPDX-License-Identifier: MIT
// history.cpp -- the kept recordings: made as a window run goes, played
// again by the game to the games they hold, pruned, and told as the table
// of the best games.
#include "shell/history.h"

#include <fcntl.h>
#include <sys/stat.h>
#if defined(_WIN32)
#include <io.h>
#include <process.h>
#else
#include <sys/file.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <utility>

#include "platform/common/local_time.h"
#include "platform/common/script.h"
#include "platform/common/text.h"
#include "platform/common/warning.h"
#include "platform/headless/verify.h"
#include "platform/journal/open_flags.h"
#include "platform/journal/run_log.h"
#include "platform/window/small_file.h"

namespace ft {

namespace {

#if defined(_WIN32)
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif
constexpr std::string_view kCacheName = "kept-games.cache";
// The names tried for the runs begun in one second.
constexpr std::uint32_t kMostNamesInASecond = 1000;

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::string Joined(const std::string& folder, std::string_view name) {
    return folder + kSeparator + std::string(name);
}

std::string Quoted(const std::string& path) {
    return "'" + platform::PrintableText(path) + "'";
}

// Writes all of bytes; the errno of a failure, or 0.
int WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
#if defined(_WIN32)
        const int n = ::_write(fd, bytes.data(), static_cast<unsigned>(bytes.size()));
#else
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
#endif
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return n < 0 ? errno : EIO;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

// Writes text as the file at path, replacing it whole: a new file beside it,
// renamed over it. False when it could not.
bool ReplaceFile(const std::string& path, const std::string& text) {
    static std::uint32_t made = 0;
#if defined(_WIN32)
    const int process = ::_getpid();
#else
    const int process = static_cast<int>(::getpid());
#endif
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string temporary = path + "." + std::to_string(process) + "-" +
                                      std::to_string(++made) + "-" +
                                      std::to_string(static_cast<long long>(std::time(nullptr)));
        const int fd = platform::OpenNewFile(temporary);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return false;
        }
        const int error = WriteAll(fd, text);
#if defined(_WIN32)
        const bool closed = ::_close(fd) == 0;
#else
        const bool closed = ::close(fd) == 0;
#endif
        std::error_code ec;
        if (error == 0 && closed) std::filesystem::rename(temporary, path, ec);
        if (error != 0 || !closed || ec) {
            std::remove(temporary.c_str());
            return false;
        }
        return true;
    }
    return false;
}

// Removes a kept recording unless another run still writes it (and so holds
// its lock). True when it is gone.
bool RemoveUnlessWritten(const std::string& path) {
#if defined(_WIN32)
    // Windows refuses to remove a file that a run holds open.
    return std::remove(path.c_str()) == 0;
#else
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    bool removed = false;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) removed = ::unlink(path.c_str()) == 0;
    ::close(fd);
    return removed;
#endif
}

}  // namespace

std::string RecordingsFolder() {
#if defined(_WIN32)
    const std::string local = Variable("LOCALAPPDATA");
    return local.empty() ? std::string() : local + "\\fompy-talden\\recordings";
#else
    // A relative XDG_STATE_HOME is invalid and ignored, as the desktop's rules say.
    const std::string state = Variable("XDG_STATE_HOME");
    if (!state.empty() && state.front() == '/') return state + "/fompy-talden/recordings";
    const std::string home = Variable("HOME");
    return home.empty() ? std::string() : home + "/.local/state/fompy-talden/recordings";
#endif
}

std::string CachePathFor(const std::string& folder) {
    const std::size_t separator = folder.find_last_of(kSeparator);
    const std::string parent = separator == std::string::npos ? "." : folder.substr(0, separator);
    return Joined(parent, kCacheName);
}

KeptRecording::~KeptRecording() {
    if (fd_ >= 0) Finish();
}

void KeptRecording::Fail(const std::string& what, int error) {
    failed_ = true;
    pending_.clear();
    platform::Warn("cannot keep this run's recording " + what + ": " + std::strerror(error) +
                   "; the game goes on without it");
}

bool KeptRecording::Start(std::time_t when) {
    if (failed_ || fd_ >= 0) return fd_ >= 0;
    if (folder_.empty()) {
        failed_ = true;
        pending_.clear();
#if defined(_WIN32)
        platform::Warn(
            "no folder to keep this run's recording in: LOCALAPPDATA is not set; the game "
            "goes on without it");
#else
        platform::Warn(
            "no folder to keep this run's recording in: neither HOME nor an absolute "
            "XDG_STATE_HOME is set; the game goes on without it");
#endif
        return false;
    }
    std::error_code ec;
    std::filesystem::create_directories(folder_, ec);
    if (ec) {
        Fail("in " + Quoted(folder_), ec.value());
        return false;
    }
    const std::tm local = platform::LocalTime(when);
    for (std::uint32_t order = 1; order <= kMostNamesInASecond; ++order) {
        const std::string path = Joined(folder_, KeptRecordingName(local, order));
        const int fd = platform::OpenNewFile(path);
        if (fd < 0 && errno == EEXIST) continue;
        if (fd < 0) {
            Fail(Quoted(path), errno);
            return false;
        }
#if !defined(_WIN32)
        // Held while the run writes it, so that no other run prunes it away.
        ::flock(fd, LOCK_EX | LOCK_NB);
#endif
        fd_ = fd;
        path_ = path;
        const std::string waiting = std::exchange(pending_, std::string());
        Write(waiting);
        return !failed_;
    }
    Fail("in " + Quoted(folder_), EEXIST);
    return false;
}

void KeptRecording::Write(std::string_view line) {
    if (failed_) return;
    if (fd_ < 0) {
        pending_ += line;
        return;
    }
    if (const int error = WriteAll(fd_, line); error != 0) {
        // What reached the file of this line is cut off again: the recording
        // stays one of whole lines, and replays to its last.
#if !defined(_WIN32)
        if (::ftruncate(fd_, static_cast<off_t>(written_)) == 0) {
            ::lseek(fd_, static_cast<off_t>(written_), SEEK_SET);
        }
#endif
        Fail(Quoted(path_), error);
        return;
    }
    written_ += line.size();
}

std::string KeptRecording::Finish() {
    if (fd_ < 0) return {};
#if defined(_WIN32)
    const bool closed = ::_close(fd_) == 0;
#else
    const bool closed = ::close(fd_) == 0;
#endif
    fd_ = -1;
    if (!closed && !failed_) Fail(Quoted(path_), errno);
    return path_;
}

platform::Result<KeptRun> VerifyKept(const std::string& folder, const std::string& name) {
    const std::string path = Joined(folder, name);
    const auto passed = [&](const std::string& why) {
        return platform::Failure{platform::PrintableText(path) + ": " + why};
    };
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
        static_cast<std::uint64_t>(info.st_size) > kMaxKeptBytes) {
        return passed("larger than " + std::to_string(kMaxKeptBytes / (1024 * 1024)) +
                      " MiB, more than a recording holds");
    }
    const platform::SmallFile file = platform::ReadSmallFile(path, kMaxKeptBytes);
    if (file.status != platform::SmallFile::Status::Read) {
        return passed(file.status == platform::SmallFile::Status::Missing ? "gone" : file.reason);
    }
    return platform::VerifyKeptText(name, file.text, platform::PrintableText(path));
}

KeptFolder ReadKeptFolder(const std::string& folder, const std::string& cachePath) {
    KeptFolder kept;
    std::vector<std::pair<RunName, std::string>> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        const std::string name = entry.path().filename().string();
        if (std::optional<RunName> run = ParseKeptRecordingName(name)) {
            names.emplace_back(std::move(*run), name);
        }
    }
    if (ec) return kept;  // no folder: nothing kept yet
    std::sort(names.begin(), names.end(),
              [](const auto& a, const auto& b) { return EarlierRun(a.first, b.first); });

    const platform::SmallFile cacheFile = platform::ReadSmallFile(cachePath, kMaxCacheBytes);
    std::optional<std::vector<KeptRun>> cached;
    if (cacheFile.status == platform::SmallFile::Status::Read) {
        cached = ParseCache(cacheFile.text);
    }
    std::map<std::string, const KeptRun*> byName;
    if (cached) {
        for (const KeptRun& run : *cached) byName[run.name] = &run;
    }

    for (const auto& [run, name] : names) {
        const std::string path = Joined(folder, name);
        // The cached verification holds while the file has its size and bytes.
        const auto known = byName.find(name);
        if (known != byName.end()) {
            const platform::SmallFile file = platform::ReadSmallFile(path, kMaxKeptBytes);
            if (file.status == platform::SmallFile::Status::Read &&
                file.text.size() == known->second->size &&
                HashBytes(kHashStart, file.text) == known->second->hash) {
                kept.runs.push_back(*known->second);
                continue;
            }
        }
        platform::Result<KeptRun> verified = VerifyKept(folder, name);
        if (!verified) {
            kept.passedOver.push_back(verified.reason() + "; passed over, and left as it is");
            continue;
        }
        ++kept.verified;
        kept.runs.push_back(std::move(*verified));
    }
    if (!cached || *cached != kept.runs) ReplaceFile(cachePath, FormatCache(kept.runs));
    return kept;
}

std::vector<std::string> PruneKeptFolder(const std::string& folder, const std::string& cachePath) {
    KeptFolder kept = ReadKeptFolder(folder, cachePath);
    std::vector<std::string> removed;
    for (const std::string& name : RunsToRemove(kept.runs)) {
        if (RemoveUnlessWritten(Joined(folder, name))) removed.push_back(name);
    }
    if (removed.empty()) return removed;
    std::erase_if(kept.runs, [&](const KeptRun& run) {
        return std::find(removed.begin(), removed.end(), run.name) != removed.end();
    });
    ReplaceFile(cachePath, FormatCache(kept.runs));
    return removed;
}

std::string ScoresText(const KeptFolder& kept) {
    const std::vector<TableGame> best = BestGames(kept.runs);
    if (best.empty()) return "no kept games yet: every game played in the window is kept\n";
    std::string text;
    for (std::size_t i = 0; i < best.size(); ++i) text += TableLine(i + 1, best[i]);
    return text;
}

std::vector<std::uint64_t> TableScores(const KeptFolder& kept) {
    std::vector<std::uint64_t> scores;
    for (const TableGame& entry : BestGames(kept.runs)) scores.push_back(entry.game.score);
    return scores;
}

}  // namespace ft
