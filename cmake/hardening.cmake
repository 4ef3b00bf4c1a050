# SPDX-License-Identifier: MIT
# hardening.cmake -- optimised builds get the hardening Debian builds its
# packages with (dpkg-buildflags with hardening=+all): fortified libc calls,
# strong stack protector, format-string errors, a read-only GOT bound at
# start-up, and a position-independent program. Debug, sanitizer and fuzzer
# builds stay as they are: the checks they run need none of it, and
# _FORTIFY_SOURCE needs optimisation anyway.
#
# Included by the top-level CMakeLists.txt before any target is made, so every
# object of the program, the libraries it is built from included, gets it.

option(FT_HARDEN "Harden optimised builds as Debian hardens its packages" ON)

if(NOT FT_HARDEN OR FT_SANITIZE OR FT_BUILD_FUZZERS OR EMSCRIPTEN
   OR NOT CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    return()
endif()

set(FT_OPTIMISED "$<CONFIG:Release,RelWithDebInfo,MinSizeRel>")
# A compiler that defines _FORTIFY_SOURCE itself would see a redefinition.
add_compile_options(
    "$<${FT_OPTIMISED}:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2>"
    "$<${FT_OPTIMISED}:-fstack-protector-strong;-Wformat;-Werror=format-security>")
add_link_options("$<${FT_OPTIMISED}:LINKER:-z,relro,-z,now>")

include(CheckPIESupported)
check_pie_supported(LANGUAGES CXX)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
