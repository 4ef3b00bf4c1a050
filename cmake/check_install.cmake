# SPDX-License-Identifier: MIT
# check_install.cmake -- installs the build into a scratch prefix and checks
# that the pieces find one another there: the desktop entry's Exec and Icon,
# the AppStream launchable and binary, every icon size, the manual page, the
# README it names and the licence, and that the installed program runs.
#
#   cmake -DBUILD_DIR=... -DSTAGE=... -DICON_SIZES="16;32;..." -DPROGRAM_DIR=bin
#         -DDOC_DIR=share/doc/fompy-talden -P check_install.cmake

foreach(var BUILD_DIR STAGE ICON_SIZES PROGRAM_DIR DOC_DIR)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "check_install.cmake: ${var} is not set")
    endif()
endforeach()

set(failures "")
# Notes a failure unless the condition (code for if()) holds.
macro(Expect condition what)
    cmake_language(EVAL CODE "
        if(NOT (${condition}))
            list(APPEND failures \"${what}\")
        endif()")
endmacro()

file(REMOVE_RECURSE ${STAGE})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${STAGE}
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "cmake --install into ${STAGE} failed (${status})")
endif()

# The desktop entry names a program and an icon that were installed.
set(desktop ${STAGE}/share/applications/fompy-talden.desktop)
Expect("EXISTS ${desktop}" "no desktop entry at share/applications")
if(EXISTS ${desktop})
    file(STRINGS ${desktop} execLines REGEX "^Exec=")
    file(STRINGS ${desktop} iconLines REGEX "^Icon=")
    foreach(line IN LISTS execLines)
        string(REGEX REPLACE "^Exec=([^ ]+).*" "\\1" program "${line}")
        Expect("EXISTS ${STAGE}/${PROGRAM_DIR}/${program}"
               "desktop entry runs '${program}', not in ${PROGRAM_DIR}")
    endforeach()
    Expect("iconLines STREQUAL \"Icon=fompy-talden\"" "desktop entry's icon is not fompy-talden")
endif()

foreach(size IN LISTS ICON_SIZES)
    set(icon ${STAGE}/share/icons/hicolor/${size}x${size}/apps/fompy-talden.png)
    Expect("EXISTS ${icon}" "no ${size}x${size} icon")
    if(EXISTS ${icon})
        # PNG: 8-byte signature, IHDR length and type, then width and height.
        file(READ ${icon} header LIMIT 26 HEX)
        string(SUBSTRING ${header} 32 16 dimensions)
        string(SUBSTRING ${header} 50 2 colourType)
        math(EXPR hexSize "${size}" OUTPUT_FORMAT HEXADECIMAL)
        string(REPLACE "0x" "" hexSize ${hexSize})
        string(LENGTH ${hexSize} digits)
        math(EXPR padding "8 - ${digits}")
        string(REPEAT "0" ${padding} zeros)
        set(side "${zeros}${hexSize}")
        Expect("dimensions STREQUAL \"${side}${side}\""
               "the ${size}x${size} icon has another size (${dimensions})")
        Expect("colourType STREQUAL \"06\"" "the ${size}x${size} icon is not RGBA")
    endif()
endforeach()

# The AppStream metadata launches the installed desktop entry and provides the program.
file(GLOB metainfo ${STAGE}/share/metainfo/*.metainfo.xml)
Expect("metainfo" "no AppStream metadata at share/metainfo")
if(metainfo)
    file(READ ${metainfo} text)
    if(text MATCHES "<launchable type=\"desktop-id\">([^<]+)</launchable>")
        Expect("EXISTS ${STAGE}/share/applications/${CMAKE_MATCH_1}"
               "AppStream launchable ${CMAKE_MATCH_1} is not installed")
    else()
        list(APPEND failures "AppStream metadata has no desktop-id launchable")
    endif()
    if(text MATCHES "<binary>([^<]+)</binary>")
        Expect("EXISTS ${STAGE}/${PROGRAM_DIR}/${CMAKE_MATCH_1}"
               "AppStream provides binary ${CMAKE_MATCH_1}, not in ${PROGRAM_DIR}")
    endif()
endif()

file(GLOB manpage ${STAGE}/share/man/man6/fompy-talden.6*)
Expect("manpage" "no manual page at share/man/man6")

# The manual page sends readers to the README; the MIT licence wants its text
# to go with every copy.
file(GLOB readme ${STAGE}/${DOC_DIR}/README.md*)
Expect("readme" "no README at ${DOC_DIR}")
Expect("EXISTS ${STAGE}/${DOC_DIR}/copyright" "no licence at ${DOC_DIR}/copyright")

execute_process(COMMAND ${STAGE}/${PROGRAM_DIR}/fompy-talden --version
                OUTPUT_VARIABLE version RESULT_VARIABLE status)
Expect("status EQUAL 0 AND version MATCHES \"^fompy-talden [0-9]\""
       "the installed program does not run: ${status} ${version}")

if(failures)
    list(JOIN failures "\n  " text)
    message(FATAL_ERROR "installed tree in ${STAGE}:\n  ${text}")
endif()
message(STATUS "installed tree in ${STAGE}: complete")
