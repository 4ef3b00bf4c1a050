// win32_console.h -- the program is a windowed one, so that started from
// Explorer it opens no console; started from a console, what it prints
// reaches that console all the same.
#pragma once

namespace platform {

// Called first thing in main: standard output and standard error that lead
// nowhere (no file or pipe was given) are attached to the console of the
// program that started this one, if it has one. Standard output is binary,
// so that a log written to it holds the same bytes as on other systems.
void UseParentConsole();

}  // namespace platform
