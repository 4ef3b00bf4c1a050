// SPDX-License-Identifier: MIT
// script.cpp -- parsing of key scripts, strict about every field.
#include "platform/common/script.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <limits>
#include <optional>

#include "platform/common/text.h"

namespace platform {

namespace {

constexpr std::size_t kMaxLineLength = 4096;

constexpr const char* kKeyNames[kKeyCount] = {"enter", "escape", "space", "left",
                                              "up",    "right",  "down"};

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// The first four fields of a line: no script line has more than three, so
// a fourth is all that is needed to refuse the line.
struct Fields {
    std::array<std::string_view, 4> field;
    std::size_t count = 0;
    std::size_t size() const { return count; }
    bool empty() const { return count == 0; }
    std::string_view operator[](std::size_t i) const { return field[i]; }
};

Fields SplitFields(std::string_view line) {
    Fields fields;
    std::size_t i = 0;
    while (i < line.size() && fields.count < fields.field.size()) {
        while (i < line.size() && IsBlank(line[i])) ++i;
        const std::size_t start = i;
        while (i < line.size() && !IsBlank(line[i])) ++i;
        if (i > start) fields.field[fields.count++] = line.substr(start, i - start);
    }
    return fields;
}

// A whole decimal number no greater than max, or nothing; why in reason.
std::optional<std::uint64_t> ParseWhole(std::string_view text, std::uint64_t max,
                                        std::string& reason) {
    const Decimal number = ParseDecimal(text, max);
    switch (number.status) {
        case Decimal::Status::Ok:
            return number.value;
        case Decimal::Status::TooLarge:
            reason =
                "'" + std::string(text) + "' is too large (at most " + std::to_string(max) + ")";
            return std::nullopt;
        case Decimal::Status::NotANumber:
            break;
    }
    reason = "'" + std::string(text) + "' is not a whole number from 0 up";
    return std::nullopt;
}

bool IsRecordingMark(std::string_view line) {
    return line.starts_with(kRecordingMark) &&
           (line.size() == kRecordingMark.size() || IsBlank(line[kRecordingMark.size()]));
}

// The first line of a recording that names its format: a version this
// program plays.
bool CheckVersion(std::string_view line, std::string& reason) {
    const Fields fields = SplitFields(line.substr(kRecordingMark.size()));
    if (fields.size() != 1) {
        reason = "the recording's first line names no version of its format";
        return false;
    }
    const std::optional<std::uint64_t> version = ParseWhole(fields[0], 1'000'000, reason);
    if (!version) {
        reason = "the recording's version: " + reason;
        return false;
    }
    if (*version != kRecordingVersion) {
        reason = "a recording of version " + std::to_string(*version) +
                 ", which this fompy-talden cannot play: it plays version " +
                 std::to_string(kRecordingVersion) +
                 " (a recording of a later version needs a later fompy-talden)";
        return false;
    }
    return true;
}

std::optional<Key> ParseKey(std::string_view word) {
    for (int k = 0; k < kKeyCount; ++k) {
        if (word == kKeyNames[k]) return static_cast<Key>(k);
    }
    return std::nullopt;
}

// Checks one line's bytes: printable ASCII and tabs only.
bool CheckBytes(std::string_view line, std::string& reason) {
    if (line.size() > kMaxLineLength) {
        reason = "line too long (more than " + std::to_string(kMaxLineLength) + " characters)";
        return false;
    }
    for (char c : line) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '\t' || (byte >= 0x20 && byte < 0x7F)) continue;
        char hex[8];
        std::snprintf(hex, sizeof hex, "0x%02x", byte);
        reason = std::string("unexpected byte ") + hex + " (a script is plain text)";
        return false;
    }
    return true;
}

// False with reason when script holds maxItems events and reseeds already.
bool HasRoom(const Script& script, std::size_t maxItems, std::string& reason) {
    if (script.events.size() + script.reseeds.size() < maxItems) return true;
    reason = "more than " + std::to_string(maxItems) +
             " events and reseeds (no recording holds so many)";
    return false;
}

// Parses one non-blank, non-comment line into script, which takes at most
// maxItems events and reseeds; false with reason on error.
bool ParseLine(const Fields& f, Script& script, std::size_t maxItems, std::uint64_t& lastTime,
               std::size_t& atLastTime, std::string& reason) {
    if (f[0] == "reseed") {
        if (f.size() < 2) {
            reason = "'reseed' needs a value in seconds";
            return false;
        }
        if (f.size() > 2) {
            reason = "unexpected '" + std::string(f[2]) + "' after the reseed value";
            return false;
        }
        const auto value = ParseWhole(f[1], std::numeric_limits<std::uint32_t>::max(), reason);
        if (!value || !HasRoom(script, maxItems, reason)) return false;
        script.reseeds.push_back(static_cast<std::uint32_t>(*value));
        return true;
    }

    const auto time = ParseWhole(f[0], std::numeric_limits<std::int64_t>::max(), reason);
    if (!time) {
        if (f[0][0] < '0' || f[0][0] > '9') {
            reason = "unknown word '" + std::string(f[0]) +
                     "' (a line is 'T KEY down', 'T KEY up', 'T close' or 'reseed SECONDS')";
        }
        return false;
    }
    if (*time < lastTime) {
        reason = "time " + std::to_string(*time) + " is before the previous event's time " +
                 std::to_string(lastTime);
        return false;
    }
    if (f.size() < 2) {
        reason = "missing event after the time (a key and 'down' or 'up', or 'close')";
        return false;
    }

    InputEvent event;
    event.time = *time;
    std::size_t expected = 3;
    if (f[1] == "close") {
        event.kind = InputEvent::Kind::Close;
        expected = 2;
    } else {
        const auto key = ParseKey(f[1]);
        if (!key) {
            reason = "unknown key '" + std::string(f[1]) +
                     "' (keys: enter escape space left up right down)";
            return false;
        }
        event.key = *key;
        if (f.size() < 3) {
            reason = "missing 'down' or 'up' after the key";
            return false;
        }
        if (f[2] == "down") {
            event.kind = InputEvent::Kind::KeyDown;
        } else if (f[2] == "up") {
            event.kind = InputEvent::Kind::KeyUp;
        } else {
            reason = "expected 'down' or 'up', not '" + std::string(f[2]) + "'";
            return false;
        }
    }
    if (f.size() > expected) {
        reason = "unexpected '" + std::string(f[expected]) + "' at the end of the line";
        return false;
    }
    if (!HasRoom(script, maxItems, reason)) return false;
    atLastTime = event.time == lastTime && !script.events.empty() ? atLastTime + 1 : 1;
    if (atLastTime > kMaxEventsAtOneTime) {
        reason = "more than " + std::to_string(kMaxEventsAtOneTime) + " events at time " +
                 std::to_string(event.time) + " (no recording holds so many)";
        return false;
    }
    script.events.push_back(event);
    lastTime = event.time;
    return true;
}

}  // namespace

const char* KeyName(Key key) {
    return kKeyNames[static_cast<int>(key)];
}

std::string FormatScriptEvent(const InputEvent& event) {
    std::string line = std::to_string(event.time) + " ";
    switch (event.kind) {
        case InputEvent::Kind::KeyDown:
            return line + KeyName(event.key) + " down";
        case InputEvent::Kind::KeyUp:
            return line + KeyName(event.key) + " up";
        case InputEvent::Kind::Close:
            return line + "close";
    }
    return line;
}

ScriptRecorder::ScriptRecorder(LineSink* out) : out_(out) {
    if (out_ == nullptr) return;
    out_->Write(std::string(kRecordingMark) + " " + std::to_string(kRecordingVersion) + "\n");
    out_->Write("# recorded by fompy-talden; replay with: fompy-talden --headless --script FILE\n");
}

void ScriptRecorder::Event(const InputEvent& event) {
    if (out_ != nullptr) out_->Write(FormatScriptEvent(event) + "\n");
}

void ScriptRecorder::Reseed(std::uint32_t seconds) {
    if (out_ != nullptr) out_->Write("reseed " + std::to_string(seconds) + "\n");
}

Result<void> ScriptParser::Line(std::string_view line) {
    ++lineNumber_;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);  // CRLF files
    std::string reason;
    bool ok = CheckBytes(line, reason);
    if (ok && lineNumber_ == 1 && IsRecordingMark(line)) ok = CheckVersion(line, reason);
    if (ok) {
        const auto fields = SplitFields(line);
        if (fields.empty() || fields[0][0] == '#') return {};
        ok = ParseLine(fields, script_, maxItems_, lastTime_, atLastTime_, reason);
    }
    if (ok) return {};
    return Failure{PrintableText(fileName_) + ":" + std::to_string(lineNumber_) + ": " + reason};
}

Result<Script> ParseScript(std::string_view text, std::string_view fileName, std::size_t maxItems) {
    ScriptParser parser(fileName, maxItems);
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        if (Result<void> line = parser.Line(text.substr(start, end - start)); !line) {
            return Failure{line.reason()};
        }
        start = end + 1;
    }
    return parser.Take();
}

Result<Script> LoadScript(const std::string& path, std::size_t maxItems) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        return Failure{PrintableText(path) + ": is a directory, not a script file"};
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return Failure{PrintableText(path) + ": cannot read: " + std::strerror(errno)};
    }
    // Read a block at a time and parsed a line at a time: memory holds a
    // block, the start of a line that runs on into the next block and the
    // events kept, however large the file; a line longer than any script
    // line is refused as soon as it is seen, and the events and reseeds kept
    // are bounded by maxItems.
    ScriptParser parser(path, maxItems);
    std::string line;  // never more than kMaxLineLength + 2 characters
    std::array<char, 65536> block;
    Result<void> parsed;
    for (;;) {
        const std::size_t got = std::fread(block.data(), 1, block.size(), file);
        std::string_view rest(block.data(), got);
        while (parsed && !rest.empty()) {
            const std::size_t end = rest.find('\n');
            const std::string_view piece = rest.substr(0, end);
            if (end != std::string_view::npos && line.empty()) {
                parsed = parser.Line(piece);  // a whole line in the block, parsed where it lies
            } else {
                line.append(piece.substr(0, kMaxLineLength + 2 - line.size()));
                if (end != std::string_view::npos) {
                    parsed = parser.Line(line);
                    line.clear();
                } else if (line.size() > kMaxLineLength + 1) {
                    parsed = parser.Line(line);  // refused for its length, even without a \r
                }
            }
            if (end == std::string_view::npos) break;
            rest.remove_prefix(end + 1);
        }
        if (!parsed || got < block.size()) break;
    }
    const int readError = std::ferror(file) != 0 ? errno : 0;
    std::fclose(file);
    if (!parsed) return Failure{parsed.reason()};
    if (readError != 0) {
        return Failure{PrintableText(path) + ": cannot read: " + std::strerror(readError)};
    }
    if (!line.empty()) {
        if (Result<void> last = parser.Line(line); !last) return Failure{last.reason()};
    }
    return parser.Take();
}

}  // namespace platform
