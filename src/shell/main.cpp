// SPDX-License-Identifier: MIT
// main.cpp -- the entry point: reads the command line, opens the platform the
// player or the test asked for, and runs the program on it.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/headless/headless_platform.h"
#include "platform/headless/verify.h"
#include "platform/journal/file_lines.h"
#include "platform/journal/open_flags.h"
#include "platform/video/encoder.h"
#include "platform/video/video_platform.h"
#ifdef _WIN32
#include "platform/win32/win32_console.h"
#include "platform/win32/win32_platform.h"
#else
#include "platform/sdl/sdl_platform.h"
#endif
#include "core/program/program.h"
#include "platform/common/text.h"
#include "platform/window/settings.h"
#include "shell/history.h"
#include "shell/options.h"

namespace {

constexpr int kExitBadUsage = 2;
constexpr int kExitFailure = 1;

constexpr const char* kFirstStartNote =
    "fompy-talden: P pauses, Alt+Enter switches fullscreen, F12 saves a screenshot\n";

void Complain(const std::string& message) {
    std::fprintf(stderr, "fompy-talden: %s\n", message.c_str());
}

using Output = std::unique_ptr<platform::FileLines>;

// An output named on the command line, checked before anything runs so that
// an unwritable target is reported at once, but neither made nor emptied
// until StartOutputs. "-" is standard output where allowStdout. False after
// complaining.
bool PrepareOutput(const std::string& path, const char* what, bool allowStdout,
                   platform::FileLines::Mode mode, Output& output) {
    if (path.empty()) return true;
    auto prepared = platform::FileLines::Prepare(path, what, allowStdout, mode);
    if (!prepared) {
        Complain(prepared.reason());
        return false;
    }
    output = std::move(*prepared);
    return true;
}

// The run is known to start: its outputs are made or emptied. False after
// complaining.
bool StartOutputs(std::initializer_list<Output*> outputs) {
    for (Output* output : outputs) {
        if (!*output) continue;
        if (const platform::Result<void> opened = (*output)->Open(); !opened) {
            Complain(opened.reason());
            return false;
        }
    }
    return true;
}

// Writes what an output still holds and closes it; false after complaining.
bool CloseOutput(Output& output) {
    if (!output) return true;
    const platform::Result<void> closed = output->Close();
    output.reset();
    if (!closed) Complain(closed.reason());
    return closed.ok();
}

// A script named on the command line; nothing when it is bad (after saying why).
std::optional<platform::Script> ReadScript(const std::string& path) {
    platform::Result<platform::Script> script = platform::LoadScript(path);
    if (!script) {
        Complain(script.reason());
        return std::nullopt;
    }
    return std::move(*script);
}

// Standard output, flushed at the end of a run that writes to it: a failure
// there (a closed pipe, a full disk) is a failed run.
bool FlushStandardOutput() {
    if (std::fflush(stdout) == 0 && std::ferror(stdout) == 0) return true;
    Complain(std::string("cannot write to standard output: ") + std::strerror(errno));
    return false;
}

// What a file is, to tell when two names are one file: device and inode
// for an existing file (so that links are caught), else the resolved path
// of a file still to be made. Nothing for what is not a regular file (such
// as /dev/null), which may well be named twice.
// (Windows' stat has no inode: there the resolved path stands for both.)
std::optional<std::string> FileIdentity(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        if (!S_ISREG(info.st_mode)) return std::nullopt;
#ifndef _WIN32
        return std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino);
#endif
    }
    std::error_code ec;
    const std::string resolved = std::filesystem::weakly_canonical(path, ec).string();
    return ec ? path : resolved;
}

// A folder's identity, as FileIdentity's for files.
std::string FolderIdentity(const std::filesystem::path& folder) {
    const std::filesystem::path at = folder.empty() ? std::filesystem::path(".") : folder;
#ifndef _WIN32
    struct stat info {};
    if (::stat(at.string().c_str(), &info) == 0) {
        return std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino);
    }
#endif
    std::error_code ec;
    const std::string resolved = std::filesystem::weakly_canonical(at, ec).string();
    return ec ? at.string() : resolved;
}

// The same regular file given as two of the run's files (an output that is an
// input, or two outputs), or one of them where --dump would put a picture.
std::optional<std::string> FileGivenTwice(const ft::Options& options) {
    struct Named {
        const char* option;
        const std::string& path;
        bool output;
    };
    const Named files[] = {
        {"--script", options.scriptPath, false},
        {"--playback", options.playbackPath, false},
        {"--timedemo", options.timedemoPath, false},
        {"--log", options.logPath, true},
        {"--record", options.recordPath, true},
        {"--frame-log", options.frameLogPath, true},
        {"--video", options.videoPath, true},
        {"--video's recording", options.videoRecording, false},
    };
    struct Identity {
        const char* option;
        bool output;
        std::string key;
    };
    std::vector<Identity> seen;
    for (const Named& file : files) {
        if (file.path.empty() || (file.output && file.path == "-")) continue;
        const std::optional<std::string> key = FileIdentity(file.path);
        if (!key) continue;
        for (const Identity& other : seen) {
            if (other.key == *key && (other.output || file.output)) {
                return std::string(file.option) + " '" + platform::PrintableText(file.path) +
                       "' is the same file as " + other.option + "; name another file for " +
                       (file.output ? file.option : other.option);
            }
        }
        seen.push_back({file.option, file.output, *key});
    }
    if (options.dumpDir.empty()) return std::nullopt;

    // The pictures of --dump are written over whatever holds their names:
    // none of the run's files may be one of them, by its name in the folder
    // or by a link to it there.
    const std::string folder = FolderIdentity(options.dumpDir);
    std::vector<std::string> pictures;  // identities of the picture files already there
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(options.dumpDir, ec)) {
        const std::string name = entry.path().filename().string();
        if (!platform::IsDumpPictureName(name)) continue;
        if (std::optional<std::string> key = FileIdentity(entry.path().string())) {
            pictures.push_back(std::move(*key));
        }
    }
    for (const Named& file : files) {
        if (file.path.empty() || (file.output && file.path == "-")) continue;
        const std::filesystem::path path(file.path);
        const std::optional<std::string> key = FileIdentity(file.path);
        const bool named = platform::IsDumpPictureName(path.filename().string()) &&
                           FolderIdentity(path.parent_path()) == folder;
        const bool linked =
            key && std::find(pictures.begin(), pictures.end(), *key) != pictures.end();
        if (named || linked) {
            return std::string(file.option) + " '" + platform::PrintableText(file.path) +
                   "' is where --dump puts a picture; name another file for " + file.option +
                   " or another folder for --dump";
        }
    }
    return std::nullopt;
}

// Whether pictures can go into folder, which is made at the start of the run
// when missing: the folder, or the nearest one above it that exists, must
// take files. Nothing is made here. The message when not.
std::optional<std::string> DumpFolderRefused(const std::string& folder) {
    std::filesystem::path at(folder);
    std::error_code ec;
    while (!std::filesystem::exists(at, ec) && at.has_relative_path() && !ec) at = at.parent_path();
    if (at.empty()) at = ".";
#ifdef _WIN32
    constexpr int kTakesFiles = W_OK;  // Windows has no right to enter a folder
#else
    constexpr int kTakesFiles = W_OK | X_OK;
#endif
    const std::string name = at.string();
    struct stat info {};
    int error = 0;
    if (::stat(name.c_str(), &info) != 0) {
        error = errno;
    } else if (!S_ISDIR(info.st_mode)) {
        error = ENOTDIR;
    } else if (access(name.c_str(), kTakesFiles) != 0) {
        error = errno;
    }
    if (error == 0) return std::nullopt;
    return "cannot write pictures into '" + platform::PrintableText(folder) +
           "': " + std::strerror(error);
}

// Runs the program on a headless host to its end; returns the number of presents.
std::uint64_t RunToEnd(platform::HeadlessPlatform& host) {
    host.Journal().Finish(ft::RunProgram(host));
    return host.Presents();
}

int RunHeadless(const ft::Options& options) {
    platform::HeadlessOptions headless;
    if (!options.scriptPath.empty()) {
        std::optional<platform::Script> script = ReadScript(options.scriptPath);
        if (!script) return kExitBadUsage;
        headless.script = std::move(*script);
    }
    headless.clock = options.clock;
    headless.frames = options.frames;

    Output log;
    if (!PrepareOutput(options.logPath, "log", true, platform::FileLines::Mode::StopRunOnFailure,
                       log)) {
        return kExitFailure;
    }
    headless.log = log.get();
    if (!options.dumpDir.empty()) {
        if (const std::optional<std::string> refused = DumpFolderRefused(options.dumpDir)) {
            Complain(*refused);
            return kExitFailure;
        }
        headless.dumpDir = options.dumpDir;
    }
    // Everything checked: only now is anything made or emptied.
    if (!StartOutputs({&log})) return kExitFailure;
    if (!options.dumpDir.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(options.dumpDir, ec);
        if (ec) {
            Complain("cannot write pictures into '" + platform::PrintableText(options.dumpDir) +
                     "': " + ec.message());
            return kExitFailure;
        }
    }

    platform::HeadlessPlatform host(std::move(headless));
    try {
        RunToEnd(host);
    } catch (const platform::OutputFailed& failed) {
        // The log cannot be written: the run stops there.
        Complain(failed.message);
        return kExitFailure;
    }
    if (!CloseOutput(log)) return kExitFailure;
    if (options.logPath == "-" && !FlushStandardOutput()) return kExitFailure;
    return host.DumpError().empty() ? 0 : kExitFailure;
}

// The benchmark of record: a script replayed as fast as the machine allows.
int RunTimedemo(const ft::Options& options) {
    std::optional<platform::Script> script = ReadScript(options.timedemoPath);
    if (!script) return kExitBadUsage;
    platform::HeadlessOptions headless;
    headless.script = std::move(*script);
    headless.clock = options.clock;
    headless.frames = options.frames;
    platform::HeadlessPlatform host(std::move(headless));

    const auto start = std::chrono::steady_clock::now();
    const std::uint64_t frames = RunToEnd(host);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    const double seconds = elapsed.count();
    std::printf("%llu frames in %.3f s: %.0f frames/s\n", static_cast<unsigned long long>(frames),
                seconds, seconds > 0 ? static_cast<double>(frames) / seconds : 0.0);
    return FlushStandardOutput() ? 0 : kExitFailure;
}

// Standard output, a whole line at a time; a failure shows at the flush.
class StandardOutputLines final : public platform::LineSink {
public:
    void Write(std::string_view line) override { std::fwrite(line.data(), 1, line.size(), stdout); }
};

// A recording replayed headless and told game by game on standard output.
int RunVerify(const ft::Options& options) {
    std::optional<platform::Script> script = ReadScript(options.verifyPath);
    if (!script) return kExitBadUsage;
    StandardOutputLines out;
    platform::VerifyOptions verify;
    verify.script = std::move(*script);
    verify.clock = options.clock;
    verify.frames = options.frames;
    verify.out = &out;
    platform::VerifyPlatform host(std::move(verify));
    platform::RunVerify(host);
    return FlushStandardOutput() ? 0 : kExitFailure;
}

// Set by SIGINT, SIGTERM or SIGHUP while a video is made: it stops at the
// next frame and leaves no file.
volatile std::sig_atomic_t videoStopped = 0;

extern "C" void StopVideo(int) {
    videoStopped = 1;
}

// The frames and the sound of a video to ffmpeg, with a line on a terminal
// that says how far it has come.
class EncoderSink final : public platform::VideoSink {
public:
    EncoderSink(platform::Encoder& encoder, std::uint64_t frames, int fps)
        : encoder_(encoder),
          frames_(frames),
          fps_(fps),
#ifdef _WIN32
          terminal_(_isatty(_fileno(stderr)) != 0),
#else
          terminal_(isatty(STDERR_FILENO) != 0),
#endif
          start_(std::chrono::steady_clock::now()) {
    }

    void Frame(std::span<const std::uint32_t> pixels) override {
        if (videoStopped != 0) throw platform::OutputFailed{"interrupted"};
        if (const platform::Result<void> written = encoder_.WriteFrame(pixels); !written) {
            throw platform::OutputFailed{written.reason()};
        }
        ++written_;
        if (terminal_) Tell(false);
    }
    // The progress line is over.
    void Done() {
        if (terminal_ && told_) {
            Tell(true);
            std::fputc('\n', stderr);
        }
    }

private:
    // "video: 1234 of 27069 frames, 4%, 9.8 times real time", at most five
    // times a second.
    void Tell(bool last) {
        const auto now = std::chrono::steady_clock::now();
        if (!last && told_ && now - toldAt_ < std::chrono::milliseconds(200)) return;
        told_ = true;
        toldAt_ = now;
        const double seconds = std::chrono::duration<double>(now - start_).count();
        const double speed = seconds > 0 ? static_cast<double>(written_) / fps_ / seconds : 0.0;
        std::fprintf(
            stderr, "\rfompy-talden: video: %llu of %llu frames, %llu%%, %.1f times real time  ",
            static_cast<unsigned long long>(written_), static_cast<unsigned long long>(frames_),
            static_cast<unsigned long long>(frames_ > 0 ? written_ * 100 / frames_ : 100), speed);
        std::fflush(stderr);
    }

    platform::Encoder& encoder_;
    std::uint64_t frames_;
    int fps_;
    bool terminal_;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point toldAt_{};
    bool told_ = false;
    std::uint64_t written_ = 0;
};

// The frames of the run in the video, [from, to): the whole run, or game N
// from its start cue to its last frame, with up to two seconds of its
// game-over screen (until the player's next key).
struct VideoSpan {
    std::uint64_t from = 0;
    std::uint64_t to = 0;
};

// --video OUT REC: the recording played headless, first to find where it
// ends (and where its games are), then again into ffmpeg; the video under a
// name of its own in OUT's folder until it is whole.
int RunVideo(const ft::Options& options) {
    const std::string& out = options.videoPath;
    const std::optional<platform::Container> container = platform::ContainerOf(out);
    if (!container) {
        Complain("--video '" + platform::PrintableText(out) +
                 "': name it .mp4, .webm, .mkv or .gif, the kind of video to make");
        return kExitBadUsage;
    }
    const char* path = std::getenv("PATH");
    const platform::Result<std::string> program =
        platform::FindEncoder(path != nullptr ? path : "");
    if (!program) {
        Complain(program.reason());
        return kExitFailure;
    }
    std::optional<platform::Script> script = ReadScript(options.videoRecording);
    if (!script) return kExitBadUsage;

    std::vector<platform::GameRecord> games;
    platform::VerifyOptions verify;
    verify.script = *script;
    verify.clock = options.clock;
    verify.frames = options.frames;
    verify.games = &games;
    platform::VerifyPlatform first(std::move(verify));
    platform::RunVerify(first);
    VideoSpan span{0, first.Now()};
    if (options.game != 0) {
        if (options.game > games.size()) {
            Complain("--game " + std::to_string(options.game) + ": '" +
                     platform::PrintableText(options.videoRecording) + "' holds " +
                     std::to_string(games.size()) + (games.size() == 1 ? " game" : " games") +
                     "; --verify lists them");
            return kExitBadUsage;
        }
        const platform::GameRecord& game = games[options.game - 1];
        span = {game.startTime, game.lastFrameTime};
        if (game.end == platform::GameEnd::GameOver) {
            std::uint64_t until = std::min<std::uint64_t>(
                game.lastFrameTime + 2 * static_cast<std::uint64_t>(options.fps), first.Now());
            for (const platform::InputEvent& event : script->events) {
                if (event.kind == platform::InputEvent::Kind::KeyDown &&
                    event.time > game.lastFrameTime) {
                    until = std::min(until, event.time);
                    break;
                }
            }
            span.to = std::max(span.to, until);
        }
    }

    // Everything checked: the video is made under a name of its own, beside
    // where it goes, and takes its name once it is whole.
    struct stat there {};
    if (::stat(out.c_str(), &there) == 0 && !S_ISREG(there.st_mode)) {
        Complain("cannot write the video '" + platform::PrintableText(out) +
                 "': it is not a file; name another");
        return kExitFailure;
    }
    const std::filesystem::path target(out);
    std::string temporary;
    for (int n = 0; n < 100 && temporary.empty(); ++n) {
        const std::string name = (target.parent_path() /
                                  ("." + target.filename().string() + "." +
                                   std::to_string(::getpid()) + "-" + std::to_string(n) + ".part"))
                                     .string();
        const int fd = platform::OpenNewFile(name);
        if (fd >= 0) {
            ::close(fd);
            temporary = name;
        } else if (errno != EEXIST) {
            Complain("cannot write the video '" + platform::PrintableText(out) +
                     "': " + std::strerror(errno));
            return kExitFailure;
        }
    }
    if (temporary.empty()) {
        Complain("cannot write the video '" + platform::PrintableText(out) +
                 "': no free name for it beside it");
        return kExitFailure;
    }
    const auto failed = [&](const std::string& why) {
        std::remove(temporary.c_str());
        Complain("cannot make the video '" + platform::PrintableText(out) + "': " + why);
        return kExitFailure;
    };

    const platform::ScreenRect size = platform::VideoPictureSize(options.scale, !options.noAspect);
    platform::EncoderJob job;
    job.program = *program;
    job.container = *container;
    job.width = size.width;
    job.height = size.height;
    job.fps = options.fps;
    job.extra = options.videoArgs;
    job.output = temporary;
    std::signal(SIGINT, StopVideo);
    std::signal(SIGTERM, StopVideo);
#ifndef _WIN32
    std::signal(SIGHUP, StopVideo);
#endif
    // The voice's calls first, from a run without pictures, so that the
    // sound can be written as fast as ffmpeg takes it, whatever it reads first.
    platform::VideoOptions calls;
    calls.script = *script;
    calls.clock = options.clock;
    calls.from = span.from;
    calls.to = span.to;
    platform::VideoPlatform voice(std::move(calls));
    voice.Journal().Finish(ft::RunProgram(voice));
    platform::SoundTrackFormat format;
    format.fps = options.fps;
    format.rate = job.rate;
    format.volume = options.volume.value_or(100);
    auto sound = std::make_shared<platform::RunSound>(platform::BuiltInWaves(), format,
                                                      voice.VoiceCalls(), span.from, span.to);
    platform::Result<std::unique_ptr<platform::Encoder>> started = platform::Encoder::Start(
        job, [sound](std::vector<std::int16_t>& samples) { return sound->Next(samples, 35); });
    if (!started) return failed(started.reason());
    platform::Encoder& encoder = **started;
    EncoderSink sink(encoder, span.to - span.from, options.fps);

    platform::VideoOptions video;
    video.script = std::move(*script);
    video.clock = options.clock;
    video.from = span.from;
    video.to = span.to;
    video.scale = options.scale;
    video.aspect = !options.noAspect;
    video.sink = &sink;
    platform::VideoPlatform host(std::move(video));
    std::string stopped;
    try {
        host.Journal().Finish(ft::RunProgram(host));
        host.Finish();
    } catch (const platform::OutputFailed& failure) {
        stopped = failure.message;
    }
    sink.Done();
    if (!stopped.empty()) {
        // ffmpeg's own reason, when it has one, says more than the pipe's.
        const platform::Result<void> ended = encoder.Finish();
        return failed(videoStopped != 0 ? "interrupted" : !ended ? ended.reason() : stopped);
    }
    if (const platform::Result<void> ended = encoder.Finish(); !ended)
        return failed(ended.reason());
    if (videoStopped != 0) return failed("interrupted");
    std::error_code ec;
    std::filesystem::rename(temporary, out, ec);
    if (ec) return failed(ec.message());
    return 0;
}

// The table of the best kept games, each played again by the game; the
// recordings it passes over told one line each.
int RunScores() {
    const std::string folder = ft::RecordingsFolder();
    if (folder.empty()) {
#ifdef _WIN32
        Complain("no folder of kept games to look in: LOCALAPPDATA is not set");
#else
        Complain(
            "no folder of kept games to look in: neither HOME nor an absolute "
            "XDG_STATE_HOME is set");
#endif
        return kExitFailure;
    }
    const ft::KeptFolder kept = ft::ReadKeptFolder(folder, ft::CachePathFor(folder));
    for (const std::string& passed : kept.passedOver) Complain(passed);
    std::fputs(ft::ScoresText(kept).c_str(), stdout);
    return FlushStandardOutput() ? 0 : kExitFailure;
}

// --watch N: game N of the best kept games, its recording played again by
// the game to find where the game begins and ends. The exit status when it
// cannot be watched.
std::optional<int> WatchKeptGame(std::uint32_t rank, platform::WindowOptions& window) {
    const std::string folder = ft::RecordingsFolder();
    if (folder.empty()) {
        Complain(
            "--watch: no folder of kept games to look in: neither HOME nor an absolute "
            "XDG_STATE_HOME (LOCALAPPDATA on Windows) is set");
        return kExitFailure;
    }
    const ft::KeptFolder kept = ft::ReadKeptFolder(folder, ft::CachePathFor(folder));
    const std::vector<ft::TableGame> best = ft::BestGames(kept.runs);
    if (rank > best.size()) {
        Complain("--watch " + std::to_string(rank) + ": the table of the best kept games holds " +
                 std::to_string(best.size()) + (best.size() == 1 ? " game" : " games") +
                 "; --scores lists them");
        return kExitBadUsage;
    }
    const ft::TableGame& entry = best[rank - 1];
    const std::string path = (std::filesystem::path(folder) / entry.file).string();
    std::optional<platform::Script> script = ReadScript(path);
    if (!script) return kExitBadUsage;
    std::vector<platform::GameRecord> games;
    platform::VerifyOptions verify;
    verify.script = *script;
    verify.games = &games;
    platform::VerifyPlatform host(std::move(verify));
    platform::RunVerify(host);
    if (entry.game.number == 0 || entry.game.number > games.size()) {
        Complain("--watch " + std::to_string(rank) + ": '" + platform::PrintableText(path) +
                 "' no longer holds its game " + std::to_string(entry.game.number) +
                 "; --scores plays the kept games again");
        return kExitBadUsage;
    }
    const platform::GameRecord& game = games[entry.game.number - 1];
    window.playback = std::move(script);
    window.watch = platform::WindowOptions::WatchSpan{game.startTime, game.lastFrameTime,
                                                      game.end == platform::GameEnd::GameOver};
    return std::nullopt;
}

#ifdef _WIN32
// The players' platform of Windows draws through GDI: no renderer to choose.
using PlayersOptions = platform::WindowOptions;
void ChooseRenderer(PlayersOptions&, ft::Renderer) {}
platform::Result<std::unique_ptr<platform::PlayerPlatform>> OpenPlayersPlatform(
    const PlayersOptions& options) {
    return platform::OpenWin32Platform(options);
}
#else
platform::RendererChoice RendererOf(ft::Renderer renderer) {
    switch (renderer) {
        case ft::Renderer::Gpu:
            return platform::RendererChoice::Gpu;
        case ft::Renderer::Software:
            return platform::RendererChoice::Software;
        case ft::Renderer::Auto:
            break;
    }
    return platform::RendererChoice::Auto;
}

using PlayersOptions = platform::SdlOptions;
void ChooseRenderer(PlayersOptions& sdl, ft::Renderer renderer) {
    sdl.renderer = RendererOf(renderer);
}
platform::Result<std::unique_ptr<platform::PlayerPlatform>> OpenPlayersPlatform(
    const PlayersOptions& options) {
    return platform::OpenSdlPlatform(options);
}
#endif

void UseComforts(PlayersOptions& players, const platform::Settings& settings, bool noSound) {
    players.windowWidth = settings.windowWidth;
    players.windowHeight = settings.windowHeight;
    players.sound = !noSound;
    players.volume = settings.volume;
    players.mute = settings.mute;
    players.autopause = settings.autopause;
    players.keys = settings.keys;
}

ft::Renderer RendererNamed(const std::string& name) {
    if (name == "gpu") return ft::Renderer::Gpu;
    if (name == "software") return ft::Renderer::Software;
    return ft::Renderer::Auto;
}

const char* NameOf(ft::Renderer renderer) {
    switch (renderer) {
        case ft::Renderer::Gpu:
            return "gpu";
        case ft::Renderer::Software:
            return "software";
        case ft::Renderer::Auto:
            break;
    }
    return "auto";
}

platform::PresentMode PresentNamed(const std::string& name) {
    if (name == "immediate") return platform::PresentMode::Immediate;
    if (name == "vsync") return platform::PresentMode::Vsync;
    return platform::PresentMode::Auto;
}

const char* NameOf(ft::Present present) {
    switch (present) {
        case ft::Present::Immediate:
            return "immediate";
        case ft::Present::Vsync:
            return "vsync";
        case ft::Present::Auto:
            break;
    }
    return "auto";
}

// The settings of a window run: the file's, where the command line does not
// say otherwise for this run.
platform::Settings SettingsForRun(platform::Settings settings, const ft::Options& options) {
    if (options.window) settings.fullscreen = false;
    if (options.fullscreen) settings.fullscreen = true;
    if (options.Given("scale")) settings.windowWidth = settings.windowHeight = 0;
    if (options.noAspect) settings.aspect = false;
    if (options.integerScale) settings.integerScale = true;
    if (options.Given("scaling")) settings.scaling = options.sharp ? "sharp" : "nearest";
    if (options.Given("renderer")) settings.renderer = NameOf(options.renderer);
    if (options.Given("present")) settings.present = NameOf(options.present);
    if (options.volume) settings.volume = *options.volume;
    if (options.noAutopause) settings.autopause = false;
    return settings;
}

// What a later run in the same window changed, over what the runs before it
// did.
void AddChanges(platform::SettingsChanges& changes, const platform::SettingsChanges& later) {
    if (later.fullscreen) changes.fullscreen = later.fullscreen;
    if (later.windowSize) changes.windowSize = later.windowSize;
    if (later.volume) changes.volume = later.volume;
    if (later.mute) changes.mute = later.mute;
}

// A window run ranks its games among as many as the table holds.
static_assert(ft::kTableGames == platform::kRankedGames);

int RunWindowed(const ft::Options& options) {
    // The settings file: its faults are told and replaced by defaults; none
    // of them stops the game.
    const std::string settingsPath = !options.noSettings ? platform::SettingsPath() : std::string();
    platform::SettingsFile remembered;
    if (!settingsPath.empty()) {
        remembered = platform::ReadSettingsFile(settingsPath);
        for (const std::string& warning : remembered.warnings) Complain(warning);
    }
    const platform::Settings settings = SettingsForRun(remembered.settings, options);

    PlayersOptions sdl;
    sdl.fullscreen = settings.fullscreen;
    sdl.fps = options.fps;
    sdl.scale = options.scale;
    sdl.fit.aspect = settings.aspect;
    sdl.fit.integerScale = settings.integerScale;
    sdl.fit.sharp = settings.scaling == "sharp";
    ChooseRenderer(sdl, RendererNamed(settings.renderer));
    sdl.present = PresentNamed(settings.present);
    UseComforts(sdl, settings, options.noSound);
    if (!options.playbackPath.empty()) {
        sdl.playback = ReadScript(options.playbackPath);
        if (!sdl.playback) return kExitBadUsage;
    }
    if (options.watch != 0) {
        if (const std::optional<int> refused = WatchKeptGame(options.watch, sdl)) return *refused;
    }
    // A window run keeps playing when a file cannot be written; it says so
    // at once, and again as it exits with a failure.
    constexpr auto kKeepPlaying = platform::FileLines::Mode::KeepPlayingOnFailure;
    Output log;
    Output record;
    Output frameLog;
    if (!PrepareOutput(options.logPath, "log", true, kKeepPlaying, log)) return kExitFailure;
    if (!PrepareOutput(options.recordPath, "recording", false, kKeepPlaying, record)) {
        return kExitFailure;
    }
    if (!PrepareOutput(options.frameLogPath, "frame log", false, kKeepPlaying, frameLog)) {
        return kExitFailure;
    }
    sdl.log = log.get();
    sdl.record = record.get();
    sdl.frameLog = frameLog.get();
    // Every run the player plays is kept, beside a --record of it too; a
    // playback plays what is kept already.
    std::unique_ptr<ft::KeptRecording> kept;
    std::unique_ptr<ft::BothLines> recordAndKept;
    if (!options.noHistory && options.playbackPath.empty() && options.watch == 0) {
        kept = std::make_unique<ft::KeptRecording>(ft::RecordingsFolder());
        if (record) {
            recordAndKept = std::make_unique<ft::BothLines>(*record, *kept);
            sdl.record = recordAndKept.get();
        } else {
            sdl.record = kept.get();
        }
    }

    auto opened = OpenPlayersPlatform(sdl);
    if (!opened) {
        Complain(opened.reason());
        return kExitFailure;
    }
    auto host = std::move(*opened);
    // The window is there: the files are made or emptied now, never for a
    // start that failed.
    if (!StartOutputs({&log, &record, &frameLog})) return kExitFailure;
    if (kept) {
        // The table as it stands, for the rank of each game over of the run;
        // read before this run's own file is there.
        const std::string folder = ft::RecordingsFolder();
        host->SetBestScores(ft::TableScores(ft::ReadKeptFolder(folder, ft::CachePathFor(folder))));
        kept->Start(std::time(nullptr));
    }
    // A player's first start (no settings file yet): the port's own keys, in
    // one line. Not when standard output carries the run's log, which holds
    // nothing but the log's lines.
    if (remembered.missing && options.logPath != "-") {
        std::fputs(kFirstStartNote, stdout);
        std::fflush(stdout);
    }
    // A close request or a signal ends the run like "QUIT"; a playback also
    // ends by Escape or by its script's end.
    host->Journal().Finish(
        ft::RunProgram(*host, [&host](const ft::Program& program) { host->WatchGames(program); }));
    platform::SettingsChanges changes = host->Changes();
    // A recording dropped onto the window plays next in it, and the one
    // dropped onto that playback after it; none of them is logged or
    // recorded.
    while (std::optional<platform::Script> dropped = host->TakeDropped()) {
        PlayersOptions next = sdl;
        next.playback = std::move(dropped);
        next.log = nullptr;
        next.record = nullptr;
        next.frameLog = nullptr;
        std::unique_ptr<platform::PlayerBackend> backend = std::move(*host).TakeBackend();
        next.fullscreen = backend->Screen().IsFullscreen();
        if (changes.volume) next.volume = *changes.volume;
        if (changes.mute) next.mute = *changes.mute;
        host = std::make_unique<platform::PlayerPlatform>(next, std::move(backend));
        host->Journal().Finish(ft::RunProgram(*host));
        AddChanges(changes, host->Changes());
    }
    host.reset();  // the window and the sound go before the files are closed
    if (kept) {
        // The folder keeps the last runs and the best games, and no run
        // without a game: this one too, once it is whole.
        const std::string keptPath = kept->Finish();
        if (!keptPath.empty()) {
            const std::string folder = ft::RecordingsFolder();
            ft::PruneKeptFolder(folder, ft::CachePathFor(folder));
        }
    }
    if (!settingsPath.empty() && !remembered.unreadable) {
        // What the player changed during the run is remembered; an option of
        // this run alone is not, and a line the player wrote is left as it
        // is. A file that cannot be written costs the next run its
        // settings, not this one its status.
        platform::ApplyChanges(remembered.settings, changes);
        const platform::Result<void> written = platform::WriteSettingsFile(
            settingsPath, platform::FormatSettings(remembered.settings, remembered.lines, changes));
        if (!written) Complain(written.reason());
    }
    const bool logOk = CloseOutput(log);
    const bool recordOk = CloseOutput(record);
    const bool frameLogOk = CloseOutput(frameLog);
    const bool outOk = options.logPath != "-" || FlushStandardOutput();
    return logOk && recordOk && frameLogOk && outOk ? 0 : kExitFailure;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    platform::UseParentConsole();
#else
    // A closed pipe on standard output is a write failure like any other,
    // reported with an exit status, not a silent death.
    std::signal(SIGPIPE, SIG_IGN);
#endif
    const std::vector<std::string> args(argv + 1, argv + argc);
    const ft::OptionsParse parse = ft::ParseOptions(args);
    if (!parse) {
        Complain(parse.reason());
        return kExitBadUsage;
    }
    const ft::Options& options = *parse;
    if (options.help) {
        std::fputs(ft::HelpText().c_str(), stdout);
        return FlushStandardOutput() ? 0 : kExitFailure;
    }
    if (options.version) {
        std::fputs(ft::VersionText().c_str(), stdout);
        return FlushStandardOutput() ? 0 : kExitFailure;
    }
    if (const std::optional<std::string> twice = FileGivenTwice(options)) {
        Complain(*twice);
        return kExitBadUsage;
    }
    if (!options.videoPath.empty()) return RunVideo(options);
    if (!options.timedemoPath.empty()) return RunTimedemo(options);
    if (!options.verifyPath.empty()) return RunVerify(options);
    if (options.scores) return RunScores();
    return options.headless ? RunHeadless(options) : RunWindowed(options);
}
