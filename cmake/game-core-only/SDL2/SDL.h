// SPDX-License-Identifier: MIT
// Found first on the include path of the game's own libraries, this header
// stops the build of any game file that reaches for a platform library: the
// game talks to the machine only through core/seam/platform.h.
#error "the game does not depend on a platform library: include core/seam/platform.h instead"
