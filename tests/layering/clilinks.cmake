# SPDX-FileCopyrightText: 2026 Kestrion developers
# SPDX-License-Identifier: GPL-3.0-or-later
#
# cmake -DREADELF=<readelf> -DPROGRAM=<kestrion-cli> -P clilinks.cmake
#
# Fails when the command-line program needs Qt's Gui or Widgets library: it runs on machines without a
# display and should not drag the window's libraries onto them. Reads the program's own NEEDED entries,
# which is what the linker was told, independent of what the machine has installed.

cmake_minimum_required(VERSION 3.16)

execute_process(COMMAND "${READELF}" --dynamic "${PROGRAM}"
                OUTPUT_VARIABLE dynamic ERROR_VARIABLE errors RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${READELF} failed on ${PROGRAM}: ${errors}")
endif()

string(REGEX MATCHALL "\\(NEEDED\\)[^\n]*\\[[^]\n]+\\]" needed_lines "${dynamic}")
set(needed "")
foreach(line IN LISTS needed_lines)
    string(REGEX REPLACE ".*\\[([^]]+)\\]$" "\\1" library "${line}")
    list(APPEND needed ${library})
endforeach()
if(NOT needed MATCHES "libQt[56]Core")
    message(FATAL_ERROR "No libQt5Core or libQt6Core among the NEEDED entries of ${PROGRAM}; is it the program? (${needed})")
endif()

set(window_libraries "")
foreach(library IN LISTS needed)
    if(library MATCHES "^libQt[56](Gui|Widgets|OpenGL|OpenGLWidgets|PrintSupport)[.]")
        list(APPEND window_libraries ${library})
    endif()
endforeach()
if(window_libraries)
    message(FATAL_ERROR "${PROGRAM} needs window libraries: ${window_libraries}\nAll it needs: ${needed}")
endif()
message(STATUS "${PROGRAM} needs: ${needed}")
