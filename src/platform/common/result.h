// SPDX-License-Identifier: MIT
// result.h -- a value, or the reason there is none: what every reader of user
// text and every opener of a device or file returns. (std::expected would do,
// but neither GCC 12's library nor Emscripten's has it in C++20.)
#pragma once

#include <optional>
#include <string>
#include <utility>

namespace platform {

// Why something failed: one line, for a message that names what failed first.
struct Failure {
    std::string reason;
};

template <typename T>
class [[nodiscard]] Result {
public:
    Result(T value) : value_(std::move(value)) {}                    // NOLINT: a value converts
    Result(Failure failure) : reason_(std::move(failure.reason)) {}  // NOLINT: so does a failure

    bool ok() const { return value_.has_value(); }
    explicit operator bool() const { return ok(); }

    // The value; only when ok().
    T& operator*() & { return *value_; }
    const T& operator*() const& { return *value_; }
    T&& operator*() && { return std::move(*value_); }
    T* operator->() { return &*value_; }
    const T* operator->() const { return &*value_; }

    // Why it failed; only when !ok().
    const std::string& reason() const { return reason_; }

private:
    std::optional<T> value_;
    std::string reason_;
};

// Success with nothing to hand back, or the reason of a failure.
template <>
class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Failure failure) : failed_(true), reason_(std::move(failure.reason)) {}  // NOLINT

    bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }
    const std::string& reason() const { return reason_; }

private:
    bool failed_ = false;
    std::string reason_;
};

}  // namespace platform
