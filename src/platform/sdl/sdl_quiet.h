// SPDX-License-Identifier: MIT
// sdl_quiet.h -- what the SDL platform does around SDL's own start-up calls.
// Used only inside platform/sdl.
#pragma once

#include <cstdio>
#include <mutex>

#if defined(__unix__) || defined(__APPLE__)
#include <fcntl.h>
#include <unistd.h>
#endif

namespace platform::sdl {

// Sends standard error to /dev/null for its lifetime: what we say about a
// failure is one line, and the libraries SDL probes would add their own.
class QuietStandardError {
public:
    QuietStandardError() {
#if defined(__unix__) || defined(__APPLE__)
        std::fflush(stderr);
        saved_ = dup(STDERR_FILENO);
        const int null = open("/dev/null", O_WRONLY);
        if (null >= 0) {
            dup2(null, STDERR_FILENO);
            close(null);
        }
#endif
    }
    QuietStandardError(const QuietStandardError&) = delete;
    QuietStandardError& operator=(const QuietStandardError&) = delete;
    ~QuietStandardError() {
#if defined(__unix__) || defined(__APPLE__)
        if (saved_ < 0) return;
        std::fflush(stderr);
        dup2(saved_, STDERR_FILENO);
        close(saved_);
#endif
    }

private:
    int saved_ = -1;
};

// Held around SDL_InitSubSystem and SDL_QuitSubSystem: the sound starts on a
// thread of its own while the game thread opens the gamepads, and SDL counts
// its subsystems without a lock.
inline std::mutex& SubsystemLock() {
    static std::mutex lock;
    return lock;
}

}  // namespace platform::sdl
