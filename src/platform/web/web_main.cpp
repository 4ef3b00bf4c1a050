// SPDX-License-Identifier: MIT
// web_main.cpp -- the entry point of the web build: opens the browser's
// platform and runs the program on it, from the intro to "QUIT".
#include "core/program/program.h"
#include "platform/web/web_page.h"
#include "platform/web/web_platform.h"

int main() {
    platform::WebOptions options;
    options.record = WebPageWantsRecord() != 0;
    platform::WebPlatform host(options);
    host.Finish(ft::RunProgram(host));
    return 0;
}
