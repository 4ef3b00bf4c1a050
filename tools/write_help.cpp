// SPDX-License-Identifier: MIT
// write_help.cpp -- writes the --help text of the desktop program or of the
// Windows program into a file, for the Windows zip's README.txt: the build
// of the Windows program runs this on the build machine, where the Windows
// program itself cannot run.
//
// Usage: write-help desktop|windows OUTPUT
#include <cstdio>
#include <fstream>
#include <string>

#include "shell/options.h"

int main(int argc, char** argv) {
    const std::string system = argc == 3 ? argv[1] : "";
    if (system != "desktop" && system != "windows") {
        std::fprintf(stderr, "usage: write-help desktop|windows OUTPUT\n");
        return 2;
    }
    std::ofstream out(argv[2], std::ios::binary);
    out << ft::HelpText(system == "windows" ? ft::System::Windows : ft::System::Desktop);
    out.close();
    if (!out) {
        std::fprintf(stderr, "write-help: cannot write %s; is the build directory writable?\n",
                     argv[2]);
        return 1;
    }
    return 0;
}
