// SPDX-License-Identifier: MIT
// win32_console.cpp -- standard output and error for a windowed program.
#include "platform/win32/win32_console.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace platform {

namespace {

// The starter gave this standard handle a console, a file or a pipe.
bool LeadsSomewhere(DWORD which) {
    const HANDLE handle = GetStdHandle(which);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
           GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

}  // namespace

void UseParentConsole() {
    const bool output = LeadsSomewhere(STD_OUTPUT_HANDLE);
    const bool errors = LeadsSomewhere(STD_ERROR_HANDLE);
    _fmode = _O_BINARY;  // every file opened from now on
    if (output) _setmode(_fileno(stdout), _O_BINARY);
    if (errors) _setmode(_fileno(stderr), _O_BINARY);
    if ((!output || !errors) && AttachConsole(ATTACH_PARENT_PROCESS)) {
        if (!output && std::freopen("CONOUT$", "w", stdout) != nullptr) {
            std::setvbuf(stdout, nullptr, _IOLBF, BUFSIZ);
        }
        if (!errors && std::freopen("CONOUT$", "w", stderr) != nullptr) {
            std::setvbuf(stderr, nullptr, _IONBF, 0);
        }
    }
}

}  // namespace platform
