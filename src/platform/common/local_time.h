// SPDX-License-Identifier: MIT
// local_time.h -- the calendar time in the player's time zone, for the names
// of the files the platforms make (screenshots, kept recordings).
#pragma once

#include <ctime>

namespace platform {

inline std::tm LocalTime(std::time_t when) {
    std::tm local{};
#if defined(_WIN32)
    localtime_s(&local, &when);
#else
    localtime_r(&when, &local);
#endif
    return local;
}

}  // namespace platform
