// SPDX-License-Identifier: MIT
// win32_console.h -- the program is a windowed one, so that started from
// Explorer it opens no console; started from a console, what it prints
// reaches that console all the same.
#pragma once

namespace platform {

// Called first thing in main: standard output and standard error that lead
// nowhere (no file or pipe was given) are attached to the console of the
// program that started this one, if it has one. Files and pipes are written
// in binary, so that logs and recordings hold the same bytes, line ends
// included, as on every other system.
void UseParentConsole();

}  // namespace platform
