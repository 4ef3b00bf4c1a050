// SPDX-License-Identifier: MIT
// history.h -- every window run keeps its recording in the player's state
// folder; the folder is pruned to the last runs and the best games, and the
// table of the best games is made by playing the kept recordings with the
// game itself, a cache of what they play to kept beside them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "platform/common/kept_games.h"
#include "platform/common/line_sink.h"
#include "platform/common/result.h"

namespace ft {

// The folder of the kept recordings: $XDG_STATE_HOME/fompy-talden/recordings,
// ~/.local/state/fompy-talden/recordings where XDG_STATE_HOME is unset or
// not absolute; %LOCALAPPDATA%\fompy-talden\recordings on Windows. Empty
// when none of them is set.
std::string RecordingsFolder();
// The cache of the verified recordings, beside their folder.
std::string CachePathFor(const std::string& folder);

// A kept recording is refused beyond this size without being read: hours
// upon hours of play.
inline constexpr std::uint64_t kMaxKeptBytes = 32ULL * 1024 * 1024;

// A window run's recording as it is kept: lines written before Start wait
// for it; from Start on each line is written at once. A folder or file that
// cannot be made or written is told once through Warn, and the game goes on
// without it.
class KeptRecording final : public platform::LineSink {
public:
    explicit KeptRecording(std::string folder) : folder_(std::move(folder)) {}
    ~KeptRecording() override;
    KeptRecording(const KeptRecording&) = delete;
    KeptRecording& operator=(const KeptRecording&) = delete;

    // The run is known to start: makes the folder and a new file of its own,
    // named after when (local time), -2, -3... when the name is taken;
    // nothing that is there is opened or written over. False after its warning.
    bool Start(std::time_t when);
    void Write(std::string_view line) override;
    // Closes the file; its path, or empty when nothing was kept.
    std::string Finish();

private:
    void Fail(const std::string& what, int error);

    std::string folder_;
    std::string path_;
    int fd_ = -1;
    bool failed_ = false;
    std::string pending_;  // lines written before Start
    std::uint64_t written_ = 0;
};

// Every line written to both sinks.
class BothLines final : public platform::LineSink {
public:
    BothLines(platform::LineSink& first, platform::LineSink& second)
        : first_(first), second_(second) {}
    void Write(std::string_view line) override {
        first_.Write(line);
        second_.Write(line);
    }

private:
    platform::LineSink& first_;
    platform::LineSink& second_;
};

// The kept runs of a folder, each verified by the game or taken from the
// cache where its size and hash are still those cached.
struct KeptFolder {
    std::vector<KeptRun> runs;
    // A line for each recording passed over: "NAME: why; passed over".
    std::vector<std::string> passedOver;
    std::size_t verified = 0;  // recordings played this time, not taken from the cache
};

// One kept recording played headless to the games it holds. The reason it
// is passed over when it cannot be: not a regular file, larger than
// kMaxKeptBytes, its last line cut short, or a line the script reader refuses.
platform::Result<KeptRun> VerifyKept(const std::string& folder, const std::string& name);

// Reads the folder's kept recordings (the names KeptRecordingName makes;
// every other file is no concern of it), verifies those the cache lacks,
// and writes the cache anew when it changed. A damaged cache is ignored.
KeptFolder ReadKeptFolder(const std::string& folder, const std::string& cachePath);

// At the end of a window run: the folder keeps the last kKeptRuns runs and
// every run holding a game of the table, never a run with no game; bad
// recordings and files of other names stay as they are, and so does a
// recording another run is still writing. Returns the names removed.
std::vector<std::string> PruneKeptFolder(const std::string& folder, const std::string& cachePath);

// The table of the best games, a line each, or a line saying there are none.
std::string ScoresText(const KeptFolder& kept);
// The scores of the table's games.
std::vector<std::uint64_t> TableScores(const KeptFolder& kept);

}  // namespace ft
