// script.h -- the recording format: timed key and close events and the values
// of the run's reseeds, as a headless run replays them and every platform
// records them.
//
//   # a comment          blank lines and comments are ignored
//   T KEY down|up        KEY: enter escape space left up right down
//   T close              a request to close the window
//   reseed SECONDS       the value the n-th reseed of the run takes
//
// T is a whole number from 0 up and never decreases from one event to the next.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

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

struct ScriptParse {
    bool ok = false;
    Script script;
    std::string error;  // "FILE:LINE: reason" when not ok
};

// Parses the whole text; the first bad line makes it fail. fileName is used
// only in the error message.
ScriptParse ParseScript(std::string_view text, std::string_view fileName);

// Reads and parses a script file; a file that cannot be read fails with a
// message naming it and the cause.
ScriptParse LoadScript(const std::string& path);

// The script word of a key ("enter", "left", ...).
const char* KeyName(Key key);

// The script line of an event, without its newline: "12 left down", "40 close".
std::string FormatScriptEvent(const InputEvent& event);

// Writes a run's delivered input and its reseeds as a script that replays the
// run. Every line is flushed at once, so that a run killed midway still
// leaves a usable script. A null stream writes nothing.
class ScriptRecorder {
public:
    explicit ScriptRecorder(std::FILE* out);
    bool IsOpen() const { return out_ != nullptr; }
    void Event(const InputEvent& event);
    void Reseed(std::uint32_t seconds);

private:
    std::FILE* out_;
};

}  // namespace platform
