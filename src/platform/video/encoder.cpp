// SPDX-License-Identifier: MIT
// encoder.cpp -- ffmpeg's arguments, and its process: started, fed through
// two pipes and waited for, on POSIX systems and on Windows.
#include "platform/video/encoder.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#endif

#include <algorithm>
#include <atomic>
#include <bit>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <thread>
#include <utility>

#include "platform/common/text.h"

namespace platform {

namespace {

#if defined(_WIN32)
constexpr const char* kProgramName = "ffmpeg.exe";
constexpr char kPathSeparator = ';';
constexpr char kFolderSeparator = '\\';
#else
constexpr const char* kProgramName = "ffmpeg";
constexpr char kPathSeparator = ':';
constexpr char kFolderSeparator = '/';
#endif

bool IsProgram(const std::string& path) {
#if defined(_WIN32)
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
#else
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
#endif
}

}  // namespace

std::optional<Container> ContainerOf(std::string_view path) {
    const std::size_t dot = path.rfind('.');
    const std::size_t folder = path.find_last_of("/\\");
    if (dot == std::string_view::npos || (folder != std::string_view::npos && dot < folder)) {
        return std::nullopt;
    }
    std::string extension(path.substr(dot + 1));
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (extension == "mp4") return Container::Mp4;
    if (extension == "webm") return Container::Webm;
    if (extension == "mkv") return Container::Mkv;
    if (extension == "gif") return Container::Gif;
    return std::nullopt;
}

Result<std::string> FindEncoder(std::string_view searchPath) {
    std::size_t start = 0;
    while (start <= searchPath.size()) {
        const std::size_t end = std::min(searchPath.find(kPathSeparator, start), searchPath.size());
        std::string folder(searchPath.substr(start, end - start));
        start = end + 1;
        if (folder.empty()) folder = ".";  // an empty entry is the current folder
        const std::string program = folder + kFolderSeparator + kProgramName;
        if (IsProgram(program)) return program;
    }
#if defined(_WIN32)
    return Failure{
        "cannot make a video: ffmpeg.exe is not in any folder of the PATH; install FFmpeg "
        "(ffmpeg.org) and add the folder of ffmpeg.exe to the PATH"};
#else
    return Failure{
        "cannot make a video: ffmpeg is not in any folder of the PATH; install the package "
        "ffmpeg (on Debian: sudo apt install ffmpeg)"};
#endif
}

std::vector<std::string> EncoderArguments(const EncoderJob& job, const std::string& sound) {
    // 0x00RRGGBB in the machine's own byte order.
    const char* pixels = std::endian::native == std::endian::little ? "bgr0" : "0rgb";
    std::vector<std::string> args = {"-hide_banner", "-loglevel", "error", "-nostdin", "-nostats",
                                     // The frames on standard input...
                                     "-f", "rawvideo", "-pix_fmt", pixels, "-video_size",
                                     std::to_string(job.width) + "x" + std::to_string(job.height),
                                     "-framerate", std::to_string(job.fps), "-thread_queue_size",
                                     "64", "-i", "pipe:0"};
    const bool silent = job.container == Container::Gif || sound.empty();
    if (!silent) {
        // ...and the sound on its own pipe.
        const std::vector<std::string> input = {
            "-f",   "s16le", "-ar", std::to_string(job.rate), "-ac", "2", "-thread_queue_size",
            "1024", "-i",    sound};
        args.insert(args.end(), input.begin(), input.end());
    }
    std::vector<std::string> codecs;
    const char* format = "matroska";
    switch (job.container) {
        case Container::Mkv:
            // Lossless: the RGB picture as it is, fast enough to keep ahead of
            // the game (FFV1 would take four times as long).
            codecs = {"-c:v", "libx264rgb", "-qp", "0", "-preset", "ultrafast", "-c:a", "flac"};
            break;
        case Container::Mp4:
            codecs = {"-c:v", "libx264",  "-preset",   "veryfast",  "-crf",
                      "18",   "-pix_fmt", "yuv420p",   "-c:a",      "aac",
                      "-b:a", "192k",     "-movflags", "+faststart"};
            format = "mp4";
            break;
        case Container::Webm:
            codecs = {"-c:v",    "libvpx-vp9", "-deadline", "realtime", "-cpu-used",
                      "8",       "-row-mt",    "1",         "-crf",     "32",
                      "-b:v",    "0",          "-pix_fmt",  "yuv420p",  "-c:a",
                      "libopus", "-b:a",       "128k",      "-ar",      "48000"};
            format = "webm";
            break;
        case Container::Gif:
            // One palette for each frame: the game's picture has 256 colours
            // at most, and each frame keeps its own exactly. A GIF counts
            // its frames' times in hundredths, and its viewers show a frame
            // of one hundredth for ten: above 50 frames a second, frames
            // are left out to keep the pace.
            codecs = {"-filter_complex",
                      std::string(job.fps > 50 ? "fps=50," : "") +
                          "split[a][b];[a]palettegen=stats_mode=single:reserve_transparent=0[p];"
                          "[b][p]paletteuse=new=1",
                      "-loop", "0"};
            format = "gif";
            break;
    }
    args.insert(args.end(), codecs.begin(), codecs.end());
    if (!silent) {
        const std::vector<std::string> map = {"-map", "0:v", "-map", "1:a"};
        args.insert(args.end(), map.begin(), map.end());
    }
    args.insert(args.end(), job.extra.begin(), job.extra.end());
    const std::vector<std::string> output = {"-f", format, "-y", job.output};
    args.insert(args.end(), output.begin(), output.end());
    return args;
}

// The process, its pipes and the threads that write its sound and read what
// it says.
struct Encoder::Process {
#if defined(_WIN32)
    using Handle = HANDLE;
    static inline const Handle kNone = INVALID_HANDLE_VALUE;
    HANDLE process = nullptr;
    std::string soundName;  // the named pipe's
#else
    using Handle = int;
    static constexpr Handle kNone = -1;
    pid_t pid = -1;
#endif
    Handle frames = kNone;  // ffmpeg's standard input
    Handle sound = kNone;   // its sound input; kNone for a silent clip
    Handle errors = kNone;  // its standard error
    bool hasSound = false;  // not a silent clip
    bool waited = false;

    SoundSource source;
    std::thread soundWriter;
    std::thread errorReader;
    std::atomic<bool> stopSound{false};  // the sound's thread writes no more
    std::mutex mutex;
    // Under mutex.
    std::string soundFailure;
    std::string lastLine;  // ffmpeg's last line on its standard error

    ~Process();
    void WriteSound();
    void ReadErrors();
    Result<void> Wait();
    // Once ffmpeg has ended: the sound's thread no longer waits for it.
    void Unblock();
    void Kill();
};

namespace {

#if defined(_WIN32)

void CloseIfOpen(HANDLE& handle) {
    if (handle != INVALID_HANDLE_VALUE && handle != nullptr) CloseHandle(handle);
    handle = INVALID_HANDLE_VALUE;
}

std::string SystemMessage(DWORD error) {
    char text[256] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                   text, sizeof text, nullptr);
    std::string message(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                message.back() == '.' || message.back() == ' ')) {
        message.pop_back();
    }
    return message.empty() ? "error " + std::to_string(error) : message;
}

// True when all of it was written.
bool WriteAll(HANDLE handle, const void* data, std::size_t size, std::string& why) {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        DWORD wrote = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1 << 20));
        if (!WriteFile(handle, bytes, chunk, &wrote, nullptr)) {
            why = SystemMessage(GetLastError());
            return false;
        }
        bytes += wrote;
        size -= wrote;
    }
    return true;
}

// Bytes read, 0 at the end.
std::size_t ReadSome(HANDLE handle, char* buffer, std::size_t size) {
    DWORD got = 0;
    if (!ReadFile(handle, buffer, static_cast<DWORD>(size), &got, nullptr)) return 0;
    return got;
}

// One argument of a command line as the C runtime of the program started
// splits it again.
std::string Quoted(const std::string& arg) {
    if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) return arg;
    std::string out = "\"";
    std::size_t backslashes = 0;
    for (const char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        out.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        out += c;
        backslashes = 0;
    }
    out.append(2 * backslashes, '\\');
    return out + "\"";
}

#else

void CloseIfOpen(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

bool WriteAll(int fd, const void* data, std::size_t size, std::string& why) {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t wrote = ::write(fd, bytes, size);
        if (wrote < 0) {
            if (errno == EINTR) continue;
            why = std::strerror(errno);
            return false;
        }
        bytes += wrote;
        size -= static_cast<std::size_t>(wrote);
    }
    return true;
}

std::size_t ReadSome(int fd, char* buffer, std::size_t size) {
    for (;;) {
        const ssize_t got = ::read(fd, buffer, size);
        if (got >= 0) return static_cast<std::size_t>(got);
        if (errno != EINTR) return 0;
    }
}

// A pipe whose two ends are above the descriptors the encoder is given (0
// to 3), so that putting one in place never closes another, and that no
// other program started inherits.
bool HighPipe(int ends[2]) {
    int made[2];
    if (::pipe(made) != 0) return false;
    for (int i = 0; i < 2; ++i) {
        ends[i] = ::fcntl(made[i], F_DUPFD_CLOEXEC, 4);
        ::close(made[i]);
    }
    if (ends[0] >= 0 && ends[1] >= 0) return true;
    CloseIfOpen(ends[0]);
    CloseIfOpen(ends[1]);
    return false;
}

#endif

}  // namespace

Encoder::Process::~Process() {
    if (!waited) Kill();
    if (soundWriter.joinable()) soundWriter.join();
    CloseIfOpen(frames);
    CloseIfOpen(sound);
    if (errorReader.joinable()) errorReader.join();
    CloseIfOpen(errors);
#if defined(_WIN32)
    if (process != nullptr) CloseHandle(process);
#endif
}

void Encoder::Process::WriteSound() {
    std::string why;
#if defined(_WIN32)
    // ffmpeg opens the pipe by its name once it has looked at the frames.
    if (!ConnectNamedPipe(sound, nullptr) && GetLastError() != ERROR_PIPE_CONNECTED) {
        why = SystemMessage(GetLastError());
    }
#endif
    std::vector<std::int16_t> samples;
    while (why.empty() && !stopSound) {
        samples.clear();
        if (!source(samples)) break;
        WriteAll(sound, samples.data(), samples.size() * sizeof(std::int16_t), why);
    }
    CloseIfOpen(sound);  // the end of the sound
    if (why.empty()) return;
    const std::lock_guard<std::mutex> lock(mutex);
    soundFailure = why;
}

void Encoder::Process::ReadErrors() {
    std::string line;
    char buffer[4096];
    for (;;) {
        const std::size_t got = ReadSome(errors, buffer, sizeof buffer);
        if (got == 0) break;
        for (std::size_t i = 0; i < got; ++i) {
            const char c = buffer[i];
            if (c == '\n' || c == '\r') {
                if (!line.empty()) {
                    const std::lock_guard<std::mutex> lock(mutex);
                    lastLine = line;
                }
                line.clear();
            } else if (line.size() < 500) {
                line += c;
            }
        }
    }
    if (!line.empty()) {
        const std::lock_guard<std::mutex> lock(mutex);
        lastLine = line;
    }
}

Result<void> Encoder::Process::Wait() {
    waited = true;
#if defined(_WIN32)
    WaitForSingleObject(process, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    if (code == 0) return {};
    if (errorReader.joinable()) errorReader.join();
    const std::lock_guard<std::mutex> lock(mutex);
    if (!lastLine.empty()) return Failure{"ffmpeg failed: " + PrintableText(lastLine)};
    return Failure{"ffmpeg ended with status " + std::to_string(code)};
#else
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return Failure{std::string("ffmpeg: ") + std::strerror(errno)};
    }
    if (errorReader.joinable()) errorReader.join();
    if (WIFSIGNALED(status)) {
        return Failure{"ffmpeg was ended by signal " + std::to_string(WTERMSIG(status)) + " (" +
                       strsignal(WTERMSIG(status)) + ")"};
    }
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (code == 0) return {};
    const std::lock_guard<std::mutex> lock(mutex);
    if (code == 127 && lastLine.empty()) return Failure{"ffmpeg could not be started"};
    if (!lastLine.empty()) return Failure{"ffmpeg failed: " + PrintableText(lastLine)};
    return Failure{"ffmpeg ended with status " + std::to_string(code)};
#endif
}

void Encoder::Process::Kill() {
    stopSound = true;
#if defined(_WIN32)
    if (process != nullptr) TerminateProcess(process, 1);
#else
    if (pid > 0) ::kill(pid, SIGKILL);
#endif
    CloseIfOpen(frames);
    (void)Wait();
    Unblock();
}

void Encoder::Process::Unblock() {
#if defined(_WIN32)
    // A sound pipe that ffmpeg never opened: this end connects to it, so that
    // the thread waiting for ffmpeg there goes on (and fails to write).
    if (!hasSound) return;
    HANDLE self =
        CreateFileA(soundName.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    CloseIfOpen(self);
#endif
}

Encoder::Encoder(std::unique_ptr<Process> process) : process_(std::move(process)) {}

Encoder::~Encoder() = default;

Result<std::unique_ptr<Encoder>> Encoder::Start(const EncoderJob& job, SoundSource source) {
    auto process = std::make_unique<Process>();
    const bool silent = job.container == Container::Gif || !source;
    process->source = std::move(source);
#if defined(_WIN32)
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE framesRead = INVALID_HANDLE_VALUE;
    HANDLE errorsWrite = INVALID_HANDLE_VALUE;
    const auto fail = [&](const std::string& what) -> Result<std::unique_ptr<Encoder>> {
        const std::string why = SystemMessage(GetLastError());
        CloseIfOpen(framesRead);
        CloseIfOpen(errorsWrite);
        process->waited = true;
        return Failure{"cannot start ffmpeg: " + what + ": " + why};
    };
    if (!CreatePipe(&framesRead, &process->frames, &inherit, 1 << 22) ||
        !CreatePipe(&process->errors, &errorsWrite, &inherit, 0)) {
        return fail("no pipe");
    }
    SetHandleInformation(process->frames, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(process->errors, HANDLE_FLAG_INHERIT, 0);
    static int made = 0;
    if (!silent) {
        process->soundName = "\\\\.\\pipe\\fompy-talden-" + std::to_string(GetCurrentProcessId()) +
                             "-" + std::to_string(++made);
        process->sound = CreateNamedPipeA(
            process->soundName.c_str(), PIPE_ACCESS_OUTBOUND | FILE_FLAG_FIRST_PIPE_INSTANCE,
            PIPE_TYPE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, 1 << 20, 0, 0, nullptr);
        if (process->sound == INVALID_HANDLE_VALUE) return fail("no pipe for the sound");
    }
    std::string line = Quoted(job.program);
    for (const std::string& arg : EncoderArguments(job, silent ? "" : process->soundName)) {
        line += " " + Quoted(arg);
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = framesRead;
    startup.hStdOutput = errorsWrite;
    startup.hStdError = errorsWrite;
    PROCESS_INFORMATION started{};
    if (!CreateProcessA(job.program.c_str(), line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                        nullptr, nullptr, &startup, &started)) {
        return fail("'" + PrintableText(job.program) + "'");
    }
    CloseHandle(started.hThread);
    process->process = started.hProcess;
    CloseIfOpen(framesRead);
    CloseIfOpen(errorsWrite);
#else
    int framesPipe[2] = {-1, -1};
    int soundPipe[2] = {-1, -1};
    int errorsPipe[2] = {-1, -1};
    const auto closeAll = [&] {
        for (int* ends : {framesPipe, soundPipe, errorsPipe}) {
            CloseIfOpen(ends[0]);
            CloseIfOpen(ends[1]);
        }
    };
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (!HighPipe(framesPipe) || !HighPipe(errorsPipe) || (!silent && !HighPipe(soundPipe)) ||
        null < 0) {
        const std::string why = std::strerror(errno);
        closeAll();
        if (null >= 0) ::close(null);
        process->waited = true;
        return Failure{"cannot start ffmpeg: no pipe: " + why};
    }
    std::vector<std::string> args = EncoderArguments(job, silent ? "" : "pipe:3");
    args.insert(args.begin(), job.program);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        // The child: only what is safe between fork and exec. Every
        // descriptor of the pipes is above 3 (HighPipe), so that each dup2
        // makes a new one and closes none of the others.
        ::dup2(framesPipe[0], 0);
        ::dup2(null, 1);
        ::dup2(errorsPipe[1], 2);
        if (!silent) ::dup2(soundPipe[0], 3);
        std::signal(SIGPIPE, SIG_DFL);
        ::execv(job.program.c_str(), argv.data());
        ::_exit(127);
    }
    const int forkError = errno;
    ::close(null);
    CloseIfOpen(framesPipe[0]);
    CloseIfOpen(soundPipe[0]);
    CloseIfOpen(errorsPipe[1]);
    if (pid < 0) {
        closeAll();
        process->waited = true;
        return Failure{std::string("cannot start ffmpeg: ") + std::strerror(forkError)};
    }
#if defined(F_SETPIPE_SZ)
    // A frame at a time through the pipe instead of 64 KiB: fewer wake-ups
    // on both sides (Linux; refused beyond the system's limit, and then
    // the pipe stays as it was).
    ::fcntl(framesPipe[1], F_SETPIPE_SZ, 1 << 20);
#endif
    process->pid = pid;
    process->frames = framesPipe[1];
    process->sound = silent ? -1 : soundPipe[1];
    process->errors = errorsPipe[0];
#endif
    Process& p = *process;
    p.hasSound = !silent;
    p.errorReader = std::thread([&p] { p.ReadErrors(); });
    if (!silent) p.soundWriter = std::thread([&p] { p.WriteSound(); });
    return std::unique_ptr<Encoder>(new Encoder(std::move(process)));
}

Result<void> Encoder::WriteFrame(std::span<const std::uint32_t> pixels) {
    std::string why;
    if (!WriteAll(process_->frames, pixels.data(), pixels.size_bytes(), why)) {
        return Failure{"ffmpeg takes no more frames: " + why};
    }
    return {};
}

Result<void> Encoder::Finish() {
    Process& p = *process_;
    CloseIfOpen(p.frames);  // the end of the frames
    // ffmpeg ends once both inputs are over, the sound's when its thread has
    // written all of it.
    Result<void> ended = p.Wait();
    p.Unblock();
    if (p.soundWriter.joinable()) p.soundWriter.join();
    if (!ended) return ended;
    const std::lock_guard<std::mutex> lock(p.mutex);
    if (!p.soundFailure.empty()) return Failure{"ffmpeg took no more sound: " + p.soundFailure};
    return {};
}

}  // namespace platform
