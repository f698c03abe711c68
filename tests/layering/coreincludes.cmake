# SPDX-FileCopyrightText: 2026 Kestrion developers
# SPDX-License-Identifier: GPL-3.0-or-later
#
# cmake -DSOURCE_DIR=<src> -DQT_WINDOW_INCLUDE_DIRS=<dirs> -P coreincludes.cmake
#
# Fails when a source of the engine or of the command-line program includes the window: a header of
# dialogs/, app/, updates/, forms/ or resources/, a designer form (ui_*.h), or a header of Qt's Gui or
# Widgets module. The engine library links neither module, so such an include would only show up as a
# link error far from its cause, or not at all while kestrion_lib happens to be linked too.

cmake_minimum_required(VERSION 3.16)

set(engine_folders model discovery netconf firmware journal cli)
set(window_folders dialogs app updates forms resources)

set(qt_window_dirs "")
foreach(dir IN LISTS QT_WINDOW_INCLUDE_DIRS)
    if(dir MATCHES "/Qt(Gui|Widgets)/?$")
        list(APPEND qt_window_dirs ${dir})
    endif()
endforeach()
if(NOT qt_window_dirs)
    message(FATAL_ERROR "No QtGui or QtWidgets include folder in '${QT_WINDOW_INCLUDE_DIRS}'")
endif()

function(window_reason header out)
    set(reason "")
    if(header MATCHES "^\"(ui_[^\"]*)\"")
        set(reason "a designer form")
    elseif(header MATCHES "^\"([a-z]+)/")
        if(CMAKE_MATCH_1 IN_LIST window_folders)
            set(reason "the window's folder ${CMAKE_MATCH_1}/")
        endif()
    elseif(header MATCHES "^<Qt(Gui|Widgets)/")
        set(reason "Qt's ${CMAKE_MATCH_1} module")
    elseif(header MATCHES "^<(Q[A-Za-z0-9_]+)>")
        foreach(dir IN LISTS qt_window_dirs)
            if(EXISTS "${dir}/${CMAKE_MATCH_1}")
                get_filename_component(module "${dir}" NAME)
                set(reason "Qt's ${module} module")
                break()
            endif()
        endforeach()
    endif()
    set(${out} "${reason}" PARENT_SCOPE)
endfunction()

set(found "")
set(checked 0)
foreach(folder IN LISTS engine_folders)
    file(GLOB sources "${SOURCE_DIR}/${folder}/*.h" "${SOURCE_DIR}/${folder}/*.cpp")
    foreach(source IN LISTS sources)
        math(EXPR checked "${checked} + 1")
        file(STRINGS "${source}" includes REGEX "^[ \t]*#[ \t]*include")
        foreach(line IN LISTS includes)
            string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*" "" header "${line}")
            window_reason("${header}" reason)
            if(reason)
                file(RELATIVE_PATH name "${SOURCE_DIR}" "${source}")
                string(APPEND found "  ${name}: ${header} (${reason})\n")
            endif()
        endforeach()
    endforeach()
endforeach()

if(checked EQUAL 0)
    message(FATAL_ERROR "No sources found under ${SOURCE_DIR}")
endif()
if(found)
    message(FATAL_ERROR "The engine and the command-line program must not include the window:\n${found}")
endif()
message(STATUS "${checked} sources of ${engine_folders} include nothing of the window")
