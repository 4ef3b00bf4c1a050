// SPDX-License-Identifier: MIT
// file_lines.h -- a run log or recording written to a file (or standard
// output) so that nothing written is lost or torn: every write ends on a line
// end, a partial write (a full disk) is cut back to the last whole line, and a
// failure is noticed when it happens and kept with its true reason.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/common/line_sink.h"
#include "platform/common/result.h"

namespace platform {

// Thrown from a write that failed, for runs that stop at a failure.
struct OutputFailed {
    std::string message;  // "cannot write the log 'PATH': reason"
};

class FileLines final : public LineSink {
public:
    enum class Mode : std::uint8_t {
        // Headless runs: lines gathered into large writes, each ending on a
        // line end; a failure throws OutputFailed, which ends the run.
        StopRunOnFailure,
        // Window runs: every line written at once, so that the file is never
        // behind the game; a failure is told once on standard error, the file
        // is written no more, and the game goes on.
        KeepPlayingOnFailure,
    };

    // what names the file in messages ("log", "recording"); "-" is standard
    // output where allowed. Checks that the file could be written, and
    // touches nothing: a run that cannot start (a bad input, no display)
    // leaves an existing file as it was. Lines written before Open wait for it.
    static Result<std::unique_ptr<FileLines>> Prepare(const std::string& path, std::string what,
                                                      bool allowStandardOutput, Mode mode);
    // Creates or empties the file, once the run is known to start, and writes
    // the lines that waited. The failure reads "cannot write the log 'PATH': reason".
    Result<void> Open();
    ~FileLines() override;
    FileLines(const FileLines&) = delete;
    FileLines& operator=(const FileLines&) = delete;

    void Write(std::string_view line) override;
    // Writes what is gathered and closes the file. The first failure of the
    // file's life, if any: "cannot write the log 'PATH': reason".
    Result<void> Close();

private:
    FileLines(bool standardOutput, std::string path, std::string what, Mode mode);
    void Flush();
    void Fail(int error);

    int fd_ = -1;  // -1 until opened, and again once closed
    bool standardOutput_;
    bool closed_ = false;
    std::string path_;
    std::string what_;
    Mode mode_;
    std::string pending_;        // whole lines not yet written
    std::uint64_t written_ = 0;  // bytes in the file, all of them whole lines
    std::string failure_;        // the first failure; nothing is written after it
};

}  // namespace platform
