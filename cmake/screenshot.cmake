# SPDX-License-Identifier: MIT
# screenshot.cmake -- makes one README screenshot: runs the program headless on
# a key script, takes the run's last picture and scales it to 640x480 with
# nearest-neighbour sampling (2 across, 2.4 down), the 4:3 look players see.
#
#   cmake -DPROGRAM=... -DSCRIPT=... -DFRAMES=N -DWORK_DIR=... -DOUTPUT=...
#         -DMAGICK=... -P screenshot.cmake
#
# FRAMES 0 runs until the script runs out at a wait for a key.

foreach(var PROGRAM SCRIPT FRAMES WORK_DIR OUTPUT)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "screenshot.cmake: ${var} is not set")
    endif()
endforeach()
if(NOT MAGICK)
    message(FATAL_ERROR "screenshots: ImageMagick's convert is missing; "
                        "install the imagemagick package (tools/install-deps.sh does)")
endif()

file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
set(run ${PROGRAM} --headless --script ${SCRIPT} --dump ${WORK_DIR} --log ${WORK_DIR}/run.log)
if(NOT FRAMES EQUAL 0)
    list(APPEND run --frames ${FRAMES})
endif()
execute_process(COMMAND ${run} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "screenshots: the headless run of ${SCRIPT} failed (${status})")
endif()

file(GLOB pictures ${WORK_DIR}/*.png)
if(NOT pictures)
    message(FATAL_ERROR "screenshots: the run of ${SCRIPT} showed no picture")
endif()
list(SORT pictures)
list(GET pictures -1 last)

# -sample picks source pixels without blending; no dates or other chunks, so
# the same picture gives the same file.
execute_process(
    COMMAND ${MAGICK} ${last} -sample 640x480! -strip
            -define png:exclude-chunks=date,time ${OUTPUT}
    RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "screenshots: scaling ${last} to ${OUTPUT} failed (${status})")
endif()
get_filename_component(shown ${last} NAME)
message(STATUS "screenshots: ${OUTPUT} from picture ${shown}")
