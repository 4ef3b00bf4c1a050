// SPDX-License-Identifier: MIT
// line_sink.h -- where the lines of a run log or a recording go. Each write
// is one whole line, so that whatever a sink keeps ends on a line end.
#pragma once

#include <string>
#include <string_view>

namespace platform {

class LineSink {
public:
    virtual ~LineSink() = default;
    // One line, ending in '\n'.
    virtual void Write(std::string_view line) = 0;
};

// Lines kept in memory: the soak's and the session bot's.
class MemoryLines final : public LineSink {
public:
    void Write(std::string_view line) override { text_ += line; }
    const std::string& Text() const { return text_; }

private:
    std::string text_;
};

}  // namespace platform
