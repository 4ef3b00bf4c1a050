// SPDX-License-Identifier: MIT
// script.h -- the recording format: timed key and close events and the values
// of the run's reseeds, as a headless run replays them and every platform
// records them.
//
//   # fompy-talden recording 1
//                        the first line of a recording: its format's version;
//                        a script without it is version 1
//   # a comment          blank lines and comments are ignored
//   T KEY down|up        KEY: enter escape space left up right down
//   T close              a request to close the window
//   reseed SECONDS       the value the n-th reseed of the run takes
//
// T is a whole number from 0 up and never decreases from one event to the next.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/seam/platform.h"
#include "platform/common/line_sink.h"
#include "platform/common/result.h"

namespace platform {

struct InputEvent {
    enum class Kind : std::uint8_t { KeyDown, KeyUp, Close };
    std::uint64_t time = 0;  // virtual time T at which the event is due
    Kind kind = Kind::KeyDown;
    Key key = Key::Enter;  // unused for Close
    friend bool operator==(const InputEvent&, const InputEvent&) = default;
};

struct Script {
    std::vector<InputEvent> events;      // in file order
    std::vector<std::uint32_t> reseeds;  // in file order
};

// The most events and reseeds one script may hold together: far more than any
// recording (the busy play of bench/sessions/long.txt makes some 100000 an
// hour: this is a hundred hours of it), so that an endless source is refused
// at a line instead of filling the memory.
inline constexpr std::size_t kMaxScriptItems = 10'000'000;
// The most events one time may hold: a frame sees a few of the player's
// keys, never thousands, so that an endless source of events at one time,
// such as `yes '0 enter down'`, is refused at once.
inline constexpr std::size_t kMaxEventsAtOneTime = 10'000;

// The recording format's version this program writes and plays, and the
// first line that names it. Every later version of the program plays a
// version 1 recording to the same log.
inline constexpr std::uint64_t kRecordingVersion = 1;
inline constexpr std::string_view kRecordingMark = "# fompy-talden recording";

// Takes a script a line at a time; the first bad line fails with the reason
// "FILE:LINE: reason". fileName is used only in that reason; maxItems bounds
// the events and reseeds kept together.
class ScriptParser {
public:
    explicit ScriptParser(std::string_view fileName, std::size_t maxItems = kMaxScriptItems)
        : fileName_(fileName), maxItems_(maxItems) {}
    // One line without its line end.
    Result<void> Line(std::string_view line);
    // The script of the lines taken so far.
    Script Take() { return std::move(script_); }

private:
    std::string fileName_;
    std::size_t maxItems_;
    Script script_;
    std::uint64_t lastTime_ = 0;
    std::size_t atLastTime_ = 0;  // the events at lastTime_
    std::size_t lineNumber_ = 0;
};

// Parses the whole text; the first bad line makes it fail.
Result<Script> ParseScript(std::string_view text, std::string_view fileName,
                           std::size_t maxItems = kMaxScriptItems);

// Reads and parses a script file as it reads it; a file that cannot be read
// fails with "FILE: cannot read: cause".
Result<Script> LoadScript(const std::string& path, std::size_t maxItems = kMaxScriptItems);

// The script word of a key ("enter", "left", ...).
const char* KeyName(Key key);

// The script line of an event, without its newline: "12 left down", "40 close".
std::string FormatScriptEvent(const InputEvent& event);

// Writes a run's delivered input and its reseeds as a script that replays the
// run, a whole line at a time, so that a run cut short still leaves a script
// that replays up to its last line. A null sink writes nothing.
class ScriptRecorder {
public:
    explicit ScriptRecorder(LineSink* out);
    bool IsOpen() const { return out_ != nullptr; }
    void Event(const InputEvent& event);
    void Reseed(std::uint32_t seconds);

private:
    LineSink* out_;
};

}  // namespace platform
