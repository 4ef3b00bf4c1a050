// SPDX-License-Identifier: MIT
// scoped_variable.h -- an environment variable set (or unset, with nullopt or
// a null pointer) for one test and put back after it.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

class ScopedVariable {
public:
    ScopedVariable(const char* name, std::optional<std::string> value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value) {
            ::setenv(name, value->c_str(), 1);
        } else {
            ::unsetenv(name);
        }
    }
    ScopedVariable(const char* name, const char* value)
        : ScopedVariable(name,
                         value != nullptr ? std::optional<std::string>(value) : std::nullopt) {}
    ~ScopedVariable() {
        if (old_) {
            ::setenv(name_, old_->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};
