# SPDX-License-Identifier: MIT
# windows.cmake -- the Windows build (preset "windows", toolchain
# cmake/mingw-w64-x86_64.cmake): the game's libraries, the headless platform
# and the Windows platform in one program, fompy-talden.exe, linked so that
# it needs no DLL but Windows' own; its icon and version information; and
# the zip players download (target "zip"). Included by the top-level
# CMakeLists.txt instead of everything after it.

enable_language(RC)
set(ZLIB_USE_STATIC_LIBS ON)  # zlib inside the program
find_package(ZLIB REQUIRED)
find_package(Python3 REQUIRED COMPONENTS Interpreter)

# The tools that run during the build (make-sounds, make-icons, write-help)
# are built for this machine by its own compiler, from this same source tree.
include(ExternalProject)
set(FT_HOST_DIR ${CMAKE_BINARY_DIR}/host)
ExternalProject_Add(ft-host-tools
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${FT_HOST_DIR}
    CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DFT_BUILD_TESTS=OFF -DFT_BUILD_BENCHMARKS=OFF
               -DFT_HARDEN=OFF
    BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --parallel 2
                  --target make-sounds make-icons write-help
    BUILD_ALWAYS ON
    INSTALL_COMMAND ""
    BUILD_BYPRODUCTS ${FT_HOST_DIR}/resources/make-sounds ${FT_HOST_DIR}/make-icons
                     ${FT_HOST_DIR}/write-help)
add_executable(make-sounds IMPORTED)
set_target_properties(make-sounds PROPERTIES IMPORTED_LOCATION ${FT_HOST_DIR}/resources/make-sounds)
add_dependencies(make-sounds ft-host-tools)

add_subdirectory(resources)
add_subdirectory(src)

# The icon: the desktop icons drawn from the tile art, packed into one .ico.
set(FT_ICON_SIZES 16 32 48 64 128 256)
set(FT_ICON_DIR ${CMAKE_BINARY_DIR}/icons)
set(FT_ICO ${CMAKE_BINARY_DIR}/fompy-talden.ico)
set(FT_ICON_PNGS "")
foreach(size IN LISTS FT_ICON_SIZES)
    list(APPEND FT_ICON_PNGS ${FT_ICON_DIR}/fompy-talden-${size}.png)
endforeach()
add_custom_command(
    OUTPUT ${FT_ICO}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${FT_ICON_DIR}
    COMMAND ${FT_HOST_DIR}/make-icons ${FT_ICON_DIR} ${FT_ICON_SIZES}
    COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tools/make-ico.py ${FT_ICO} ${FT_ICON_PNGS}
    DEPENDS ft-host-tools ${PROJECT_SOURCE_DIR}/tools/make-ico.py
    COMMENT "Packing the icon from the tile art"
    VERBATIM)
add_custom_target(ft-icon DEPENDS ${FT_ICO})

# Icon, version information and manifest, compiled into the program.
configure_file(${PROJECT_SOURCE_DIR}/cmake/windows/fompy-talden.rc.in
               ${CMAKE_BINARY_DIR}/fompy-talden.rc @ONLY)
target_sources(fompy-talden PRIVATE ${CMAKE_BINARY_DIR}/fompy-talden.rc)
add_dependencies(fompy-talden ft-icon)
set_property(SOURCE ${CMAKE_BINARY_DIR}/fompy-talden.rc TARGET_DIRECTORY fompy-talden APPEND
             PROPERTY OBJECT_DEPENDS ${FT_ICO}
             ${PROJECT_SOURCE_DIR}/cmake/windows/fompy-talden.manifest)
# libgcc, libstdc++ and winpthread inside the program, which is stripped.
target_link_options(fompy-talden PRIVATE -static -s)

# The players' download: the program, how to play (with the program's own
# --help, written by the same option table on this machine), the licence.
set(FT_ZIP_DIR ${CMAKE_BINARY_DIR}/zip)
set(FT_WINDOWS_HELP ${CMAKE_BINARY_DIR}/windows-help.txt)
set(FT_ZIP ${CMAKE_BINARY_DIR}/fompy-talden-${PROJECT_VERSION}-win64.zip)
add_custom_command(
    OUTPUT ${FT_ZIP}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${FT_ZIP_DIR} ${FT_ZIP}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${FT_ZIP_DIR}
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:fompy-talden> ${FT_ZIP_DIR}/fompy-talden.exe
    COMMAND ${FT_HOST_DIR}/write-help windows ${FT_WINDOWS_HELP}
    COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tools/windows-texts.py
            ${PROJECT_SOURCE_DIR} ${PROJECT_VERSION} ${FT_ZIP_DIR} ${FT_WINDOWS_HELP}
    COMMAND ${CMAKE_COMMAND} -E chdir ${FT_ZIP_DIR} ${CMAKE_COMMAND} -E tar cf ${FT_ZIP}
            --format=zip fompy-talden.exe README.txt LICENSE.txt
    DEPENDS fompy-talden ${FT_HOST_DIR}/write-help ${PROJECT_SOURCE_DIR}/LICENSE
            ${PROJECT_SOURCE_DIR}/cmake/windows/README.txt.in
            ${PROJECT_SOURCE_DIR}/tools/windows-texts.py
    COMMENT "Packing ${FT_ZIP}"
    VERBATIM)
add_custom_target(zip ALL DEPENDS ${FT_ZIP})

# The two ways of drawing, timed (tools/perf/windows-draw.sh runs it under Wine).
add_executable(win32-draw-bench ${PROJECT_SOURCE_DIR}/bench/win32_draw_bench.cpp)
target_link_libraries(win32-draw-bench PRIVATE ft-win32 ft-warnings)
target_link_options(win32-draw-bench PRIVATE -static -mwindows)
