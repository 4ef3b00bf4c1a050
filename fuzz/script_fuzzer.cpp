// SPDX-License-Identifier: MIT
// script_fuzzer.cpp -- libFuzzer target of the key script parser: any bytes
// either parse into a script that reads back the same when written out again,
// or fail with one line "NAME:LINE: reason"; and a file of those bytes, read
// a block at a time as the program reads scripts, gives the same answer.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/common/script.h"

namespace {

constexpr std::string_view kFileName = "fuzz.script";

// A broken promise of the parser: says which and stops, so libFuzzer keeps the input.
void Require(bool condition, const char* what, const std::string& detail) {
    if (condition) return;
    std::fprintf(stderr, "script-fuzzer: %s: [%s]\n", what, detail.c_str());
    std::abort();
}

// Lines as the parser counts them: a last line without '\n' counts too.
std::size_t CountLines(std::string_view text) {
    std::size_t lines = 0;
    for (char c : text) lines += c == '\n' ? 1 : 0;
    if (!text.empty() && text.back() != '\n') ++lines;
    return lines;
}

// "NAME:LINE: reason" on one line, LINE a line of the text, the reason printable.
void CheckError(const std::string& error, std::string_view text) {
    const std::string prefix = std::string(kFileName) + ":";
    Require(error.rfind(prefix, 0) == 0, "error does not start with the file name", error);
    std::size_t i = prefix.size();
    std::uint64_t line = 0;
    const std::size_t digitsStart = i;
    while (i < error.size() && error[i] >= '0' && error[i] <= '9' && i - digitsStart < 19) {
        line = line * 10 + static_cast<std::uint64_t>(error[i] - '0');
        ++i;
    }
    Require(i > digitsStart && error[digitsStart] != '0', "error has no line number", error);
    Require(line <= CountLines(text), "error names a line past the end", error);
    Require(error.compare(i, 2, ": ") == 0, "no ': ' after the line number", error);
    Require(error.size() > i + 2, "error has no reason", error);
    for (char c : error) {
        const auto byte = static_cast<unsigned char>(c);
        Require(byte >= 0x20 && byte < 0x7F, "error is not one printable line", error);
    }
}

// The script written back in its own syntax.
std::string WriteScript(const platform::Script& script) {
    std::string text;
    for (const platform::InputEvent& e : script.events) {
        text += std::to_string(e.time);
        switch (e.kind) {
            case platform::InputEvent::Kind::Close:
                text += " close\n";
                break;
            case platform::InputEvent::Kind::KeyDown:
                text += std::string(" ") + platform::KeyName(e.key) + " down\n";
                break;
            case platform::InputEvent::Kind::KeyUp:
                text += std::string(" ") + platform::KeyName(e.key) + " up\n";
                break;
        }
    }
    for (std::uint32_t seconds : script.reseeds) text += "reseed " + std::to_string(seconds) + "\n";
    return text;
}

void CheckScript(const platform::Script& script) {
    for (std::size_t n = 1; n < script.events.size(); ++n)
        Require(script.events[n - 1].time <= script.events[n].time, "event times go backwards",
                std::to_string(n));
    for (const platform::InputEvent& e : script.events)
        Require(static_cast<int>(e.key) < platform::kKeyCount, "key out of range",
                std::to_string(static_cast<int>(e.key)));

    const std::string written = WriteScript(script);
    const platform::Result<platform::Script> again = platform::ParseScript(written, kFileName);
    Require(again.ok(), "the written-out script does not parse", again.reason());
    Require((*again).events == script.events, "events differ after writing out", written);
    Require((*again).reseeds == script.reseeds, "reseeds differ after writing out", written);
}

// The bytes as a file, read by the program's streamed reader: it must agree
// with the parse of the whole text, script for script, and fail on the same
// line when the text fails.
void CheckFileReading(std::string_view text, const platform::Result<platform::Script>& whole) {
    static const int fd = memfd_create("fuzz.script", 0);
    Require(fd >= 0, "no memory file", "");
    Require(ftruncate(fd, 0) == 0 && lseek(fd, 0, SEEK_SET) == 0, "cannot empty the file", "");
    Require(write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()),
            "cannot write the file", "");
    const std::string path = "/proc/self/fd/" + std::to_string(fd);
    const platform::Result<platform::Script> read = platform::LoadScript(path);
    Require(read.ok() == whole.ok(), "reading the file and parsing the text disagree",
            read.ok() ? whole.reason() : read.reason());
    if (read.ok()) {
        Require((*read).events == (*whole).events, "the file's events differ", "");
        Require((*read).reseeds == (*whole).reseeds, "the file's reseeds differ", "");
    } else {
        const std::string where = read.reason().substr(path.size());
        const std::string wholeWhere = whole.reason().substr(kFileName.size());
        Require(where.substr(0, where.find(": ")) == wholeWhere.substr(0, wholeWhere.find(": ")),
                "the file fails on another line", read.reason() + " / " + whole.reason());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const platform::Result<platform::Script> parse = platform::ParseScript(text, kFileName);
    if (parse.ok()) {
        Require(parse.reason().empty(), "a good parse carries an error", parse.reason());
        CheckScript((*parse));
    } else {
        CheckError(parse.reason(), text);
    }
    CheckFileReading(text, parse);
    return 0;
}
