// SPDX-License-Identifier: MIT
// encoder.h -- FFmpeg the program as the encoder of a video: found on the
// PATH, started with the raw frames on its standard input and the raw sound
// on a second pipe, and waited for.
//
// The two pipes: on POSIX systems the sound is the encoder's descriptor 3
// ("pipe:3"), on Windows a named pipe of this process that ffmpeg opens by
// its name. The sound is written by a thread of its own from a source that
// makes it piece by piece, without waiting for the frames, and the frames by
// the caller: ffmpeg reads each input when it needs it (the one whose
// stream it opens first while it looks at the other), and neither pipe can
// hold up the other however it takes them. What ffmpeg says on its standard
// error is read by a third thread, and its last line is the reason when it
// fails.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/common/result.h"

namespace platform {

// The kind of video file, chosen by the name's extension.
enum class Container : std::uint8_t {
    Mp4,   // H.264 and AAC
    Webm,  // VP9 and Opus
    Mkv,   // lossless H.264 (RGB) and FLAC
    Gif,   // a silent clip
};
// The container of a file named path, by its extension (any case); nothing
// for another one.
std::optional<Container> ContainerOf(std::string_view path);

// The encoder's program: ffmpeg (ffmpeg.exe on Windows) in a folder of the
// search path (PATH's value), or why there is none, in one line that names
// what to install.
Result<std::string> FindEncoder(std::string_view searchPath);

struct EncoderJob {
    std::string program;  // FindEncoder's
    Container container = Container::Mkv;
    int width = 640;  // pixels
    int height = 480;
    int fps = 70;
    int rate = 44100;                // sound samples a second; the sound is stereo, 16-bit
    std::vector<std::string> extra;  // more arguments, before the output's name
    std::string output;              // the file ffmpeg writes, over what is there
};

// ffmpeg's arguments for the job, without the program's name; sound names
// the pipe of the sound (none for a silent clip).
std::vector<std::string> EncoderArguments(const EncoderJob& job, const std::string& sound);

// The sound of a video, piece by piece: appends the next samples (left and
// right in turn, 16-bit) and returns true, or returns false at its end.
// Called on the sound's own thread.
using SoundSource = std::function<bool(std::vector<std::int16_t>& samples)>;

class Encoder {
public:
    // Starts ffmpeg on the job, its sound from source (none for a silent
    // clip). Frames are 0x00RRGGBB pixels, rows of the job's width.
    static Result<std::unique_ptr<Encoder>> Start(const EncoderJob& job, SoundSource source);
    Encoder(const Encoder&) = delete;
    Encoder& operator=(const Encoder&) = delete;
    // An encoder not finished is stopped and waited for.
    ~Encoder();

    // A frame, written before it returns; a failure when ffmpeg no longer
    // takes its input (it ended, or was ended).
    Result<void> WriteFrame(std::span<const std::uint32_t> pixels);
    // The frames are over: waits for ffmpeg to finish the file. Its reason
    // when it did not: its last line, or how it was ended.
    Result<void> Finish();

    struct Process;  // the system's handles and threads

private:
    explicit Encoder(std::unique_ptr<Process> process);
    std::unique_ptr<Process> process_;
};

}  // namespace platform
