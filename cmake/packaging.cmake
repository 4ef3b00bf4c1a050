# SPDX-License-Identifier: MIT
# packaging.cmake -- everything `cmake --install` puts in place (the program,
# desktop entry, icons, manual page, AppStream metadata, licence and notes,
# the README's pictures), the Debian package CPack makes of it, and the
# `screenshots` target that remakes the README's pictures from headless runs.
#
#   cmake --preset release -DFT_HOMEPAGE=https://... &&
#   cmake --build --preset release --target package
#
# FT_HOMEPAGE, the project's home page, goes into the AppStream metadata (with
# the web addresses of its screenshots) and the package's Homepage field; its
# default is a placeholder that says it must be set before publishing.
#
# The icons and the manual page are drawn and written by two host tools at
# build time, from the game's tile art and its option table.

if(NOT TARGET fompy-talden)
    return()
endif()

include(GNUInstallDirs)

# ---------------------------------------------------------------------------
# The program. `cmake --install` puts it in CMAKE_INSTALL_BINDIR, bin unless
# asked otherwise (-DCMAKE_INSTALL_BINDIR=games for the games folder); the
# Debian package always has it in /usr/games, where Debian keeps games, from a
# component of its own that a plain install leaves out. Either way the desktop
# entry's Exec finds it on PATH by name.
#
# A stripped install (`cmake --install --strip`, and the package) also drops
# the compilers' .comment and .note sections, as Debian's dh_strip does.
function(ft_install_program component directory)
    install(TARGETS fompy-talden RUNTIME DESTINATION ${directory} COMPONENT ${component} ${ARGN})
    if(NOT CMAKE_STRIP)
        return()
    endif()
    if(IS_ABSOLUTE ${directory})
        set(installed "\$ENV{DESTDIR}${directory}/$<TARGET_FILE_NAME:fompy-talden>")
    else()
        set(installed "\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${directory}/$<TARGET_FILE_NAME:fompy-talden>")
    endif()
    install(CODE "
        if(CMAKE_INSTALL_DO_STRIP)
            execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment
                                    --remove-section=.note \"${installed}\"
                            COMMAND_ERROR_IS_FATAL ANY)
        endif()"
        COMPONENT ${component} ${ARGN})
endfunction()
ft_install_program(program ${CMAKE_INSTALL_BINDIR})
ft_install_program(debian-program games EXCLUDE_FROM_ALL)

# Host tools cannot run where the build makes programs for another machine.
if(CMAKE_CROSSCOMPILING)
    return()
endif()

include(${PROJECT_SOURCE_DIR}/cmake/debian_docs.cmake)
set(FT_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(FT_METAINFO_NAME io.github.fompytalden.FompyTalden.metainfo.xml)
set(FT_METAINFO_SOURCE ${FT_PACKAGING_DIR}/${FT_METAINFO_NAME}.in)
set(FT_METAINFO ${PROJECT_BINARY_DIR}/metainfo/${FT_METAINFO_NAME})

# The project's home page: the AppStream metadata's homepage and the web
# addresses of its screenshots (the home page's screenshots/ folder), and the
# Debian package's Homepage field. The default is a placeholder that still
# validates offline but names itself, in a reserved domain that never answers.
set(FT_HOMEPAGE_PLACEHOLDER "https://fompy-talden.invalid/set-FT_HOMEPAGE-before-publishing")
set(FT_HOMEPAGE "${FT_HOMEPAGE_PLACEHOLDER}" CACHE STRING
    "The project's home page, https://...; its screenshots/ folder serves docs/screenshots/*.png. Set it before publishing the package")
string(REGEX REPLACE "/+$" "" FT_HOMEPAGE_URL "${FT_HOMEPAGE}")
# Only https (lintian reports a Homepage field on plain http), and a plain
# path, without query or fragment, for the screenshots/ folder to go under.
if(NOT FT_HOMEPAGE_URL MATCHES "^https://[^/ \t<>\"?#]+(/[^ \t<>\"?#]*)?$")
    message(FATAL_ERROR "FT_HOMEPAGE '${FT_HOMEPAGE}' is not an https address with a plain path "
                        "(https://host/path, without spaces, quotes, angle brackets, ? or #)")
endif()
if(FT_HOMEPAGE_URL STREQUAL FT_HOMEPAGE_PLACEHOLDER)
    message(STATUS "packaging: FT_HOMEPAGE is the placeholder ${FT_HOMEPAGE_PLACEHOLDER}; "
                   "set -DFT_HOMEPAGE=https://... before publishing the package")
endif()

# The release history lives in the AppStream metadata; the manual page takes
# its date from the entry of this version there, and the Debian changelog is
# made of all of them. The installed copy is written at configure time, the
# home page in its web addresses (an & in them written as XML wants it).
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${FT_METAINFO_SOURCE})
file(READ ${FT_METAINFO_SOURCE} FT_METAINFO_TEXT)
string(REPLACE "&" "&amp;" FT_HOMEPAGE_XML "${FT_HOMEPAGE_URL}")
string(REPLACE "@FT_HOMEPAGE@" "${FT_HOMEPAGE_XML}" FT_METAINFO_CONFIGURED "${FT_METAINFO_TEXT}")
if(FT_METAINFO_CONFIGURED MATCHES "@[A-Za-z_]+@")
    message(FATAL_ERROR "${FT_METAINFO_SOURCE}: no value for ${CMAKE_MATCH_0}")
endif()
ft_write_if_changed(${FT_METAINFO} "${FT_METAINFO_CONFIGURED}")
if(FT_METAINFO_TEXT MATCHES "<release version=\"${PROJECT_VERSION}\" date=\"([0-9-]+)\"")
    set(FT_RELEASE_DATE ${CMAKE_MATCH_1})
else()
    set(FT_RELEASE_DATE "")
    message(WARNING "packaging: ${FT_METAINFO_SOURCE} has no <release> entry for version "
                    "${PROJECT_VERSION}; add one with its date and notes")
endif()

# ---------------------------------------------------------------------------
# Icons: the game's own tiles, pixel-sharp, in the usual sizes.

set(FT_ICON_SIZES 16 32 48 64 128 256)
set(FT_ICON_DIR ${PROJECT_BINARY_DIR}/icons)
set(FT_ICONS "")
foreach(size IN LISTS FT_ICON_SIZES)
    list(APPEND FT_ICONS ${FT_ICON_DIR}/fompy-talden-${size}.png)
endforeach()

add_executable(make-icons tools/make_icons.cpp)
target_link_libraries(make-icons PRIVATE ft-window PNG::PNG ft-warnings)
add_custom_command(
    OUTPUT ${FT_ICONS}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${FT_ICON_DIR}
    COMMAND make-icons ${FT_ICON_DIR} ${FT_ICON_SIZES}
    DEPENDS make-icons
    COMMENT "Drawing the icons from the tile art"
    VERBATIM)

# ---------------------------------------------------------------------------
# The manual page, fompy-talden(6), compressed as Debian wants it when gzip is there.

set(FT_MANPAGE ${PROJECT_BINARY_DIR}/man/fompy-talden.6)
add_executable(make-manpage tools/make_manpage.cpp)
target_link_libraries(make-manpage PRIVATE ft-options ft-warnings)
# The Windows program's --help, for its zip's README.txt (cmake/windows.cmake).
add_executable(write-help tools/write_help.cpp)
target_link_libraries(write-help PRIVATE ft-options ft-warnings)
find_program(FT_GZIP gzip)
if(FT_GZIP)
    set(FT_MANPAGE_INSTALLED ${FT_MANPAGE}.gz)
    set(FT_COMPRESS_MANPAGE COMMAND ${FT_GZIP} -9 -n -f -k ${FT_MANPAGE})
else()
    set(FT_MANPAGE_INSTALLED ${FT_MANPAGE})
    set(FT_COMPRESS_MANPAGE "")
endif()
add_custom_command(
    OUTPUT ${FT_MANPAGE} ${FT_MANPAGE_INSTALLED}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
    COMMAND make-manpage ${FT_MANPAGE} ${FT_RELEASE_DATE}
    ${FT_COMPRESS_MANPAGE}
    DEPENDS make-manpage
    COMMENT "Writing the manual page from the option table"
    VERBATIM)

# ---------------------------------------------------------------------------
# The licence and the notes, in share/doc/fompy-talden as Debian wants them:
# `copyright` in the machine-readable form, the changelog in Debian's form
# made from the releases of the AppStream metadata, and the README. Compressed
# when gzip is there, like the manual page. The README's pictures go beside it
# (see the screenshots at the end), so that its links show them there too.

set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/LICENSE)
set(FT_DOC_BUILD_DIR ${PROJECT_BINARY_DIR}/doc)
ft_debian_copyright(FT_COPYRIGHT_TEXT ${PROJECT_SOURCE_DIR}/LICENSE)
ft_write_if_changed(${FT_DOC_BUILD_DIR}/copyright "${FT_COPYRIGHT_TEXT}")

set(FT_PACKAGE_MAINTAINER "FOMPY TALDEN maintainers <maintainers@fompy-talden.invalid>"
    CACHE STRING "Maintainer field of the Debian package, and signer of its changelog: Name <address>")
ft_debian_changelog(FT_CHANGELOG_TEXT "${FT_METAINFO_TEXT}" ${PROJECT_NAME} "${FT_PACKAGE_MAINTAINER}")
ft_write_if_changed(${FT_DOC_BUILD_DIR}/changelog "${FT_CHANGELOG_TEXT}")

set(FT_DOCS ${FT_DOC_BUILD_DIR}/copyright)
if(FT_GZIP)
    list(APPEND FT_DOCS ${FT_DOC_BUILD_DIR}/changelog.gz ${FT_DOC_BUILD_DIR}/README.md.gz)
    add_custom_command(
        OUTPUT ${FT_DOC_BUILD_DIR}/changelog.gz ${FT_DOC_BUILD_DIR}/README.md.gz
        COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/README.md ${FT_DOC_BUILD_DIR}
        COMMAND ${FT_GZIP} -9 -n -f ${FT_DOC_BUILD_DIR}/README.md
        COMMAND ${FT_GZIP} -9 -n -f -k ${FT_DOC_BUILD_DIR}/changelog
        DEPENDS ${PROJECT_SOURCE_DIR}/README.md ${FT_DOC_BUILD_DIR}/changelog
        COMMENT "Compressing the changelog and the README"
        VERBATIM)
else()
    list(APPEND FT_DOCS ${FT_DOC_BUILD_DIR}/changelog ${PROJECT_SOURCE_DIR}/README.md)
endif()

add_custom_target(fompy-desktop-data ALL DEPENDS ${FT_ICONS} ${FT_MANPAGE_INSTALLED} ${FT_DOCS})

# ---------------------------------------------------------------------------
# Installing what goes with the program.

foreach(size IN LISTS FT_ICON_SIZES)
    install(FILES ${FT_ICON_DIR}/fompy-talden-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME fompy-talden.png)
endforeach()
install(FILES ${FT_PACKAGING_DIR}/fompy-talden.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${FT_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${FT_MANPAGE_INSTALLED} DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${FT_DOCS} DESTINATION ${CMAKE_INSTALL_DOCDIR})

# ---------------------------------------------------------------------------
# Checks with the tests: the installed pieces fit together, and the manual
# page, desktop entry and metadata pass their linters where those are there
# (groff; desktop-file-utils and appstream are not build requirements).

if(FT_BUILD_TESTS)
    add_test(NAME install-tree
             COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${PROJECT_BINARY_DIR}
                     -DSTAGE=${PROJECT_BINARY_DIR}/install-check
                     -DPROGRAM_DIR=${CMAKE_INSTALL_BINDIR} -DDOC_DIR=${CMAKE_INSTALL_DOCDIR}
                     "-DICON_SIZES=${FT_ICON_SIZES}"
                     -P ${PROJECT_SOURCE_DIR}/cmake/check_install.cmake)
    find_program(FT_GROFF groff)
    if(FT_GROFF)
        # groff reports warnings but still succeeds; any output is a fault.
        add_test(NAME manpage-lint COMMAND ${FT_GROFF} -man -ww -z ${FT_MANPAGE})
        set_tests_properties(manpage-lint PROPERTIES FAIL_REGULAR_EXPRESSION ".")
    endif()
    # The Windows program's --help and README.txt name no Linux path or
    # variable: made here as the Windows build makes them, then read.
    find_package(Python3 REQUIRED COMPONENTS Interpreter)
    add_test(NAME texts.windows
             COMMAND sh -c "set -e; out=$(mktemp -d); trap 'rm -rf \"$out\"' EXIT; \
\"$1\" windows \"$out/help.txt\"; \
\"$2\" \"$0/tools/windows-texts.py\" \"$0\" ${PROJECT_VERSION} \"$out\" \"$out/help.txt\"; \
\"$2\" \"$0/tools/windows-texts.py\" --check \"$out/help.txt\" \"$out/README.txt\""
                     ${PROJECT_SOURCE_DIR} $<TARGET_FILE:write-help>
                     $<TARGET_FILE:Python3::Interpreter>)
    find_program(FT_DESKTOP_FILE_VALIDATE desktop-file-validate)
    if(FT_DESKTOP_FILE_VALIDATE)
        add_test(NAME desktop-entry-lint COMMAND ${FT_DESKTOP_FILE_VALIDATE}
                 ${FT_PACKAGING_DIR}/fompy-talden.desktop)
        set_tests_properties(desktop-entry-lint PROPERTIES FAIL_REGULAR_EXPRESSION ".")
    endif()
    find_program(FT_APPSTREAMCLI appstreamcli)
    if(FT_APPSTREAMCLI)
        # --strict: infos fail it too, not only errors and warnings.
        add_test(NAME metainfo-lint
                 COMMAND ${FT_APPSTREAMCLI} validate --pedantic --strict --no-net ${FT_METAINFO})
    endif()
endif()

# ---------------------------------------------------------------------------
# The Debian package: `cmake --build <dir> --target package`, or cpack in <dir>.
# It holds what a plain install does (the component of install rules that name
# none), but the program in /usr/games.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME fompy-talden)
set(CPACK_PACKAGE_VENDOR "The FOMPY TALDEN developers")
set(CPACK_PACKAGE_CONTACT "${FT_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "falling-block puzzle game of the 1990s")
# One string, its lines kept under 80 characters for the package's control file.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "FOMPY TALDEN is a faithful port of a full-screen falling-block puzzle\n"
    "game of the 1990s. Pieces of four cells fall into a well 20 cells wide\n"
    "and 30 deep; move and turn them so that rows fill up and vanish. The\n"
    "320x200 picture with its 256-colour palette, the 70 frames a second,\n"
    "the pixel-exact collisions and the scoring of the original are kept.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${FT_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${FT_HOMEPAGE_URL}")
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Depends from the libraries the program links, found by dpkg-shlibdeps (dpkg-dev).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# --video hands its frames to the ffmpeg program; the game needs it not.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS ffmpeg)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL Unspecified debian-program)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
include(CPack)

# ---------------------------------------------------------------------------
# The README's screenshots, remade from headless runs of the built program and
# scaled to the 4:3 look players see (640x480, nearest neighbour). Not part of
# the default build: `cmake --build <dir> --target screenshots`, then commit
# docs/screenshots/*.png.
#
# Each shot is NAME:SCRIPT:FRAMES: the run plays docs/screenshots/SCRIPT.script,
# and FRAMES ends it after that many presented frames (0 lets it run until the
# script runs out at a wait for a key). The last picture of the run is the shot.
# One game script gives two shots: cut off in play, and played to game over.

set(FT_SCREENSHOTS intro:intro:0 menu:menu:230 game:game:1040 gameover:game:0)
set(FT_SCREENSHOT_DIR ${PROJECT_SOURCE_DIR}/docs/screenshots)

# The installed README shows them by the same relative links as the source
# tree's: docs/screenshots/NAME.png beside it. They are the same pictures the
# AppStream metadata names on the home page.
set(FT_SCREENSHOT_FILES "")
foreach(shot IN LISTS FT_SCREENSHOTS)
    string(REGEX REPLACE ":.*" "" name ${shot})
    list(APPEND FT_SCREENSHOT_FILES ${FT_SCREENSHOT_DIR}/${name}.png)
endforeach()
install(FILES ${FT_SCREENSHOT_FILES} DESTINATION ${CMAKE_INSTALL_DOCDIR}/docs/screenshots)
find_program(FT_MAGICK NAMES magick convert)
set(FT_SCREENSHOT_COMMANDS "")
foreach(shot IN LISTS FT_SCREENSHOTS)
    string(REPLACE ":" ";" shot ${shot})
    list(GET shot 0 name)
    list(GET shot 1 script)
    list(GET shot 2 frames)
    list(APPEND FT_SCREENSHOT_COMMANDS
         COMMAND ${CMAKE_COMMAND}
                 -DPROGRAM=$<TARGET_FILE:fompy-talden>
                 -DSCRIPT=${FT_SCREENSHOT_DIR}/${script}.script
                 -DFRAMES=${frames}
                 -DWORK_DIR=${PROJECT_BINARY_DIR}/screenshots/${name}
                 -DOUTPUT=${FT_SCREENSHOT_DIR}/${name}.png
                 -DMAGICK=${FT_MAGICK}
                 -P ${PROJECT_SOURCE_DIR}/cmake/screenshot.cmake)
endforeach()
add_custom_target(screenshots
    ${FT_SCREENSHOT_COMMANDS}
    DEPENDS fompy-talden
    COMMENT "Remaking docs/screenshots from headless runs"
    VERBATIM)
